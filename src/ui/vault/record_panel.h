#pragma once

#include "crypto/password_generator.h"
#include "store/profile_store.h"
#include "ui/common/vault_services.h"

#include <QFrame>

#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace tavrino {

// One record to read, add, change or delete: its fields, the checks before
// a save, and the random password generator.
class RecordPanel : public QFrame {
    Q_OBJECT
public:
    RecordPanel(VaultServices& services, QWidget* parent);

    // The category box offers the profile's categories.
    void fillCategories();
    // Shows the record of that tree key ("C" and its position).
    void showRecord(const QString& key);
    // Empty boxes for a record to add.
    void startNewRecord();
    bool isNewRecord() const;

    // Checks the boxes and writes the profile. No outcome: refused before
    // anything was written (the user was told why).
    std::optional<SaveOutcome> save();
    // The stored record again, unchanged.
    void undo();
    // Leaving the record: true when the user lets unsaved changes go.
    bool confirmLeave();
    // Asks, then deletes the shown record. No outcome: nothing to delete, or not confirmed.
    std::optional<SaveOutcome> deleteRecord();
    // @PWD*: a random password, made with the options remembered on this
    // workstation, in both password boxes (the old one kept in the notes
    // when the user wants). Its strength in bits; none when nothing was put.
    std::optional<double> generatePassword();
    // The generator's options, a password to look at first: the same, once
    // the user takes it.
    std::optional<double> generateWithOptions();
    // Asks the generator's options and shows the password; tests script it.
    std::function<std::optional<QString>(const PasswordGenerator&, GeneratorOptions&)> askGenerator;

    // The stored fields of the shown record (type code first); empty for a
    // new record or none.
    QStringList storedFields() const;
    QString currentKey() const { return m_currentKey; }

    bool isDirty() const { return m_dirty; }
    void setDirty(bool dirty);
    // No record shown any more: nothing unsaved, nothing new, no key.
    void forget();

    void focusFirstBox();

signals:
    void dirtyChanged(bool dirty);
    // Enter in one of the one-line boxes.
    void saveRequested();

private:
    void fillBoxes(const QString& key);
    const PasswordGenerator& generator();
    // The old password may go: true to go on (the old one in the notes if wanted).
    bool confirmOverwrite();
    void putPassword(const QString& password);
    void clearBoxes();
    void markChanged();
    bool checkBoxes();
    static qsizetype positionOf(const QString& key);
    qsizetype storedPosition() const;

    VaultServices& m_s;
    QString m_currentKey;
    bool m_dirty = false;

    // The one-line box that shows field (not the category or the notes).
    QLineEdit* boxFor(PasswordRecord::Field field) const;
    QLineEdit* m_userCode;
    QComboBox* m_category;
    QLineEdit* m_description;
    QLineEdit* m_password;
    QLabel* m_passwordConfirmCaption;
    QLineEdit* m_passwordConfirm;
    QLineEdit* m_email;
    QLineEdit* m_webSite;
    QPlainTextEdit* m_notes;
    QLineEdit* m_expiryDate;
    QLabel* m_newMark;
    std::unique_ptr<PasswordGenerator> m_generator;
};

} // namespace tavrino

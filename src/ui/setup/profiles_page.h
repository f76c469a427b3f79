#pragma once

#include "ui/setup/login_prompt.h"
#include "ui/setup/setup_page.h"

#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QPushButton;

namespace tavrino {

// The profiles in the database folder: creating one (sealed if wished),
// deleting one, and sealing or unsealing the open one.
class ProfilesPage : public SetupPage {
    Q_OBJECT
public:
    explicit ProfilesPage(VaultServices& services);

    SetupTools enter() override;
    void add() override;
    void save() override;
    void cancel() override;
    bool canRemove() const override { return true; }
    void remove() override;

    // Asks for the open profile's login again (tests answer it).
    std::function<std::optional<TypedLogin>(int loginMode, const QString& why)> askLogin;
    // Asks for a database folder, starting at the current one; empty when
    // the user chose none (tests answer it).
    std::function<QString(const QString& current)> chooseFolder;
    // Ask for the CSV file to import from, or to export to; empty when the
    // user chose none (tests answer them).
    std::function<QString()> chooseImportFile;
    std::function<QString()> chooseExportFile;

    // Import...: another manager's CSV export (or Tavrino's) into the open
    // profile, saved at once, with a report of each row changed or skipped.
    void importRecords();
    // Export...: the open profile's records as CSV, for this user alone.
    void exportRecords();

signals:
    // The profiles are now those of another folder: the open one is left.
    void databaseFolderChanged();
    // Imported records were saved: the vault's list shows them.
    void recordsImported();

private:
    void fillList();
    void showSealing();
    void onCreateSealedClicked();
    void onSealClicked(bool seal);
    void onChangeFolderClicked();
    bool confirmLogin(const QString& why);

    QComboBox* m_profiles;
    QPushButton* m_createSealed;
    QPushButton* m_seal;
    QPushButton* m_unseal;
    QLabel* m_folder;
    QPushButton* m_changeFolder;
    QPushButton* m_import;
    QPushButton* m_export;
    bool m_creatingSealed = false;
};

} // namespace tavrino

#pragma once

#include "crypto/password_generator.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace tavrino {

class SettingsStore;

// The generator's options beside a password made with them and its
// strength; "Use this password" takes it and remembers the options.
class GeneratorDialog : public QDialog {
    Q_OBJECT
public:
    GeneratorDialog(const PasswordGenerator& generator, const GeneratorOptions& options,
                    QWidget* parent = nullptr);

    GeneratorOptions options() const;
    QString password() const;

    // The options remembered on this workstation.
    static GeneratorOptions remembered(const SettingsStore& settings);
    static void remember(SettingsStore& settings, const GeneratorOptions& options);

public slots:
    void generateAgain();

private:
    void showOptions(const GeneratorOptions& options);
    void enableForKind();

    const PasswordGenerator& m_generator;
    QButtonGroup* m_kind;
    QSpinBox* m_length;
    QCheckBox* m_upper;
    QCheckBox* m_lower;
    QCheckBox* m_digits;
    QCheckBox* m_symbols;
    QCheckBox* m_noLookAlikes;
    QSpinBox* m_words;
    QLineEdit* m_separator;
    QLineEdit* m_password;
    QLabel* m_strength;
    QPushButton* m_use;
};

} // namespace tavrino

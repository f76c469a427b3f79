#pragma once

#include <QString>
#include <QStringList>

namespace tavrino {

// What the security page holds when Save is pressed.
struct SecurityForm {
    int loginMode = 1; // 1, 2, 3
    QString password;
    QString confirm;
    QString userId;
    QString pin;
    QStringList questions;   // three rows
    QStringList answers;     // three rows
    int answersRequired = 1; // 1, 2, 3
    // The login saved would still be a new profile's (password QUILT).
    bool defaultLogin = true;
};

// The message that refuses the form ("" when it may be saved). Of the
// credential checks only the last failing one speaks.
QString securityCheckMessage(const SecurityForm& form);

// The ten asterisks the password boxes show instead of the stored password.
extern const QString PasswordMask;

} // namespace tavrino

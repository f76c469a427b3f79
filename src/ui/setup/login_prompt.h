#pragma once

#include <QDialog>

#include <optional>

class QLineEdit;

namespace tavrino {

// What a login asks for: the parts its mode uses, as typed.
struct TypedLogin {
    QString userId;
    QString password;
    QString pin;
};

// Asks for the open profile's login again before a step that changes how
// the profile is protected.
class LoginPrompt : public QDialog {
    Q_OBJECT
public:
    LoginPrompt(int loginMode, const QString& why, QWidget* parent = nullptr);
    TypedLogin typed() const;

    // Shows the prompt; nothing when the user cancels.
    static std::optional<TypedLogin> ask(int loginMode, const QString& why, QWidget* parent);

private:
    QLineEdit* m_userId = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_pin = nullptr;
};

} // namespace tavrino

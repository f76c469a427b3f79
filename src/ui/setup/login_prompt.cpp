#include "login_prompt.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace tavrino {

LoginPrompt::LoginPrompt(int loginMode, const QString& why, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Login"));
    setAccessibleName(windowTitle());
    auto* form = new QFormLayout(this);
    auto* reason = new QLabel(why, this);
    reason->setWordWrap(true);
    form->addRow(reason);
    auto box = [&](const QString& caption, bool secret) {
        auto* edit = new QLineEdit(this);
        edit->setAccessibleName(caption);
        if (secret) edit->setEchoMode(QLineEdit::Password);
        form->addRow(caption, edit);
        return edit;
    };
    if (loginMode >= 2) m_userId = box(QStringLiteral("User ID"), false);
    m_password = box(QStringLiteral("Password"), true);
    if (loginMode >= 3) m_pin = box(QStringLiteral("PIN Number"), false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

TypedLogin LoginPrompt::typed() const {
    return {m_userId ? m_userId->text() : QString(), m_password->text(),
            m_pin ? m_pin->text() : QString()};
}

std::optional<TypedLogin> LoginPrompt::ask(int loginMode, const QString& why, QWidget* parent) {
    LoginPrompt prompt(loginMode, why, parent);
    if (prompt.exec() != QDialog::Accepted) return std::nullopt;
    return prompt.typed();
}

} // namespace tavrino

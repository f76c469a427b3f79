#include "command_bars.h"

#include "ui/desktop/flat_button.h"
#include "ui/desktop/accessibility.h"
#include "ui/vault/vault_layout.h"

#include <QFrame>
#include <QLabel>

namespace tavrino {

using namespace vaultlayout;

CommandBars::CommandBars(QWidget* window) : QObject(window) {
    m_menuBar = panel(window, QStringLiteral("menuBar"), twips(690, 780, 4065, 675));
    m_buttons[Setup] = barButton(m_menuBar, 0, QStringLiteral("Setup User Preferences"));
    m_title = new QLabel(QStringLiteral("Tavrino Password Manager"), m_menuBar);
    m_title->setGeometry(0, 0, m_menuBar->width(), m_menuBar->height());
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setStyleSheet(QStringLiteral("color: #1d2b4a; font-weight: bold; font-size: 15px;"));
    m_version = new QLabel(QStringLiteral("Tavrino 3.0"), m_menuBar);
    m_version->setGeometry(72, 10, m_menuBar->width() - 80, 26);
    m_version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_version->setStyleSheet(QStringLiteral("color: #4a5a7a; font-weight: bold;"));

    m_passwordBar = panel(window, QStringLiteral("passwordBar"), twips(690, 765, 4065, 675));
    m_buttons[Generate] = barButton(m_passwordBar, 0, QStringLiteral("Generate Random Password"));
    m_buttons[Popup] = barButton(m_passwordBar, 1, QStringLiteral("Display User/Password Popup"));

    m_toolsBar = panel(window, QStringLiteral("toolsBar"), twips(690, 5520, 4065, 675));
    m_buttons[Help] = barButton(m_toolsBar, 0, QStringLiteral("Open Online Help"));
    m_buttons[New] = barButton(m_toolsBar, 1, QStringLiteral("Add New Record"));
    m_buttons[Lost] = barButton(m_toolsBar, 2, QStringLiteral("Show secret questions"));
    m_buttons[Login] = barButton(m_toolsBar, 3, QStringLiteral("Login to Tavrino"));

    m_recordBar = panel(window, QStringLiteral("recordBar"), twips(690, 5520, 4065, 675));
    m_buttons[Delete] = barButton(m_recordBar, 0, QStringLiteral("Delete this Record"));
    m_buttons[Undo] = barButton(m_recordBar, 1, QStringLiteral("Cancel changes"));
    m_buttons[Save] = barButton(m_recordBar, 2, QStringLiteral("Save record changes"));
    m_buttons[Back] = barButton(m_recordBar, 3, QStringLiteral("Login to Tavrino"));

    for (int c = 0; c < CommandCount; ++c) {
        const auto command = static_cast<Command>(c);
        connect(m_buttons[c], &FlatButton::clicked, this, [this, command] { emit triggered(command); });
    }
    showFor(VaultView::Login, false, true);
}

QList<FlatButton*> CommandBars::buttons() const {
    return {m_buttons.begin(), m_buttons.end()};
}

QList<QFrame*> CommandBars::bars() const {
    return {m_menuBar, m_passwordBar, m_toolsBar, m_recordBar};
}

void CommandBars::dress() {
    static const char* const captions[CommandCount] = {
        "SETUP", "LOST", "LOGIN", "HELP", "NEW", "SAVE", "UNDO", "BACK", "@PWD*", "POPUP", "DELETE"};
    for (int c = 0; c < CommandCount; ++c) {
        FlatButton* b = m_buttons[c];
        b->setBackColor(QColor(225, 225, 245));
        b->setBorderColor(Qt::black);
        b->setFlash(QColor(245, 245, 90));
        b->setCaption(QString::fromLatin1(captions[c]));
        b->setTip(b->toolTip());
        QStringList keys;
        for (const QKeySequence& k : keysOf(static_cast<Command>(c)))
            keys << k.toString(QKeySequence::PortableText);
        setPressKeys(b, keys);
        b->resetHighlight();
    }
}

bool CommandBars::press(Command command) {
    FlatButton* b = m_buttons[command];
    if (!b->isVisible() || !b->isEnabled()) return false;
    b->click();
    return true;
}

QList<QKeySequence> CommandBars::keysOf(Command command) {
    switch (command) {
    case Setup: return {QKeySequence(Qt::ALT | Qt::Key_S)};
    case Lost: return {QKeySequence(Qt::ALT | Qt::Key_Q)};
    case Login: return {QKeySequence(Qt::ALT | Qt::Key_L)};
    case Help: return {QKeySequence(Qt::Key_F1)};
    case New: return {QKeySequence(Qt::ALT | Qt::Key_N), QKeySequence(Qt::CTRL | Qt::Key_N)};
    case Save: return {QKeySequence(Qt::CTRL | Qt::Key_S)};
    case Undo: return {QKeySequence(Qt::ALT | Qt::Key_U)};
    case Back: return {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::ALT | Qt::Key_B)};
    case Generate: return {QKeySequence(Qt::ALT | Qt::Key_G)};
    case Popup: return {QKeySequence(Qt::ALT | Qt::Key_P)};
    case Delete: return {QKeySequence(Qt::ALT | Qt::Key_D)};
    }
    return {};
}

void CommandBars::resetHighlights() {
    for (FlatButton* b : m_buttons)
        b->resetHighlight();
}

void CommandBars::showFor(VaultView view, bool dirty, bool questionsOffered) {
    const bool login = view == VaultView::Login;
    const bool record = view == VaultView::Record;
    // Unsaved changes put the record bar at the bottom wherever they are.
    const bool recordBar = record || dirty;

    m_menuBar->setVisible(!record);
    m_title->setVisible(login);
    m_version->setVisible(!login);
    m_buttons[Setup]->setVisible(view == VaultView::Tree);
    m_passwordBar->setVisible(record);

    m_toolsBar->setVisible(!recordBar);
    m_buttons[New]->setVisible(view == VaultView::Tree);
    m_buttons[Lost]->setVisible(login && questionsOffered);
    m_buttons[Login]->setVisible(login);

    m_recordBar->setVisible(recordBar);
    m_buttons[Save]->setVisible(dirty);
    m_buttons[Undo]->setVisible(dirty);
    m_buttons[Back]->setVisible(record);
}

} // namespace tavrino

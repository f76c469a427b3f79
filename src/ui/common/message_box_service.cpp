#include "message_box_service.h"

#include "ui/common/long_message_dialog.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>

namespace tavrino {

MsgAnswer MessageBoxService::show(const Message& message) {
    // A message box grows with its text until its buttons leave the screen.
    if (LongMessageDialog::isLong(message.text)) {
        LongMessageDialog dialog(message, QApplication::activeWindow());
        dialog.exec();
        return dialog.answer();
    }
    QMessageBox box(QApplication::activeWindow());
    box.setText(message.text);
    box.setWindowTitle(message.title);
    switch (message.icon) {
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::None:
        break;
    }
    QList<std::pair<QMessageBox::StandardButton, MsgAnswer>> buttons;
    switch (message.buttons) {
    case MsgButtons::Ok:
        buttons = {{QMessageBox::Ok, MsgAnswer::Ok}};
        break;
    case MsgButtons::OkCancel:
        buttons = {{QMessageBox::Ok, MsgAnswer::Ok}, {QMessageBox::Cancel, MsgAnswer::Cancel}};
        break;
    case MsgButtons::YesNo:
        buttons = {{QMessageBox::Yes, MsgAnswer::Yes}, {QMessageBox::No, MsgAnswer::No}};
        break;
    case MsgButtons::YesNoCancel:
        buttons = {{QMessageBox::Yes, MsgAnswer::Yes},
                   {QMessageBox::No, MsgAnswer::No},
                   {QMessageBox::Cancel, MsgAnswer::Cancel}};
        break;
    }
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        QPushButton* added = box.addButton(buttons[i].first);
        if (i < message.buttonTexts.size()) {
            // Its own caption, without the standard button's picture (a
            // cross beside "Keep both" would read as Cancel).
            added->setText(message.buttonTexts[i]);
            added->setIcon(QIcon());
            added->setAccessibleName(message.buttonTexts[i]);
        }
    }
    const int defaultIndex = qBound(1, message.defaultButton, static_cast<int>(buttons.size())) - 1;
    box.setDefaultButton(buttons[defaultIndex].first);
    const auto clicked = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const auto& [button, answer] : buttons)
        if (button == clicked) return answer;
    // Closed by Escape or the title bar: the cancelling answer.
    return message.buttons == MsgButtons::YesNo ? MsgAnswer::No
           : message.buttons == MsgButtons::Ok  ? MsgAnswer::Ok
                                                : MsgAnswer::Cancel;
}

} // namespace tavrino

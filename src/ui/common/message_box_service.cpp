#include "message_box_service.h"

#include "ui/common/long_message_dialog.h"
#include "ui/common/message_buttons.h"

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
    const auto buttons = buttonsOf(message.buttons);
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        QPushButton* added = box.addButton(QMessageBox::StandardButton(buttons[i].first));
        if (i < message.buttonTexts.size()) {
            // Its own caption, without the standard button's picture (a
            // cross beside "Keep both" would read as Cancel).
            added->setText(message.buttonTexts[i]);
            added->setIcon(QIcon());
            added->setAccessibleName(message.buttonTexts[i]);
        }
    }
    const int defaultIndex = qBound(1, message.defaultButton, static_cast<int>(buttons.size())) - 1;
    box.setDefaultButton(QMessageBox::StandardButton(buttons[defaultIndex].first));
    const int clicked = box.exec();
    for (const auto& [button, answer] : buttons)
        if (int(button) == clicked) return answer;
    return closedAnswer(message.buttons);
}

} // namespace tavrino

#pragma once

#include <QString>
#include <QStringList>

namespace tavrino {

enum class MsgIcon { None, Critical, Question, Warning, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// One modal message. The default button is counted from 1 in the order of
// the button set (Yes = 1, No = 2, Cancel = 3 for YesNoCancel).
struct Message {
    QString text;
    QString title = QStringLiteral("Tavrino");
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    int defaultButton = 1;
    // Captions in place of the standard ones, in the order of the set.
    QStringList buttonTexts = {};
};

// Every message box of the program goes through this, so the core can ask
// without knowing about widgets and tests can answer and read back each one.
class MessageService {
public:
    virtual ~MessageService() = default;
    virtual MsgAnswer show(const Message& message) = 0;

    MsgAnswer show(const QString& text, const QString& title = QStringLiteral("Tavrino"),
                   MsgIcon icon = MsgIcon::None, MsgButtons buttons = MsgButtons::Ok,
                   int defaultButton = 1) {
        return show(Message{text, title, icon, buttons, defaultButton});
    }
};

} // namespace tavrino

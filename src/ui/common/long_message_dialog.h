#pragma once

#include "shell/message_service.h"

#include <QDialog>

namespace tavrino {

// A message too long for a message box (an import report of many rows): its
// text in a box that scrolls and can be selected, a Copy button, and the
// message's own buttons; resizable, and never larger than the screen.
class LongMessageDialog : public QDialog {
    Q_OBJECT
public:
    explicit LongMessageDialog(const Message& message, QWidget* parent = nullptr);

    MsgAnswer answer() const { return m_answer; }
    // More lines than a message box shows well.
    static bool isLong(const QString& text);

private:
    MsgAnswer m_answer;
};

} // namespace tavrino

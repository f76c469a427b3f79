#pragma once

#include "shell/message_service.h"

class QWidget;

namespace tavrino {

// The program's message boxes: modal QMessageBox over the active window.
class MessageBoxService : public MessageService {
public:
    using MessageService::show;
    MsgAnswer show(const Message& message) override;
};

} // namespace tavrino

#include "kept_change_question.h"

#include "shell/message_service.h"
#include "store/kept_changes.h"

#include <QFileInfo>

namespace tavrino {

KeptChangeQuestion::Answer KeptChangeQuestion::ask(KeptChanges& kept, MessageService& messages) {
    const QStringList files = kept.profiles();
    if (files.isEmpty()) return {};
    QStringList names;
    for (const QString& file : files)
        names << QFileInfo(file).completeBaseName();
    const QString list = names.join(QStringLiteral(", "));
    Message question{
        QStringLiteral("Your change to the profile %1 is not saved yet: another user changed its "
                       "login, so it is kept to be saved once you have logged in to it.\r\n"
                       "Closing Tavrino now would lose it.")
            .arg(list),
        QStringLiteral("Tavrino"), MsgIcon::Warning, MsgButtons::YesNoCancel, 1};
    question.buttonTexts = {QStringLiteral("Save after login"), QStringLiteral("Discard"),
                            QStringLiteral("Cancel")};
    switch (messages.show(question)) {
    case MsgAnswer::Yes: return {false, names.first()};
    case MsgAnswer::No: kept.discardAll(); return {};
    default: return {false, QString()};
    }
}

} // namespace tavrino

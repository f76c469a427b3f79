#pragma once

#include "shell/message_service.h"

#include <QDialogButtonBox>
#include <QList>

#include <utility>

namespace tavrino {

// A message's button set as standard buttons, each with what it answers, in
// the set's order. QMessageBox's standard buttons have the same values.
inline QList<std::pair<QDialogButtonBox::StandardButton, MsgAnswer>> buttonsOf(MsgButtons set) {
    switch (set) {
    case MsgButtons::OkCancel:
        return {{QDialogButtonBox::Ok, MsgAnswer::Ok}, {QDialogButtonBox::Cancel, MsgAnswer::Cancel}};
    case MsgButtons::YesNo:
        return {{QDialogButtonBox::Yes, MsgAnswer::Yes}, {QDialogButtonBox::No, MsgAnswer::No}};
    case MsgButtons::YesNoCancel:
        return {{QDialogButtonBox::Yes, MsgAnswer::Yes},
                {QDialogButtonBox::No, MsgAnswer::No},
                {QDialogButtonBox::Cancel, MsgAnswer::Cancel}};
    case MsgButtons::Ok:
        break;
    }
    return {{QDialogButtonBox::Ok, MsgAnswer::Ok}};
}

// A message closed by Escape or the title bar: the cancelling answer.
inline MsgAnswer closedAnswer(MsgButtons set) {
    return set == MsgButtons::YesNo ? MsgAnswer::No
           : set == MsgButtons::Ok  ? MsgAnswer::Ok
                                    : MsgAnswer::Cancel;
}

} // namespace tavrino

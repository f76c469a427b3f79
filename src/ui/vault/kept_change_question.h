#pragma once

#include <QString>

namespace tavrino {

class KeptChanges;
class MessageService;

// Before the program ends: a change kept for a profile until its next login
// (another workstation changed that login) is never dropped without asking.
// The user can go and log in to save it, discard it, or stay.
class KeptChangeQuestion {
public:
    struct Answer {
        bool close = true;
        QString logInTo; // the profile to log in to, to save its change
    };
    static Answer ask(KeptChanges& kept, MessageService& messages);
};

} // namespace tavrino

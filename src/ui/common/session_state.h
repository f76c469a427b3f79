#pragma once

#include <QDateTime>

namespace tavrino {

// What the windows share for the life of the program.
struct SessionState {
    bool isFilling = false;      // controls are being filled by code: no change counts
    bool showByCategory = false; // the tree groups by category, else by letter
    int autoLockMinutes = -1;    // -1: no auto-lock
    QDateTime lastActivity;
    bool loginOk = false;
    int pageNumber = 0; // the last printed page footer, counted on across printouts
};

} // namespace tavrino

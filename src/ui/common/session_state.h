#pragma once

#include <QDateTime>

namespace tavrino {

// What the windows share for the life of the program.
struct SessionState {
    bool IsFilling = false;      // controls are being filled by code: no change counts
    bool ShowByCategory = false; // the tree groups by category, else by letter
    int AutoLockMinutes = -1;    // -1: no auto-lock
    QDateTime LastActivity;
    bool LoginOK = false;
    int PageNumber = 0; // the last printed page footer, counted on across printouts
};

} // namespace tavrino

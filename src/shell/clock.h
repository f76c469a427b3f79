#pragma once

#include <QDateTime>

namespace tavrino {

// Where the program asks for the time, so tests can move it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const { return QDateTime::currentDateTime(); }
};

// Waits between retries go through here: 3000 ms in the program, nothing in tests.
class PauseService {
public:
    virtual ~PauseService() = default;
    virtual void pause(int milliseconds) = 0;
};

// Sleeps for real; the window stays unpainted meanwhile, as the retries block
// the one user-interface thread.
class SleepingPause : public PauseService {
public:
    void pause(int milliseconds) override;
};

} // namespace tavrino

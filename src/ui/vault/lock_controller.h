#pragma once

#include "ui/common/vault_services.h"

#include <QObject>

class QTimer;

namespace tavrino {

// When the vault locks by itself: after the idle time of the auto-lock
// setting, counted from the last key or mouse movement over the window; and
// when the record popup has been up for a minute.
class LockController : public QObject {
    Q_OBJECT
public:
    LockController(VaultServices& services, QObject* parent);

    // Something the user did: the idle time starts again.
    void noteActivity();

    // After a login: the idle check runs when the Timer setting asks for it.
    void startAfterLogin();
    void stop();
    bool isRunning() const;

    // While a modal window is open over the vault the idle check waits; it
    // runs again where auto-lock is still on and the user still logged in.
    void hold();
    void resume();

    // How often the idle time is looked at, at the most.
    static constexpr int IdleCheckMs = 60000;
    // When the next look comes (the full interval, or sooner when the limit is near).
    int nextCheckMs() const;

    // The check each tick makes (public so a test can tick by hand).
    void checkIdle();

    void startPopupTimer();
    bool popupTimerRunning() const;
    // The popup timer's tick.
    void popupTimeUp();

signals:
    void lockDue();
    void popupDue();

private:
    VaultServices& m_s;
    QTimer* m_idleTimer;
    QTimer* m_popupTimer;
};

} // namespace tavrino

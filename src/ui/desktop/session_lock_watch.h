#pragma once

#include <QDBusConnection>
#include <QObject>

namespace tavrino {

// Tells when the desktop session locks or the machine goes to sleep, so
// the vault can lock too: logind's Session.Lock and Manager.PrepareForSleep
// on the system bus, the screen savers' ActiveChanged on the session bus.
// A bus that is not there is simply not listened to.
class SessionLockWatch : public QObject {
    Q_OBJECT
public:
    explicit SessionLockWatch(QObject* parent = nullptr);
    // Tests give a private bus for both.
    SessionLockWatch(const QDBusConnection& systemBus, const QDBusConnection& sessionBus,
                     QObject* parent = nullptr);

    // How many of the signals are listened to.
    int listening() const { return m_listening; }

signals:
    void sessionLocked();

private slots:
    void onSessionLock();
    void onPrepareForSleep(bool sleeping);
    void onScreenSaverActive(bool active);

private:
    void listen(const QDBusConnection& systemBus, const QDBusConnection& sessionBus);
    int m_listening = 0;
};

} // namespace tavrino

#include "session_lock_watch.h"

namespace tavrino {

SessionLockWatch::SessionLockWatch(QObject* parent) : QObject(parent) {
    listen(QDBusConnection::systemBus(), QDBusConnection::sessionBus());
}

SessionLockWatch::SessionLockWatch(const QDBusConnection& systemBus,
                                   const QDBusConnection& sessionBus, QObject* parent)
    : QObject(parent) {
    listen(systemBus, sessionBus);
}

void SessionLockWatch::listen(const QDBusConnection& systemBus, const QDBusConnection& sessionBus) {
    const QString login1 = QStringLiteral("org.freedesktop.login1");
    // Any session's Lock: logind sends it to the session object whose
    // screen is to be locked ("loginctl lock-session(s)").
    if (systemBus.isConnected()) {
        QDBusConnection bus = systemBus;
        m_listening += bus.connect(QString(), QString(), login1 + QStringLiteral(".Session"),
                                   QStringLiteral("Lock"), this, SLOT(onSessionLock()));
        m_listening +=
            bus.connect(QString(), QStringLiteral("/org/freedesktop/login1"),
                        login1 + QStringLiteral(".Manager"), QStringLiteral("PrepareForSleep"),
                        this, SLOT(onPrepareForSleep(bool)));
    }
    if (sessionBus.isConnected()) {
        QDBusConnection bus = sessionBus;
        for (const QString& saver : {QStringLiteral("org.freedesktop.ScreenSaver"),
                                     QStringLiteral("org.gnome.ScreenSaver")})
            m_listening += bus.connect(QString(), QString(), saver, QStringLiteral("ActiveChanged"),
                                       this, SLOT(onScreenSaverActive(bool)));
    }
}

void SessionLockWatch::onSessionLock() {
    emit sessionLocked();
}

void SessionLockWatch::onPrepareForSleep(bool sleeping) {
    if (sleeping) emit sessionLocked();
}

void SessionLockWatch::onScreenSaverActive(bool active) {
    if (active) emit sessionLocked();
}

} // namespace tavrino

#include "profile_watch.h"

#include "store/held_file.h"
#include "store/profile_store.h"

#include <mutex>
#include <thread>

namespace tavrino {

struct ProfileWatch::Receiver {
    std::mutex mutex;
    ProfileWatch* watch = nullptr; // none once the watch is gone
};

ProfileWatch::ProfileWatch(ProfileStore& store, QObject* parent)
    : QObject(parent), m_store(store), m_receiver(std::make_shared<Receiver>()),
      m_read([](const QString& path, QByteArray& content) { return FileOps::readAll(path, content); }) {
    m_receiver->watch = this;
    m_timer.setInterval(DefaultIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &ProfileWatch::lookNow);
}

ProfileWatch::~ProfileWatch() {
    m_timer.stop();
    // A look in flight finds nobody to answer to; one that hangs is left.
    const std::lock_guard<std::mutex> lock(m_receiver->mutex);
    m_receiver->watch = nullptr;
}

void ProfileWatch::looked(const Look& look) {
    m_looking = false;
    if (!m_timer.isActive() || look.look.isEmpty()) return;
    if (!look.seenBefore) m_seen = look;
    emit changed(m_seen.look, m_seen.content);
}

void ProfileWatch::start() {
    m_timer.start();
}

void ProfileWatch::stop() {
    m_timer.stop();
    m_seen = Look(); // a lock: nothing of the profile kept
}

void ProfileWatch::lookNow() {
    if (m_looking) return; // the last look still hangs: no pile of them
    m_looking = true;
    // A thread of its own, never joined: the program must be able to end
    // while a look hangs on a share that stopped answering.
    std::thread([receiver = m_receiver, path = m_store.profile().ProfilePath,
                 known = m_store.knownLook(), seen = m_seen.look, read = m_read] {
        const Look look = lookAt(path, known, seen, read);
        const std::lock_guard<std::mutex> lock(receiver->mutex);
        if (receiver->watch)
            QMetaObject::invokeMethod(
                receiver->watch, [watch = receiver->watch, look] { watch->looked(look); },
                Qt::QueuedConnection);
    }).detach();
}

ProfileWatch::Look ProfileWatch::lookAt(const QString& path, const QByteArray& known,
                                        const QByteArray& seen, const Reader& read) {
    Look result;
    // One call while nothing changed (the common look).
    const QByteArray look = FileOps::lookOf(path);
    if (look.isEmpty() || look == known) return result;
    if (look == seen) {
        result.look = look;
        result.seenBefore = true;
        return result;
    }
    // A save in progress: read once it has landed.
    if (FileOps::exists(path + QStringLiteral(".bak"))) return result;
    if (read(path, result.content) != 0) return result;
    // Changed while we read: the next look reads it whole.
    if (FileOps::lookOf(path) != look) return result;
    result.look = look;
    return result;
}

} // namespace tavrino

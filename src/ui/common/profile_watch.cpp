#include "profile_watch.h"

#include "store/held_file.h"
#include "store/profile_store.h"

#include <QtConcurrent/QtConcurrentRun>

namespace tavrino {

ProfileWatch::ProfileWatch(ProfileStore& store, QObject* parent)
    : QObject(parent), m_store(store),
      m_read([](const QString& path, QByteArray& content) { return FileOps::readAll(path, content); }) {
    m_timer.setInterval(DefaultIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &ProfileWatch::lookNow);
    connect(&m_looking, &QFutureWatcher<Look>::finished, this, [this] {
        const Look look = m_looking.result();
        if (!m_timer.isActive() || look.look.isEmpty()) return;
        if (!look.seenBefore) m_seen = look;
        emit changed(m_seen.look, m_seen.content);
    });
}

ProfileWatch::~ProfileWatch() {
    m_timer.stop();
    m_looking.waitForFinished();
}

void ProfileWatch::start() {
    m_timer.start();
}

void ProfileWatch::stop() {
    m_timer.stop();
    m_seen = Look(); // a lock: nothing of the profile kept
}

void ProfileWatch::lookNow() {
    if (m_looking.isRunning()) return; // the last look still hangs: no pile of them
    m_looking.setFuture(QtConcurrent::run(&ProfileWatch::lookAt, m_store.profile().ProfilePath,
                                          m_store.knownLook(), m_seen.look, m_read));
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

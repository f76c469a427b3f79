#include "single_instance.h"

#include <QCursor>
#include <QDir>
#include <QGuiApplication>
#include <QLockFile>

#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace tavrino {

SingleInstance::SingleInstance(QString lockPath) : m_path(std::move(lockPath)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::isPrivateFolder(const QString& folder) {
    struct stat st {};
    return !folder.isEmpty() && ::lstat(QFile::encodeName(folder).constData(), &st) == 0 &&
           S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 0077) == 0;
}

QString SingleInstance::privateRuntimeFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (isPrivateFolder(runtime)) return runtime;
    // Qt makes /tmp/runtime-USER (0700) where the variable is unset, and
    // refuses one of another user's; checked again all the same.
    const QString made = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return made != runtime && isPrivateFolder(made) ? made : QString();
}

QString SingleInstance::defaultLockPath() {
    const QString folder = privateRuntimeFolder();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/tavrino-%1.lock").arg(getuid());
}

bool SingleInstance::IsPrevInstance() {
    if (m_path.isEmpty()) return false; // no private folder: nothing to share
    if (m_lock && m_lock->isLocked()) return false;
    m_lock = std::make_unique<QLockFile>(m_path);
    // Only a dead owner makes a lock stale; a long-running copy must keep it.
    m_lock->setStaleLockTime(0);
    return !m_lock->tryLock(0);
}

namespace {
bool addressOf(const QString& path, sockaddr_un& address) {
    const QByteArray name = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (name.size() >= static_cast<qsizetype>(sizeof address.sun_path)) return false;
    std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
    return true;
}
} // namespace

InstanceDoorbell::InstanceDoorbell(QString socketPath, QObject* parent)
    : QObject(parent), m_path(std::move(socketPath)) {}

InstanceDoorbell::~InstanceDoorbell() {
    if (m_fd < 0) return;
    ::close(m_fd);
    ::unlink(QFile::encodeName(m_path).constData());
}

QString InstanceDoorbell::defaultSocketPath() {
    QString lock = SingleInstance::defaultLockPath();
    if (lock.isEmpty()) return {};
    lock.chop(int(qstrlen(".lock")));
    return lock + QStringLiteral(".bell");
}

bool InstanceDoorbell::listen() {
    sockaddr_un address;
    if (m_path.isEmpty()) return false;
    if (!addressOf(m_path, address)) return false;
    // Only the lock's holder listens, so a socket left by a crashed copy is
    // stale and goes.
    ::unlink(address.sun_path);
    m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_fd < 0) return false;
    // Only this user may ring (the folder is private too where it is the
    // runtime folder; /tmp is not).
    const mode_t before = ::umask(0077);
    const bool bound = ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::umask(before);
    if (!bound || ::listen(m_fd, 4) != 0) {
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &InstanceDoorbell::answer);
    return true;
}

void InstanceDoorbell::answer() {
    for (;;) {
        const int caller = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (caller < 0) return;
        // Another user can not connect to a socket of mode 0600; the peer's
        // identity is checked all the same.
        ucred peer{};
        socklen_t length = sizeof peer;
        const bool ours = ::getsockopt(caller, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 &&
                          peer.uid == ::getuid();
        if (ours) (void)::write(caller, "ok\n", 3);
        ::close(caller);
        if (ours) emit rung();
    }
}

bool InstanceDoorbell::ring(const QString& socketPath) {
    sockaddr_un address;
    if (socketPath.isEmpty() || !addressOf(socketPath, address)) return false;
    // Non-blocking, so that a socket that never accepts (its queue full)
    // can't hold the start up: a running copy that does not answer within
    // a second counts as none.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    bool answered = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        // Only a copy of this user's counts as the running one.
        ucred peer{};
        socklen_t length = sizeof peer;
        pollfd ready{fd, POLLIN, 0};
        char reply[3] = {};
        answered = ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 &&
                   peer.uid == ::getuid() && ::poll(&ready, 1, 1000) == 1 &&
                   ::read(fd, reply, sizeof reply) == 3 && std::memcmp(reply, "ok\n", 3) == 0;
    }
    ::close(fd);
    return answered;
}

namespace {
bool haveGui() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}
} // namespace

void BusyPointer() {
    if (!haveGui()) return;
    if (QGuiApplication::overrideCursor())
        QGuiApplication::changeOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void NormalPointer() {
    if (!haveGui()) return;
    // The pointer is a state, not a stack: one call restores the default.
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

} // namespace tavrino

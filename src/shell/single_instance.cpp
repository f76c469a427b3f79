#include "single_instance.h"

#include <QCursor>
#include <QDir>
#include <QGuiApplication>
#include <QLockFile>

#include <unistd.h>

namespace tavrino {

SingleInstance::SingleInstance(QString lockPath) : m_path(std::move(lockPath)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultLockPath() {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::tempPath();
    return folder + QStringLiteral("/tavrino-%1.lock").arg(getuid());
}

bool SingleInstance::IsPrevInstance() {
    if (m_lock && m_lock->isLocked()) return false;
    m_lock = std::make_unique<QLockFile>(m_path);
    // Only a dead owner makes a lock stale; a long-running copy must keep it.
    m_lock->setStaleLockTime(0);
    return !m_lock->tryLock(0);
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

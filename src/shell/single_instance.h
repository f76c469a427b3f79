#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace tavrino {

// One running copy per user: a lock file in the user's runtime folder. A lock
// left by a crashed copy (its process is gone) is taken over.
class SingleInstance {
public:
    explicit SingleInstance(QString lockPath = defaultLockPath());
    ~SingleInstance();

    // True when another live copy holds the lock.
    bool IsPrevInstance();

    static QString defaultLockPath();

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

// The screen's mouse pointer around slow steps; a no-op without a GUI.
void BusyPointer();
void NormalPointer();

} // namespace tavrino

#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLockFile;
class QSocketNotifier;

namespace tavrino {

// One running copy per user: a lock file in the user's private runtime
// folder. A lock left by a crashed copy (its process is gone) is taken over.
// Without such a folder (another user took its place in /tmp) there is no
// lock to take: nobody can keep the program from starting.
class SingleInstance {
public:
    explicit SingleInstance(QString lockPath = defaultLockPath());
    ~SingleInstance();

    // True when another live copy holds the lock.
    bool IsPrevInstance();

    static QString defaultLockPath();
    // $XDG_RUNTIME_DIR, else what Qt makes in its place (/tmp/runtime-USER),
    // only while it is a folder of this user's that nobody else may enter;
    // empty otherwise.
    static QString privateRuntimeFolder();
    static bool isPrivateFolder(const QString& folder);

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

// How a second start reaches the running copy: a socket of this user's in
// the runtime folder. The running copy listens; a second start rings, and the
// running copy brings its window forward instead of the second one saying
// that it runs already.
class InstanceDoorbell : public QObject {
    Q_OBJECT
public:
    explicit InstanceDoorbell(QString socketPath = defaultSocketPath(), QObject* parent = nullptr);
    ~InstanceDoorbell() override;

    // The running copy: false when the socket can not be made.
    bool listen();
    // A second start: true when a running copy of this user's answered
    // within a second.
    static bool ring(const QString& socketPath = defaultSocketPath());

    static QString defaultSocketPath();

signals:
    void rung();

private:
    void answer();
    QString m_path;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

// The screen's mouse pointer around slow steps; a no-op without a GUI.
void BusyPointer();
void NormalPointer();

} // namespace tavrino

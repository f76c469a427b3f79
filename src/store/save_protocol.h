#pragma once

#include "store/held_file.h"
#include "store/save_watch.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace tavrino {

class Clock;
class ErrorLog;
class FolderListing;

// The shared-folder protocol of a profile file: it moves bytes and knows
// nothing of what they mean.
//
// Between workstations the only lock is the name: a save renames NAME to
// NAME.bak, which no other save can then do, writes the new content aside
// and renames it into place, then removes the ".bak". A ".bak" of somebody
// else's is a save in progress (readers and savers come back later) until
// the SaveWatch finds it abandoned; only then is it recovered, without ever
// destroying a copy. A save lands only while its ".bak" is still the very
// file it made: a saver that stalled past the abandoned age finds that out
// and gives up instead of landing over a later save.
//
// Every call is one attempt and returns at once: waiting between attempts is
// the caller's (a window keeps answering meanwhile, a command-line tool sleeps).
class SaveProtocol {
public:
    // Whether content is a whole profile file at path (a finished save), as
    // the file's format decides; recovery needs it to tell a cut-off save.
    using WholeCheck = std::function<bool(const QString& path, const QByteArray& content)>;

    // Whether the profile whose save left backupContent as path's ".bak"
    // lives on, whole and newer, under another name (a conversion to the
    // other format that was cut off only before its last step).
    using MovedCheck = std::function<bool(const QString& path, const QByteArray& backupContent)>;

    SaveProtocol(const Clock& clock, ErrorLog& log, WholeCheck isWhole);
    void setMovedCheck(MovedCheck check) { m_movedOn = std::move(check); }

    SaveWatch& saveWatch() { return m_watch; }
    void setFolder(const QString& folder) { m_folder = folder; }
    QString folder() const { return m_folder; }

    // Reads the file at path. EBUSY while a save is in progress there, or
    // another workstation holds it with reading denied (try again later);
    // another errno when it can't be read. early: the file's bytes as read
    // before while it looked so, taken instead of reading it again when it
    // still looks exactly so once any cut-off save beside it is settled.
    // seen: how the file read looked (a later look that differs is a
    // newer save).
    struct EarlyRead {
        QByteArray content;
        FileOps::FileLook look;
    };
    int open(const QString& path, QByteArray& content, const EarlyRead* early = nullptr,
             FileOps::FileLook* seen = nullptr);
    // The folder as listed just before the next open: its first look at
    // temporaries and a ".bak" goes by the names instead of asking again.
    // Forgotten by that open.
    void useListing(const FolderListing* listing) { m_hint = listing; }
    // Reads a file that is no profile's current name (no save is waited for).
    int openAside(const QString& path, QByteArray& content);

    // Looks beside path for what a save left: recovers an abandoned one.
    // False while somebody's save is still in progress there.
    bool settle(const QString& path);
    // Runs between judging a ".bak" abandoned and repairing it: tests put
    // another workstation's step there.
    void setBeforeRepair(std::function<void()> step) { m_beforeRepair = std::move(step); }
    // Runs between a commit's last look at its lock and its move into place.
    void setBeforeLanding(std::function<void()> step) { m_beforeLanding = std::move(step); }
    // Runs between a commit's move into place and its look at the lock after it.
    void setAfterLanding(std::function<void()> step) { m_afterLanding = std::move(step); }
    // Runs between the lock's read of the profile and its move to ".bak".
    void setBeforeLockMove(std::function<void()> step) { m_beforeLockMove = std::move(step); }
    // How a file looks, as the file system tells: tests stand in one that
    // tells no more than sshfs does (whole seconds, no change time of its own).
    using LookOf = std::function<FileOps::FileLook(const QString& path)>;
    void setLookOf(LookOf lookOf) { m_lookOf = std::move(lookOf); }

    // Takes the lock: path becomes path.bak. EWOULDBLOCK while another save
    // has the profile (or a workstation holds it with reading denied).
    int lock(const QString& path);
    bool isLocked() const { return m_locked; }
    // What the locked file held when we took it.
    const QByteArray& lockedContent() const { return m_lockedContent; }
    // Once the locked content has told what it had to (its stamp agrees),
    // its memory goes before the new file is made.
    void releaseLockedContent() { m_lockedContent = QByteArray(); }
    // The locked file goes back to its name, unchanged.
    void unlock();
    // Puts content in place of the locked file, which then goes, and the
    // lock ends. On failure the old file is back.
    int commit(const QByteArray& content, const NewFileAccess& access, const QString& target = {});
    // After a commit that landed: why its ".bak" could not be removed (0 when
    // it was). The save stands; the old content is still beside it.
    int backupLeftBehind() const { return m_backupLeft; }
    // A file that does not exist yet (a new profile): no lock.
    int create(const QString& path, const QByteArray& content, const NewFileAccess& access);

    // Whether an error of a step tells that the folder's file system can't
    // do it at all (no rename without replacing, no links, read-only,
    // failing): trying again would not help.
    static bool isUnsupported(int error);
    // The step the last lock, commit or create failed at for that reason,
    // in words; empty otherwise.
    const QString& failedStep() const { return m_failedStep; }

private:
    static int removeWhileOthersLook(const QString& path);
    static bool isHeldElsewhere(int error);
    static QString landingStep(const QString& destination);
    bool ownsLock() const;
    bool lookIsOurs() const;
    void endLock();
    bool recover(const QString& path, const QByteArray& backupContent,
                 const FileSignature& judged);
    void removeTemporaries(const QString& path, bool all);
    int writeAside(const QString& path, const QByteArray& content, const NewFileAccess& access,
                   QString& tempPath);
    // The folder synced after a move into place; else the file goes back aside.
    int syncOrTakeBack(const QString& destination, const QString& tempPath);
    void dropTemporary(const QString& tempPath);
    void logRepair(const QString& description);

    const Clock& m_clock;
    ErrorLog& m_log;
    WholeCheck m_isWhole;
    MovedCheck m_movedOn;
    std::function<void()> m_beforeRepair;
    std::function<void()> m_beforeLanding;
    std::function<void()> m_afterLanding;
    std::function<void()> m_beforeLockMove;
    LookOf m_lookOf = [](const QString& path) { return FileOps::look(path); };
    SaveWatch m_watch;
    QString m_folder;
    // The save in progress: the file we locked, and how the ".bak" looked
    // once we had made it (with a modification time drawn at random), which
    // is how we know it is still ours.
    bool m_locked = false;
    QString m_lockedPath;
    QByteArray m_lockedContent;
    FileOps::FileLook m_lockedLook;
    QByteArray m_lockedEnds;
    int m_backupLeft = 0;
    QString m_failedStep;
    const FolderListing* m_hint = nullptr;
};

} // namespace tavrino

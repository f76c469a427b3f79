#include "save_protocol.h"

#include "shell/clock.h"
#include "shell/error_log.h"
#include "shell/folder_access.h"
#include "store/folder_listing.h"
#include "store/lock_move.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tavrino {
namespace {
const QString Bak = QStringLiteral(".bak");
// Beyond any profile; a larger file is refused before it costs memory.
constexpr qint64 MaxFileBytes = 512LL * 1024 * 1024;

QString randomSuffix() {
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += QLatin1Char(letters[QRandomGenerator::system()->bounded(62)]);
    return suffix;
}

QString fileName(const QString& path) {
    return QFileInfo(path).fileName();
}

// The modification time a lock gives its ".bak": drawn at random from the
// 194 days before now, in whole seconds (what every file system keeps), so
// that no other lock of the same bytes looks like this one, even where the
// file system tells no change time of its own (sshfs: whole seconds, the
// change time the modification time).
qint64 lockTime(qint64 nowSecs) {
    return nowSecs - 1 - QRandomGenerator::system()->bounded(1 << 24);
}

// A folder whose file system can't sync a folder has nothing to sync.
bool folderSynced(int error) {
    return error == 0 || error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EBADF;
}
} // namespace

SaveProtocol::SaveProtocol(const Clock& clock, ErrorLog& log, WholeCheck isWhole)
    : m_clock(clock), m_log(log), m_isWhole(std::move(isWhole)), m_watch(clock),
      m_folder(log.folder()) {}

void SaveProtocol::logRepair(const QString& description) {
    m_log.LogError(QStringLiteral("ReadFromFile"), 0, description);
}

// Nothing is held open: anybody may read and log in while others have the
// profile open; only a save's ".bak" stands between workstations.
int SaveProtocol::open(const QString& path, QByteArray& content, const EarlyRead* early,
                       FileOps::FileLook* seen) {
    FileOps::FileLook ignored;
    FileOps::FileLook& read = seen ? *seen : ignored;
    // Looked at again when the file was missing without a save's lock beside
    // it: a save that has just ended puts its new file there a moment later.
    for (int look = 1;; ++look) {
        // Only the first look may go by the listing: a later one looks anew.
        if (look > 1) m_hint = nullptr;
        const bool settled = settle(path);
        m_hint = nullptr;
        if (!settled) return EBUSY;
        FileOps::FileLook now;
        const bool unchanged = look == 1 && early && early->look.ino != 0 &&
                               (now = FileOps::look(path)) == early->look;
        if (unchanged) {
            content = early->content;
            read = now;
        }
        int error = unchanged ? 0 : FileOps::readAll(path, content, MaxFileBytes, &read);
        // Held with reading denied (a Windows workstation): it passes.
        if (isHeldElsewhere(error)) return EBUSY;
        // A save that began meanwhile may be writing this very file (the
        // Windows version writes in place): read it once that is done.
        const bool saving = FileOps::exists(path + Bak);
        if (!error && !saving) return 0;
        // A file a save moved away under the read: gone, or, where the file
        // system loses an open file that moves (an SMB share through
        // rclone), an input/output error.
        const bool movedAway = error == ENOENT || error == EIO;
        if (saving && (!error || movedAway)) return EBUSY;
        if (!movedAway || look == 3) return error;
    }
}

int SaveProtocol::openAside(const QString& path, QByteArray& content) {
    // Never through a link: anyone who may write the folder could point one
    // at a file of the user's elsewhere.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) return isHeldElsewhere(errno) ? EBUSY : errno;
    const int error = FileOps::readOpen(fd, content, nullptr, MaxFileBytes);
    ::close(fd);
    return isHeldElsewhere(error) ? EBUSY : error;
}

bool SaveProtocol::isUnsupported(int error) {
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EPERM ||
           error == EROFS || error == EIO;
}

QString SaveProtocol::landingStep(const QString& destination) {
    return QStringLiteral("rename a new file to %1 without replacing a file of that name")
        .arg(fileName(destination));
}

bool SaveProtocol::isHeldElsewhere(int error) {
    return FileOps::isHeldElsewhere(error);
}

void SaveProtocol::removeTemporaries(const QString& path, bool all) {
    const QFileInfo info(path);
    // A plain prefix, not a name pattern: a profile's name may hold a
    // pattern's characters, and this runs at every open.
    const QString prefix = info.fileName() + QStringLiteral(".tmp-");
    // The folder as the open listed it a moment ago, where it did: on a
    // network folder a listing is round trips.
    const QStringList names = m_hint ? m_hint->names()
                                     : FolderListing::of(info.absolutePath()).names();
    for (const QString& name : names) {
        if (!name.startsWith(prefix)) continue;
        const QString temp = info.absolutePath() + QLatin1Char('/') + name;
        // A temporary still being written is somebody's save in progress,
        // unless the lock it was written under is being recovered: then its
        // saver has stalled or died, and must not land when it wakes.
        if ((all || m_watch.judge(temp) == SaveWatch::Verdict::Abandoned) &&
            FileOps::remove(temp) == 0) {
            m_watch.forget(temp);
            logRepair(QStringLiteral("Removed %1, left behind by an interrupted save").arg(name));
        }
    }
}

bool SaveProtocol::settle(const QString& path) {
    removeTemporaries(path, false);
    QByteArray backup;
    FileSignature judged;
    if (m_hint && !m_hint->has(fileName(path) + Bak)) {
        m_watch.forget(path + Bak); // no lock there: nothing to judge
        return true;
    }
    switch (m_watch.judge(path + Bak, &backup, &judged)) {
    case SaveWatch::Verdict::Gone:
        return true;
    case SaveWatch::Verdict::InProgress:
        return false;
    case SaveWatch::Verdict::Abandoned:
        break;
    }
    // Its saver is gone or stalled: what it wrote aside goes in the same step.
    removeTemporaries(path, true);
    return recover(path, backup, judged) && !FileOps::exists(path + Bak);
}

// Every step leaves the profile's name on a whole copy, or leaves both files
// as they were; nothing is deleted that is the only copy of anything.
bool SaveProtocol::recover(const QString& path, const QByteArray& backupContent,
                           const FileSignature& judged) {
    const QString backupPath = path + Bak;
    const QString name = fileName(path);
    if (m_beforeRepair) m_beforeRepair();
    // Still the very file judged abandoned, bytes and time: not a new save's
    // lock (which has a time of its own even when it holds the same bytes).
    auto backupUnchanged = [&] { return FileSignature::of(backupPath) == judged; };

    QByteArray current;
    const int error = FileOps::readAll(path, current);
    if (error == ENOENT && m_movedOn && m_movedOn(path, backupContent)) {
        // Its conversion was complete: bringing the old format back would
        // leave the profile in both (a sealed one readable again).
        if (!backupUnchanged() || FileOps::remove(backupPath) != 0) return false;
        FileOps::syncFolder(m_folder);
        m_watch.forget(backupPath);
        logRepair(QStringLiteral("Removed %1.bak, left behind by an interrupted conversion to the "
                                 "other format")
                      .arg(name));
        return true;
    }
    if (error == ENOENT) {
        const int moved = FileOps::renameNoReplace(backupPath, path);
        if (moved != 0) return moved == EEXIST || moved == ENOENT; // recovered by another
        // A time of its own again: a workstation that locks it next without
        // setting one must not look like the abandoned lock.
        FileOps::setModified(path, m_clock.now().toSecsSinceEpoch());
        FileOps::syncFolder(m_folder);
        m_watch.forget(backupPath);
        logRepair(QStringLiteral("Restored %1 from the backup of an interrupted save").arg(name));
        return true;
    }
    if (error) return false;

    if (!current.isEmpty() && m_isWhole(path, current)) {
        // The save was written in full; its backup is the older content.
        if (!backupUnchanged() || FileOps::remove(backupPath) != 0) return false;
        m_watch.forget(backupPath);
        logRepair(QStringLiteral("Removed %1.bak, left behind by an interrupted save").arg(name));
        return true;
    }

    // Cut off: what it holds is kept aside, the backup takes its place.
    QString kept;
    if (!current.isEmpty()) {
        kept = path + QStringLiteral(".damaged");
        HeldFile copy;
        int created = copy.create(kept);
        if (created == EEXIST) {
            kept += QLatin1Char('.') + m_clock.now().toString(QStringLiteral("yyyyMMdd-hhmmsszzz"));
            created = copy.create(kept);
        }
        if (!created) {
            copy.applyAccess(NewFileAccess::forFolder(m_folder));
            created = copy.writeAll(current);
        }
        if (!created) created = copy.sync();
        if (created) {
            FileOps::remove(kept);
            return false;
        }
    }
    if (!backupUnchanged() || FileOps::replace(backupPath, path) != 0) return false;
    FileOps::syncFolder(m_folder);
    m_watch.forget(backupPath);
    logRepair(kept.isEmpty()
                  ? QStringLiteral("%1 was empty; the backup of an interrupted save took its place")
                        .arg(name)
                  : QStringLiteral("%1 was damaged and is kept as %2; the backup of an "
                                   "interrupted save took its place")
                        .arg(name, fileName(kept)));
    return true;
}

int SaveProtocol::lock(const QString& path) {
    const QString backupPath = path + Bak;
    m_failedStep.clear();
    for (int tries = 0;; ++tries) {
        // Not held across the move: a network file system would keep the
        // old name as a hidden file (".fuse_hidden…", ".nfs…") while it is open.
        QByteArray expected;
        FileOps::FileLook before;
        int error = FileOps::readSteady(path, expected, MaxFileBytes, before);
        if (error == ENOENT) {
            error = settle(path) ? FileOps::readAll(path, expected, MaxFileBytes) : EWOULDBLOCK;
            before = {}; // read after a settling: no look to trust
        }
        // Not changed while it was read: then the same file after the move
        // holds the same bytes, which need not be read again.
        const bool steady = before.ino != 0;
        if (isHeldElsewhere(error)) error = EWOULDBLOCK;
        // A time of our own on the ".bak", so that no other lock of the same
        // content looks like this one, to us or to those who watch for
        // abandoned saves.
        const qint64 stampSecs = lockTime(m_clock.now().toSecsSinceEpoch());
        if (!error && m_beforeLockMove) m_beforeLockMove();
        if (!error) {
            m_watch.saveBegins(backupPath, expected, stampSecs);
            error = FileOps::whileOthersLook(
                [&] { return LockMove::take(path, backupPath, expected); });
            // Still open elsewhere (a Windows workstation holds it): in use.
            if (isHeldElsewhere(error)) error = EWOULDBLOCK;
            if (isUnsupported(error)) {
                // Refused because another save moved in that very moment
                // (sshfs answers a link to a name just taken with EPERM):
                // then the profile is busy, not the folder unable.
                if (FileOps::exists(backupPath))
                    error = EEXIST;
                else if (!FileOps::exists(path))
                    error = EWOULDBLOCK;
                else
                    m_failedStep =
                        QStringLiteral("rename %1 to %2 without replacing a file of that name")
                            .arg(fileName(path), fileName(backupPath));
            }
            if (error) m_watch.saveNotBegun(backupPath);
        }
        if (error == EEXIST) {
            // A ".bak" already: somebody's save, or one abandoned.
            if (!settle(path)) return EWOULDBLOCK;
            if (tries == 0) continue;
        }
        if (error) return error;
        m_locked = true;
        m_lockedPath = path;
        // What the lock holds: the profile may have been replaced between
        // our read and the move, so unless the very file we read was moved,
        // it is read again by its new name.
        const bool sameFile = steady && before.sameFileAndContent(FileOps::look(backupPath));
        FileOps::setModified(backupPath, stampSecs);
        if (sameFile)
            m_lockedContent = std::move(expected);
        else if (FileOps::readAll(backupPath, m_lockedContent, MaxFileBytes) != 0)
            m_lockedContent.clear();
        m_lockedLook = m_lookOf(backupPath);
        m_lockedEnds = FileOps::endsDigest(m_lockedContent);
        if (m_lockedLook.size < 0 || m_lockedLook.size != m_lockedContent.size()) {
            endLock();
            return EIO;
        }
        return 0;
    }
}

bool SaveProtocol::ownsLock() const {
    // Its time was drawn at random for this lock; the ends of the file tell
    // another save's content from ours even where the time could not be set.
    return lookIsOurs() && FileOps::endsDigest(m_lockedPath + Bak) == m_lockedEnds;
}

bool SaveProtocol::lookIsOurs() const {
    return m_locked && m_lookOf(m_lockedPath + Bak).sameLook(m_lockedLook);
}

void SaveProtocol::endLock() {
    if (m_locked) m_watch.saveEnded(m_lockedPath + Bak);
    m_locked = false;
    m_lockedContent.clear();
    m_lockedLook = {};
    m_lockedEnds.clear();
}

void SaveProtocol::unlock() {
    if (!m_locked) return;
    const QString path = m_lockedPath;
    if (ownsLock() && FileOps::renameNoReplace(path + Bak, path) == 0)
        FileOps::syncFolder(m_folder);
    endLock();
}

int SaveProtocol::writeAside(const QString& path, const QByteArray& content,
                             const NewFileAccess& access, QString& tempPath) {
    HeldFile temp;
    int error = EEXIST;
    for (int tries = 0; error == EEXIST && tries < 10; ++tries) {
        tempPath = path + QStringLiteral(".tmp-") + randomSuffix();
        m_watch.temporaryBegan(tempPath); // before it exists: a killed saver is known
        error = temp.create(tempPath);
        if (error) m_watch.saveEnded(tempPath);
    }
    if (error) return error;
    temp.applyAccess(access);
    error = temp.writeAll(content);
    if (!error) error = temp.sync();
    // Closed before the move: where the move is a link and an unlink (a
    // network file system), an open file's old name would linger hidden.
    temp.release();
    if (error) dropTemporary(tempPath);
    return error;
}

int SaveProtocol::commit(const QByteArray& content, const NewFileAccess& access,
                         const QString& target) {
    m_backupLeft = 0;
    m_failedStep.clear();
    if (!m_locked) return ENOLCK;
    const QString path = m_lockedPath;
    const QString destination = target.isEmpty() ? path : target;
    // Written aside and renamed into place, so the name always points at a
    // complete file: the old one (as ".bak") or the new one. The rename
    // refuses a file that is there: nobody may have put one while we hold
    // the lock.
    QString tempPath;
    int error = writeAside(path, content, access, tempPath);
    if (!error) {
        // A saver held up past the abandoned age has lost its lock to a
        // recovery, and perhaps to a later save: it must not land.
        if (!ownsLock()) error = ENOLCK;
        // A conversion's new file has another name: the lock's move must be
        // on the disk before it, or a power cut could leave both formats.
        if (!error && destination != path) FileOps::syncFolder(m_folder);
        if (!error && m_beforeLanding) m_beforeLanding();
        if (!error)
            error = FileOps::whileOthersLook(
                [&] { return FileOps::renameNoReplace(tempPath, destination); });
        if (isUnsupported(error)) m_failedStep = landingStep(destination);
        // Our temporary gone before it landed: a recovery of our lock took it.
        if (error == ENOENT && !FileOps::exists(tempPath)) error = ENOLCK;
        if (!error && m_afterLanding) m_afterLanding();
        // Landed in the moment the lock changed hands. While another save's
        // ".bak" holds the profile and our file still stands, ours is taken
        // back so that theirs lands. Otherwise a recovery found our file
        // whole and took it as the profile (it may be the only copy), and
        // any later save was made on top of it: it stays.
        if (!error && !ownsLock() && FileOps::exists(path + Bak) &&
            FileOps::holds(destination, content)) {
            FileOps::renameNoReplace(destination, tempPath);
            error = ENOLCK;
        }
        if (!error) error = syncOrTakeBack(destination, tempPath);
        dropTemporary(tempPath);
    }
    if (error) {
        if (!FileOps::exists(path))
            unlock();
        else
            endLock();
        return error;
    }
    // Only our own ".bak": another's is its save in progress. Its look alone
    // (its time is this lock's own): opening the ".bak" just before removing
    // it made a network file system keep it as a hidden file (the close is
    // told to the server after the removal).
    if (lookIsOurs()) m_backupLeft = removeWhileOthersLook(path + Bak);
    endLock();
    FileOps::syncFolder(m_folder);
    return 0;
}

// Left there, our finished save would hold everybody off until it counts
// as abandoned.
int SaveProtocol::removeWhileOthersLook(const QString& path) {
    return FileOps::whileOthersLook([&] { return FileOps::remove(path); });
}

int SaveProtocol::create(const QString& path, const QByteArray& content,
                         const NewFileAccess& access) {
    QString tempPath;
    int error = writeAside(path, content, access, tempPath);
    if (error) return error;
    // A new profile must not replace another's.
    m_failedStep.clear();
    error = FileOps::renameNoReplace(tempPath, path);
    if (isUnsupported(error)) m_failedStep = landingStep(path);
    if (!error) error = syncOrTakeBack(path, tempPath);
    dropTemporary(tempPath);
    return error;
}

int SaveProtocol::syncOrTakeBack(const QString& destination, const QString& tempPath) {
    const int synced = FileOps::syncFolder(m_folder);
    if (folderSynced(synced)) return 0;
    // Not known to be on the disk: the new file goes back aside while our
    // lock still holds the old one; without it the new file is the profile.
    if (m_locked && !lookIsOurs()) return 0;
    FileOps::renameNoReplace(destination, tempPath);
    return synced;
}

void SaveProtocol::dropTemporary(const QString& tempPath) {
    removeWhileOthersLook(tempPath); // gone already when it was moved into place
    m_watch.saveEnded(tempPath);
}

} // namespace tavrino

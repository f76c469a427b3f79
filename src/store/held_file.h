#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

#include <sys/types.h>

namespace tavrino {

struct NewFileAccess;

// A new file of ours (a save's temporary, a kept copy) while we write it,
// locked for as long as this object lives: an open-file-description write
// lock on the whole file. Profiles themselves are never held: anybody may
// read one while others have it open.
class HeldFile {
public:
    HeldFile() = default;
    ~HeldFile() { release(); }
    HeldFile(HeldFile&& other) noexcept;
    HeldFile& operator=(HeldFile&& other) noexcept;
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // A new file (O_EXCL) for writing, locked from the start; errno or 0.
    int create(const QString& path);

    void release();
    bool isValid() const { return m_fd >= 0; }
    const QString& path() const { return m_path; }
    // After a rename, the new name this file goes by.
    void setPath(const QString& path) { m_path = path; }

    // EFBIG, and nothing read, when the file is larger than maxBytes.
    int readAll(QByteArray& out, qint64 maxBytes = -1) const;
    int writeAll(const QByteArray& data);
    int sync();
    // Mode and group for a file this object created.
    void applyAccess(const NewFileAccess& access) const;

    static QString describe(int error);

private:
    int lockOpened(int fd, const QString& path);
    int m_fd = -1;
    QString m_path;
};

// File system steps of a save. Only what holds on every file system a
// database folder may live on: an atomic rename, and what we read back.
namespace FileOps {
// Fails with EEXIST when to exists, as a move does on Windows.
int renameNoReplace(const QString& from, const QString& to);
// Puts from in the place of to in one step.
int replace(const QString& from, const QString& to);
int remove(const QString& path);
// On an SMB share a file another client has open (a workstation reading
// the profile, or looking at a ".bak" while it waits for it) can't be
// renamed or removed: the server says it is busy for the moment that look
// lasts. The step is tried again for up to a second before that counts.
int whileOthersLook(const std::function<int()>& step);
// Busy for the moment: held by another, or a call to try again.
bool isHeldElsewhere(int error);
int syncFolder(const QString& folder);
bool exists(const QString& path);
// True when the file at path holds exactly content; read in pieces, so a
// large profile costs no second copy in memory.
bool holds(const QString& path, const QByteArray& content);
// Sets the file's modification time to secs since the epoch (whole seconds,
// which every file system keeps).
int setModified(const QString& path, qint64 secs);
// When the file's entry last changed (a rename changes it, a read never),
// in ns; 0 where the file system does not say.
qint64 changedNs(const QString& path);
// Size, modification and change time of the file in one short text: a save
// (a new file moved into place, or one written in place) changes it. Empty
// when the file can't be looked at.
QByteArray lookOf(const QString& path);
// Which file is at path and how it stands; ino 0 when it can't be looked at.
struct FileLook {
    quint64 device = 0;
    quint64 ino = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    bool operator==(const FileLook&) const = default;
    // Size and times alike (inode numbers are not kept by every network
    // file system from one look to the next).
    bool sameLook(const FileLook& other) const {
        return size == other.size && modifiedNs == other.modifiedNs &&
               changedNs == other.changedNs;
    }
    // The same file with the same bytes as far as the file system tells,
    // whatever renamed it since (a rename changes the change time only).
    bool sameFileAndContent(const FileLook& other) const {
        return ino != 0 && device == other.device && ino == other.ino && size == other.size &&
               modifiedNs == other.modifiedNs;
    }
};
FileLook look(const QString& path);
// A look as lookOf gives it.
QByteArray lookText(const FileLook& look);
// The whole of the regular file open as fd, and how it looked when the
// read began (no further call: the one that tells its size); EFBIG when it
// is larger than maxBytes (when that is not negative).
int readOpen(int fd, QByteArray& out, FileLook* look, qint64 maxBytes = -1);
// The whole file, without taking any lock; errno or 0.
int readAll(const QString& path, QByteArray& out, qint64 maxBytes = -1, FileLook* look = nullptr);
// readAll, and how the file looked through the whole read: look has ino 0
// when the file changed meanwhile or could not be looked at.
int readSteady(const QString& path, QByteArray& out, qint64 maxBytes, FileLook& look);
// A digest of the first and last 64 KiB of the file, or of content as such
// a file would hold it: where every save of a profile differs (the key line,
// the summary), read without reading the whole file. Empty when unreadable.
QByteArray endsDigest(const QString& path);
QByteArray endsDigest(const QByteArray& content);
// True when neither the mode nor the user's rights let us write the file.
bool isReadOnly(const QString& path);
// The mode bits and group of an existing file, to give its successor.
bool accessOf(const QString& path, NewFileAccess& access);
} // namespace FileOps

} // namespace tavrino

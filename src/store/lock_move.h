#pragma once

#include <QByteArray>
#include <QString>

namespace tavrino {

// Puts a profile under its lock name (NAME.dat to NAME.dat.bak), the step
// that keeps two workstations' saves apart and that the Windows version
// takes and respects. Two means, chosen once per folder by its mount:
//
// - Move: a rename (or link) that refuses a lock name that is there
//   (NoReplaceMove). Where the file system does that on the server.
// - CopyThenRemove: an exclusive create of the lock name, the profile's
//   bytes written into it, then the removal of the profile's name. For
//   GNOME's mount of an SMB share (gvfs): its rename that must not replace
//   is a look and then a rename, and the SMB library under it answers a
//   target that appeared meanwhile by removing that target and trying
//   again. Two workstations locking at once then removed each other's lock
//   and the profile with it. An exclusive create is one request the server
//   decides.
//
// What another workstation sees during CopyThenRemove: first the profile
// and a lock name beside it, as during a save that was cut off before its
// end: it waits (a Windows workstation's move to the lock name fails, so it
// says the profile is in use); then the lock name alone, as during any
// save. A saver that dies in between leaves the profile whole and a copy
// that a recovery removes as superfluous.
class LockMove {
public:
    enum class Means { Move, CopyThenRemove };

    // The means for the folder holding path, found out from its mount once.
    static Means meansFor(const QString& path);
    // Moves path to lockPath. content: what path held when it was read;
    // errno or 0. EEXIST when lockPath is taken; EWOULDBLOCK when path no
    // longer holds content (a save landed since it was read).
    static int take(const QString& path, const QString& lockPath, const QByteArray& content);
    static int take(Means means, const QString& path, const QString& lockPath,
                    const QByteArray& content);
    // The file system type of the mount holding path ("ext4",
    // "fuse.sshfs", "fuse.gvfsd-fuse"), from /proc/self/mountinfo.
    static QString fileSystemOf(const QString& path);
};

} // namespace tavrino

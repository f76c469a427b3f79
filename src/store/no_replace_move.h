#pragma once

#include <QString>

namespace tavrino {

// Moves a file to a name nobody may have taken meanwhile, by the first means
// the folder's file system offers: a rename that refuses an existing target
// (RENAME_NOREPLACE), or a hard link and the removal of the old name (sshfs).
// Either refuses a target that is there, on the server, so either can carry
// the ".bak" lock between workstations.
//
// Where neither is there the move is refused: nothing else keeps two
// workstations apart. (An SMB share mounted by rclone has neither, and no
// substitute: its exclusive create and its mkdir both let two workstations
// have the same new name at once, and its plain rename removes a target
// that is there.)
//
// A means the folder refused once is not tried there again by this process,
// which saves a round trip a move on a network file system.
class NoReplaceMove {
public:
    enum class Means { Rename, Link };

    // errno or 0; EEXIST when to is taken.
    static int move(const QString& from, const QString& to);
    // What the folder of path is known to need (Rename until found out).
    static Means meansFor(const QString& path);
};

} // namespace tavrino

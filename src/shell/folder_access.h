#pragma once

#include <QString>

#include <sys/types.h>

namespace tavrino {

// Who may read and write a file we create in a folder that other users may
// share: exactly those who may write the folder. The owner alone, or the
// owner and the folder's group when the folder is group-writable; never others.
struct NewFileAccess {
    mode_t mode = 0600;
    gid_t group = 0;
    bool shareWithGroup = false;

    static NewFileAccess forFolder(const QString& folder);
    // Sets the mode (umask aside) and, where the user may, the group of fd.
    void applyTo(int fd) const;
    // The same for an existing file; false (errno set) when it could not
    // be given exactly these rights (another user's file, say).
    bool applyToFile(const QString& path) const;
};

} // namespace tavrino

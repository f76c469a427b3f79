#include "folder_access.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrino {

NewFileAccess NewFileAccess::forFolder(const QString& folder) {
    NewFileAccess access;
    struct stat st {};
    if (::stat(QFile::encodeName(folder).constData(), &st) == 0 && (st.st_mode & S_IWGRP)) {
        access.mode = 0660;
        access.group = st.st_gid;
        access.shareWithGroup = true;
    }
    return access;
}

bool NewFileAccess::applyToFile(const QString& path) const {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    applyTo(fd);
    struct stat st {};
    const bool done = ::fstat(fd, &st) == 0 && (st.st_mode & 0777) == mode &&
                      (!shareWithGroup || st.st_gid == group);
    const int error = done ? 0 : (errno ? errno : EPERM);
    ::close(fd);
    errno = error;
    return done;
}

void NewFileAccess::applyTo(int fd) const {
    // A user outside the folder's group can not hand the file to it; the
    // mode still keeps others out.
    if (shareWithGroup) (void)!::fchown(fd, static_cast<uid_t>(-1), group);
    (void)!::fchmod(fd, mode);
}

} // namespace tavrino

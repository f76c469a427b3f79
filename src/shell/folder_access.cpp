#include "folder_access.h"

#include <QFile>

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

void NewFileAccess::applyTo(int fd) const {
    // A user outside the folder's group can not hand the file to it; the
    // mode still keeps others out.
    if (shareWithGroup) (void)!::fchown(fd, static_cast<uid_t>(-1), group);
    (void)!::fchmod(fd, mode);
}

} // namespace tavrino

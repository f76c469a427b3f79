#include "folder_listing.h"

#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace tavrino {

FolderListing FolderListing::of(const QString& folder) {
    FolderListing listing;
    listing.m_folder = folder;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir) {
        listing.m_error = errno;
        return listing;
    }
    while (const dirent* entry = ::readdir(dir)) {
        bool regular = entry->d_type == DT_REG;
        // Where the file system does not say in the listing, asked without
        // following a link.
        if (entry->d_type == DT_UNKNOWN) {
            struct stat st {};
            regular = ::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                      S_ISREG(st.st_mode);
        }
        if (!regular) continue;
        const QString name = QFile::decodeName(entry->d_name);
        listing.m_names.insert(name);
        listing.m_sorted.append(name);
    }
    ::closedir(dir);
    listing.m_sorted.sort();
    return listing;
}

} // namespace tavrino

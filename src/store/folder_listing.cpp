#include "folder_listing.h"

#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
// The record getdents64 fills in (glibc 2.36 declares no type for it).
struct linux_dirent64 {
    ino64_t d_ino;
    off64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[];
};
} // namespace

namespace tavrino {

FolderListing FolderListing::of(const QString& folder) {
    FolderListing listing;
    listing.m_folder = folder;
    // Read with getdents64 itself: opendir asks for the folder's attributes
    // first, one more round trip on a network folder.
    const int fd = ::open(QFile::encodeName(folder).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        listing.m_error = errno;
        return listing;
    }
    alignas(linux_dirent64) char buffer[32768];
    for (;;) {
        const long got = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) listing.m_error = errno;
        if (got <= 0) break;
        for (long at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const linux_dirent64*>(buffer + at);
            at += entry->d_reclen;
            bool regular = entry->d_type == DT_REG;
            // Where the file system does not say in the listing, asked
            // without following a link.
            if (entry->d_type == DT_UNKNOWN) {
                struct stat st {};
                regular = ::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                          S_ISREG(st.st_mode);
            }
            if (!regular) continue;
            const QString name = QFile::decodeName(entry->d_name);
            listing.m_names.insert(name);
            listing.m_sorted.append(name);
        }
    }
    ::close(fd);
    listing.m_sorted.sort();
    return listing;
}

} // namespace tavrino

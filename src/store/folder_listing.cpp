#include "folder_listing.h"

#include <QFile>

#include <algorithm>
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

namespace {
QString kindOf(unsigned char type) {
    switch (type) {
    case DT_LNK: return QStringLiteral("a link");
    case DT_DIR: return QStringLiteral("a folder");
    case DT_SOCK: return QStringLiteral("a socket");
    case DT_FIFO: return QStringLiteral("a pipe");
    case DT_CHR:
    case DT_BLK: return QStringLiteral("a device");
    default: return QStringLiteral("no regular file");
    }
}
} // namespace

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
            unsigned char type = entry->d_type;
            // Where the file system does not say in the listing, asked
            // without following a link.
            if (type == DT_UNKNOWN) {
                struct stat st {};
                if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                    type = IFTODT(st.st_mode);
            }
            const QString name = QFile::decodeName(entry->d_name);
            if (type != DT_REG) {
                if (name != QStringLiteral(".") && name != QStringLiteral(".."))
                    listing.m_others.append({name, kindOf(type)});
                continue;
            }
            listing.m_names.insert(name);
            listing.m_sorted.append(name);
        }
    }
    ::close(fd);
    listing.m_sorted.sort();
    std::sort(listing.m_others.begin(), listing.m_others.end(),
              [](const Other& a, const Other& b) { return a.name < b.name; });
    return listing;
}

} // namespace tavrino

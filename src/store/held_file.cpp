#include "held_file.h"

#include <chrono>
#include <thread>

#include "store/no_replace_move.h"

#include "shell/folder_access.h"

#include <QFile>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrino {
namespace {
QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

// The file as the server has it now: a network mount otherwise answers from
// what it cached a moment ago (a name another workstation has just removed,
// a size it has just changed).
bool statNow(const QString& path, struct statx& sx) {
    return ::statx(AT_FDCWD, native(path).constData(), AT_STATX_FORCE_SYNC,
                   STATX_TYPE | STATX_MODE | STATX_GID | STATX_SIZE, &sx) == 0;
}
} // namespace

HeldFile::HeldFile(HeldFile&& other) noexcept : m_fd(other.m_fd), m_path(std::move(other.m_path)) {
    other.m_fd = -1;
}

HeldFile& HeldFile::operator=(HeldFile&& other) noexcept {
    if (this != &other) {
        release();
        m_fd = other.m_fd;
        m_path = std::move(other.m_path);
        other.m_fd = -1;
    }
    return *this;
}

int HeldFile::lockOpened(int fd, const QString& path) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (fcntl(fd, F_OFD_SETLK, &lock) != 0) {
        const int error = (errno == EACCES || errno == EAGAIN) ? EWOULDBLOCK : errno;
        ::close(fd);
        return error;
    }
    release();
    m_fd = fd;
    m_path = path;
    return 0;
}

int HeldFile::create(const QString& path) {
    const int fd = ::open(native(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return errno;
    return lockOpened(fd, path);
}

void HeldFile::release() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

int HeldFile::readAll(QByteArray& out, qint64 maxBytes) const {
    return FileOps::readOpen(m_fd, out, nullptr, maxBytes);
}

int HeldFile::writeAll(const QByteArray& data) {
    qint64 done = 0;
    while (done < data.size()) {
        const ssize_t n =
            ::write(m_fd, data.constData() + done, static_cast<size_t>(data.size() - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += n;
    }
    return 0;
}

int HeldFile::sync() {
    return ::fsync(m_fd) == 0 ? 0 : errno;
}

void HeldFile::applyAccess(const NewFileAccess& access) const {
    if (m_fd >= 0) access.applyTo(m_fd);
}

QString HeldFile::describe(int error) {
    if (error == EWOULDBLOCK)
        return QStringLiteral("The profile is being saved on another workstation, or a Windows "
                              "workstation has it open, just now.");
    if (error == ENOLCK)
        return QStringLiteral("The save was held up so long that another workstation's save came "
                              "first; nothing was saved");
    return QString::fromLocal8Bit(std::strerror(error));
}

namespace FileOps {

namespace {
FileLook lookFrom(const struct statx& sx) {
    FileLook l;
    l.device = (quint64(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
    l.ino = sx.stx_ino;
    l.size = static_cast<qint64>(sx.stx_size);
    l.modifiedNs = qint64(sx.stx_mtime.tv_sec) * 1000000000 + sx.stx_mtime.tv_nsec;
    if (sx.stx_mask & STATX_CTIME)
        l.changedNs = qint64(sx.stx_ctime.tv_sec) * 1000000000 + sx.stx_ctime.tv_nsec;
    return l;
}
} // namespace


int renameNoReplace(const QString& from, const QString& to) {
    return NoReplaceMove::move(from, to);
}

int replace(const QString& from, const QString& to) {
    return ::rename(native(from).constData(), native(to).constData()) == 0 ? 0 : errno;
}

int remove(const QString& path) {
    return ::unlink(native(path).constData()) == 0 ? 0 : errno;
}

bool isHeldElsewhere(int error) {
    return error == EBUSY || error == ETXTBSY || error == EAGAIN;
}

int whileOthersLook(const std::function<int()>& step) {
    int error = step();
    for (int attempt = 1; attempt <= 20 && isHeldElsewhere(error); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        error = step();
    }
    return error;
}

// A buffer for reading a file into. Filling fresh memory costs a page fault
// and a page clearing for every 4 KiB: reading a 3 MB profile was 4 ms of
// that and 0.4 ms of copying. One call maps all of its pages instead, and
// where the kernel has large pages (2 MiB) one of them serves for 512: the
// data of a buffer of megabytes then starts on the first large-page boundary
// of an allocation with room for that. The bytes before it are dropped from
// the front (QByteArray only moves its start) and never touched, so they take
// no memory. Neither hint changes what any byte holds.
static QByteArray freshBuffer(qsizetype bytes) {
    QByteArray buffer;
#if defined(MADV_POPULATE_WRITE) && defined(MADV_HUGEPAGE)
    constexpr qsizetype LargePage = qsizetype(2) << 20;
    const auto page = static_cast<qsizetype>(::sysconf(_SC_PAGESIZE));
    const auto roundUp = [](quintptr n, quintptr to) { return (n + to - 1) / to * to; };
    quintptr first = 0;
    qsizetype length = 0;
    if (bytes >= LargePage) {
        // Room to the boundary before the data and to the one after it.
        buffer.reserve(bytes + 2 * LargePage);
        const auto start = reinterpret_cast<quintptr>(buffer.data());
        first = roundUp(start, LargePage);
        buffer.resize(qsizetype(first - start) + bytes);
        buffer.remove(0, qsizetype(first - start));
        length = qsizetype(roundUp(quintptr(bytes), LargePage));
        ::madvise(reinterpret_cast<void*>(first), size_t(length), MADV_HUGEPAGE);
    } else {
        buffer.resize(bytes);
        // Whole pages inside the buffer only: the ones at its ends may be
        // shared with other blocks of the heap, and are faulted as usual.
        first = roundUp(reinterpret_cast<quintptr>(buffer.data()), quintptr(page));
        const auto end = (reinterpret_cast<quintptr>(buffer.data()) + quintptr(bytes)) &
                         ~quintptr(page - 1);
        length = end > first ? qsizetype(end - first) : 0;
    }
    if (length > 0) ::madvise(reinterpret_cast<void*>(first), size_t(length), MADV_POPULATE_WRITE);
#else
    buffer.resize(bytes);
#endif
    return buffer;
}

int readOpen(int fd, QByteArray& out, FileLook* look, qint64 maxBytes) {
    // A network file system caches a file's attributes for a while: another
    // workstation's save may have made the file longer than this machine
    // believes, and reads stop at the size it believes. Ask the server.
    struct statx sx {};
    if (::statx(fd, "", AT_EMPTY_PATH | AT_STATX_FORCE_SYNC,
                STATX_TYPE | STATX_SIZE | STATX_MTIME | STATX_CTIME | STATX_INO, &sx) != 0)
        return errno;
    if (!S_ISREG(sx.stx_mode)) return EINVAL;
    if (maxBytes >= 0 && static_cast<qint64>(sx.stx_size) > maxBytes) return EFBIG;
    if (look) *look = lookFrom(sx);
    out = freshBuffer(static_cast<qsizetype>(sx.stx_size) + 1);
    qint64 done = 0;
    for (;;) {
        if (done == out.size()) out.resize(out.size() * 2);
        const ssize_t n =
            ::pread(fd, out.data() + done, static_cast<size_t>(out.size() - done), done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) break;
        done += n;
        if (maxBytes >= 0 && done > maxBytes) return EFBIG; // grew while we read
    }
    out.truncate(done);
    return 0;
}

bool holds(const QString& path, const QByteArray& content) {
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct statx sx {};
    bool same =
        ::statx(fd, "", AT_EMPTY_PATH | AT_STATX_FORCE_SYNC, STATX_TYPE | STATX_SIZE, &sx) == 0 &&
        S_ISREG(sx.stx_mode) && static_cast<qint64>(sx.stx_size) == content.size();
    char piece[1 << 16];
    qint64 done = 0;
    while (same) {
        const ssize_t n = ::pread(fd, piece, sizeof piece, done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            same = n == 0 && done == content.size();
            break;
        }
        same = done + n <= content.size() &&
               std::memcmp(piece, content.constData() + done, static_cast<size_t>(n)) == 0;
        done += n;
    }
    ::close(fd);
    return same;
}

int readAll(const QString& path, QByteArray& out, qint64 maxBytes, FileLook* look) {
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno;
    const int error = readOpen(fd, out, look, maxBytes);
    ::close(fd);
    return error;
}

int setModified(const QString& path, qint64 secs) {
    const struct timespec times[2] = {{static_cast<time_t>(secs), 0},
                                      {static_cast<time_t>(secs), 0}};
    return ::utimensat(AT_FDCWD, native(path).constData(), times, 0) == 0 ? 0 : errno;
}

qint64 changedNs(const QString& path) {
    struct statx sx {};
    if (::statx(AT_FDCWD, native(path).constData(), AT_STATX_FORCE_SYNC, STATX_CTIME, &sx) != 0 ||
        !(sx.stx_mask & STATX_CTIME))
        return 0;
    return qint64(sx.stx_ctime.tv_sec) * 1000000000 + sx.stx_ctime.tv_nsec;
}

QByteArray lookText(const FileLook& l) {
    if (l.size < 0) return {};
    return QByteArray::number(l.size) + ':' + QByteArray::number(l.modifiedNs) + ':' +
           QByteArray::number(l.changedNs);
}

QByteArray lookOf(const QString& path) {
    return lookText(look(path));
}

FileLook look(const QString& path) {
    struct statx sx {};
    if (::statx(AT_FDCWD, native(path).constData(), AT_STATX_FORCE_SYNC,
                STATX_SIZE | STATX_MTIME | STATX_CTIME | STATX_INO, &sx) != 0)
        return {};
    return lookFrom(sx);
}

int readSteady(const QString& path, QByteArray& out, qint64 maxBytes, FileLook& l) {
    // The look of the open file as the read began, and of the name after it:
    // alike, the name held those bytes throughout.
    FileLook began;
    const int error = readAll(path, out, maxBytes, &began);
    l = look(path);
    if (l.ino == 0 || !(began == l)) l = {};
    return error;
}

namespace {
constexpr qint64 EndBytes = 64 * 1024;

QByteArray digestOfEnds(QByteArrayView head, QByteArrayView tail, qint64 size) {
    const size_t h = qHashBits(head.data(), static_cast<size_t>(head.size()), 0);
    const size_t t = qHashBits(tail.data(), static_cast<size_t>(tail.size()), h);
    return QByteArray::number(size) + ':' + QByteArray::number(quint64(t), 16);
}
} // namespace

QByteArray endsDigest(const QByteArray& content) {
    const qint64 size = content.size();
    const qint64 n = std::min(size, EndBytes);
    return digestOfEnds(QByteArrayView(content).first(n), QByteArrayView(content).last(n), size);
}

QByteArray endsDigest(const QString& path) {
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {};
    QByteArray digest;
    struct statx sx {};
    if (::statx(fd, "", AT_EMPTY_PATH | AT_STATX_FORCE_SYNC, STATX_SIZE, &sx) == 0) {
        const auto size = static_cast<qint64>(sx.stx_size);
        const qint64 n = std::min(size, EndBytes);
        QByteArray head(n, Qt::Uninitialized);
        QByteArray tail(n, Qt::Uninitialized);
        auto readAt = [&](QByteArray& into, qint64 at) {
            qint64 done = 0;
            while (done < n) {
                const ssize_t got = ::pread(fd, into.data() + done, size_t(n - done), at + done);
                if (got < 0 && errno == EINTR) continue;
                if (got <= 0) return false;
                done += got;
            }
            return true;
        };
        if (readAt(head, 0) && readAt(tail, size - n)) digest = digestOfEnds(head, tail, size);
    }
    ::close(fd);
    return digest;
}

bool isReadOnly(const QString& path) {
    struct statx sx {};
    if (!statNow(path, sx)) return false;
    // The mode counts even for root, who may write anything.
    if ((sx.stx_mode & 0222) == 0) return true;
    // Only a refusal counts: the file may be gone this instant because another
    // workstation's save has just moved it to its lock (ENOENT), which is not
    // read-only and is for the lock step to wait out.
    if (::access(native(path).constData(), W_OK) == 0) return false;
    return errno == EACCES || errno == EROFS || errno == EPERM;
}

bool accessOf(const QString& path, NewFileAccess& access) {
    struct statx sx {};
    if (!statNow(path, sx)) return false;
    access.mode = sx.stx_mode & 0777;
    access.group = sx.stx_gid;
    access.shareWithGroup = true;
    return true;
}

int syncFolder(const QString& folder) {
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int result = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return result;
}

bool exists(const QString& path) {
    struct statx sx {};
    return statNow(path, sx);
}

} // namespace FileOps
} // namespace tavrino

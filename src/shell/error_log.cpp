#include "error_log.h"

#include "clock.h"
#include "folder_access.h"
#include "visible_text.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrino {
namespace {

// The log only ever is a regular file in the folder: a link or a pipe put in
// its place by another user of a shared folder is neither followed nor waited on.
int openForAppend(const QByteArray& path, const NewFileAccess& access) {
    const int fd =
        ::open(path.constData(),
               O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, access.mode);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EISDIR; // no regular file: never written through
        return -1;
    }
    if (st.st_size == 0) access.applyTo(fd);
    return fd;
}

} // namespace

QString ErrorLog::filePath() const {
    return m_folder + QStringLiteral("/TavrinoErrors.log");
}

QByteArray ErrorLog::formatLine(const QDateTime& when, const QString& procedureName,
                                const QString& errorNumber, const QString& description) {
    const QString line = QLatin1Char('#') + when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) +
                         QStringLiteral("#,\"") + visibleText(procedureName) +
                         QStringLiteral("\",\"") + visibleText(errorNumber) +
                         QStringLiteral("\",\"") + visibleText(description) +
                         QStringLiteral("\"\r\n");
    return line.toUtf8();
}

void ErrorLog::failed(int error) const {
    if (m_onFailure) m_onFailure(filePath(), QString::fromLocal8Bit(std::strerror(error)));
}

// The whole log read, the line added, written aside and renamed over it.
bool ErrorLog::appendRewritten(const QByteArray& path, const QByteArray& line) const {
    QByteArray content;
    const int in = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (in >= 0) {
        struct stat st {};
        bool ok = ::fstat(in, &st) == 0 && S_ISREG(st.st_mode) && st.st_size < RotateAtBytes;
        char buffer[65536];
        ssize_t n = 0;
        while (ok && (n = ::read(in, buffer, sizeof buffer)) > 0)
            content.append(buffer, n);
        ::close(in);
        if (!ok || n < 0) {
            // Full (one older generation is kept) or unreadable: begun anew.
            const QByteArray older = path + ".1";
            if (!S_ISREG(st.st_mode) || ::rename(path.constData(), older.constData()) != 0)
                return false;
            content.clear();
        }
    } else if (errno != ENOENT) {
        return false;
    }
    content += line;
    const QByteArray aside = path + ".new-" + QByteArray::number(::getpid());
    const NewFileAccess access = NewFileAccess::forFolder(m_folder);
    const int out = ::open(aside.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                           access.mode);
    if (out < 0) return false;
    access.applyTo(out);
    const bool written = ::write(out, content.constData(), size_t(content.size())) == content.size();
    const bool closed = ::close(out) == 0;
    if (written && closed && ::rename(aside.constData(), path.constData()) == 0) return true;
    const int error = errno;
    ::unlink(aside.constData());
    errno = error;
    return false;
}

void ErrorLog::LogError(const QString& procedureName, const QString& errorNumber,
                        const QString& description) const {
    const QDateTime when = m_clock ? m_clock->now() : QDateTime::currentDateTime();
    const QByteArray path = QFile::encodeName(filePath());
    const NewFileAccess access = NewFileAccess::forFolder(m_folder);
    const QByteArray line = formatLine(when, procedureName, errorNumber, description);
    int fd = openForAppend(path, access);
    if (fd < 0) {
        // Refused to append (not a link or a pipe planted in its place,
        // which is never written through): written anew instead.
        if (errno != ELOOP && errno != ENXIO && errno != EISDIR && appendRewritten(path, line))
            return;
        failed(errno);
        return;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size >= RotateAtBytes) {
        // One older generation is kept; the log never grows without bound.
        ::close(fd);
        const QByteArray older = path + ".1";
        if (::rename(path.constData(), older.constData()) != 0) return failed(errno);
        fd = openForAppend(path, access);
        if (fd < 0) return failed(errno);
    }
    const ssize_t written = ::write(fd, line.constData(), static_cast<size_t>(line.size()));
    const int error = errno;
    ::close(fd);
    if (written == line.size()) return;
    // Opened, but writing at its end refused (rclone writes files only from
    // their start, ESPIPE): written anew instead.
    if (written <= 0 && appendRewritten(path, line)) return;
    failed(written < 0 ? error : EIO);
}

} // namespace tavrino

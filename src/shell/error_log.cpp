#include "error_log.h"

#include "clock.h"
#include "folder_access.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrino {
namespace {

// A line of the log must stay one line, whatever a file name holds.
QString escapeControls(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\r')
            out += QStringLiteral("\\r");
        else if (u == '\n')
            out += QStringLiteral("\\n");
        else if (u == '\t')
            out += QStringLiteral("\\t");
        else if (u < 0x20 || (u >= 0x7f && u < 0xa0) || u == 0x2028 || u == 0x2029)
            out += QStringLiteral("\\x%1").arg(u, u > 0xff ? 4 : 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

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
                         QStringLiteral("#,\"") + escapeControls(procedureName) +
                         QStringLiteral("\",\"") + escapeControls(errorNumber) +
                         QStringLiteral("\",\"") + escapeControls(description) +
                         QStringLiteral("\"\r\n");
    return line.toUtf8();
}

void ErrorLog::LogError(const QString& procedureName, const QString& errorNumber,
                        const QString& description) const {
    const QDateTime when = m_clock ? m_clock->now() : QDateTime::currentDateTime();
    const QByteArray path = QFile::encodeName(filePath());
    const NewFileAccess access = NewFileAccess::forFolder(m_folder);
    int fd = openForAppend(path, access);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size >= RotateAtBytes) {
        // One older generation is kept; the log never grows without bound.
        ::close(fd);
        const QByteArray older = path + ".1";
        if (::rename(path.constData(), older.constData()) != 0) return;
        fd = openForAppend(path, access);
        if (fd < 0) return;
    }
    const QByteArray line = formatLine(when, procedureName, errorNumber, description);
    (void)!::write(fd, line.constData(), static_cast<size_t>(line.size()));
    ::close(fd);
}

} // namespace tavrino

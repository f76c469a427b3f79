#include "no_replace_move.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tavrino {
namespace {

QMutex& lock() {
    static QMutex mutex;
    return mutex;
}

// What each folder was found to need: a cache of what its file system can
// do, the same for every object of the process.
QHash<QString, NoReplaceMove::Means>& found() {
    static QHash<QString, NoReplaceMove::Means> means;
    return means;
}

QString folderOf(const QString& path) {
    return QFileInfo(path).absolutePath();
}

void needs(const QString& path, NoReplaceMove::Means means) {
    QMutexLocker locker(&lock());
    found().insert(folderOf(path), means);
}

// The file system has no such call, or refuses it for every file.
bool renameFlagsMissing(int error) {
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}
} // namespace

NoReplaceMove::Means NoReplaceMove::meansFor(const QString& path) {
    QMutexLocker locker(&lock());
    return found().value(folderOf(path), Means::Rename);
}

int NoReplaceMove::move(const QString& from, const QString& to) {
    const QByteArray f = QFile::encodeName(from);
    const QByteArray t = QFile::encodeName(to);
    const Means means = meansFor(to);
    if (means == Means::Rename) {
        if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
            return 0;
        if (!renameFlagsMissing(errno)) return errno;
        needs(to, Means::Link);
    }
    if (::link(f.constData(), t.constData()) != 0) return errno;
    // The move is done once the link stands; the old name may already have
    // been removed by another workstation (a recovery of a stalled save).
    return ::unlink(f.constData()) == 0 || errno == ENOENT ? 0 : errno;
}

} // namespace tavrino

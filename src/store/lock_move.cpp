#include "lock_move.h"

#include "shell/folder_access.h"
#include "store/held_file.h"
#include "store/no_replace_move.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

#include <cerrno>

namespace tavrino {
namespace {

// mountinfo escapes blanks and a few more as \ooo.
QString unescaped(const QByteArray& field) {
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(char(code));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return QFile::decodeName(out);
}

bool isUnder(const QString& path, const QString& mountPoint) {
    return path == mountPoint || mountPoint == QStringLiteral("/") ||
           path.startsWith(mountPoint + QLatin1Char('/'));
}

} // namespace

QString LockMove::fileSystemOf(const QString& path) {
    const QFileInfo info(path);
    QString where = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (where.isEmpty()) where = info.absolutePath();
    QFile mounts(QStringLiteral("/proc/self/mountinfo"));
    if (!mounts.open(QIODevice::ReadOnly)) return {};
    QString best;
    QString type;
    // ID PARENT MAJ:MIN ROOT MOUNT-POINT OPTIONS [OPTIONAL...] - TYPE SOURCE SUPER
    for (const QByteArray& line : mounts.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf("-");
        if (fields.size() < 5 || dash < 0 || dash + 1 >= fields.size()) continue;
        const QString mountPoint = unescaped(fields[4]);
        // The last mount of the longest matching point is the one in force.
        if (isUnder(where, mountPoint) && mountPoint.size() >= best.size()) {
            best = mountPoint;
            type = QString::fromLatin1(fields[dash + 1]);
        }
    }
    return type;
}

LockMove::Means LockMove::meansFor(const QString& path) {
    static QMutex mutex;
    static QHash<QString, Means> known;
    const QString folder = QFileInfo(path).absolutePath();
    QMutexLocker locker(&mutex);
    if (const auto it = known.constFind(folder); it != known.constEnd()) return *it;
    const Means means = fileSystemOf(path) == QStringLiteral("fuse.gvfsd-fuse")
                            ? Means::CopyThenRemove
                            : Means::Move;
    known.insert(folder, means);
    return means;
}

int LockMove::take(const QString& path, const QString& lockPath, const QByteArray& content) {
    return take(meansFor(path), path, lockPath, content);
}

int LockMove::take(Means means, const QString& path, const QString& lockPath,
                   const QByteArray& content) {
    if (means == Means::Move) return NoReplaceMove::move(path, lockPath);
    HeldFile copy;
    if (const int error = copy.create(lockPath)) return error;
    // The copy may become the profile again (a save given up puts it back):
    // the profile's own mode and group.
    NewFileAccess access;
    if (FileOps::accessOf(path, access)) copy.applyAccess(access);
    int error = copy.writeAll(content);
    if (!error) error = copy.sync();
    copy.release();
    // Nobody can land a save while the lock name is ours; one that landed
    // before it was, after our read, must not be lost.
    if (!error && !FileOps::holds(path, content)) error = EWOULDBLOCK;
    if (!error) error = FileOps::whileOthersLook([&] { return FileOps::remove(path); });
    if (error) {
        FileOps::remove(lockPath);
        return FileOps::isHeldElsewhere(error) ? EWOULDBLOCK : error;
    }
    return 0;
}

} // namespace tavrino

#include "version_shelf.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace tavrino {

namespace {
// "123.dat" or "123.sealed": the stamp, or -1 for anything else.
std::int32_t stampOfName(const QString& fileName) {
    bool ok = false;
    const std::int32_t stamp = fileName.section(QLatin1Char('.'), 0, 0).toInt(&ok);
    return ok && stamp >= 0 ? stamp : -1;
}

QString endingOf(const QString& profilePath) {
    const QString name = QFileInfo(profilePath).fileName();
    return name.mid(name.indexOf(QLatin1Char('.')));
}
} // namespace

VersionShelf::VersionShelf(QString root) : m_root(std::move(root)) {}

QString VersionShelf::defaultRoot() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/tavrino/versions");
}

QString VersionShelf::shelfOf(const QString& profilePath) const {
    // One folder per profile file, named by where it is: two folders may
    // hold profiles of the same name.
    const QByteArray where = QFileInfo(profilePath).absoluteFilePath().toUtf8();
    return m_root + QLatin1Char('/') +
           QString::fromLatin1(
               QCryptographicHash::hash(where, QCryptographicHash::Sha256).toHex().left(24));
}

void VersionShelf::keep(const QString& profilePath, std::int32_t stamp,
                        const QByteArray& bytes) const {
    if (m_root.isEmpty() || stamp < 0 || bytes.isEmpty()) return;
    const QString shelf = shelfOf(profilePath);
    // Private: only its owner may read what it holds, as with the profile.
    if (!QDir().mkpath(shelf)) return;
    QFile::setPermissions(m_root, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ExeOwner);
    QFile::setPermissions(shelf, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                     QFileDevice::ExeOwner);
    const QString ending = endingOf(profilePath);
    QSaveFile file(shelf + QLatin1Char('/') + QString::number(stamp) + ending);
    if (!file.open(QIODevice::WriteOnly)) return;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(bytes);
    if (!file.commit()) return;
    // The oldest go; another format's versions (before a conversion) too.
    QDir dir(shelf);
    QStringList kept = dir.entryList(QDir::Files);
    kept.removeIf([&](const QString& name) {
        if (stampOfName(name) >= 0 && name.endsWith(ending)) return false;
        dir.remove(name);
        return true;
    });
    std::sort(kept.begin(), kept.end(), [](const QString& a, const QString& b) {
        return stampOfName(a) > stampOfName(b);
    });
    for (qsizetype i = Kept; i < kept.size(); ++i) dir.remove(kept.at(i));
    sweepUnused();
}

void VersionShelf::sweepUnused() const {
    // Profiles deleted, renamed or in folders long gone: their shelves go
    // after a while nobody read or saved them (the folder itself may be
    // away for a time: a share not mounted, a laptop off the network).
    const QDateTime before = QDateTime::currentDateTime().addDays(-UnusedDays);
    const QDir root(m_root);
    for (const QFileInfo& shelf : root.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (shelf.lastModified() < before) QDir(shelf.filePath()).removeRecursively();
}

QString VersionShelf::baseBelow(const QString& profilePath, std::int32_t first,
                                std::int32_t second) const {
    if (m_root.isEmpty()) return {};
    const std::int32_t below = std::min(first, second);
    const QString ending = endingOf(profilePath);
    const QDir dir(shelfOf(profilePath));
    QString best;
    std::int32_t bestStamp = -1;
    for (const QString& name : dir.entryList(QDir::Files)) {
        const std::int32_t stamp = stampOfName(name);
        if (!name.endsWith(ending) || stamp < 0 || stamp >= below || stamp <= bestStamp) continue;
        best = dir.filePath(name);
        bestStamp = stamp;
    }
    return best;
}

} // namespace tavrino

#include "stamp_memory.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace tavrino {

QString StampMemory::defaultPath() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty()) state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/tavrino/stamps.ini");
}

QString StampMemory::keyOf(const QString& profilePath) {
    // The file's place, not its name alone: two folders may hold a "Vault".
    const QByteArray where = QFileInfo(profilePath).absoluteFilePath().toUtf8();
    return QStringLiteral("stamps/") +
           QString::fromLatin1(QCryptographicHash::hash(where, QCryptographicHash::Sha256).toHex());
}

std::int32_t StampMemory::highest(const QString& profilePath) const {
    if (m_path.isEmpty()) return -1;
    const QSettings settings(m_path, QSettings::IniFormat);
    bool ok = false;
    const int stamp = settings.value(keyOf(profilePath)).toInt(&ok);
    return ok ? stamp : -1;
}

void StampMemory::saw(const QString& profilePath, std::int32_t stamp) {
    if (m_path.isEmpty()) return;
    const std::int32_t seen = highest(profilePath);
    // After a wrap the stamps count from 1 again: remembered from there.
    const bool wrapped = seen - stamp > 1000000000;
    if (stamp <= seen && !wrapped) return;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSettings settings(m_path, QSettings::IniFormat);
    settings.setValue(keyOf(profilePath), stamp);
}

bool StampMemory::isRollback(const QString& profilePath, std::int32_t stamp) const {
    const std::int32_t seen = highest(profilePath);
    // Stamps wrap to 1 near the integer maximum: a fall that far is a wrap.
    return seen >= 0 && stamp < seen && seen - stamp < 1000000000;
}

} // namespace tavrino

#include "settings_store.h"

#include "message_service.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <cmath>

namespace tavrino {

SettingsStore::SettingsStore(QString iniPath, QString appFolder, MessageService* messages)
    : m_path(std::move(iniPath)), m_appFolder(std::move(appFolder)), m_messages(messages) {}

QString SettingsStore::defaultPath() {
    const QString explicitPath = qEnvironmentVariable("TAVRINO_SETTINGS");
    if (!explicitPath.isEmpty()) return explicitPath;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty()) config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/Tavrino/settings.ini");
}

QString SettingsStore::defaultDatabaseFolder() {
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty()) data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/Tavrino");
}

QString SettingsStore::keyOf(const QString& name) {
    return QStringLiteral("Licenses/Corvane/Tavrino/") + name;
}

double SettingsStore::numericValue(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) ++i;
    while (i < text.size() && text[i].isDigit())
        ++i;
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < text.size() && text[i].isDigit())
            ++i;
    }
    bool ok = false;
    const double value = text.mid(start, i - start).toDouble(&ok);
    return ok ? value : 0.0;
}

int SettingsStore::autoLockMinutes() const {
    QString value;
    if (!ReadSetting(QStringLiteral("Timer"), value)) return -1;
    return static_cast<int>(std::nearbyint(numericValue(value)));
}

bool SettingsStore::ReadSetting(const QString& name, QString& value) const {
    QSettings settings(m_path, QSettings::IniFormat);
    if (settings.status() == QSettings::FormatError) {
        if (m_messages)
            m_messages->show(QStringLiteral("Error detected: ") +
                             QStringLiteral("the settings file %1 cannot be parsed").arg(m_path) +
                             QStringLiteral("\r\n") + QString::number(QSettings::FormatError));
        value.clear();
        return false;
    }
    const QString key = keyOf(name);
    if (!settings.contains(key)) return false;
    const QVariant stored = settings.value(key);
    if (stored.typeId() != QMetaType::QString) {
        value.clear();
        return true;
    }
    QString text = stored.toString();
    const qsizetype zero = text.indexOf(QChar(0));
    if (zero >= 0) text.truncate(zero);
    value = text;
    return true;
}

bool SettingsStore::WriteSetting(const QString& name, const QString& value) {
    QSettings settings(m_path, QSettings::IniFormat);
    const QString key = keyOf(name);
    if (settings.status() != QSettings::NoError || !settings.contains(key)) return false;
    settings.setValue(key, value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool SettingsStore::writePreference(const QString& name, const QString& value) {
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSettings settings(m_path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) return false;
    settings.setValue(keyOf(name), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString SettingsStore::GetDatabaseFolder() const {
    if (!m_override.isEmpty()) return m_override;
    QString folder = m_appFolder;
    QString value;
    if (ReadSetting(QStringLiteral("Database"), value) && !value.trimmed().isEmpty())
        folder = value;
    return folder;
}

bool SettingsStore::createMissingKeys(const QString& databaseFolder) {
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSettings settings(m_path, QSettings::IniFormat);
    const std::pair<QString, QString> defaults[] = {
        {QStringLiteral("Database"), databaseFolder},
        {QStringLiteral("Timer"), QStringLiteral("0")},
        {QStringLiteral("Startup"), QStringLiteral("0")},
    };
    for (const auto& [name, value] : defaults)
        if (!settings.contains(keyOf(name))) settings.setValue(keyOf(name), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString SettingsStore::helpFile(const QString& name) const {
    const QString beside = m_appFolder + QLatin1Char('/') + name;
    if (QFileInfo::exists(beside)) return beside;
    const QString installed =
        QDir::cleanPath(m_appFolder + QStringLiteral("/../share/doc/tavrino/") + name);
    if (QFileInfo::exists(installed)) return installed;
    return beside;
}

} // namespace tavrino

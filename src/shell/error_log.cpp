#include "error_log.h"

#include "clock.h"

#include <QFile>

namespace tavrino {

QString ErrorLog::filePath() const {
    return m_folder + QStringLiteral("/TavrinoErrors.log");
}

QByteArray ErrorLog::formatLine(const QDateTime& when, const QString& procedureName,
                                const QString& errorNumber, const QString& description) {
    const QString line = QLatin1Char('#') + when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) +
                         QStringLiteral("#,\"") + procedureName + QStringLiteral("\",\"") +
                         errorNumber + QStringLiteral("\",\"") + description +
                         QStringLiteral("\"\r\n");
    return line.toUtf8();
}

void ErrorLog::LogError(const QString& procedureName, const QString& errorNumber,
                        const QString& description) const {
    const QDateTime when = m_clock ? m_clock->now() : QDateTime::currentDateTime();
    QFile file(filePath());
    if (!file.open(QIODevice::Append)) return;
    file.write(formatLine(when, procedureName, errorNumber, description));
}

} // namespace tavrino

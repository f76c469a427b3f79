#pragma once

#include <QDateTime>
#include <QString>

namespace tavrino {

class Clock;

// Appends one line per trapped error to "TavrinoErrors.log" in the database
// folder. Never reports anything: an unwritable folder just loses the line.
// Control characters in the texts are escaped, so one call is one line; at
// RotateAtBytes the log moves to "TavrinoErrors.log.1" and starts anew.
class ErrorLog {
public:
    static constexpr qint64 RotateAtBytes = 1024 * 1024;

    explicit ErrorLog(const Clock* clock = nullptr) : m_clock(clock) {}

    void setFolder(const QString& folder) { m_folder = folder; }
    QString folder() const { return m_folder; }
    QString filePath() const;

    void LogError(const QString& procedureName, const QString& errorNumber,
                  const QString& description) const;
    void LogError(const QString& procedureName, long errorNumber,
                  const QString& description) const {
        LogError(procedureName, QString::number(errorNumber), description);
    }

    // The exact line written for one call, CR LF included.
    static QByteArray formatLine(const QDateTime& when, const QString& procedureName,
                                 const QString& errorNumber, const QString& description);

private:
    const Clock* m_clock;
    QString m_folder;
};

} // namespace tavrino

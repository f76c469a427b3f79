#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

namespace tavrino {

class Clock;

// Appends one line per trapped error to "TavrinoErrors.log" in the database
// folder. Where the folder's file system refuses to open a file for
// appending (an SMB share mounted by rclone opens existing files only to
// rewrite them), the log is rewritten aside with the line and renamed into
// place. A line that can't be written is lost; a failure handler, where one
// is set, is told why. Control characters in the texts are escaped, so one
// call is one line; at RotateAtBytes the log moves to "TavrinoErrors.log.1"
// and starts anew.
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

    // Told the log's path and why when a line could not be written.
    using FailureHandler = std::function<void(const QString& path, const QString& why)>;
    void setFailureHandler(FailureHandler handler) { m_onFailure = std::move(handler); }

    // The exact line written for one call, CR LF included.
    static QByteArray formatLine(const QDateTime& when, const QString& procedureName,
                                 const QString& errorNumber, const QString& description);

private:
    bool appendRewritten(const QByteArray& path, const QByteArray& line) const;
    void failed(int error) const;

    const Clock* m_clock;
    QString m_folder;
    FailureHandler m_onFailure;
};

} // namespace tavrino

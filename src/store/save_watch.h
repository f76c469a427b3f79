#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace tavrino {

class Clock;

// What a file looks like from outside, without inode numbers (a network file
// system changes them from one call to the next): size, modification time
// and a digest of the content.
struct FileSignature {
    qint64 size = -1;
    qint64 modifiedNs = 0;
    QByteArray digest;

    bool isValid() const { return size >= 0; }
    bool operator==(const FileSignature&) const = default;
    QByteArray toText() const;
    static FileSignature fromText(const QByteArray& text);
    // Of the file at path; content gets what was read. Invalid when missing.
    static FileSignature of(const QString& path, QByteArray* content = nullptr);
    static FileSignature of(qint64 size, qint64 modifiedNs, const QByteArray& content);
};

// Tells a save in progress from one that was abandoned, for the ".bak" lock
// and the temporaries a save leaves beside a profile. Another workstation's
// save can't be seen through locks on every file system, so a file counts as
// abandoned only once it has stood unchanged for longer than any save takes,
// counted from when this workstation first saw it as it is. Sooner only when
// a save of this user on this machine took it and has died since.
//
// The sightings are notes in a folder of this user on this machine, so the
// command-line tool remembers them from one run to the next.
class SaveWatch {
public:
    enum class Verdict { Gone, InProgress, Abandoned };
    static constexpr qint64 DefaultAbandonedAfterMs = 120 * 1000;

    explicit SaveWatch(const Clock& clock);

    // $XDG_RUNTIME_DIR/tavrino-saves, else a folder of this user's in /tmp.
    static QString defaultNotesFolder();
    void setNotesFolder(const QString& folder) { m_notesFolder = folder; }
    QString notesFolder() const { return m_notesFolder; }
    void setAbandonedAfterMs(qint64 ms) { m_abandonedAfterMs = ms; }
    qint64 abandonedAfterMs() const { return m_abandonedAfterMs; }

    // Looks at path now; content gets what it holds, seen how it looked.
    Verdict judge(const QString& path, QByteArray* content = nullptr,
                  FileSignature* seen = nullptr);
    void forget(const QString& path);

    // This process is about to move its profile, holding content, to path
    // and to set its modification time to modifiedSecs (a save begins);
    // saveNotBegun when the move failed, saveEnded once it has let go.
    void saveBegins(const QString& path, const QByteArray& content, qint64 modifiedSecs);
    void saveNotBegun(const QString& path);
    // This process's save writes the new content to path, a name of its own.
    void temporaryBegan(const QString& path);
    void saveEnded(const QString& path);

private:
    QString notePath(const QString& path, const char* kind) const;
    QByteArray readNote(const QString& path, const char* kind) const;
    void writeNote(const QString& path, const char* kind, const QByteArray& text);
    void removeNote(const QString& path, const char* kind);
    bool takenByDeadSaver(const QString& path, const FileSignature& seen, qint64 now) const;
    bool ensureNotesFolder() const;
    void pruneOldNotes(qint64 now);

    const Clock& m_clock;
    QString m_notesFolder;
    qint64 m_abandonedAfterMs = DefaultAbandonedAfterMs;
    qint64 m_lastPrune = 0;
    QHash<QString, QByteArray> m_memory; // the notes, when the folder can't be used
};

} // namespace tavrino

#include "save_watch.h"

#include "shell/clock.h"
#include "store/held_file.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrino {
namespace {

constexpr qint64 NoteLifetimeMs = 24LL * 3600 * 1000;

QByteArray bootId() {
    QFile f(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed() : QByteArray();
}

QByteArray valueOf(const QByteArray& note, const QByteArray& key) {
    for (const QByteArray& line : note.split('\n'))
        if (line.startsWith(key + '=')) return line.mid(key.size() + 1);
    return {};
}

bool processIsGone(qint64 pid) {
    return pid > 0 && pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 &&
           errno == ESRCH;
}

} // namespace

QByteArray FileSignature::toText() const {
    return QByteArray::number(size) + ' ' + QByteArray::number(modifiedNs) + ' ' + digest.toHex();
}

FileSignature FileSignature::fromText(const QByteArray& text) {
    const QList<QByteArray> parts = text.split(' ');
    FileSignature s;
    if (parts.size() != 3) return s;
    bool ok1 = false;
    bool ok2 = false;
    s.size = parts[0].toLongLong(&ok1);
    s.modifiedNs = parts[1].toLongLong(&ok2);
    s.digest = QByteArray::fromHex(parts[2]);
    if (!ok1 || !ok2) s.size = -1;
    return s;
}

FileSignature FileSignature::of(qint64 size, qint64 modifiedNs, const QByteArray& content) {
    FileSignature s;
    s.size = size;
    s.modifiedNs = modifiedNs;
    // Tells one state of a file from another, not an attacker's forgery
    // (who can write the folder can delete the file): a fast 64-bit hash,
    // the same in every process here (fixed seed). SHA-1 took 110 ms on a
    // 50 MB profile.
    const quint64 hash = qHashBits(content.constData(), static_cast<size_t>(content.size()), 0);
    s.digest = QByteArray::number(hash, 16);
    return s;
}

FileSignature FileSignature::of(const QString& path, QByteArray* content) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {};
    QByteArray data;
    FileOps::FileLook look;
    const int error = FileOps::readOpen(fd, data, &look);
    ::close(fd);
    if (error) return {};
    if (content) *content = data;
    return of(data.size(), look.modifiedNs, data);
}

SaveWatch::SaveWatch(const Clock& clock) : m_clock(clock), m_notesFolder(defaultNotesFolder()) {}

QString SaveWatch::defaultNotesFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime + QStringLiteral("/tavrino-saves");
    return QDir::tempPath() + QStringLiteral("/tavrino-saves-%1").arg(::geteuid());
}

bool SaveWatch::ensureNotesFolder() const {
    if (m_notesFolder.isEmpty()) return false;
    const QByteArray name = QFile::encodeName(m_notesFolder);
    ::mkdir(name.constData(), 0700);
    // Only a folder of our own: in /tmp another user could have put one there.
    struct stat st {};
    return ::lstat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 0077) == 0;
}

QString SaveWatch::notePath(const QString& path, const char* kind) const {
    const QByteArray key = QCryptographicHash::hash(QFileInfo(path).absoluteFilePath().toUtf8(),
                                                    QCryptographicHash::Sha1);
    return m_notesFolder + QLatin1Char('/') + QString::fromLatin1(key.toHex()) + QLatin1Char('.') +
           QLatin1String(kind);
}

QByteArray SaveWatch::readNote(const QString& path, const char* kind) const {
    const QString note = notePath(path, kind);
    if (!ensureNotesFolder()) return m_memory.value(note);
    QFile f(note);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void SaveWatch::writeNote(const QString& path, const char* kind, const QByteArray& text) {
    const QString note = notePath(path, kind);
    m_memory.insert(note, text);
    if (!ensureNotesFolder()) return;
    // Whole or not at all: written aside, then renamed over the old note.
    const QString aside = note + QStringLiteral(".new%1").arg(::getpid());
    QFile f(aside);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text) != text.size()) {
        f.remove();
        return;
    }
    f.close();
    if (::rename(QFile::encodeName(aside).constData(), QFile::encodeName(note).constData()) != 0)
        QFile::remove(aside);
}

void SaveWatch::removeNote(const QString& path, const char* kind) {
    const QString note = notePath(path, kind);
    m_memory.remove(note);
    if (ensureNotesFolder()) QFile::remove(note);
}

void SaveWatch::pruneOldNotes(qint64 now) {
    if (now - m_lastPrune < 3600 * 1000 || !ensureNotesFolder()) return;
    m_lastPrune = now;
    const QFileInfoList notes = QDir(m_notesFolder).entryInfoList(QDir::Files);
    for (const QFileInfo& note : notes)
        if (note.lastModified().msecsTo(QDateTime::currentDateTime()) > NoteLifetimeMs)
            QFile::remove(note.absoluteFilePath());
}

bool SaveWatch::takenByDeadSaver(const QString& path, const FileSignature& seen, qint64 now) const {
    const QByteArray note = readNote(path, "saving");
    if (note.isEmpty()) return false;
    const qint64 taken = valueOf(note, "taken").toLongLong();
    // Younger than the abandoned age: no other workstation can have taken
    // the file over meanwhile, so it is still the one our dead saver made.
    const QByteArray taker = note.left(note.indexOf('\n'));
    // A temporary's name is its saver's alone, whatever it holds by now.
    return (taker == "temporary" || FileSignature::fromText(taker) == seen) &&
           valueOf(note, "boot") == bootId() && processIsGone(valueOf(note, "pid").toLongLong()) &&
           now >= taken && now - taken < m_abandonedAfterMs;
}

SaveWatch::Verdict SaveWatch::judge(const QString& path, QByteArray* content,
                                    FileSignature* seen) {
    const FileSignature now_ = FileSignature::of(path, content);
    if (seen) *seen = now_;
    if (!now_.isValid()) {
        forget(path);
        return Verdict::Gone;
    }
    const qint64 now = m_clock.now().toMSecsSinceEpoch();
    if (takenByDeadSaver(path, now_, now)) return Verdict::Abandoned;
    const QByteArray note = readNote(path, "seen");
    if (FileSignature::fromText(note.left(note.indexOf('\n'))) == now_) {
        const qint64 first = valueOf(note, "first").toLongLong();
        // A sighting "in the future" was made while the clock ran ahead: it
        // counts from now, so a clock set back never stretches the wait.
        if (first <= now)
            return now - first >= m_abandonedAfterMs ? Verdict::Abandoned : Verdict::InProgress;
    }
    writeNote(path, "seen", now_.toText() + "\nfirst=" + QByteArray::number(now) + '\n');
    pruneOldNotes(now);
    return Verdict::InProgress;
}

void SaveWatch::forget(const QString& path) {
    if (!readNote(path, "seen").isEmpty()) removeNote(path, "seen");
}

void SaveWatch::saveBegins(const QString& path, const QByteArray& content, qint64 modifiedSecs) {
    // Noted before the move, so a saver killed right after it is known.
    const FileSignature taken =
        FileSignature::of(content.size(), modifiedSecs * 1000000000, content);
    writeNote(path, "saving",
              taken.toText() + "\npid=" + QByteArray::number(::getpid()) + "\nboot=" + bootId() +
                  "\ntaken=" + QByteArray::number(m_clock.now().toMSecsSinceEpoch()) + '\n');
}

void SaveWatch::saveNotBegun(const QString& path) {
    removeNote(path, "saving");
}

void SaveWatch::temporaryBegan(const QString& path) {
    writeNote(path, "saving",
              "temporary\npid=" + QByteArray::number(::getpid()) + "\nboot=" + bootId() +
                  "\ntaken=" + QByteArray::number(m_clock.now().toMSecsSinceEpoch()) + '\n');
}

void SaveWatch::saveEnded(const QString& path) {
    removeNote(path, "saving");
    forget(path);
}

} // namespace tavrino

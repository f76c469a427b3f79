#include "profile_store.h"

#include "crypto/text_cipher.h"
#include "shell/clock.h"
#include "shell/error_log.h"
#include "shell/folder_access.h"
#include "shell/message_service.h"
#include "shell/single_instance.h"
#include "store/login_check.h"
#include "store/sealed_format.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <unistd.h>

namespace tavrino {
namespace {
const QString Bak = QStringLiteral(".bak");

QString errorIntro() {
    return QStringLiteral("An Error has occurred!. The error is : \r\n");
}

// A profile file whose every line reads and checks: the one thing that
// tells a finished save from one cut off (an empty file is not one).
bool isWholeProfile(const QString& path, const QByteArray& content, TextCipher& cipher) {
    // A sealed file's sum covers every byte: whole when it checks.
    if (SealedFormat::isSealedName(path)) return SealedFormat::readHeader(content).has_value();
    Profile scratch;
    const ProfileFormat::ReadOutcome outcome = ProfileFormat::read(content, scratch, cipher);
    return outcome.clean() && outcome.linesRead > 0;
}

QString randomSuffix() {
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += QLatin1Char(letters[QRandomGenerator::system()->bounded(62)]);
    return suffix;
}

QString fileName(const QString& path) {
    return QFileInfo(path).fileName();
}
} // namespace

ProfileStore::ProfileStore(Profile& profile, ErrorLog& log, TextCipher& cipher,
                           MessageService& messages, PauseService& pause, const Clock& clock)
    : m_profile(profile), m_log(log), m_cipher(cipher), m_messages(messages), m_pause(pause),
      m_clock(clock), m_watch(clock), m_folder(log.folder()) {}

void ProfileStore::setDatabaseFolder(const QString& folder) {
    m_folder = folder;
    m_log.setFolder(folder);
}

void ProfileStore::reportChecksumFailures(const ProfileFormat::ReadOutcome& outcome) {
    for (int line : outcome.checksumFailures) {
        m_messages.show(QStringLiteral("Invalid Data"));
        m_log.LogError(QStringLiteral("RSumofAC"), 0,
                       QStringLiteral("Line %1 of %2 has a wrong part count or checksum")
                           .arg(line)
                           .arg(m_profile.ProfileFileName));
    }
}

void ProfileStore::contentLost(bool showErrors, int number, const QString& description) {
    m_profile.Categories.clear();
    m_profile.Records.clear();
    m_profile.Security.Questions.clear();
    readFailed(showErrors, number, description);
}

QString ProfileStore::damagedText() const {
    return QStringLiteral("%1 is damaged").arg(m_profile.ProfileFileName);
}

void ProfileStore::readFailed(bool showErrors, int number, const QString& description) {
    if (!showErrors) return;
    m_messages.show(errorIntro() + description + QStringLiteral("  ReadFromFile (%1)").arg(number) +
                    QStringLiteral("\r\nPlease close application and re-open."));
    m_log.LogError(QStringLiteral("ReadFromFile"), number, description);
    if (m_hooks.unloadVaultWindow) m_hooks.unloadVaultWindow();
}

int ProfileStore::openProfile(const QString& path, QByteArray& content) {
    for (int attempt = 1;; ++attempt) {
        if (settle(path)) {
            HeldFile file;
            int error = file.open(path);
            if (!error) error = file.readAll(content, ProfileFormat::MaxFileBytes);
            // A save that began meanwhile may be writing this very file (the
            // Windows version writes in place): read it once that is done.
            const bool saving = FileOps::exists(path + Bak);
            if (!error && !saving) {
                m_held = std::move(file);
                return 0;
            }
            // Held by another instance here, unreadable, or not there at all.
            if (error && (error != ENOENT || !saving)) return error;
        }
        if (attempt == SaveAttempts) return EWOULDBLOCK;
        m_pause.pause(RetryPauseMs);
    }
}

bool ProfileStore::ReadFromFile(bool showErrors, const QString& suffix) {
    m_profile.ProfileLoaded = false;
    const QString path = pathOf(m_profile.ProfileFileName + suffix);
    m_profile.ProfilePath = path;

    QByteArray content;
    int error = 0;
    const bool fromOwnBackup = suffix == Bak && m_locked;
    if (fromOwnBackup) {
        error = readLockedBackup();
        content = m_lockedContent;
    } else {
        m_held.release();
        if (suffix.isEmpty()) {
            error = openProfile(path, content);
        } else {
            HeldFile file;
            error = file.open(path);
            if (!error) error = file.readAll(content, ProfileFormat::MaxFileBytes);
            if (!error) m_held = std::move(file);
        }
    }
    if (error) {
        contentLost(showErrors, error, HeldFile::describe(error));
        return false;
    }

    if (SealedFormat::isSealedName(m_profile.ProfileFileName))
        return readSealed(content, showErrors, fromOwnBackup);
    return readContent(content, showErrors, fromOwnBackup);
}

bool ProfileStore::readContent(const QByteArray& content, bool showErrors, bool fromOwnBackup) {
    const ProfileFormat::ReadOutcome outcome = ProfileFormat::read(content, m_profile, m_cipher);
    reportChecksumFailures(outcome);
    switch (outcome.kind) {
    case ProfileFormat::ReadOutcome::Complete:
        m_profile.ProfileLoaded = true;
        break;
    case ProfileFormat::ReadOutcome::CountMismatch:
        m_messages.show(QStringLiteral("Invalid Data!."));
        if (m_hooks.unloadVaultWindow) m_hooks.unloadVaultWindow();
        m_profile.ProfileLoaded = true;
        break;
    case ProfileFormat::ReadOutcome::ReadError:
        if (!fromOwnBackup) m_held.release();
        readFailed(showErrors, outcome.errorNumber, outcome.errorDescription);
        break;
    case ProfileFormat::ReadOutcome::InvalidData:
        if (!fromOwnBackup) m_held.release();
        m_cipher.invalidData();
        break;
    }
    return m_profile.ProfileLoaded;
}

bool ProfileStore::readSealed(const QByteArray& content, bool showErrors, bool fromOwnBackup) {
    if (m_keys) {
        // Opened before: the content key reads what another save wrote too,
        // unless that one sealed the profile anew.
        QByteArray plain;
        if (SealedFormat::openWithKey(content, *m_keys, plain) == SealedFormat::Refusal::None) {
            const bool read = readContent(plain, showErrors, fromOwnBackup);
            SealedFormat::wipe(plain);
            return read;
        }
        forgetKeys();
    }
    const std::optional<SealedFormat::Header> header = SealedFormat::readHeader(content);
    if (!header) {
        if (!fromOwnBackup) m_held.release();
        contentLost(showErrors, EILSEQ, damagedText());
        return false;
    }
    // Until a login opens it, the profile is what its header shows.
    SecuritySettings security;
    security.LoginMode = header->loginMode;
    security.AnswersRequired = header->answersRequired;
    for (const QString& question : header->questions)
        security.Questions.add(SecuritySettings::questionLine(question, QString()));
    m_profile.Security = security;
    m_profile.Categories.clear();
    m_profile.Records.clear();
    m_profile.ChangeStamp = header->changeStamp;
    m_profile.ProfileLoaded = true;
    return true;
}

bool ProfileStore::isSealed() const {
    return SealedFormat::isSealedName(m_profile.ProfileFileName);
}

void ProfileStore::forgetKeys() {
    m_keys.reset();
}

bool ProfileStore::logIn(const QString& userId, const QString& password, const QString& pin) {
    if (!isSealed()) return CheckLogin(m_profile.Security, userId, password, pin);
    const std::int32_t mode = m_profile.Security.LoginMode;
    const QByteArray secret = SealedFormat::loginSecret(
        mode, mode >= 2 ? trimBlanks(userId) : QString(), trimBlanks(password),
        mode >= 3 ? trimBlanks(pin) : QString());
    return unseal([&](const QByteArray& file, QByteArray& plain, SealedFormat::Keys& keys) {
        return SealedFormat::openWithLogin(file, secret, plain, keys);
    });
}

bool ProfileStore::logInByAnswers(const QStringList& typedAnswers) {
    if (!isSealed()) return CheckSecretAnswers(m_profile.Security, typedAnswers);
    return unseal([&](const QByteArray& file, QByteArray& plain, SealedFormat::Keys& keys) {
        return SealedFormat::openWithAnswers(file, typedAnswers, plain, keys);
    });
}

bool ProfileStore::unseal(
    const std::function<SealedFormat::Refusal(const QByteArray&, QByteArray&, SealedFormat::Keys&)>&
        open) {
    forgetKeys();
    // Read again: another workstation may have saved since the header was read.
    m_held.release();
    QByteArray file;
    if (int error = openProfile(m_profile.ProfilePath, file)) {
        readFailed(true, error, HeldFile::describe(error));
        return false;
    }
    auto keys = std::make_unique<SealedFormat::Keys>();
    QByteArray plain;
    const SealedFormat::Refusal refusal = open(file, plain, *keys);
    if (refusal == SealedFormat::Refusal::WrongLogin) return false;
    if (refusal == SealedFormat::Refusal::Damaged) {
        readFailed(true, EILSEQ, damagedText());
        return false;
    }
    const bool read = readContent(plain, true, false);
    SealedFormat::wipe(plain);
    if (!read) return false;
    m_keys = std::move(keys);
    m_keysFor = m_profile.Security;
    return true;
}

void ProfileStore::sealWith(std::unique_ptr<SealedFormat::Keys> keys) {
    m_keys = std::move(keys);
    m_keysFor = m_profile.Security;
}

std::int32_t ProfileStore::ReadVersion(bool showErrors) {
    const QString backupPath = pathOf(m_profile.ProfileFileName + Bak);
    QByteArray content;
    int error = 0;
    if (m_locked) {
        error = readLockedBackup();
        content = m_lockedContent;
    } else {
        error = FileOps::readAll(backupPath, content, ProfileFormat::MaxFileBytes);
    }
    ProfileFormat::ReadOutcome outcome;
    std::int32_t stamp = -1;
    if (!error && isSealed()) {
        if (const auto header = SealedFormat::readHeader(content)) return header->changeStamp;
        error = EILSEQ;
    }
    if (!error) {
        stamp = ProfileFormat::readStamp(content, m_cipher, outcome);
        reportChecksumFailures(outcome);
        if (outcome.kind == ProfileFormat::ReadOutcome::InvalidData) {
            m_cipher.invalidData();
            return -1;
        }
        if (outcome.kind != ProfileFormat::ReadOutcome::ReadError) return stamp;
    }
    const int number = error ? error : outcome.errorNumber;
    const QString description = error ? HeldFile::describe(error) : outcome.errorDescription;
    if (showErrors) {
        m_messages.show(errorIntro() + description, QStringLiteral("ReadFromFile"));
        m_log.LogError(QStringLiteral("ReadVersion"), number, description);
        // Give the profile its name back; the save that called us ends.
        giveBackBackup();
    }
    return -1;
}

void ProfileStore::logRepair(const QString& description) {
    m_log.LogError(QStringLiteral("ReadFromFile"), 0, description);
}

void ProfileStore::removeAbandonedTemporaries(const QString& datPath) {
    const QFileInfo info(datPath);
    const QStringList leftovers =
        QDir(info.absolutePath())
            .entryList({info.fileName() + QStringLiteral(".tmp-*")}, QDir::Files | QDir::Hidden);
    for (const QString& name : leftovers) {
        const QString path = info.absolutePath() + QLatin1Char('/') + name;
        // A temporary still being written is somebody's save in progress.
        if (m_watch.judge(path) == SaveWatch::Verdict::Abandoned && FileOps::remove(path) == 0) {
            m_watch.forget(path);
            logRepair(QStringLiteral("Removed %1, left behind by an interrupted save").arg(name));
        }
    }
}

bool ProfileStore::settle(const QString& datPath) {
    removeAbandonedTemporaries(datPath);
    QByteArray backup;
    switch (m_watch.judge(datPath + Bak, &backup)) {
    case SaveWatch::Verdict::Gone:
        return true;
    case SaveWatch::Verdict::InProgress:
        return false;
    case SaveWatch::Verdict::Abandoned:
        break;
    }
    return recover(datPath, backup) && !FileOps::exists(datPath + Bak);
}

// Every step leaves the profile's name on a whole copy, or leaves both files
// as they were; nothing is deleted that is the only copy of anything.
bool ProfileStore::recover(const QString& datPath, const QByteArray& backupContent) {
    const QString backupPath = datPath + Bak;
    const QString name = fileName(datPath);
    // Still the very file judged abandoned: not a new save's lock.
    auto backupUnchanged = [&] { return FileOps::holds(backupPath, backupContent); };

    QByteArray current;
    const int error = FileOps::readAll(datPath, current);
    if (error == ENOENT) {
        const int moved = FileOps::renameNoReplace(backupPath, datPath);
        if (moved != 0) return moved == EEXIST || moved == ENOENT; // recovered by another
        FileOps::syncFolder(m_folder);
        m_watch.forget(backupPath);
        logRepair(QStringLiteral("Restored %1 from the backup of an interrupted save").arg(name));
        return true;
    }
    if (error) return false;

    if (isWholeProfile(datPath, current, m_cipher)) {
        // The save was written in full; its backup is the older content.
        if (!backupUnchanged() || FileOps::remove(backupPath) != 0) return false;
        m_watch.forget(backupPath);
        logRepair(QStringLiteral("Removed %1.bak, left behind by an interrupted save").arg(name));
        return true;
    }

    // Cut off: what it holds is kept aside, the backup takes its place.
    QString kept;
    if (!current.isEmpty()) {
        kept = datPath + QStringLiteral(".damaged");
        HeldFile copy;
        int created = copy.create(kept);
        if (created == EEXIST) {
            kept += QLatin1Char('.') + m_clock.now().toString(QStringLiteral("yyyyMMdd-hhmmsszzz"));
            created = copy.create(kept);
        }
        if (!created) {
            copy.applyAccess(NewFileAccess::forFolder(m_folder));
            created = copy.writeAll(current);
        }
        if (!created) created = copy.sync();
        if (created) {
            FileOps::remove(kept);
            return false;
        }
    }
    if (!backupUnchanged() || FileOps::replace(backupPath, datPath) != 0) return false;
    FileOps::syncFolder(m_folder);
    m_watch.forget(backupPath);
    logRepair(kept.isEmpty()
                  ? QStringLiteral("%1 was empty; the backup of an interrupted save took its place")
                        .arg(name)
                  : QStringLiteral("%1 was damaged and is kept as %2; the backup of an "
                                   "interrupted save took its place")
                        .arg(name, fileName(kept)));
    return true;
}

int ProfileStore::moveToBackup() {
    const QString& datPath = m_profile.ProfilePath;
    const QString backupPath = datPath + Bak;
    for (int tries = 0;; ++tries) {
        HeldFile file; // another instance on this machine holding it says "in use"
        int error = file.open(datPath);
        if (error == ENOENT) error = settle(datPath) ? file.open(datPath) : EWOULDBLOCK;
        QByteArray expected;
        if (!error) error = file.readAll(expected, ProfileFormat::MaxFileBytes);
        // Not held across the move: a network file system would keep the
        // old name as a hidden file (".fuse_hidden…", ".nfs…") while it is open.
        file.release();
        // A time of our own on the ".bak", so that no later lock of the
        // same content looks like this one to those who watch for abandoned
        // saves.
        const qint64 stampSecs = m_clock.now().toSecsSinceEpoch();
        if (!error) {
            m_watch.saveBegins(backupPath, expected, stampSecs);
            error = FileOps::renameNoReplace(datPath, backupPath);
            if (error) m_watch.saveNotBegun(backupPath);
        }
        if (error == EEXIST) {
            // A ".bak" already: somebody's save, or one abandoned.
            if (!settle(datPath)) return EWOULDBLOCK;
            if (tries == 0) continue;
        }
        if (error) return error;
        m_locked = true;
        FileOps::setModified(backupPath, stampSecs);
        // What the ".bak" holds now is how we know it later: read by name,
        // since the profile may have been replaced between our open and the move.
        m_lockedRead = false;
        readLockedBackup();
        return 0;
    }
}

// What the ".bak" of our save holds, read once (again only after a failure).
int ProfileStore::readLockedBackup() {
    if (m_lockedRead) return 0;
    const int error = FileOps::readAll(pathOf(m_profile.ProfileFileName + Bak), m_lockedContent,
                                       ProfileFormat::MaxFileBytes);
    m_lockedRead = error == 0;
    return error;
}

bool ProfileStore::ownsBackup() const {
    if (!m_locked || !m_lockedRead) return false;
    return FileOps::holds(m_profile.ProfilePath + Bak, m_lockedContent);
}

void ProfileStore::endSave() {
    if (m_locked) m_watch.saveEnded(m_profile.ProfilePath + Bak);
    m_locked = false;
    m_lockedRead = false;
    m_lockedContent.clear();
}

// The ".bak" goes back to the profile's name, unchanged and held again.
void ProfileStore::giveBackBackup() {
    const QString& datPath = m_profile.ProfilePath;
    if (ownsBackup() && FileOps::renameNoReplace(datPath + Bak, datPath) == 0) {
        FileOps::syncFolder(m_folder);
        HeldFile file;
        if (file.open(datPath) == 0) m_held = std::move(file);
    }
    endSave();
}

void ProfileStore::WriteToFile() {
    BusyPointer();
    m_profile.ProfileSaved = false;
    m_lastSave = SaveOutcome::Failed;
    // A new profile is another file: the open one stays held meanwhile.
    if (!m_profile.CreatingProfile) m_held.release();

    if (!m_profile.CreatingProfile) {
        if (FileOps::isReadOnly(m_profile.ProfilePath)) {
            saveFailed(EACCES, QStringLiteral("%1 is read-only; it was not changed")
                                   .arg(m_profile.ProfileFileName));
            return;
        }
        if (m_attempt == 0) {
            for (m_attempt = 1;; ++m_attempt) {
                const int error = moveToBackup();
                if (!error) break;
                if (m_attempt == SaveAttempts) {
                    saveFailed(error, HeldFile::describe(error));
                    return;
                }
                m_pause.pause(RetryPauseMs);
            }
            m_attempt = 0;
        }

        std::int32_t version = -1;
        for (m_attempt = 1; m_attempt <= SaveAttempts; ++m_attempt) {
            version = ReadVersion(m_attempt == SaveAttempts);
            if (version != -1) break;
            if (m_attempt < SaveAttempts) m_pause.pause(RetryPauseMs);
        }
        m_attempt = 0;
        if (version == -1) {
            // The stamp can't be read: nothing is known about the file, so
            // keep the unsaved change and report the save as failed.
            saveFailed(EIO, QStringLiteral("The change stamp of %1 can not be read")
                                .arg(m_profile.ProfileFileName));
            return;
        }
        if (version != m_profile.ChangeStamp) {
            conflict();
            return;
        }
    }
    writeNewFile();
}

void ProfileStore::conflict() {
    const SecuritySettings before = m_profile.Security;
    for (m_attempt = 1; m_attempt <= SaveAttempts; ++m_attempt) {
        ReadFromFile(m_attempt == SaveAttempts, Bak);
        if (m_profile.ProfilePath.endsWith(Bak)) m_profile.ProfilePath.chop(Bak.size());
        if (m_profile.ProfileLoaded) break;
        if (m_attempt < SaveAttempts) m_pause.pause(RetryPauseMs);
    }
    NormalPointer();
    const SecuritySettings& now = m_profile.Security;
    if (before.sameLogin(now)) {
        m_lastSave = SaveOutcome::ConflictRecords;
        m_messages.show(
            QStringLiteral("The record has been modified by another user.\r\nRefreshing data..."));
    } else {
        m_lastSave = SaveOutcome::ConflictLogin;
        m_messages.show(QStringLiteral(
            "The profile has been modified by another user.\r\nYou will have to login again."));
        if (m_hooks.setDirty) m_hooks.setDirty(false);
    }
    m_attempt = 0;
    // Back under its own name, and held: the re-read content is what is open.
    giveBackBackup();
}

void ProfileStore::writeNewFile() {
    const bool creating = m_profile.CreatingProfile;
    const std::int32_t stamp = ChangeStamp::next(m_profile.ChangeStamp);
    QByteArray content = ProfileFormat::write(
        m_profile, stamp, ProfileFormat::fileKeySeed(m_clock.now().time()), !creating, m_cipher);
    if (content.isNull()) {
        saveFailed(EINVAL, QStringLiteral("A line of the profile could not be encrypted"));
        return;
    }
    const bool sealedFile =
        SealedFormat::isSealedName(m_convertTo.isEmpty() ? m_profile.ProfilePath : m_convertTo);
    if (sealedFile && creating) {
        if (!m_creatingKeys) {
            saveFailed(EINVAL, QStringLiteral("A sealed profile needs its keys"));
            return;
        }
        const QByteArray plain = content;
        content = SealedFormat::seal(plain, stamp, m_profile.Security, *m_creatingKeys);
    } else if (sealedFile) {
        // Only an opened profile is saved: its header alone would lose the records.
        if (!m_keys) {
            saveFailed(EACCES, QStringLiteral("%1 is not opened").arg(m_profile.ProfileFileName));
            return;
        }
        const SecuritySettings& now = m_profile.Security;
        if (!now.sameLogin(m_keysFor) || now.AnswersRequired != m_keysFor.AnswersRequired ||
            now.Questions.lines() != m_keysFor.Questions.lines()) {
            // A changed login or changed questions: the key is wrapped anew.
            SealedFormat::rewrap(*m_keys, now);
            m_keysFor = now;
        }
        const QByteArray plain = content;
        content = SealedFormat::seal(plain, stamp, now, *m_keys);
    }
    const QString& datPath = m_profile.ProfilePath;
    // The new file gets the rights of the one it replaces; a new profile
    // those of the folder.
    NewFileAccess access = NewFileAccess::forFolder(m_folder);
    if (!creating) FileOps::accessOf(datPath + Bak, access);
    // Written aside and renamed into place, so the name always points at a
    // complete file: the old one (as ".bak") or the new one. The rename
    // refuses a file that is there: nobody may have put one while we hold
    // the lock, and a new profile must not replace another's.
    // A conversion writes the other format's file; the lock stays on this one.
    const QString target = m_convertTo.isEmpty() ? datPath : m_convertTo;
    QString tempPath;
    HeldFile temp;
    int error = EEXIST;
    for (int tries = 0; error == EEXIST && tries < 10; ++tries) {
        tempPath = datPath + QStringLiteral(".tmp-") + randomSuffix();
        m_watch.temporaryBegan(tempPath); // before it exists: a killed saver is known
        error = temp.create(tempPath);
    }
    if (!error) temp.applyAccess(access);
    if (!error) error = temp.writeAll(content);
    if (!error) error = temp.sync();
    // Closed before the move: where the move is a link and an unlink (a
    // network file system), an open file's old name would linger hidden.
    const bool created = temp.isValid();
    temp.release();
    if (!error) error = FileOps::renameNoReplace(tempPath, target);
    if (error) {
        if (created) FileOps::remove(tempPath);
        saveFailed(error, HeldFile::describe(error));
        m_watch.saveEnded(tempPath);
        return;
    }
    m_watch.saveEnded(tempPath);
    FileOps::syncFolder(m_folder);
    if (!creating) {
        HeldFile saved;
        if (saved.open(target) == 0) m_held = std::move(saved);
        if (ownsBackup()) FileOps::remove(datPath + Bak);
        endSave();
        FileOps::syncFolder(m_folder);
    }
    m_attempt = 0;
    m_profile.ChangeStamp = stamp;
    NormalPointer();
    m_profile.ProfileSaved = true;
    m_lastSave = SaveOutcome::Saved;
}

bool ProfileStore::convertTo(bool sealed) {
    if (sealed == isSealed() || !isOpened()) return false;
    const QString name = m_profile.name();
    const QString fileName = name + (sealed ? QLatin1String(SealedFormat::FileEnding)
                                            : QStringLiteral(".dat"));
    m_convertTo = pathOf(fileName);
    if (sealed) sealWith(std::make_unique<SealedFormat::Keys>(SealedFormat::newKeys(m_profile.Security)));
    WriteToFile();
    m_convertTo.clear();
    if (!m_profile.ProfileSaved) {
        if (sealed) forgetKeys();
        return false;
    }
    // The profile goes on under its new name; the old file went with the lock.
    m_profile.ProfileFileName = fileName;
    m_profile.ProfilePath = pathOf(fileName);
    if (!sealed) forgetKeys();
    return true;
}

void ProfileStore::saveFailed(int number, const QString& description) {
    NormalPointer();
    m_profile.ProfileSaved = false;
    if (m_locked) {
        if (!FileOps::exists(m_profile.ProfilePath))
            giveBackBackup();
        else
            endSave();
    }
    m_attempt = 0;
    m_lastSave = SaveOutcome::Failed;
    m_log.LogError(QStringLiteral("Writetofile"), number, description);
    m_messages.show(errorIntro() + description + QStringLiteral("(%1)").arg(number) +
                        QStringLiteral("\r\nPlease close application and re-open."),
                    QStringLiteral("WriteToFile"));
}

} // namespace tavrino

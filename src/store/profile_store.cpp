#include "profile_store.h"

#include "crypto/text_cipher.h"
#include "shell/clock.h"
#include "shell/error_log.h"
#include "shell/message_service.h"
#include "shell/single_instance.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <unistd.h>

namespace tavrino {
namespace {
const QString Bak = QStringLiteral(".bak");

QString errorIntro() {
    return QStringLiteral("An Error has occurred!. The error is : \r\n");
}

int removeFile(const QString& path) {
    return ::unlink(QFile::encodeName(path).constData()) == 0 ? 0 : errno;
}
} // namespace

ProfileStore::ProfileStore(Profile& profile, ErrorLog& log, TextCipher& cipher,
                           MessageService& messages, PauseService& pause, const Clock& clock)
    : m_profile(profile), m_log(log), m_cipher(cipher), m_messages(messages), m_pause(pause),
      m_clock(clock), m_folder(log.folder()) {}

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

void ProfileStore::readFailed(bool showErrors, int number, const QString& description) {
    if (!showErrors) return;
    m_messages.show(errorIntro() + description + QStringLiteral("  ReadFromFile (%1)").arg(number) +
                    QStringLiteral("\r\nPlease close application and re-open."));
    m_log.LogError(QStringLiteral("ReadFromFile"), number, description);
    if (m_hooks.unloadVaultWindow) m_hooks.unloadVaultWindow();
}

bool ProfileStore::ReadFromFile(bool showErrors, const QString& suffix) {
    m_profile.ProfileLoaded = false;
    const QString path = pathOf(m_profile.ProfileFileName + suffix);
    m_profile.ProfilePath = path;

    QByteArray content;
    int error = 0;
    const bool fromOwnBackup = suffix == Bak && m_backup.isValid() && m_backup.isFileAt(path);
    if (fromOwnBackup) {
        error = m_backup.readAll(content);
    } else {
        m_held.release();
        if (suffix.isEmpty()) repairStaleBackup(path);
        HeldFile file;
        error = file.open(path);
        if (!error) error = file.readAll(content);
        if (!error) m_held = std::move(file);
    }
    if (error) {
        m_profile.Categories.clear();
        m_profile.Records.clear();
        m_profile.Security.Questions.clear();
        readFailed(showErrors, error, HeldFile::describe(error));
        return false;
    }

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

std::int32_t ProfileStore::ReadVersion(bool showErrors) {
    const QString backupPath = pathOf(m_profile.ProfileFileName + Bak);
    QByteArray content;
    int error = 0;
    if (m_backup.isValid() && m_backup.isFileAt(backupPath)) {
        error = m_backup.readAll(content);
    } else {
        HeldFile file;
        error = file.open(backupPath);
        if (!error) error = file.readAll(content);
    }
    ProfileFormat::ReadOutcome outcome;
    std::int32_t stamp = -1;
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
        const QString datPath = pathOf(m_profile.ProfileFileName);
        if (m_backup.isValid() && FileOps::renameNoReplace(backupPath, datPath) == 0)
            m_backup.setPath(datPath);
    }
    return -1;
}

void ProfileStore::logRepair(const QString& description) {
    m_log.LogError(QStringLiteral("ReadFromFile"), 0, description);
}

bool ProfileStore::removeStaleBackup(const QString& backupPath) {
    HeldFile backup;
    if (backup.open(backupPath) != 0 || !backup.isFileAt(backupPath)) return false;
    if (removeFile(backupPath) != 0) return false;
    logRepair(QStringLiteral("Removed %1, left behind by an interrupted save")
                  .arg(QFileInfo(backupPath).fileName()));
    return true;
}

void ProfileStore::removeStaleTemporaries(const QString& datPath) {
    const QFileInfo info(datPath);
    const QStringList leftovers =
        QDir(info.absolutePath())
            .entryList({info.fileName() + QStringLiteral(".tmp-*")}, QDir::Files | QDir::Hidden);
    for (const QString& name : leftovers) {
        const QString path = info.absolutePath() + QLatin1Char('/') + name;
        HeldFile temp;
        // A temporary somebody holds is a save in progress.
        if (temp.open(path) == 0 && temp.isFileAt(path) && removeFile(path) == 0)
            logRepair(QStringLiteral("Removed %1, left behind by an interrupted save").arg(name));
    }
}

bool ProfileStore::repairStaleBackup(const QString& datPath) {
    removeStaleTemporaries(datPath);
    const QString backupPath = datPath + Bak;
    HeldFile backup;
    // Missing, or held by a save in progress: nothing to repair.
    if (backup.open(backupPath) != 0 || !backup.isFileAt(backupPath)) return false;
    const QString name = QFileInfo(datPath).fileName();

    if (!FileOps::exists(datPath)) {
        if (FileOps::renameNoReplace(backupPath, datPath) != 0) return false;
        FileOps::syncFolder(m_folder);
        logRepair(QStringLiteral("Restored %1 from the backup of an interrupted save").arg(name));
        return true;
    }

    HeldFile current;
    if (current.open(datPath) != 0) return false; // in use: its holder read it completely
    QByteArray content;
    Profile scratch;
    if (current.readAll(content) == 0 && ProfileFormat::read(content, scratch, m_cipher).clean()) {
        if (removeFile(backupPath) != 0) return false;
        logRepair(QStringLiteral("Removed %1.bak, left behind by an interrupted save").arg(name));
        return true;
    }

    QString damaged = datPath + QStringLiteral(".damaged");
    if (FileOps::exists(damaged))
        damaged += QLatin1Char('.') + m_clock.now().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    if (FileOps::renameNoReplace(datPath, damaged) != 0) return false;
    if (FileOps::renameNoReplace(backupPath, datPath) != 0) return false;
    FileOps::syncFolder(m_folder);
    logRepair(
        QStringLiteral(
            "%1 was damaged and is kept as %2; the backup of an interrupted save took its place")
            .arg(name, QFileInfo(damaged).fileName()));
    return true;
}

int ProfileStore::moveToBackup() {
    const QString& datPath = m_profile.ProfilePath;
    const QString backupPath = datPath + Bak;
    HeldFile file;
    int error = file.open(datPath);
    if (error == ENOENT && repairStaleBackup(datPath)) error = file.open(datPath);
    if (error) return error;
    if (!file.isFileAt(datPath)) return EWOULDBLOCK;
    error = FileOps::renameNoReplace(datPath, backupPath);
    // We hold the profile we read, so a ".bak" nobody holds is only debris.
    if (error == EEXIST && removeStaleBackup(backupPath))
        error = FileOps::renameNoReplace(datPath, backupPath);
    if (error) return error;
    file.setPath(backupPath);
    m_backup = std::move(file);
    return 0;
}

void ProfileStore::WriteToFile() {
    BusyPointer();
    m_profile.ProfileSaved = false;
    m_lastSave = SaveOutcome::Failed;
    // A new profile is another file: the open one stays held meanwhile.
    if (!m_profile.CreatingProfile) m_held.release();

    if (!m_profile.CreatingProfile) {
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
    if (before.LoginMode == now.LoginMode && before.UserId == now.UserId &&
        before.Password == now.Password && before.Pin == now.Pin) {
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
    // Back under its own name, and still ours: the re-read content is open.
    const QString backupPath = m_profile.ProfilePath + Bak;
    if (FileOps::renameNoReplace(backupPath, m_profile.ProfilePath) == 0) {
        m_backup.setPath(m_profile.ProfilePath);
        m_held = std::move(m_backup);
    }
    m_backup.release();
}

void ProfileStore::writeNewFile() {
    const bool creating = m_profile.CreatingProfile;
    const std::int32_t stamp = ChangeStamp::next(m_profile.ChangeStamp);
    const QByteArray content = ProfileFormat::write(
        m_profile, stamp, ProfileFormat::fileKeySeed(m_clock.now().time()), !creating, m_cipher);
    if (content.isNull()) {
        saveFailed(EINVAL, QStringLiteral("A line of the profile could not be encrypted"));
        return;
    }
    const QString& datPath = m_profile.ProfilePath;
    // Written aside and renamed into place, so the name always points at a
    // complete file: the old one (as ".bak") or the new one.
    int error = m_temp.createTemporary(datPath + QStringLiteral(".tmp-"));
    if (!error) error = m_temp.writeAll(content);
    if (!error) error = m_temp.sync();
    if (!error) error = FileOps::renameNoReplace(m_temp.path(), datPath);
    if (error) {
        saveFailed(error, HeldFile::describe(error));
        return;
    }
    m_temp.setPath(datPath);
    FileOps::syncFolder(m_folder);
    if (creating) {
        m_temp.release();
    } else {
        m_held = std::move(m_temp);
        const QString backupPath = datPath + Bak;
        if (m_backup.isFileAt(backupPath)) removeFile(backupPath);
        m_backup.release();
        FileOps::syncFolder(m_folder);
    }
    m_attempt = 0;
    m_profile.ChangeStamp = stamp;
    NormalPointer();
    m_profile.ProfileSaved = true;
    m_lastSave = SaveOutcome::Saved;
}

void ProfileStore::saveFailed(int number, const QString& description) {
    if (m_temp.isValid()) {
        if (m_temp.path() != m_profile.ProfilePath) removeFile(m_temp.path());
        m_temp.release();
    }
    NormalPointer();
    m_profile.ProfileSaved = false;
    if (m_backup.isValid()) {
        const QString backupPath = m_profile.ProfilePath + Bak;
        if (m_backup.isFileAt(backupPath) &&
            FileOps::renameNoReplace(backupPath, m_profile.ProfilePath) == 0)
            FileOps::syncFolder(m_folder);
        m_backup.release();
    }
    m_attempt = 0;
    m_lastSave = SaveOutcome::Failed;
    m_log.LogError(QStringLiteral("Writetofile"), number, description);
    m_messages.show(errorIntro() + description + QStringLiteral("(%1)").arg(number) +
                        QStringLiteral("\r\nPlease close application and re-open."),
                    QStringLiteral("WriteToFile"));
}

} // namespace tavrino

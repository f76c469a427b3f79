#pragma once

#include "store/held_file.h"
#include "store/profile.h"
#include "store/profile_format.h"
#include "store/save_watch.h"
#include "store/sealed_format.h"

#include <functional>
#include <memory>

namespace tavrino {

class Clock;
class ErrorLog;
class MessageService;
class PauseService;
class TextCipher;

// What the store asks of the vault window; both may stay unset.
struct StoreHooks {
    std::function<void()> unloadVaultWindow; // after a read that failed
    std::function<void(bool)> setDirty;      // cleared when another user changed the login
};

// How the last WriteToFile ended.
enum class SaveOutcome {
    Saved,
    Failed,          // nothing reached the disk; the profile in memory is unchanged by it
    ConflictRecords, // another workstation saved first: its profile was read instead
    ConflictLogin,   // ... and it changed the login too
};

// Reads and writes the open profile's file. The file stays held (locked
// against other instances on this machine) from a read until the next save
// releases it.
//
// Between workstations the only lock is the name: a save renames NAME.dat to
// NAME.dat.bak, which no other save can then do, writes the new content
// aside and renames it into place, then removes the ".bak" if it still is
// the file it moved aside. A ".bak" of somebody else's is a save in progress
// (readers and savers wait, then report the profile in use) until the
// SaveWatch finds it abandoned; only then is it recovered, without ever
// destroying a copy.
class ProfileStore {
public:
    static constexpr int SaveAttempts = 5;
    static constexpr int RetryPauseMs = 3000;

    ProfileStore(Profile& profile, ErrorLog& log, TextCipher& cipher, MessageService& messages,
                 PauseService& pause, const Clock& clock);

    Profile& profile() { return m_profile; }
    void setHooks(StoreHooks hooks) { m_hooks = std::move(hooks); }
    SaveWatch& saveWatch() { return m_watch; }

    // The folder of the profiles and of the error log.
    QString databaseFolder() const { return m_folder; }
    void setDatabaseFolder(const QString& folder);
    QString pathOf(const QString& fileName) const { return m_folder + QLatin1Char('/') + fileName; }

    // Reads ProfileFileName + suffix from the database folder; true when
    // ProfileLoaded. suffix is "" for a normal open (which waits for a save
    // in progress), ".bak" for the file this store's save has moved aside.
    bool ReadFromFile(bool showErrors, const QString& suffix = {});
    // The change stamp of the moved-aside ".bak", or -1.
    std::int32_t ReadVersion(bool showErrors);
    // Writes the whole profile back; ProfileSaved tells whether it reached the disk.
    void WriteToFile();
    SaveOutcome lastSaveOutcome() const { return m_lastSave; }

    // A sealed profile (NAME.sealed) reads as far as its header until a
    // login opens it. These check a login on the open profile and, for a
    // sealed one, decrypt it with it; false for a wrong login.
    bool isSealed() const;
    bool isOpened() const { return !isSealed() || m_keys != nullptr; }
    bool logIn(const QString& userId, const QString& password, const QString& pin);
    bool logInByAnswers(const QStringList& typedAnswers);
    // The profile in memory is saved sealed with these keys from now on.
    void sealWith(std::unique_ptr<SealedFormat::Keys> keys);
    // A lock, or another profile: what opened the sealed one is forgotten.
    void forgetKeys();
    // Seal the opened profile (NAME.dat becomes NAME.sealed) or unseal it,
    // under the same lock and stamp check as a save; the old file goes only
    // once the new one is complete. False when nothing changed.
    bool convertTo(bool sealed);
    // The keys a new sealed profile is created with (CreatingProfile).
    void setCreatingKeys(std::unique_ptr<SealedFormat::Keys> keys) { m_creatingKeys = std::move(keys); }

    bool isHeld() const { return m_held.isValid(); }
    void releaseHeld() { m_held.release(); }

    // Looks beside datPath for what a save left: recovers an abandoned one.
    // False while somebody's save is still in progress there.
    bool settle(const QString& datPath);

private:
    bool readContent(const QByteArray& content, bool showErrors, bool fromOwnBackup);
    bool readSealed(const QByteArray& content, bool showErrors, bool fromOwnBackup);
    bool unseal(const std::function<SealedFormat::Refusal(const QByteArray&, QByteArray&,
                                                           SealedFormat::Keys&)>& open);
    void reportChecksumFailures(const ProfileFormat::ReadOutcome& outcome);
    void readFailed(bool showErrors, int number, const QString& description);
    // A read that failed: nothing of the profile's lists is kept.
    void contentLost(bool showErrors, int number, const QString& description);
    QString damagedText() const;
    int openProfile(const QString& path, QByteArray& content);
    bool recover(const QString& datPath, const QByteArray& backupContent);
    void removeAbandonedTemporaries(const QString& datPath);
    int moveToBackup();
    int readLockedBackup();
    bool ownsBackup() const;
    void giveBackBackup();
    void endSave();
    void conflict();
    void writeNewFile();
    void saveFailed(int number, const QString& description);
    void logRepair(const QString& description);

    Profile& m_profile;
    ErrorLog& m_log;
    TextCipher& m_cipher;
    MessageService& m_messages;
    PauseService& m_pause;
    const Clock& m_clock;
    StoreHooks m_hooks;
    SaveWatch m_watch;
    QString m_folder;
    HeldFile m_held; // the open profile
    // The save in progress: the ".bak" we made, and what it held when we
    // made it, which is how we know it is still ours.
    bool m_locked = false;
    bool m_lockedRead = false;
    QByteArray m_lockedContent;
    SaveOutcome m_lastSave = SaveOutcome::Saved;
    int m_attempt = 0;
    // The opened sealed profile's keys, and the settings its slots open with.
    std::unique_ptr<SealedFormat::Keys> m_keys;
    SecuritySettings m_keysFor;
    std::unique_ptr<SealedFormat::Keys> m_creatingKeys;
    QString m_convertTo; // the file a conversion writes, while it does // shared by the retry loops; a save entered while it is set skips the lock
};

} // namespace tavrino

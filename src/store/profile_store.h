#pragma once

#include "shell/message_service.h"
#include "store/kept_changes.h"
#include "store/key_custody.h"
#include "store/profile.h"
#include "store/profile_codec.h"
#include "store/profile_merge.h"
#include "store/profile_read_ahead.h"
#include "store/save_protocol.h"
#include "store/stamp_memory.h"

#include <QList>

#include <functional>
#include <memory>
#include <optional>

namespace tavrino {

class Clock;
class ErrorLog;
class TextCipher;
class VersionShelf;

// How the last save ended.
enum class SaveOutcome {
    Saved,
    Merged,        // another workstation saved first: the change went into its version
    NeedsChoice,   // ... and changed the same record: the user must choose (conflicts())
    Failed,        // nothing reached the disk; the profile in memory is unchanged by it
    ConflictLogin, // another workstation changed the login: its profile was read instead
    Cancelled,     // the user stopped waiting for another workstation's save; nothing saved
};

// The change is still only in memory: nothing reached the disk, and
// memory is as it was before the save.
inline bool changeKept(SaveOutcome outcome) {
    return outcome == SaveOutcome::Failed || outcome == SaveOutcome::Cancelled;
}

// One attempt of a read or a save: finished, or to be tried again later
// because another workstation's save holds the profile just now.
enum class StoreStep { Finished, TryAgain };

// The open profile and its file: reads it into the Profile, saves the
// Profile back through the shared-folder protocol, in the file's format,
// and checks a login against it.
//
// It never shows a window and never waits: each read or save attempt returns
// at once, and what the user should be told is kept as notices for the
// caller to show once the attempt is over (takeNotices).
class ProfileStore {
public:
    static constexpr int Attempts = 5;
    static constexpr int RetryPauseMs = 3000;

    ProfileStore(Profile& profile, ErrorLog& log, TextCipher& cipher, const Clock& clock);

    Profile& profile() { return m_profile; }
    StampMemory& stampMemory() { return m_stamps; }
    SaveWatch& saveWatch() { return m_protocol.saveWatch(); }

    // The folder of the profiles and of the error log.
    QString databaseFolder() const { return m_protocol.folder(); }
    void setDatabaseFolder(const QString& folder);
    QString pathOf(const QString& fileName) const {
        return databaseFolder() + QLatin1Char('/') + fileName;
    }

    // One attempt to read the profile named ProfileFileName; ProfileLoaded
    // tells how a finished one went. TryAgain while a save is in progress
    // (never on the last attempt, which reports the profile in use).
    // forLogin: a compatible profile's records stay encrypted until logIn or
    // logInByAnswers succeeds (isOpened() tells); a sealed one's always do.
    StoreStep read(bool showErrors, bool lastAttempt, bool forLogin = false);
    // The folder as listed just before the next read: that read's first
    // looks go by the names (one round trip on a network folder, not many).
    void useListing(const FolderListing* listing) { m_listing = listing; }
    // Starts reading the file the first read will be of, on a thread of its
    // own (the window is built meanwhile); that read takes what it found when
    // the file has not changed since.
    void readAhead(const QString& fileName) { m_readAhead.start(pathOf(fileName)); }
    // The last finished read failed in a way that ends the use of the profile.
    bool readFailed() const { return m_readFailed; }
    // ... and the notices said why and what to do (another workstation was
    // saving it or held it, which passes; two files claim the profile).
    bool readExplained() const { return m_readExplained; }

    // One attempt to save the whole profile; TryAgain while another save
    // holds it (never on the last attempt). ProfileSaved and lastSaveOutcome
    // tell how a finished one went.
    StoreStep save(bool lastAttempt);
    SaveOutcome lastSaveOutcome() const { return m_lastSave; }
    void cancelSave();

    // After NeedsChoice: the profile holds the other workstation's version
    // with every change of ours that met no conflict; each conflict is
    // settled with resolve, then saved again.
    QList<MergeConflict> takeConflicts();
    void resolve(const MergeConflict& conflict, ConflictChoice choice);

    // The profile as it was at some moment, with the version it was based
    // on: what a save that ends with nothing saved goes back to.
    struct Snapshot {
        ProfileContent content;
        ProfileContent base;
    };
    Snapshot snapshot() const { return {m_profile.content(), m_base}; }
    void restore(const Snapshot& snapshot);

    // A change that met another workstation's new login waits for the next
    // login to this profile; then takePendingChange merges it into what
    // that login read, to be saved. False when there is none. It stays kept
    // until a save of it lands (writeNewFile forgets it then).
    bool hasPendingChange() const;
    bool takePendingChange();
    // Every profile's kept change: what closing the program would lose.
    KeptChanges& keptChanges() { return m_kept; }

    // What the user should be told about the last steps, oldest first.
    QList<Message> takeNotices();

    // A sealed profile (NAME.sealed) reads as far as its header until a
    // login opens it. These check a login on the open profile and, for a
    // sealed one, decrypt it with it; false for a wrong login.
    bool isSealed() const;
    // The records are in memory: a sealed profile's key unwrapped, a
    // compatible one's records decrypted after its login.
    bool isOpened() const { return isSealed() ? m_keys.hasKeys() : m_unopened.isNull(); }
    bool logIn(const QString& userId, const QString& password, const QString& pin);
    bool logInByAnswers(const QStringList& typedAnswers);
    // One attempt of either: a sealed profile is read again at its login,
    // and that read may meet another workstation's save (TryAgain, never on
    // the last attempt). loggedIn tells how a finished one went.
    StoreStep tryLogIn(const std::function<bool()>& login, bool lastAttempt, bool& loggedIn);
    // A lock, or another profile: what opened the sealed one is forgotten.
    void forgetKeys() { m_keys.forget(); }
    // A lock: the keys, the login, the answers and the records go from
    // memory, overwritten. A change waiting for the next login stays.
    void forgetOpened();
    KeyCustody& keys() { return m_keys; }

    // A conversion saves to the other format's file (conversionTarget) under
    // the lock of this one, which goes once the new file is complete.
    void setConversionTarget(const QString& fileName) { m_convertTo = fileName; }
    // After a conversion that landed: the old format's file that could not be
    // removed (empty when it was).
    const QString& leftBehind() const { return m_leftBehind; }

    // Another copy of this profile (a backup, a sync tool's conflict copy),
    // read with what opened this one; an error text, or empty.
    QString readCopy(const QString& path, ProfileContent& copy);
    // What the copy has that this profile lacks goes in, to be saved.
    MergeResult takeCopy(const ProfileContent& copy);

    // A live view of the file: how it looked when this instance last read
    // or saved it, and what a look at it now (taken anywhere, even off the
    // window's thread) makes of a newer save elsewhere.
    enum class Refresh { Unchanged, Updated, LoginChanged };
    QByteArray knownLook() const { return m_knownLook; }
    // content is what the file at look held; taken into the profile when
    // it is a whole newer save and nothing unsaved is in memory.
    Refresh takeNewer(const QByteArray& look, const QByteArray& content);

    // Looks beside datPath for what a save left: recovers an abandoned one.
    // False while somebody's save is still in progress there.
    bool settle(const QString& datPath) { return m_protocol.settle(datPath); }

    // Where each version read or saved is put aside (a sync tool's copy is
    // merged against them); none when not set.
    void setVersionShelf(const VersionShelf* shelf) { m_shelf = shelf; }
    const VersionShelf* versionShelf() const { return m_shelf; }

private:
    ProfileCodec& codecFor(const QString& fileName);
    bool readContent(const QByteArray& content, bool showErrors);
    bool takeDecoded(const ProfileCodec::Decoded& decoded, bool showErrors);
    bool openRecords();
    bool unseal(const std::function<SealedFormat::Refusal(const QByteArray&, QByteArray&,
                                                           SealedFormat::Keys&)>& open);
    void reportChecksumFailures(const ProfileFormat::ReadOutcome& outcome);
    void reportReadError(bool showErrors, int number, const QString& description);
    // A read that failed: nothing of the profile's lists is kept.
    void contentLost(bool showErrors, int number, const QString& description);
    QString damagedText() const;
    static QString retryAdvice(int number);
    bool checkStamp();
    bool convertedFrom(const QString& path, const QByteArray& backupContent);
    void reportLeftBehind(int number);
    void conflict();
    void setBase();
    void shelve(const QString& path, std::int32_t stamp, const QByteArray& bytes);
    void noteSealedStamp();
    void writeNewFile();
    void saveFailed(int number, const QString& description);
    void notify(const QString& text, const QString& title = QStringLiteral("Tavrino"));

    Profile& m_profile;
    ErrorLog& m_log;
    TextCipher& m_cipher;
    KeyCustody m_keys;
    CompatibleCodec m_compatible;
    SealedCodec m_sealed;
    SaveProtocol m_protocol;
    QList<Message> m_notices;
    bool m_readFailed = false;
    bool m_readExplained = false;
    bool m_lastLoginAttempt = true;
    bool m_loginMetSave = false;
    SaveOutcome m_lastSave = SaveOutcome::Saved;
    // The file's content as this instance last read or saved it: what
    // another workstation's save is merged against.
    ProfileContent m_base;
    StampMemory m_stamps;
    QByteArray m_knownLook;
    ProfileReadAhead m_readAhead;
    bool m_readBefore = false;
    // A compatible file as read at the open, until the login decrypts its
    // records; null otherwise.
    QByteArray m_unopened;
    QList<int> m_reportedChecksums; // lines the open already reported
    QList<MergeConflict> m_conflicts;
    KeptChanges m_kept;
    QString m_convertTo; // the file a conversion writes, while it does
    const FolderListing* m_listing = nullptr;
    QString m_leftBehind;
    const VersionShelf* m_shelf = nullptr;
};

} // namespace tavrino

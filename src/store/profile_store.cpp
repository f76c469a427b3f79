#include "profile_store.h"

#include "store/version_shelf.h"

#include "store/folder_listing.h"

#include "crypto/text_cipher.h"
#include "shell/clock.h"
#include "shell/error_log.h"
#include "shell/folder_access.h"
#include "store/login_check.h"

#include <exception>
#include <utility>
#include <QFileInfo>

#include <cerrno>

namespace tavrino {
namespace {
QString errorIntro() {
    return QStringLiteral("An Error has occurred!. The error is : \r\n");
}

QString fileNameOf(const QString& path) {
    return QFileInfo(path).fileName();
}
} // namespace

ProfileStore::ProfileStore(Profile& profile, ErrorLog& log, TextCipher& cipher, const Clock& clock)
    : m_profile(profile), m_log(log), m_cipher(cipher),
      m_compatible(cipher, clock), m_sealed(m_compatible, m_keys),
      m_protocol(clock, log, [this](const QString& path, const QByteArray& content) {
          return codecFor(fileNameOf(path)).isWhole(content);
      }) {
    m_protocol.setMovedCheck([this](const QString& path, const QByteArray& backupContent) {
        return convertedFrom(path, backupContent);
    });
}

// The other format's file beside path is whole and one save newer than the
// backup: what a conversion writes under the backup's lock.
bool ProfileStore::convertedFrom(const QString& path, const QByteArray& backupContent) {
    const QString fileName = fileNameOf(path);
    const bool fromSealed = SealedFormat::isSealedName(fileName);
    const QString base = path.left(path.size() - (fromSealed ? qsizetype(qstrlen(SealedFormat::FileEnding)) : 4));
    const QString otherPath = base + (fromSealed ? QStringLiteral(".dat") : QLatin1String(SealedFormat::FileEnding));
    QByteArray other;
    if (FileOps::readAll(otherPath, other) != 0) return false;
    ProfileCodec& from = codecFor(fileName);
    ProfileCodec& to = codecFor(fileNameOf(otherPath));
    if (!to.isWhole(other)) return false;
    ProfileFormat::ReadOutcome outcome;
    const std::int32_t backupStamp = from.stampOf(backupContent, outcome);
    const std::int32_t otherStamp = to.stampOf(other, outcome);
    return backupStamp >= 0 && otherStamp == ChangeStamp::next(backupStamp);
}

void ProfileStore::setDatabaseFolder(const QString& folder) {
    m_protocol.setFolder(folder);
    m_log.setFolder(folder);
}

ProfileCodec& ProfileStore::codecFor(const QString& fileName) {
    if (SealedFormat::isSealedName(fileName)) return m_sealed;
    return m_compatible;
}

bool ProfileStore::isSealed() const {
    return SealedFormat::isSealedName(m_profile.ProfileFileName);
}

void ProfileStore::notify(const QString& text, const QString& title) {
    m_notices.append(Message{text, title});
}

QList<Message> ProfileStore::takeNotices() {
    QList<Message> notices;
    notices.swap(m_notices);
    return notices;
}

void ProfileStore::reportChecksumFailures(const ProfileFormat::ReadOutcome& outcome) {
    for (int line : outcome.checksumFailures) {
        notify(QStringLiteral("Invalid Data"));
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
    reportReadError(showErrors, number, description);
}

// A profile in use elsewhere is a condition that passes: no advice to
// restart for it.
QString ProfileStore::retryAdvice(int number) {
    if (number == EWOULDBLOCK) return QStringLiteral("\r\nPlease try again in a moment.");
    // A save that lost its lock to a later one: nothing is wrong with the
    // program, and the change was not lost (the window keeps it).
    if (number == ENOLCK) return QStringLiteral("\r\nPlease save again.");
    return QStringLiteral("\r\nPlease close application and re-open.");
}

QString ProfileStore::damagedText() const {
    return QStringLiteral("%1 is damaged").arg(m_profile.ProfileFileName);
}

void ProfileStore::reportReadError(bool showErrors, int number, const QString& description) {
    if (!showErrors) return;
    notify(errorIntro() + description + QStringLiteral("  ReadFromFile (%1)").arg(number) +
           retryAdvice(number));
    m_log.LogError(QStringLiteral("ReadFromFile"), number, description);
    m_readFailed = true;
    m_readExplained = number == EWOULDBLOCK || number == ENOMEM;
}

StoreStep ProfileStore::read(bool showErrors, bool lastAttempt, bool forLogin) {
    m_profile.ProfileLoaded = false;
    m_readFailed = false;
    m_readExplained = false;
    m_unopened = QByteArray();
    const QString path = pathOf(m_profile.ProfileFileName);
    m_profile.ProfilePath = path;

    // NAME.dat beside NAME.sealed (a Windows workstation, which does not see
    // the sealed one, may have made it): neither is taken for the profile.
    const QString other = SealedFormat::isSealedName(m_profile.ProfileFileName)
                              ? m_profile.name() + QStringLiteral(".dat")
                              : m_profile.name() + QLatin1String(SealedFormat::FileEnding);
    const FolderListing* listing = std::exchange(m_listing, nullptr);
    const bool ambiguous = listing ? listing->has(m_profile.ProfileFileName) && listing->has(other)
                                   : FileOps::exists(path) && FileOps::exists(pathOf(other));
    if (ambiguous) {
        contentLost(false, 0, QString());
        notify(QStringLiteral("Both %1 and %2 are in the database folder, so Tavrino can not tell "
                              "which one is the profile %3. Move the one that is not out of the "
                              "folder (a Windows workstation, which does not see %2, may have "
                              "made %1), then choose the profile again.")
                   .arg(m_profile.name() + QStringLiteral(".dat"),
                        m_profile.name() + QLatin1String(SealedFormat::FileEnding),
                        m_profile.name()));
        m_readFailed = true;
        m_readExplained = true;
        return StoreStep::Finished;
    }
    QByteArray content;
    // Only the first read may take what was read ahead: it was decoded into
    // a new profile, as this one still is then.
    std::optional<ProfileReadAhead::Found> found = m_readAhead.take(path);
    if (std::exchange(m_readBefore, true)) found.reset();
    m_protocol.useListing(listing);
    // The file as the read began: a save that lands meanwhile changes it.
    FileOps::FileLook seen;
    int error = m_protocol.open(path, content, found ? &found->read : nullptr, &seen);
    m_knownLook = error ? QByteArray() : FileOps::lookText(seen);
    if (error == EBUSY) {
        if (!lastAttempt) return StoreStep::TryAgain;
        error = EWOULDBLOCK; // still somebody's save: the profile is in use
    }
    if (error) {
        contentLost(showErrors, error, HeldFile::describe(error));
        return StoreStep::Finished;
    }
    if (!forLogin || isSealed()) {
        if (readContent(content, showErrors)) {
            noteSealedStamp();
            if (!m_readFailed) shelve(path, m_profile.ChangeStamp, content);
        }
        return StoreStep::Finished;
    }
    // The login needs the settings, not the records: they stay encrypted
    // until it succeeds (start and lock need not decrypt thousands of them).
    ProfileCodec::Decoded decoded;
    // Decoded ahead, when the open took the bytes read ahead (the same data).
    if (found && found->decoded && content.constData() == found->read.content.constData()) {
        decoded.outcome = found->outcome;
        decoded.recordsDeferred = true;
        m_profile.setContent(found->decoded->content());
    } else {
        decoded = m_compatible.decodeForLogin(content, m_profile);
    }
    m_reportedChecksums = decoded.outcome.checksumFailures;
    if (takeDecoded(decoded, showErrors) && !m_readFailed) {
        m_unopened = content;
        shelve(path, m_profile.ChangeStamp, content);
    }
    return StoreStep::Finished;
}

// The records of the file read at the open, once the login is right; what
// the read finds now (a damaged record) is said as the open would have.
bool ProfileStore::openRecords() {
    if (m_unopened.isNull()) return true;
    const QByteArray content = std::exchange(m_unopened, QByteArray());
    ProfileCodec::Decoded decoded = m_compatible.decode(content, m_profile);
    decoded.outcome.checksumFailures.removeIf(
        [&](int line) { return m_reportedChecksums.contains(line); });
    return takeDecoded(decoded, true) && !m_readFailed;
}

bool ProfileStore::readContent(const QByteArray& content, bool showErrors) {
    return takeDecoded(codecFor(m_profile.ProfileFileName).decode(content, m_profile), showErrors);
}

bool ProfileStore::takeDecoded(const ProfileCodec::Decoded& decoded, bool showErrors) {
    if (decoded.damaged) {
        contentLost(showErrors, EILSEQ, damagedText());
        return false;
    }
    if (decoded.headerOnly) {
        m_profile.ProfileLoaded = true;
        return true;
    }
    const bool whole = !decoded.recordsDeferred;
    const ProfileFormat::ReadOutcome& outcome = decoded.outcome;
    reportChecksumFailures(outcome);
    switch (outcome.kind) {
    case ProfileFormat::ReadOutcome::Complete:
        m_profile.ProfileLoaded = true;
        if (whole) setBase();
        break;
    case ProfileFormat::ReadOutcome::CountMismatch:
        notify(QStringLiteral("Invalid Data!."));
        m_readFailed = true;
        m_profile.ProfileLoaded = true;
        break;
    case ProfileFormat::ReadOutcome::ReadError:
        reportReadError(showErrors, outcome.errorNumber, outcome.errorDescription);
        break;
    case ProfileFormat::ReadOutcome::InvalidData:
        m_cipher.invalidData();
        break;
    }
    return m_profile.ProfileLoaded;
}

bool ProfileStore::logIn(const QString& userId, const QString& password, const QString& pin) {
    if (!isSealed()) return CheckLogin(m_profile.Security, userId, password, pin) && openRecords();
    const std::int32_t mode = m_profile.Security.LoginMode;
    QByteArray secret = SealedFormat::loginSecret(
        mode, mode >= 2 ? trimBlanks(userId) : QString(), trimBlanks(password),
        mode >= 3 ? trimBlanks(pin) : QString());
    const bool opened =
        unseal([&](const QByteArray& file, QByteArray& plain, SealedFormat::Keys& keys) {
            return SealedFormat::openWithLogin(file, secret, plain, keys);
        });
    SealedFormat::wipe(secret);
    return opened;
}

StoreStep ProfileStore::tryLogIn(const std::function<bool()>& login, bool lastAttempt,
                                 bool& loggedIn) {
    m_lastLoginAttempt = lastAttempt;
    m_loginMetSave = false;
    m_readExplained = false;
    m_readFailed = false;
    loggedIn = login();
    m_lastLoginAttempt = true;
    return m_loginMetSave ? StoreStep::TryAgain : StoreStep::Finished;
}

bool ProfileStore::logInByAnswers(const QStringList& typedAnswers) {
    if (!isSealed()) return CheckSecretAnswers(m_profile.Security, typedAnswers) && openRecords();
    return unseal([&](const QByteArray& file, QByteArray& plain, SealedFormat::Keys& keys) {
        return SealedFormat::openWithAnswers(file, typedAnswers, plain, keys);
    });
}

bool ProfileStore::unseal(
    const std::function<SealedFormat::Refusal(const QByteArray&, QByteArray&, SealedFormat::Keys&)>&
        open) {
    forgetKeys();
    // Read again: another workstation may have saved since the header was read.
    QByteArray file;
    if (int error = m_protocol.open(m_profile.ProfilePath, file)) {
        if (error == EBUSY && !m_lastLoginAttempt) {
            m_loginMetSave = true;
            return false;
        }
        if (error == EBUSY) error = EWOULDBLOCK;
        reportReadError(true, error, HeldFile::describe(error));
        return false;
    }
    auto keys = std::make_unique<SealedFormat::Keys>();
    QByteArray plain;
    SealedFormat::Refusal refusal = SealedFormat::Refusal::OutOfMemory;
    try {
        refusal = open(file, plain, *keys);
    } catch (const std::exception&) {
        // libsodium could not start, or get memory: said, never thrown on.
    }
    if (refusal == SealedFormat::Refusal::OutOfMemory) {
        reportReadError(true, ENOMEM,
                        QStringLiteral("Not enough memory to open the sealed profile"));
        return false;
    }
    if (refusal == SealedFormat::Refusal::WrongLogin) return false;
    if (refusal == SealedFormat::Refusal::Damaged) {
        reportReadError(true, EILSEQ, damagedText());
        return false;
    }
    takeDecoded(m_sealed.decodeOpened(plain, m_profile), true);
    SealedFormat::wipe(plain);
    if (!m_profile.ProfileLoaded) return false;
    m_keys.adopt(std::move(keys), m_profile.Security);
    setBase(); // now opened: its stamp is one this workstation has seen
    return true;
}

StoreStep ProfileStore::save(bool lastAttempt) {
    m_profile.ProfileSaved = false;
    m_lastSave = SaveOutcome::Failed;
    if (m_profile.CreatingProfile) {
        // A new profile is another file: the open one stays held meanwhile.
        writeNewFile();
        return StoreStep::Finished;
    }
    // Only a profile whose records are in memory is written: anything else
    // would save it without them.
    if (!isOpened()) {
        saveFailed(EPERM, QStringLiteral("%1 is not opened").arg(m_profile.ProfileFileName));
        return StoreStep::Finished;
    }
    if (FileOps::isReadOnly(m_profile.ProfilePath)) {
        saveFailed(EACCES,
                   QStringLiteral("%1 is read-only; it was not changed").arg(m_profile.ProfileFileName));
        return StoreStep::Finished;
    }
    if (const int error = m_protocol.lock(m_profile.ProfilePath)) {
        // A folder that can't do the lock's step is told at once.
        if (!lastAttempt && !SaveProtocol::isUnsupported(error)) return StoreStep::TryAgain;
        saveFailed(error, HeldFile::describe(error));
        return StoreStep::Finished;
    }
    if (checkStamp()) writeNewFile();
    return StoreStep::Finished;
}

void ProfileStore::cancelSave() {
    m_profile.ProfileSaved = false;
    m_lastSave = SaveOutcome::Cancelled;
}

// The locked file's stamp is read once: the bytes are in memory, and reading
// them again could not change what they say.
bool ProfileStore::checkStamp() {
    ProfileFormat::ReadOutcome outcome;
    const std::int32_t version =
        codecFor(m_profile.ProfileFileName).stampOf(m_protocol.lockedContent(), outcome);
    reportChecksumFailures(outcome);
    if (outcome.kind == ProfileFormat::ReadOutcome::InvalidData) {
        // The profile goes back under its name first: the message waits for
        // OK and the program then ends, and nobody may find only the ".bak".
        m_protocol.unlock();
        m_cipher.invalidData();
    }
    if (version == -1) {
        if (outcome.kind == ProfileFormat::ReadOutcome::ReadError) {
            notify(errorIntro() + outcome.errorDescription, QStringLiteral("ReadFromFile"));
            m_log.LogError(QStringLiteral("ReadVersion"), outcome.errorNumber,
                           outcome.errorDescription);
        }
        // Nothing is known about the file, so the unsaved change is kept.
        saveFailed(EIO, QStringLiteral("The change stamp of %1 can not be read")
                            .arg(m_profile.ProfileFileName));
        return false;
    }
    if (version != m_profile.ChangeStamp) {
        conflict();
        return false;
    }
    m_protocol.releaseLockedContent();
    return true;
}

void ProfileStore::forgetOpened() {
    m_keys.forget();
    m_unopened = QByteArray();
    m_profile.wipeContent();
    m_base.Security.wipe();
    m_base.Categories.wipe();
    m_base.Records.wipe();
    m_conflicts.clear();
}

void ProfileStore::setBase() {
    m_base = m_profile.content();
    // A sealed profile opened or saved: the newest version this workstation
    // knows of. (Its header alone is not trusted until a login opens it.)
    if (isSealed() && isOpened()) m_stamps.saw(m_profile.ProfilePath, m_profile.ChangeStamp);
}

// An older sealed file than one opened here before: put back, perhaps to
// undo what was saved since.
void ProfileStore::noteSealedStamp() {
    if (!isSealed() || !m_stamps.isRollback(m_profile.ProfilePath, m_profile.ChangeStamp)) return;
    notify(QStringLiteral("%1 is older (change stamp %2) than a version this workstation has opened "
                          "before (change stamp %3): an old copy may have been put back, and what "
                          "was saved since is not in it.")
               .arg(m_profile.ProfileFileName)
               .arg(m_profile.ChangeStamp)
               .arg(m_stamps.highest(m_profile.ProfilePath)),
           QStringLiteral("Tavrino"));
}

// Another workstation saved since we last read: our change is applied to its
// version, and saved under the lock we hold, unless both changed the same
// record (the user chooses) or it changed the login (we must log in again).
void ProfileStore::conflict() {
    const ProfileContent base = m_base;
    const ProfileContent mine = m_profile.content();
    m_profile.ProfileLoaded = false;
    if (!readContent(m_protocol.lockedContent(), true) || !base.Security.sameLogin(m_profile.Security)) {
        const bool kept = m_profile.ProfileLoaded && ProfileMerge::hasChanges(base, mine);
        if (kept) m_kept.keep(m_profile.ProfileFileName, {base, mine});
        m_lastSave = SaveOutcome::ConflictLogin;
        notify(QStringLiteral(
                   "The profile has been modified by another user.\r\nYou will have to login again.") +
               (kept ? QStringLiteral("\r\nYour change is kept and will be saved once you "
                                           "have logged in.")
                          : QString()));
        // Back under its own name: the re-read content is what is open.
        m_protocol.unlock();
        return;
    }
    const MergeResult result = ProfileMerge::merge(base, mine, m_profile.content());
    m_profile.setContent(result.merged);
    if (!result.conflicts.isEmpty()) {
        m_conflicts = result.conflicts;
        m_lastSave = SaveOutcome::NeedsChoice;
        // Nobody waits on us while the user thinks.
        m_protocol.unlock();
        return;
    }
    writeNewFile();
    if (m_lastSave != SaveOutcome::Saved) return;
    m_lastSave = SaveOutcome::Merged;
    // Nothing else of ours was dropped: the caller says it was merged.
    if (result.loginDropped)
        notify(QStringLiteral("Another user saved this profile meanwhile and changed its login: "
                              "your change was added to their version, with their login; your "
                              "change of the login was dropped."));
}

QString ProfileStore::readCopy(const QString& path, ProfileContent& copy) {
    QByteArray content;
    if (const int error = m_protocol.openAside(path, content)) return HeldFile::describe(error);
    Profile read;
    read.ProfileFileName = fileNameOf(path);
    ProfileCodec::Decoded decoded;
    if (SealedFormat::isSealedName(read.ProfileFileName)) {
        // Opened with this profile's key, never forgetting it when that fails.
        QByteArray plain;
        if (!m_keys.hasKeys() || SealedFormat::openWithKey(content, *m_keys.keys(), plain) !=
                                     SealedFormat::Refusal::None)
            return QStringLiteral("%1 does not open with this profile's login")
                .arg(read.ProfileFileName);
        decoded = m_sealed.decodeOpened(plain, read);
        SealedFormat::wipe(plain);
    } else {
        decoded = m_compatible.decode(content, read);
    }
    if (decoded.damaged || decoded.outcome.kind != ProfileFormat::ReadOutcome::Complete)
        return QStringLiteral("%1 is damaged").arg(read.ProfileFileName);
    // Anyone who may write the folder can make a file that reads: a copy of
    // a sealed profile opens with its key, a copy of a compatible one has
    // its login (as it is now, or as it was when read).
    if (isSealed() && !SealedFormat::isSealedName(read.ProfileFileName)) {
        read.wipeContent();
        return QStringLiteral("%1 is not sealed: a sealed profile takes in only its own sealed "
                              "copies")
            .arg(read.ProfileFileName);
    }
    if (!SealedFormat::isSealedName(read.ProfileFileName) &&
        !read.Security.sameLogin(m_profile.Security) && !read.Security.sameLogin(m_base.Security)) {
        read.wipeContent();
        return QStringLiteral("%1 has another login than this profile: it is not a copy of it")
            .arg(read.ProfileFileName);
    }
    copy = read.content();
    return {};
}

MergeResult ProfileStore::takeCopy(const ProfileContent& copy) {
    MergeResult result = ProfileMerge::mergeCopy(m_profile.content(), copy);
    m_profile.setContent(result.merged);
    return result;
}

ProfileStore::Refresh ProfileStore::takeNewer(const QByteArray& look, const QByteArray& content) {
    if (look.isEmpty() || look == m_knownLook || !m_profile.ProfileLoaded || !isOpened())
        return Refresh::Unchanged;
    ProfileCodec& codec = codecFor(m_profile.ProfileFileName);
    ProfileFormat::ReadOutcome stampOutcome;
    const std::int32_t stamp = codec.stampOf(content, stampOutcome);
    if (stamp == -1) return Refresh::Unchanged; // cut off or being written: the next look
    if (stamp == m_profile.ChangeStamp) {
        m_knownLook = look;
        return Refresh::Unchanged;
    }
    Profile theirs;
    theirs.ProfileFileName = m_profile.ProfileFileName;
    theirs.ProfilePath = m_profile.ProfilePath;
    const ProfileCodec::Decoded decoded = codec.decode(content, theirs);
    if (!isOpened()) return Refresh::LoginChanged; // sealed anew: our key no longer opens it
    if (decoded.damaged || decoded.headerOnly ||
        decoded.outcome.kind != ProfileFormat::ReadOutcome::Complete ||
        !decoded.outcome.checksumFailures.isEmpty())
        return Refresh::Unchanged;
    m_knownLook = look;
    if (!theirs.Security.sameLogin(m_profile.Security)) return Refresh::LoginChanged;
    m_profile.setContent(theirs.content());
    setBase();
    shelve(m_profile.ProfilePath, m_profile.ChangeStamp, content);
    return Refresh::Updated;
}

QList<MergeConflict> ProfileStore::takeConflicts() {
    QList<MergeConflict> conflicts;
    conflicts.swap(m_conflicts);
    return conflicts;
}

void ProfileStore::resolve(const MergeConflict& conflict, ConflictChoice choice) {
    ProfileMerge::resolve(m_profile.Records, conflict, choice);
}

void ProfileStore::restore(const Snapshot& snapshot) {
    m_profile.setContent(snapshot.content);
    m_base = snapshot.base;
}

bool ProfileStore::hasPendingChange() const {
    return m_kept.has(m_profile.ProfileFileName);
}

bool ProfileStore::takePendingChange() {
    const KeptChanges::Change* pending = m_kept.find(m_profile.ProfileFileName);
    if (!pending) return false;
    const MergeResult result = ProfileMerge::merge(pending->base, pending->mine, m_profile.content());
    m_profile.setContent(result.merged);
    m_conflicts = result.conflicts;
    return true;
}

void ProfileStore::shelve(const QString& path, std::int32_t stamp, const QByteArray& bytes) {
    if (m_shelf) m_shelf->keep(path, stamp, bytes);
}

void ProfileStore::writeNewFile() {
    const bool creating = m_profile.CreatingProfile;
    const std::int32_t stamp = ChangeStamp::next(m_profile.ChangeStamp);
    // A conversion writes the other format's file; the lock stays on this one.
    const QString target = m_convertTo.isEmpty() ? m_profile.ProfilePath : pathOf(m_convertTo);
    QString why;
    const QByteArray content =
        codecFor(fileNameOf(target)).encode(m_profile, stamp, creating, why);
    if (content.isNull()) {
        const bool notOpened = !creating && SealedFormat::isSealedName(target) && !m_keys.hasKeys();
        saveFailed(notOpened ? EACCES : EINVAL, why);
        return;
    }
    // The new file gets the rights of the one it replaces; a new profile
    // those of the folder.
    NewFileAccess access = NewFileAccess::forFolder(databaseFolder());
    if (!creating) FileOps::accessOf(m_profile.ProfilePath + QStringLiteral(".bak"), access);
    const int error = creating ? m_protocol.create(target, content, access)
                               : m_protocol.commit(content, access, target);
    if (error) {
        saveFailed(error, HeldFile::describe(error));
        return;
    }
    m_profile.ChangeStamp = stamp;
    m_profile.ProfileSaved = true;
    shelve(target, stamp, content);
    // Whatever change was kept for this profile went in with this save.
    if (!creating && m_convertTo.isEmpty()) m_kept.discard(m_profile.ProfileFileName);
    m_lastSave = SaveOutcome::Saved;
    m_leftBehind.clear();
    if (const int left = creating ? 0 : m_protocol.backupLeftBehind()) reportLeftBehind(left);
    if (!creating && m_convertTo.isEmpty()) {
        setBase();
        m_knownLook = FileOps::lookOf(target);
    }
}

// The new file stands; the old one could not be removed. After a save that
// is a lock others wait out; after a conversion it is the old format's
// copy, which must not be left unnoticed (a sealed profile readable beside it).
void ProfileStore::reportLeftBehind(int number) {
    const QString backup = m_profile.ProfileFileName + QStringLiteral(".bak");
    const QString description =
        QStringLiteral("%1 could not be removed: %2").arg(backup, HeldFile::describe(number));
    m_log.LogError(QStringLiteral("Writetofile"), number, description);
    if (m_convertTo.isEmpty()) return;
    m_leftBehind = m_profile.ProfilePath + QStringLiteral(".bak");
    notify(QStringLiteral("%1 was written, but %2, its copy in the old format, could not be "
                          "removed (%3). Remove it by hand.")
               .arg(m_convertTo, backup, HeldFile::describe(number)),
           QStringLiteral("WriteToFile"));
}

void ProfileStore::saveFailed(int number, const QString& description) {
    m_profile.ProfileSaved = false;
    m_protocol.unlock();
    m_lastSave = SaveOutcome::Failed;
    m_log.LogError(QStringLiteral("Writetofile"), number, description);
    if (SaveProtocol::isUnsupported(number) && !m_protocol.failedStep().isEmpty()) {
        // Not a passing state nor a fault of the program: the folder's file
        // system lacks a step every save needs.
        notify(QStringLiteral("%1 was not saved: the file system of the folder %2 refused to %3 "
                              "(%4, %5). Every save needs that step to keep other workstations' "
                              "saves apart; nothing in the folder was changed. Share the folder "
                              "through a file system that offers it (a local disk, NFS, sshfs).")
                   .arg(m_profile.ProfileFileName, databaseFolder(), m_protocol.failedStep(),
                        HeldFile::describe(number))
                   .arg(number),
               QStringLiteral("WriteToFile"));
        return;
    }
    notify(errorIntro() + description + QStringLiteral("(%1)").arg(number) + retryAdvice(number),
           QStringLiteral("WriteToFile"));
}

} // namespace tavrino

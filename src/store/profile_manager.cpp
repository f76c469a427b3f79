#include "profile_manager.h"

#include "store/sealed_format.h"

#include "shell/message_service.h"
#include "shell/settings_store.h"
#include "shell/visible_text.h"
#include "store/held_file.h"
#include "store/profile_store.h"

#include <exception>
#include <QDir>

#include <algorithm>

namespace tavrino {

ProfileManager::ProfileManager(ProfileStore& store, SettingsStore& settings,
                               MessageService& messages)
    : m_store(store), m_settings(settings), m_messages(messages) {}

namespace {
// The endings of a profile's files, matched exactly: "Upper.DAT" could never
// be opened as "Upper.dat". Plain comparisons: the folder is listed at every
// start, where compiling name patterns would cost more than the listing.
bool endsWithOneOf(QStringView fileName, std::initializer_list<QStringView> endings) {
    return std::any_of(endings.begin(), endings.end(),
                       [&](QStringView ending) { return fileName.endsWith(ending); });
}

QStringView withoutProfileEnding(QStringView fileName) {
    for (QStringView ending : {u".dat", u".sealed"})
        if (fileName.endsWith(ending)) return fileName.chopped(ending.size());
    return {};
}
} // namespace

QStringList ProfileManager::scan(const QString& folder) {
    return profileNames(FolderListing::of(folder));
}

bool ProfileManager::isProfileFileName(const QString& fileName) {
    return endsWithOneOf(fileName, {u".dat", u".dat.bak", u".sealed", u".sealed.bak"});
}

QStringList ProfileManager::profileNames(const FolderListing& listing) {
    // A profile whose save was cut off may be there only as its ".bak"; it
    // is listed, so it can be opened (and so recovered).
    QStringList names;
    // Sealed profiles (NAME.sealed) are listed beside the compatible ones.
    for (const QString& fileName : listing.names()) {
        if (!isProfileFileName(fileName) || !conflictCopyOf(fileName).isEmpty())
            continue;
        const QString name = fileName.left(fileName.indexOf(QLatin1Char('.')));
        if (!names.contains(name)) names.append(name);
    }
    // Sorted as the Windows version lists them, so the profile opened first
    // is the same on every workstation and after every lock.
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return names;
}

QString ProfileManager::conflictCopyOf(const QString& fileName) {
    // NAME has no dot; what a sync tool adds comes between it and the ending.
    const QStringView stem = withoutProfileEnding(fileName);
    const auto profileName = [](QStringView name) {
        return !name.isEmpty() && !name.contains(u'.') ? name.toString() : QString();
    };
    // Syncthing: NAME.sync-conflict-DATE-TIME-DEVICE
    const qsizetype dot = stem.indexOf(u'.');
    if (dot > 0 && stem.sliced(dot).startsWith(u".sync-conflict-") &&
        !stem.sliced(dot + 1).contains(u'.'))
        return profileName(stem.first(dot));
    // ownCloud: NAME_conflict-DATE-TIME
    const qsizetype mark = stem.lastIndexOf(u"_conflict-");
    if (mark > 0) {
        const QStringView when = stem.sliced(mark + 10);
        if (!when.isEmpty() && std::all_of(when.begin(), when.end(), [](QChar c) {
                return c.isDigit() || c == u'-';
            }))
            return profileName(stem.first(mark));
    }
    // Dropbox, Nextcloud: NAME (WHO's conflicted copy DATE), the brackets
    // the last ones.
    const qsizetype open = stem.lastIndexOf(u'(');
    if (open < 1 || stem[open - 1] != u' ' || !stem.endsWith(u')')) return {};
    const QStringView inside = stem.sliced(open + 1).chopped(1);
    if (inside.contains(u')') || !inside.contains(u"conflicted copy")) return {};
    return profileName(stem.first(open - 1));
}

bool ProfileManager::isAmbiguous(const QString& folder, const QString& name) {
    const QString base = folder + QLatin1Char('/') + name;
    return FileOps::exists(base + QStringLiteral(".dat")) &&
           FileOps::exists(base + QLatin1String(SealedFormat::FileEnding));
}

bool ProfileManager::isAmbiguous(const FolderListing& listing, const QString& name) {
    return listing.has(name + QStringLiteral(".dat")) &&
           listing.has(name + QLatin1String(SealedFormat::FileEnding));
}

QStringList ProfileManager::conflictCopies(const QString& folder, const QString& name) {
    return conflictCopies(FolderListing::of(folder), name);
}

QStringList ProfileManager::conflictCopies(const FolderListing& listing, const QString& name) {
    QStringList copies;
    for (const QString& fileName : listing.names()) {
        const QString of = conflictCopyOf(fileName);
        if (!of.isEmpty() && (name.isEmpty() || of == name)) copies << fileName;
    }
    return copies;
}

bool ProfileManager::isTaken(const QString& folder, const QString& name) {
    // Case aside: a Windows workstation, or a folder shared over SMB, sees
    // "Home" and "home" as one file.
    const QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& file : files)
        for (const QString& ending : {QStringLiteral(".dat"), QStringLiteral(".dat.bak"),
                                      QStringLiteral(".sealed"), QStringLiteral(".sealed.bak")})
            if (file.compare(name + ending, Qt::CaseInsensitive) == 0) return true;
    return false;
}

QStringList ProfileManager::ListProfiles() {
    m_store.setDatabaseFolder(m_settings.GetDatabaseFolder());
    m_listing = recentListing();
    m_recent = true;
    QStringList names = profileNames(m_listing);
    if (names.isEmpty() &&
        m_messages.show(
            QStringLiteral(
                "No Profiles found in Database location!\r\nTry application installation folder?"),
            QStringLiteral("Profiles Missing"), MsgIcon::Critical,
            MsgButtons::YesNo) == MsgAnswer::Yes) {
        m_store.setDatabaseFolder(m_settings.applicationFolder());
        m_listing = FolderListing::of(m_store.databaseFolder());
        m_listedAt.start();
        m_recent = true;
        names = profileNames(m_listing);
    }
    // Told from the listing: only a profile there as its ".bak" alone is
    // looked at further (a cut-off save to recover).
    for (const QString& name : names) {
        const QString fileName = fileNameOf(m_listing, name);
        if (!m_listing.has(fileName)) m_store.settle(m_store.pathOf(fileName));
    }
    return names;
}

void ProfileManager::readAheadFirstProfile() {
    m_store.setDatabaseFolder(m_settings.GetDatabaseFolder());
    m_listing = FolderListing::of(m_store.databaseFolder());
    m_listedAt.start();
    m_recent = true;
    const QStringList names = profileNames(m_listing);
    if (!names.isEmpty()) m_store.readAhead(fileNameOf(m_listing, names.first()));
}

FolderListing ProfileManager::recentListing() {
    // Taken a moment ago in this folder, and not used twice yet: what it
    // may miss (a save begun since) every read checks again anyway.
    constexpr qint64 RecentMs = 2000;
    if (std::exchange(m_recent, false) && m_listedAt.isValid() &&
        m_listedAt.elapsed() < RecentMs && m_listing.folder() == m_store.databaseFolder() &&
        m_listing.error() == 0)
        return m_listing;
    m_listedAt.start();
    return FolderListing::of(m_store.databaseFolder());
}

StoreStep ProfileManager::tryOpenProfile(const QString& name, bool lastAttempt, bool& opened) {
    opened = false;
    if (name.isEmpty()) return StoreStep::Finished;
    Profile& profile = m_store.profile();
    m_store.forgetKeys();
    // One listing of the folder tells the rest (a network folder answers
    // each look with a round trip).
    FolderListing listing = recentListing();
    // What a cut-off save or conversion left is settled first, so that the
    // format the profile is in now is the one opened.
    bool settled = false;
    for (const QString& ending : {QStringLiteral(".dat"), QString::fromLatin1(SealedFormat::FileEnding)}) {
        const QString file = name + ending;
        if (!listing.has(file) && listing.has(file + QStringLiteral(".bak"))) {
            m_store.settle(m_store.pathOf(file));
            settled = true;
        }
    }
    if (settled) listing = FolderListing::of(m_store.databaseFolder());
    profile.ProfileFileName = fileNameOf(listing, name);
    m_store.useListing(listing.error() ? nullptr : &listing);
    const StoreStep step = m_store.read(true, lastAttempt, true);
    m_store.useListing(nullptr);
    opened = profile.ProfileLoaded;
    return step;
}

QString ProfileManager::fileNameOf(const FolderListing& listing, const QString& name) {
    const QString sealed = name + QLatin1String(SealedFormat::FileEnding);
    const QString dat = name + QStringLiteral(".dat");
    const bool hasDat = listing.has(dat) || listing.has(dat + QStringLiteral(".bak"));
    const bool hasSealed = listing.has(sealed) || listing.has(sealed + QStringLiteral(".bak"));
    return hasSealed && !hasDat ? sealed : dat;
}

QString ProfileManager::fileNameOf(const QString& name) const {
    // Sealed when only a sealed file (or its save's ".bak") is there.
    const QString sealed = name + QLatin1String(SealedFormat::FileEnding);
    const QString dat = name + QStringLiteral(".dat");
    const bool hasDat = FileOps::exists(m_store.pathOf(dat)) ||
                        FileOps::exists(m_store.pathOf(dat + QStringLiteral(".bak")));
    const bool hasSealed = FileOps::exists(m_store.pathOf(sealed)) ||
                           FileOps::exists(m_store.pathOf(sealed + QStringLiteral(".bak")));
    return hasSealed && !hasDat ? sealed : dat;
}

bool ProfileManager::isUsableName(const QString& name) {
    for (QChar c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char('.') || c.isNull())
            return false;
    return true;
}

bool ProfileManager::refuseName(const QString& name, bool forNewProfile) {
    if (name.isEmpty()) {
        m_messages.show(QStringLiteral("Specify a profile name!"));
        return true;
    }
    if (!isUsableName(name)) {
        m_messages.show(QStringLiteral("A profile name can not contain \".\", \"/\" or \"\\\"!"),
                        QStringLiteral("Tavrino"), MsgIcon::Warning);
        return true;
    }
    if (!forNewProfile) return false;
    if (std::any_of(name.cbegin(), name.cend(), isControlCharacter)) {
        m_messages.show(QStringLiteral("A profile name can not contain control characters (a line "
                                       "break, a tab or a terminal escape)!"),
                        QStringLiteral("Tavrino"), MsgIcon::Warning);
        return true;
    }
    // Listed as a copy of another profile, it would never list as itself.
    if (!conflictCopyOf(name + QStringLiteral(".dat")).isEmpty()) {
        m_messages.show(QStringLiteral("\"%1\" is named as a sync tool names its conflict copies: "
                                       "Tavrino would take it for a copy of \"%2\". Choose another "
                                       "name!")
                            .arg(name, conflictCopyOf(name + QStringLiteral(".dat"))),
                        QStringLiteral("Tavrino"), MsgIcon::Warning);
        return true;
    }
    return false;
}

bool ProfileManager::CreateProfile(const QString& name, bool sealed) {
    m_recent = false; // the folder changes
    if (refuseName(name, true)) return false;
    const QString path =
        m_store.pathOf(name + (sealed ? QLatin1String(SealedFormat::FileEnding) : QLatin1String(".dat")));
    if (isTaken(m_store.databaseFolder(), name)) {
        m_messages.show(QStringLiteral("This profile already exists. Please choose another name!"));
        return false;
    }
    Profile& profile = m_store.profile();
    const QString keptPath = profile.ProfilePath;
    const SecuritySettings keptSecurity = profile.Security;
    const std::int32_t keptStamp = profile.ChangeStamp;
    const bool keptSaved = profile.ProfileSaved;

    profile.Security = SecuritySettings::newProfile();
    profile.ChangeStamp = 0; // a new file starts at stamp 1
    profile.ProfilePath = path;
    profile.CreatingProfile = true;
    if (sealed) {
        try {
            m_store.keys().setCreatingKeys(
                std::make_unique<SealedFormat::Keys>(SealedFormat::newKeys(profile.Security)));
        } catch (const std::exception&) {
            // No memory for the key derivation: no file is made.
            m_messages.show(QStringLiteral("Not enough memory to create the sealed profile"),
                            QStringLiteral("Tavrino"), MsgIcon::Warning);
            profile.CreatingProfile = false;
            profile.ProfilePath = keptPath;
            profile.Security = keptSecurity;
            profile.ChangeStamp = keptStamp;
            return false;
        }
    }
    m_store.save(true);
    m_store.keys().setCreatingKeys(nullptr);
    // The new file is written (or not): what it met is told now.
    for (const Message& m : m_store.takeNotices())
        m_messages.show(m);
    const bool created = profile.ProfileSaved;

    profile.CreatingProfile = false;
    profile.ProfilePath = keptPath;
    profile.Security = keptSecurity;
    profile.ChangeStamp = keptStamp;
    profile.ProfileSaved = keptSaved;
    return created;
}

bool ProfileManager::DeleteProfile(const QString& name) {
    m_recent = false; // the folder changes
    if (refuseName(name, false)) return false;
    if (fileNameOf(name) == m_store.profile().ProfileFileName) {
        m_messages.show(QStringLiteral("You can not delete your currently opened Profile!"),
                        QStringLiteral("Tavrino"), MsgIcon::Warning);
        return false;
    }
    const QString path = m_store.pathOf(fileNameOf(name));
    if (!FileOps::exists(path)) {
        m_messages.show(QStringLiteral("File not found!"), QStringLiteral("File Error"),
                        MsgIcon::Critical);
        return false;
    }
    // Taken under a save's lock first: never while somebody's save is in
    // progress, and no save starts on it meanwhile.
    const QString locked = path + QStringLiteral(".bak");
    if (FileOps::renameNoReplace(path, locked) != 0) return false;
    const bool deleted = FileOps::remove(locked) == 0;
    FileOps::syncFolder(m_store.databaseFolder());
    return deleted;
}

} // namespace tavrino

#include "copy_intake.h"

#include "shell/visible_text.h"
#include "store/folder_listing.h"
#include "store/held_file.h"
#include "store/profile_manager.h"
#include "store/profile_store.h"
#include "store/version_shelf.h"

#include <algorithm>

namespace tavrino {

namespace {
QString counted(int n, const QString& one, const QString& many) {
    return n == 1 ? QStringLiteral("1 ") + one : QStringLiteral("%1 ").arg(n) + many;
}
} // namespace

QString IntakeOutcome::summary() const {
    QStringList parts;
    if (!taken.isEmpty()) {
        QStringList what;
        if (added) what << counted(added, QStringLiteral("record added"), QStringLiteral("records added"));
        if (changed) what << QStringLiteral("%1 changed").arg(changed);
        if (removed) what << QStringLiteral("%1 removed").arg(removed);
        if (what.isEmpty()) what << QStringLiteral("nothing new");
        what << (conflicts ? counted(conflicts, QStringLiteral("conflict"), QStringLiteral("conflicts"))
                           : QStringLiteral("no conflicts"));
        parts << QStringLiteral("Took in %1 left by a sync tool: %2")
                     .arg(counted(taken.size(), QStringLiteral("copy"), QStringLiteral("copies")),
                          what.join(QStringLiteral(", ")));
        if (!broughtBack.isEmpty()) {
            QStringList named;
            for (const QString& d : broughtBack) named << QLatin1Char('"') + visibleText(d) + QLatin1Char('"');
            parts << QStringLiteral("with no earlier version kept here to merge against, nothing "
                                    "was removed and these came from a copy (delete any that "
                                    "were deleted here): %1")
                         .arg(named.join(QStringLiteral(", ")));
        }
    }
    if (!left.isEmpty()) {
        // A handful named; a folder full of planted ones makes no endless line.
        constexpr qsizetype Named = 5;
        QStringList named = left.first(std::min(left.size(), Named));
        if (left.size() > Named) named << QStringLiteral("and %1 more").arg(left.size() - Named);
        parts << QStringLiteral("left %1 in the folder: %2")
                     .arg(counted(left.size(), QStringLiteral("copy"), QStringLiteral("copies")),
                          named.join(QStringLiteral("; ")));
    }
    QString line = parts.join(QStringLiteral("; "));
    if (!line.isEmpty()) line[0] = line[0].toUpper();
    return line;
}

CopyIntake::CopyIntake(ProfileStore& store, Resolver resolve)
    : m_store(store), m_resolve(std::move(resolve)) {}

IntakeOutcome CopyIntake::takeIn(const FolderListing& listing) {
    IntakeOutcome outcome;
    m_takenPaths.clear();
    const QString name = m_store.profile().name();
    for (const QString& fileName : ProfileManager::conflictCopies(listing, name))
        takeFile(m_store.pathOf(fileName), outcome);
    return outcome;
}

QString CopyIntake::takeFile(const QString& path, IntakeOutcome& outcome) {
    const QString fileName = path.section(QLatin1Char('/'), -1);
    ProfileContent copy;
    if (QString why = m_store.readCopy(path, copy); !why.isEmpty()) {
        // Most reasons name the file already.
        outcome.left << (why.startsWith(fileName)
                             ? visibleText(why)
                             : QStringLiteral("%1 (%2)").arg(visibleText(fileName), visibleText(why)));
        return why;
    }
    Profile& profile = m_store.profile();
    const ProfileContent current = profile.content();
    ProfileContent base;
    bool hasBase = false;
    if (const VersionShelf* shelf = m_store.versionShelf()) {
        const QString basePath = shelf->baseBelow(profile.ProfilePath, copy.ChangeStamp,
                                                  current.ChangeStamp);
        // A kept version that no longer opens (another login since) is none.
        hasBase = !basePath.isEmpty() && m_store.readCopy(basePath, base).isEmpty();
    }
    MergeResult result;
    if (hasBase) {
        result = ProfileMerge::merge(base, copy, current);
        for (const MergeConflict& conflict : std::as_const(result.conflicts))
            ProfileMerge::resolve(result.merged.Records, conflict, m_resolve(conflict));
    } else {
        result = ProfileMerge::mergeCopy(current, copy);
        outcome.broughtBack << result.addedDescriptions;
        ++outcome.withoutBase;
    }
    result.merged.ChangeStamp = current.ChangeStamp;
    if (ProfileMerge::hasChanges(current, result.merged)) {
        profile.setContent(result.merged);
        outcome.profileChanged = true;
    }
    outcome.added += result.added;
    outcome.changed += result.changed + result.fieldMerged;
    outcome.removed += result.deleted;
    outcome.conflicts += result.conflicts.size();
    outcome.taken << fileName;
    m_takenPaths << path;
    return {};
}

QStringList CopyIntake::removeTaken() {
    QStringList failures;
    for (const QString& path : std::as_const(m_takenPaths))
        if (const int error = FileOps::whileOthersLook([&] { return FileOps::remove(path); }))
            failures << QStringLiteral("%1 (%2)").arg(visibleText(path.section(QLatin1Char('/'), -1)),
                                                     HeldFile::describe(error));
    m_takenPaths.clear();
    return failures;
}

} // namespace tavrino

#pragma once

#include "store/profile_merge.h"

#include <QStringList>

#include <functional>

namespace tavrino {

class FolderListing;
class ProfileStore;

// What taking in a sync tool's conflict copies did.
struct IntakeOutcome {
    QStringList taken; // the copies merged (file names)
    QStringList left;  // the copies refused, each "FILE (why)"
    // What the copies brought, summed.
    int added = 0;
    int changed = 0;
    int removed = 0;
    int conflicts = 0;
    // The records copies merged without an earlier version added: with
    // nothing to tell a deletion from an addition they may bring back what
    // was deleted here, so they are named.
    QStringList broughtBack;
    int withoutBase = 0; // copies merged so
    bool profileChanged = false;

    bool isEmpty() const { return taken.isEmpty() && left.isEmpty(); }
    // One line for the user; empty when there were no copies.
    QString summary() const;
};

// Takes every conflict copy a sync tool (Syncthing, Nextcloud, ownCloud,
// Dropbox, OneDrive) left of the open profile into it: three-way against
// the newest version this workstation kept that is older than both the copy
// and the profile (VersionShelf), or, without one, adding what only the
// copy has. Only copies that prove they are this profile are taken
// (ProfileStore::readCopy). The merged profile is in memory, to be saved
// once; the copies go when that save has landed (removeTaken).
class CopyIntake {
public:
    // Asked for each record the copy and the profile changed differently;
    // the copy's version is "mine".
    using Resolver = std::function<ConflictChoice(const MergeConflict&)>;

    CopyIntake(ProfileStore& store, Resolver resolve);

    IntakeOutcome takeIn(const FolderListing& listing);
    // One copy, wherever it is (a backup as well): why it was refused, or
    // empty when it was taken in.
    QString takeFile(const QString& path, IntakeOutcome& outcome);
    // The copies taken in leave the folder (every member's, through the
    // sync tool); the ones that could not, each "FILE (why)".
    QStringList removeTaken();

private:
    ProfileStore& m_store;
    Resolver m_resolve;
    QStringList m_takenPaths;
};

} // namespace tavrino

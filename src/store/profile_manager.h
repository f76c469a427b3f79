#pragma once

#include "store/folder_listing.h"

#include <QElapsedTimer>

#include <QString>
#include <QStringList>

namespace tavrino {

class MessageService;
class ProfileStore;
enum class StoreStep;
class SettingsStore;

// Lists, opens, creates and deletes the profiles of the database folder.
class ProfileManager {
public:
    ProfileManager(ProfileStore& store, SettingsStore& settings, MessageService& messages);

    // Names of the "*.dat" files (cut before the first "."), in directory
    // order, with profiles left only as their ".bak" (recovered when that
    // save was abandoned). When there are none, offers the application
    // folder instead.
    QStringList ListProfiles();
    // Starts reading the profile the login opens first (the first listed)
    // while the window is being built; nothing is asked or repaired here.
    void readAheadFirstProfile();
    // One attempt to open the named profile; opened tells whether a
    // finished one read it completely. TryAgain while a save is in progress.
    StoreStep tryOpenProfile(const QString& name, bool lastAttempt, bool& opened);
    // NAME.sealed where only a sealed profile of that name is there, else NAME.dat.
    QString fileNameOf(const QString& name) const;
    // True when the new profile's file was written; the open profile is kept.
    bool CreateProfile(const QString& name, bool sealed = false);
    // True when the file is gone.
    bool DeleteProfile(const QString& name);

    // Profile names in folder, sorted; sync tools' conflict copies are no
    // profiles of their own (conflictCopies lists them).
    static QStringList scan(const QString& folder);
    static QStringList profileNames(const FolderListing& listing);
    // The listing the last ListProfiles read: what the list shows comes
    // from it, not from a look at each file.
    const FolderListing& listing() const { return m_listing; }
    static QString fileNameOf(const FolderListing& listing, const QString& name);
    // Copies of a profile that a sync tool left beside it when two
    // workstations changed it apart: "NAME.sync-conflict-….dat" (Syncthing),
    // "NAME (… conflicted copy …).dat" (Dropbox and others). File names, of
    // the profile name (every profile's when empty).
    static QStringList conflictCopies(const QString& folder, const QString& name = {});
    static QStringList conflictCopies(const FolderListing& listing, const QString& name = {});
    // NAME.dat and NAME.sealed both there: neither is opened.
    static bool isAmbiguous(const QString& folder, const QString& name);
    static bool isAmbiguous(const FolderListing& listing, const QString& name);
    // The profile a file name is a conflict copy of; empty for any other.
    // A profile's file, its lock, or a sync tool's copy of one, by name.
    static bool isProfileFileName(const QString& fileName);
    static QString conflictCopyOf(const QString& fileName);
    // True when a profile of that name, in any letter case, has a file there.
    static bool isTaken(const QString& folder, const QString& name);
    // A name that can't leave the database folder and lists as itself.
    static bool isUsableName(const QString& name);

private:
    // Says why a name is refused; a new profile's also when it holds control
    // characters or is named like a sync tool's conflict copy.
    bool refuseName(const QString& name, bool forNewProfile);

    ProfileStore& m_store;
    SettingsStore& m_settings;
    MessageService& m_messages;
    // The folder as listed last. On a network folder a listing is round
    // trips, so one just taken serves the step right after it once: the
    // start's read ahead, then the first list; a list, then the open of a
    // profile chosen from it.
    FolderListing recentListing();
    FolderListing m_listing;
    QElapsedTimer m_listedAt;
    bool m_recent = false;
};

} // namespace tavrino

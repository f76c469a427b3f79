#pragma once

#include "store/profile.h"

#include <QList>
#include <QString>

namespace tavrino {

// A record both sides changed since the version they share, or that one
// side changed and the other deleted. Lines as stored; an empty line means
// that side deleted the record.
struct MergeConflict {
    QString base;
    QString mine;
    QString theirs;
};

enum class ConflictChoice { KeepMine, KeepTheirs, KeepBoth };

struct MergeResult {
    // Theirs with every change of mine that met no conflict.
    ProfileContent merged;
    QList<MergeConflict> conflicts;
    // What of mine went into it.
    int added = 0;
    int changed = 0;
    int deleted = 0;
    bool settingsTaken = false; // categories, questions or login options
    // Mine changed the login while theirs did too: theirs stands.
    bool loginDropped = false;
};

// Three-way merge of a profile, with the version this instance last read as
// the base. The file has no record ids or times, so a record is known by its
// content: what changed from base to mine (lines deleted, lines added; a
// change is a deleted line paired with the added line most like it) is
// applied to theirs. A deleted line that theirs no longer has either means
// the other side changed or deleted the same record: only that is a conflict.
class ProfileMerge {
public:
    static MergeResult merge(const ProfileContent& base, const ProfileContent& mine,
                             const ProfileContent& theirs);
    // Applies the user's choice for one conflict to merged records.
    static void resolve(RecordList& records, const MergeConflict& conflict, ConflictChoice choice);
    // Another copy of the profile (a backup, a sync tool's conflict copy)
    // whose common version is unknown: what only the copy has is added,
    // nothing is removed, and the settings stay current's. Each conflict
    // names a record the copy has in another version than current (both are
    // kept: nobody can tell which is newer).
    static MergeResult mergeCopy(const ProfileContent& current, const ProfileContent& copy);
    // Whether mine differs from base at all.
    static bool hasChanges(const ProfileContent& base, const ProfileContent& mine);
};

} // namespace tavrino

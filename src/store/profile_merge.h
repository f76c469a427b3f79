#pragma once

#include "store/profile.h"

#include <QList>
#include <QString>

namespace tavrino {

// A record both sides changed in the same field, each differently, or that
// one side changed and the other deleted. Lines as stored; an empty line
// means that side deleted the record. mine and theirs are whole records:
// every field that met no conflict merged, the conflicting ones each side's.
struct MergeConflict {
    QString base;
    QString mine;
    QString theirs;
    // The fields changed differently on both sides (PasswordRecord::Field);
    // empty when one side deleted the record.
    QList<int> fields;
};

enum class ConflictChoice { KeepMine, KeepTheirs, KeepBoth };

struct MergeResult {
    // Theirs with every change of mine that met no conflict; where a record
    // is in conflict, it holds their version until the conflict is resolved.
    ProfileContent merged;
    QList<MergeConflict> conflicts;
    // What of mine went into it.
    int added = 0;
    int changed = 0;
    int deleted = 0;
    // Records both sides changed in different fields, merged field by field.
    int fieldMerged = 0;
    // A copy's records that current did not have: their descriptions.
    QStringList addedDescriptions;
    bool settingsTaken = false; // categories, questions or login options
    // Mine changed the login while theirs did too: theirs stands.
    bool loginDropped = false;
};

// Three-way merge of a profile, with the version this instance last read as
// the base. The file has no record ids or times, so a record is known by its
// content (RecordPairing says how). Each record is merged field by field:
// a field only one side changed takes that change; only a field both sides
// changed differently, or a record one side changed and the other deleted,
// is a conflict. A record only one side added is always kept, and a record
// both deleted is gone without a question.
class ProfileMerge {
public:
    static MergeResult merge(const ProfileContent& base, const ProfileContent& mine,
                             const ProfileContent& theirs);
    // Applies the user's choice for one conflict to merged records. Keep
    // both adds mine beside theirs with its description marked, so that the
    // two can be told apart.
    static void resolve(RecordList& records, const MergeConflict& conflict, ConflictChoice choice);
    // What Keep both calls my record when theirs stays beside it.
    static QString markedAsMine(const QString& line);
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

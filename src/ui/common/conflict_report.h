#pragma once

#include "store/profile_merge.h"

#include <QList>
#include <QString>

namespace tavrino {

// What the user is shown of a record both sides changed: a headline, the
// fields that differ side by side, and afterwards what each answer kept
// and dropped. Text only: the conflict dialog and the tests read it.
namespace ConflictReport {

struct Row {
    QString field;  // as the record panel names it
    QString before; // the version both sides started from
    QString mine;
    QString theirs;
    bool disputed = false; // both changed it, each differently
    bool secret = false;   // shown masked until revealed
};

// How a record is named to the user: its description, else its user code.
QString recordName(const QString& line);
QString headline(const MergeConflict& conflict);
// The fields that differ between any two of the three versions, in the
// record's order; a deleted side's column is empty.
QList<Row> rows(const MergeConflict& conflict);

struct Answered {
    MergeConflict conflict;
    ConflictChoice choice;
};
// After the save: per record, what was kept and what was dropped.
QString outcome(const QList<Answered>& answers);

} // namespace ConflictReport

} // namespace tavrino

#include "profile_merge.h"

#include "store/record_pairing.h"

#include <QHash>

#include <optional>

namespace tavrino {
namespace {
using Counts = QHash<QString, int>;

Counts countsOf(const QStringList& lines) {
    Counts counts;
    for (const QString& line : lines)
        ++counts[line];
    return counts;
}

// The lines of a that b does not have, as many times as a has them more.
QStringList minus(const QStringList& a, const QStringList& b) {
    Counts left = countsOf(b);
    QStringList out;
    for (const QString& line : a) {
        int& n = left[line];
        if (n > 0)
            --n;
        else
            out.append(line);
    }
    return out;
}

bool take(Counts& counts, const QString& line) {
    auto it = counts.find(line);
    if (it == counts.end() || it.value() == 0) return false;
    --it.value();
    return true;
}

bool sameLines(const RecordList& a, const RecordList& b) {
    return a.lines() == b.lines();
}

RecordList listOf(const QStringList& lines) {
    RecordList list;
    list.reserve(lines.size());
    for (const QString& line : lines)
        list.add(line);
    return list;
}

QString descriptionOf(const QString& line) {
    return PasswordRecord::fromLine(line)[PasswordRecord::Description];
}

// One record both sides changed, field by field: a field only one side
// changed takes that change. mine and theirs differ only in the fields
// both changed differently (conflicts); a line stays as stored wherever
// its fields are what that side has.
struct FieldMerge {
    QString mine;
    QString theirs;
    QList<int> conflicts;
};

FieldMerge mergeFields(const QString& base, const QString& mine, const QString& theirs) {
    const PasswordRecord b = PasswordRecord::fromLine(base);
    const PasswordRecord m = PasswordRecord::fromLine(mine);
    const PasswordRecord t = PasswordRecord::fromLine(theirs);
    PasswordRecord mineMerged = m;
    PasswordRecord theirsMerged = t;
    QList<int> conflicts;
    for (int f = 0; f < PasswordRecord::FieldCount; ++f) {
        if (m.fields[f] == t.fields[f]) continue;
        if (m.fields[f] == b.fields[f])
            mineMerged.fields[f] = t.fields[f];
        else if (t.fields[f] == b.fields[f])
            theirsMerged.fields[f] = m.fields[f];
        else
            conflicts.append(f + 1);
    }
    auto lineOf = [&](const PasswordRecord& r) {
        auto same = [&](const PasswordRecord& o) {
            return std::equal(std::begin(r.fields), std::end(r.fields), std::begin(o.fields));
        };
        return same(t) ? theirs : same(m) ? mine : r.toLine();
    };
    return {lineOf(mineMerged), lineOf(theirsMerged), conflicts};
}

void mergeRecords(const RecordList& baseList, const RecordList& mineList,
                  const RecordList& theirsList, MergeResult& result) {
    const QStringList& base = baseList.lines();
    const QStringList& mine = mineList.lines();
    const QStringList& theirs = theirsList.lines();
    if (base == mine) return;
    const RecordPairing minePairs(base, mine);
    const RecordPairing theirPairs(base, theirs);
    Counts theirsAdded;
    for (qsizetype i = 0; i < theirs.size(); ++i)
        if (theirPairs.isAdded(i)) ++theirsAdded[theirs.at(i)];

    QList<std::optional<QString>> out(theirs.begin(), theirs.end()); // empty: removed
    for (qsizetype k = 0; k < base.size(); ++k) {
        const QString& was = base.at(k);
        const int m = minePairs.sideOf(k);
        const int t = theirPairs.sideOf(k);
        if (m >= 0 && mine.at(m) == was) continue; // mine left it: theirs stands
        if (t < 0) {
            // Deleted there; a change of mine to it is a question, a
            // deletion of mine none.
            if (m >= 0) result.conflicts.append({was, mine.at(m), QString(), {}});
            continue;
        }
        if (theirs.at(t) == was) {
            if (m < 0) {
                out[t].reset();
                ++result.deleted;
            } else {
                // The very line theirs added as well is not kept twice.
                if (take(theirsAdded, mine.at(m)))
                    out[t].reset();
                else
                    out[t] = mine.at(m);
                ++result.changed;
            }
            continue;
        }
        if (m < 0) {
            result.conflicts.append({was, QString(), theirs.at(t), {}});
            continue;
        }
        if (mine.at(m) == theirs.at(t)) continue; // the same change on both sides
        const FieldMerge fields = mergeFields(was, mine.at(m), theirs.at(t));
        out[t] = fields.theirs;
        if (fields.conflicts.isEmpty())
            ++result.fieldMerged;
        else
            result.conflicts.append({was, fields.mine, fields.theirs, fields.conflicts});
    }
    for (qsizetype i = 0; i < mine.size(); ++i) {
        if (!minePairs.isAdded(i)) continue;
        if (take(theirsAdded, mine.at(i))) continue; // the same record added there
        out.append(mine.at(i));
        ++result.added;
    }
    RecordList merged;
    merged.reserve(out.size());
    for (const std::optional<QString>& line : out)
        if (line) merged.add(*line);
    result.merged.Records = merged;
}

void mergeCategories(const CategoryList& base, const CategoryList& mine, const CategoryList& theirs,
                     MergeResult& result) {
    CategoryList merged = theirs;
    for (qsizetype i = 1; i <= base.count(); ++i)
        if (!mine.contains(base.keyAt(i)) && merged.removeKey(base.keyAt(i)))
            result.settingsTaken = true;
    for (qsizetype i = 1; i <= mine.count(); ++i)
        if (!base.contains(mine.keyAt(i)) && merged.add(mine.item(i), mine.keyAt(i)))
            result.settingsTaken = true;
    result.merged.Categories = merged;
}

void mergeSecurity(const SecuritySettings& base, const SecuritySettings& mine,
                   const SecuritySettings& theirs, MergeResult& result) {
    SecuritySettings& merged = result.merged.Security;
    merged = theirs;
    if (!mine.sameLogin(base)) {
        if (theirs.sameLogin(base)) {
            merged.LoginMode = mine.LoginMode;
            merged.UserId = mine.UserId;
            merged.Password = mine.Password;
            merged.Pin = mine.Pin;
            result.settingsTaken = true;
        } else if (!mine.sameLogin(theirs)) {
            result.loginDropped = true;
        }
    }
    if (mine.AnswersRequired != base.AnswersRequired) {
        merged.AnswersRequired = mine.AnswersRequired;
        result.settingsTaken = true;
    }
    if (!sameLines(mine.Questions, base.Questions)) {
        merged.Questions = mine.Questions;
        result.settingsTaken = true;
    }
}
} // namespace

MergeResult ProfileMerge::merge(const ProfileContent& base, const ProfileContent& mine,
                                const ProfileContent& theirs) {
    MergeResult result;
    result.merged = theirs;
    mergeRecords(base.Records, mine.Records, theirs.Records, result);
    mergeCategories(base.Categories, mine.Categories, theirs.Categories, result);
    mergeSecurity(base.Security, mine.Security, theirs.Security, result);
    return result;
}

QString ProfileMerge::markedAsMine(const QString& line) {
    PasswordRecord r = PasswordRecord::fromLine(line);
    r[PasswordRecord::Description] += QStringLiteral(" (my version)");
    return r.toLine();
}

void ProfileMerge::resolve(RecordList& records, const MergeConflict& conflict,
                           ConflictChoice choice) {
    if (choice == ConflictChoice::KeepTheirs) return;
    QStringList lines = records.lines();
    const qsizetype at = conflict.theirs.isEmpty() ? -1 : lines.indexOf(conflict.theirs);
    if (choice == ConflictChoice::KeepMine) {
        if (conflict.mine.isEmpty()) {
            if (at >= 0) lines.removeAt(at);
        } else if (at >= 0) {
            lines[at] = conflict.mine; // in its place
        } else {
            lines.append(conflict.mine);
        }
    } else if (!conflict.mine.isEmpty()) {
        lines.append(at >= 0 ? markedAsMine(conflict.mine) : conflict.mine);
    }
    records = listOf(lines);
}

MergeResult ProfileMerge::mergeCopy(const ProfileContent& current, const ProfileContent& copy) {
    // What both hold is the version they share, as far as anyone can tell.
    const QStringList onlyCurrent = minus(current.Records.lines(), copy.Records.lines());
    const QStringList onlyCopy = minus(copy.Records.lines(), current.Records.lines());
    ProfileContent base = current;
    base.Records = listOf(minus(current.Records.lines(), onlyCurrent));
    base.Categories = CategoryList();
    for (qsizetype i = 1; i <= current.Categories.count(); ++i)
        if (copy.Categories.contains(current.Categories.keyAt(i)))
            base.Categories.add(current.Categories.item(i), current.Categories.keyAt(i));
    ProfileContent mine = base;
    mine.Records = copy.Records;
    mine.Categories = copy.Categories;
    MergeResult result = merge(base, mine, current);
    // A record the copy has in another version than current: both stay,
    // and the caller is told which.
    const RecordPairing versions(onlyCurrent, onlyCopy);
    for (qsizetype i = 0; i < onlyCopy.size(); ++i) {
        result.addedDescriptions.append(descriptionOf(onlyCopy.at(i)));
        if (!versions.isAdded(i))
            result.conflicts.append({QString(), onlyCopy.at(i), onlyCurrent.at(versions.baseOf(i)), {}});
    }
    return result;
}

bool ProfileMerge::hasChanges(const ProfileContent& base, const ProfileContent& mine) {
    return !sameLines(base.Records, mine.Records) ||
           base.Categories.lines() != mine.Categories.lines() ||
           !base.Security.sameLogin(mine.Security) ||
           base.Security.AnswersRequired != mine.Security.AnswersRequired ||
           !sameLines(base.Security.Questions, mine.Security.Questions);
}

} // namespace tavrino

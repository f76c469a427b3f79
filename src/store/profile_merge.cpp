#include "profile_merge.h"

#include <QHash>

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

// How alike two record lines are: the filled fields they share, with the
// description counting most (it is what a user recognises a record by).
int likeness(const QString& a, const QString& b) {
    const PasswordRecord x = PasswordRecord::fromLine(a);
    const PasswordRecord y = PasswordRecord::fromLine(b);
    int score = 0;
    for (int i = 0; i < PasswordRecord::FieldCount; ++i)
        if (!x.fields[i].isEmpty() && x.fields[i] == y.fields[i])
            score += i + 1 == PasswordRecord::Description ? 3 : 1;
    return score;
}

// One side's changes: each deleted line with the added line it became
// (empty when it was deleted outright), and the additions left over.
struct SideChanges {
    QList<std::pair<QString, QString>> deleted; // base line, what it became
    QStringList added;
};

SideChanges changesOf(const QStringList& base, const QStringList& side) {
    SideChanges c;
    const QStringList gone = minus(base, side);
    QStringList added = minus(side, base);
    for (const QString& line : gone) {
        int best = 0;
        qsizetype bestAt = -1;
        for (qsizetype i = 0; i < added.size(); ++i) {
            const int score = likeness(line, added[i]);
            if (score > best) {
                best = score;
                bestAt = i;
            }
        }
        c.deleted.append({line, bestAt < 0 ? QString() : added.takeAt(bestAt)});
    }
    c.added = added;
    return c;
}

bool sameLines(const RecordList& a, const RecordList& b) {
    return a.lines() == b.lines();
}

void removeOne(QStringList& lines, const QString& line) {
    const qsizetype at = lines.indexOf(line);
    if (at >= 0) lines.removeAt(at);
}

RecordList listOf(const QStringList& lines) {
    RecordList list;
    list.reserve(lines.size());
    for (const QString& line : lines)
        list.add(line);
    return list;
}

void mergeRecords(const RecordList& baseList, const RecordList& mineList,
                  const RecordList& theirsList, MergeResult& result) {
    const SideChanges mine = changesOf(baseList.lines(), mineList.lines());
    if (mine.deleted.isEmpty() && mine.added.isEmpty()) return;
    const SideChanges theirs = changesOf(baseList.lines(), theirsList.lines());
    QHash<QString, QStringList> theirsBecame; // base line -> what theirs made of it
    for (const auto& [line, became] : theirs.deleted)
        theirsBecame[line].append(became);
    Counts theirsAdded = countsOf(theirs.added);

    QStringList lines = theirsList.lines();
    for (const auto& [line, became] : mine.deleted) {
        auto it = theirsBecame.find(line);
        if (it != theirsBecame.end() && !it.value().isEmpty()) {
            // Theirs changed or deleted this record as well.
            const QString theirsVersion = it.value().takeFirst();
            if (theirsVersion != became)
                result.conflicts.append({line, became, theirsVersion});
            continue;
        }
        removeOne(lines, line);
        if (became.isEmpty()) {
            ++result.deleted;
        } else {
            if (!take(theirsAdded, became)) lines.append(became);
            ++result.changed;
        }
    }
    for (const QString& line : mine.added) {
        if (take(theirsAdded, line)) continue; // the same record added there
        lines.append(line);
        ++result.added;
    }
    result.merged.Records = listOf(lines);
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

void ProfileMerge::resolve(RecordList& records, const MergeConflict& conflict,
                           ConflictChoice choice) {
    if (choice == ConflictChoice::KeepTheirs) return;
    QStringList lines = records.lines();
    if (choice == ConflictChoice::KeepMine && !conflict.theirs.isEmpty())
        removeOne(lines, conflict.theirs);
    if (!conflict.mine.isEmpty()) lines.append(conflict.mine);
    records = listOf(lines);
}

MergeResult ProfileMerge::mergeCopy(const ProfileContent& current, const ProfileContent& copy) {
    // What both hold is the version they share, as far as anyone can tell.
    ProfileContent base = current;
    base.Records = listOf(minus(current.Records.lines(), minus(current.Records.lines(), copy.Records.lines())));
    base.Categories = CategoryList();
    for (qsizetype i = 1; i <= current.Categories.count(); ++i)
        if (copy.Categories.contains(current.Categories.keyAt(i)))
            base.Categories.add(current.Categories.item(i), current.Categories.keyAt(i));
    ProfileContent mine = base;
    mine.Records = copy.Records;
    mine.Categories = copy.Categories;
    MergeResult result = merge(base, mine, current);
    const QStringList onlyCurrent = minus(current.Records.lines(), copy.Records.lines());
    for (const QString& line : minus(copy.Records.lines(), current.Records.lines())) {
        for (const QString& other : onlyCurrent) {
            if (likeness(line, other) >= 3) {
                result.conflicts.append({QString(), line, other});
                break;
            }
        }
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

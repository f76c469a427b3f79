#include "record_pairing.h"

#include "store/profile.h"

#include <QHash>

#include <algorithm>

namespace tavrino {

int RecordPairing::evidence(const QString& a, const QString& b) {
    const PasswordRecord x = PasswordRecord::fromLine(a);
    const PasswordRecord y = PasswordRecord::fromLine(b);
    auto same = [&](PasswordRecord::Field f) { return !x[f].isEmpty() && x[f] == y[f]; };
    const bool sameDescription = same(PasswordRecord::Description);
    const bool sameAccount = same(PasswordRecord::UserCode) && same(PasswordRecord::WebSite);
    if (!sameDescription && !sameAccount) return 0;
    // Strong evidence first; among equals, the pair that shares most fields.
    int score = (sameDescription ? 200 : 0) + (sameAccount ? 100 : 0);
    for (int f = 0; f < PasswordRecord::FieldCount; ++f)
        if (x.fields[f] == y.fields[f]) ++score;
    return score;
}

RecordPairing::RecordPairing(const QStringList& base, const QStringList& side)
    : m_sideOf(base.size(), -1), m_baseOf(side.size(), -1) {
    // Unchanged lines first: the same text is the same record.
    QHash<QString, QList<int>> unmatched;
    for (qsizetype i = side.size() - 1; i >= 0; --i)
        unmatched[side.at(i)].append(int(i));
    QList<int> gone;
    for (qsizetype k = 0; k < base.size(); ++k) {
        auto it = unmatched.find(base.at(k));
        if (it != unmatched.end() && !it.value().isEmpty()) {
            const int i = it.value().takeLast();
            m_sideOf[k] = i;
            m_baseOf[i] = int(k);
        } else {
            gone.append(int(k));
        }
    }
    QList<int> added;
    for (qsizetype i = 0; i < side.size(); ++i)
        if (m_baseOf.at(i) < 0) added.append(int(i));
    if (gone.isEmpty() || added.isEmpty()) return;

    struct Candidate {
        int score, baseIndex, sideIndex;
    };
    QList<Candidate> candidates;
    for (int k : gone)
        for (int i : added)
            if (const int score = evidence(base.at(k), side.at(i)))
                candidates.append({score, k, i});
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.score > b.score; });

    // Best pairs over all: a candidate is taken only when nothing as good
    // competes for either of its lines (twin lines are no competition).
    QList<bool> baseDone(base.size(), false);
    QList<bool> sideDone(side.size(), false);
    for (qsizetype at = 0; at < candidates.size();) {
        qsizetype end = at;
        while (end < candidates.size() && candidates.at(end).score == candidates.at(at).score)
            ++end;
        QList<Candidate> level;
        for (qsizetype j = at; j < end; ++j)
            if (!baseDone.at(candidates.at(j).baseIndex) && !sideDone.at(candidates.at(j).sideIndex))
                level.append(candidates.at(j));
        for (const Candidate& c : level) {
            if (baseDone.at(c.baseIndex) || sideDone.at(c.sideIndex)) continue;
            bool tie = false;
            for (const Candidate& other : level) {
                if (&other == &c || baseDone.at(other.baseIndex) || sideDone.at(other.sideIndex))
                    continue;
                if (other.baseIndex == c.baseIndex && side.at(other.sideIndex) != side.at(c.sideIndex))
                    tie = true;
                if (other.sideIndex == c.sideIndex && base.at(other.baseIndex) != base.at(c.baseIndex))
                    tie = true;
            }
            // Undecided lines at this level stay a deletion and an addition.
            if (tie) {
                for (const Candidate& other : level) {
                    if (other.baseIndex == c.baseIndex || other.sideIndex == c.sideIndex) {
                        baseDone[other.baseIndex] = true;
                        sideDone[other.sideIndex] = true;
                    }
                }
                continue;
            }
            baseDone[c.baseIndex] = true;
            sideDone[c.sideIndex] = true;
            m_sideOf[c.baseIndex] = c.sideIndex;
            m_baseOf[c.sideIndex] = c.baseIndex;
        }
        at = end;
    }
}

} // namespace tavrino

#pragma once

#include <QList>
#include <QStringList>

namespace tavrino {

// How one side's record lines stand against the version both sides started
// from. The file has no record ids, so a record is known by its content: a
// line still there unchanged is the same record; a line gone and a line
// added are one record changed only on strong evidence (the same
// description, or the same user code at the same web site), the best pairs
// taken over all candidates; a tie or anything weaker is a deletion plus an
// addition.
class RecordPairing {
public:
    RecordPairing(const QStringList& base, const QStringList& side);

    // The position in side of what base record k became; -1 when deleted.
    int sideOf(qsizetype baseIndex) const { return m_sideOf.at(baseIndex); }
    // Whether side position i is a record the side added (no base record).
    bool isAdded(qsizetype sideIndex) const { return m_baseOf.at(sideIndex) < 0; }
    int baseOf(qsizetype sideIndex) const { return m_baseOf.at(sideIndex); }

    // How strongly two record lines are one record changed: 0 when the
    // evidence is too weak to pair them at all.
    static int evidence(const QString& a, const QString& b);

private:
    QList<int> m_sideOf;
    QList<int> m_baseOf;
};

} // namespace tavrino

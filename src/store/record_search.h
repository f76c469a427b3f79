#pragma once

#include "store/profile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

namespace tavrino {

// One record found: where it is, and the first field a searched word was
// found in.
struct SearchHit {
    qsizetype position = 0; // 1-based, in the profile's record list
    PasswordRecord::Field field = PasswordRecord::Description;
    QString description;
    QString fieldText; // that field's whole text
    // "Description" alone when found there, else "Description  (Web Site: ...)".
    QString text() const;
};

// Finds records by what the user remembers of them: every word typed must
// turn up in the description, user code, web site, e-mail, notes or
// category (never the password), letter case and accents aside. The texts
// are folded once; a query that extends the last one looks only at what
// the last one found, so typing gets faster as it narrows.
class RecordSearch {
public:
    // Folds the records' texts; again only when the list changed.
    void index(const QStringList& recordLines);
    bool isIndexOf(const QStringList& recordLines) const;

    // At most limit hits, in the records' order; total (when given) counts all.
    QList<SearchHit> find(const QString& query, qsizetype limit, qsizetype* total = nullptr) const;

    // Lower case, accents and other marks taken off (é, e and E are one).
    static QString fold(QStringView text);
    // The fields searched, in the order a hit reports them.
    static const std::array<PasswordRecord::Field, 6>& searchedFields();

private:
    struct Entry {
        QString folded;                  // the searched fields, folded, "\x1f" between
        std::array<qsizetype, 6> starts; // where each field begins in it
    };
    static Entry entryOf(const QString& line);
    QList<Entry> m_entries;
    QStringList m_lines;
    mutable QString m_lastQuery;
    mutable QList<qsizetype> m_lastMatches; // 0-based, every record matching it
};

} // namespace tavrino

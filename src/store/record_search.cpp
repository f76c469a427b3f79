#include "record_search.h"

#include <QHash>
#include <QStringView>

namespace tavrino {

namespace {
const QChar Separator(0x1f);

QString fieldCaption(PasswordRecord::Field field) {
    switch (field) {
    case PasswordRecord::UserCode: return QStringLiteral("User/Account Code");
    case PasswordRecord::WebSite: return QStringLiteral("Web Site");
    case PasswordRecord::Email: return QStringLiteral("Email");
    case PasswordRecord::Notes: return QStringLiteral("Notes");
    case PasswordRecord::Category: return QStringLiteral("Category");
    default: return QStringLiteral("Description");
    }
}

bool isAscii(QStringView text) {
    for (QChar c : text)
        if (c.unicode() >= 0x80) return false;
    return true;
}
} // namespace

const std::array<PasswordRecord::Field, 6>& RecordSearch::searchedFields() {
    static const std::array<PasswordRecord::Field, 6> fields{
        PasswordRecord::Description, PasswordRecord::UserCode, PasswordRecord::WebSite,
        PasswordRecord::Email,       PasswordRecord::Notes,    PasswordRecord::Category};
    return fields;
}

QString SearchHit::text() const {
    if (field == PasswordRecord::Description) return description;
    QString shown = fieldText.simplified();
    if (shown.size() > 40) shown = shown.left(39) + QChar(0x2026);
    return QStringLiteral("%1  (%2: %3)").arg(description, fieldCaption(field), shown);
}

QString RecordSearch::fold(QStringView text) {
    if (isAscii(text)) return text.toString().toLower();
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed) {
        const QChar::Category category = c.category();
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
            category == QChar::Mark_Enclosing)
            continue;
        out += c;
    }
    // Qt folds one character to one: "ß" (and capital "ẞ") to "ss" by hand.
    return out.toCaseFolded().replace(QChar(0x00DF), QLatin1String("ss"));
}

bool RecordSearch::isIndexOf(const QStringList& recordLines) const {
    // The same list object's data, or equal lines: nothing to fold again.
    return m_lines.constData() == recordLines.constData() || m_lines == recordLines;
}

RecordSearch::Entry RecordSearch::entryOf(const QString& line) {
    // The fields by their place in the line, without splitting it.
    std::array<QStringView, PasswordRecord::FieldCount + 1> parts;
    qsizetype from = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const qsizetype bar = line.indexOf(QLatin1Char('|'), from);
        parts[i] = QStringView(line).mid(from, bar < 0 ? -1 : bar - from);
        if (bar < 0) break;
        from = bar + 1;
    }
    Entry e;
    e.folded.reserve(line.size() + 8);
    for (std::size_t i = 0; i < searchedFields().size(); ++i) {
        if (i > 0) e.folded += Separator;
        e.starts[i] = e.folded.size();
        const QStringView part = parts[static_cast<std::size_t>(searchedFields()[i])];
        if (isAscii(part)) {
            for (QChar c : part) // the common case, without a string of its own
                e.folded += c.unicode() >= 'A' && c.unicode() <= 'Z' ? QChar(c.unicode() + 32) : c;
        } else {
            e.folded += fold(part);
        }
    }
    return e;
}

void RecordSearch::index(const QStringList& recordLines) {
    if (!m_entries.isEmpty() && isIndexOf(recordLines)) return;
    // After a save most lines are as they were: those are not folded again.
    QHash<QString, qsizetype> before;
    before.reserve(m_lines.size());
    for (qsizetype i = 0; i < m_lines.size(); ++i)
        before.insert(m_lines.at(i), i);
    QList<Entry> entries;
    entries.reserve(recordLines.size());
    for (const QString& line : recordLines) {
        const auto known = before.constFind(line);
        entries.append(known != before.cend() ? m_entries.at(*known) : entryOf(line));
    }
    m_entries = std::move(entries);
    m_lines = recordLines;
    m_lastQuery.clear();
    m_lastMatches.clear();
}

QList<SearchHit> RecordSearch::find(const QString& query, qsizetype limit,
                                    qsizetype* total) const {
    const QString folded = fold(query).simplified();
    QList<SearchHit> hits;
    if (total) *total = 0;
    if (folded.isEmpty()) return hits;
    const QList<QStringView> words = QStringView(folded).split(QLatin1Char(' '));

    // A query that extends the last one finds a part of what that found.
    const bool narrowing = !m_lastQuery.isEmpty() && folded.startsWith(m_lastQuery);
    QList<qsizetype> matches;
    auto test = [&](qsizetype i) {
        const Entry& e = m_entries.at(i);
        for (QStringView word : words)
            if (!QStringView(e.folded).contains(word)) return;
        matches.append(i);
    };
    if (narrowing) {
        for (qsizetype i : std::as_const(m_lastMatches))
            test(i);
    } else {
        for (qsizetype i = 0; i < m_entries.size(); ++i)
            test(i);
    }
    m_lastQuery = folded;
    m_lastMatches = matches;
    if (total) *total = matches.size();

    for (qsizetype i : std::as_const(matches)) {
        if (hits.size() >= limit) break;
        const Entry& e = m_entries.at(i);
        const qsizetype at = QStringView(e.folded).indexOf(words.first());
        std::size_t field = 0;
        while (field + 1 < e.starts.size() && e.starts[field + 1] <= at)
            ++field;
        const PasswordRecord record = PasswordRecord::fromLine(m_lines.at(i));
        SearchHit hit;
        hit.position = i + 1;
        hit.field = searchedFields()[field];
        // Named as the list names it: by its user code when it has no description.
        hit.description = record[PasswordRecord::Description].trimmed().isEmpty()
                              ? record[PasswordRecord::UserCode]
                              : record[PasswordRecord::Description];
        hit.fieldText = record[hit.field];
        hits.append(hit);
    }
    return hits;
}

} // namespace tavrino

#include "store/csv.h"

namespace tavrino::Csv {

QString formatRow(const QStringList& fields) {
    QStringList out;
    out.reserve(fields.size());
    for (const QString& f : fields) {
        if (f.contains(QLatin1Char(',')) || f.contains(QLatin1Char('"')) ||
            f.contains(QLatin1Char('\r')) || f.contains(QLatin1Char('\n'))) {
            QString quoted = f;
            quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
            out << QLatin1Char('"') + quoted + QLatin1Char('"');
        } else {
            out << f;
        }
    }
    return out.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

QList<QStringList> parse(const QString& text, QString* error, QChar separator) {
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;    // inside a quoted field
    bool wasQuoted = false; // the current field was quoted
    bool rowStarted = false;
    int line = 1;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n')) ++line;
                field += c;
            }
            continue;
        }
        rowStarted = true;
        if (c == QLatin1Char('"')) {
            if (!field.isEmpty() || wasQuoted) {
                if (error)
                    *error = QStringLiteral("line %1: a quote inside an unquoted field").arg(line);
                return rows;
            }
            quoted = wasQuoted = true;
        } else if (c == separator) {
            row << field;
            field.clear();
            wasQuoted = false;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) ++i;
            row << field;
            rows << row;
            row.clear();
            field.clear();
            wasQuoted = false;
            rowStarted = false;
            ++line;
        } else {
            if (wasQuoted) {
                if (error) *error = QStringLiteral("line %1: text after a closing quote").arg(line);
                return rows;
            }
            field += c;
        }
    }
    if (quoted) {
        if (error) *error = QStringLiteral("line %1: a quoted field is not closed").arg(line);
        return rows;
    }
    if (rowStarted) {
        row << field;
        rows << row;
    }
    return rows;
}

} // namespace tavrino::Csv

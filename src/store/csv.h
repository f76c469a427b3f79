#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tavrino::Csv {

// One RFC 4180 record: fields quoted when they hold a comma, a quote or a
// line break; CR LF after each record.
QString formatRow(const QStringList& fields);

// All records of an RFC 4180 text. Quoted fields may hold line breaks.
// error is set (and the result incomplete) on a malformed quote. Some
// programs (and spreadsheets in many languages) separate by ";".
QList<QStringList> parse(const QString& text, QString* error = nullptr,
                         QChar separator = QLatin1Char(','));

} // namespace tavrino::Csv

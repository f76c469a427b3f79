// Any text as a CSV import: the parser never crashes, and rows it accepts,
// formatted by us, parse back to the same rows; the import of a peer's
// export never crashes and never takes a record a profile line can not hold.
#include "store/csv.h"
#include "store/record_import.h"

#include <cstdlib>

using namespace tavrino;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const PasswordRecord& r : RecordImport::read(bytes, QDate(2026, 12, 10)).records)
        for (const QString& field : r.fields)
            if (field.contains(QLatin1Char('|'))) std::abort();
    const QString text = QString::fromUtf8(bytes);
    QString error;
    const QList<QStringList> rows = Csv::parse(text, &error);
    if (!error.isEmpty()) return 0;
    QString formatted;
    for (const QStringList& row : rows)
        formatted += Csv::formatRow(row);
    QString againError;
    const QList<QStringList> again = Csv::parse(formatted, &againError);
    // A lone empty field is a blank line, which formats to nothing to read back.
    QList<QStringList> expected;
    for (const QStringList& row : rows)
        if (!(row.size() == 1 && row[0].isEmpty())) expected << row;
    QList<QStringList> got;
    for (const QStringList& row : again)
        if (!(row.size() == 1 && row[0].isEmpty())) got << row;
    if (!againError.isEmpty() || got != expected) std::abort();
    return 0;
}

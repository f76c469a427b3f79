#include "record_import.h"

#include "store/profile_format.h"

#include "store/csv.h"
#include "store/date_text.h"

#include <QHash>
#include <QStringDecoder>
#include <QSet>
#include <QUrl>

#include <algorithm>

namespace tavrino {

namespace {

using Field = PasswordRecord::Field;

// The exports told apart by columns that only they have.
struct Known {
    const char* name;
    QStringList columns; // all present (lower case)
};

const QList<Known>& knownSources() {
    static const QList<Known> sources{
        {"Tavrino", {QStringLiteral("category"), QStringLiteral("description"), QStringLiteral("usercode"),
                     QStringLiteral("expirydate")}},
        {"Bitwarden", {QStringLiteral("login_uri"), QStringLiteral("login_username"),
                       QStringLiteral("login_password")}},
        {"KeePassXC", {QStringLiteral("group"), QStringLiteral("title"), QStringLiteral("username"),
                       QStringLiteral("password")}},
        {"Firefox", {QStringLiteral("url"), QStringLiteral("username"), QStringLiteral("password"),
                     QStringLiteral("httprealm")}},
        {"1Password", {QStringLiteral("title"), QStringLiteral("url"), QStringLiteral("username"),
                       QStringLiteral("password"), QStringLiteral("otpauth")}},
        {"Chrome/Chromium/Edge", {QStringLiteral("name"), QStringLiteral("url"), QStringLiteral("username"),
                    QStringLiteral("password")}},
    };
    return sources;
}

// Which column of any of them holds which field, first name first.
const QList<std::pair<Field, QStringList>>& columnNames() {
    static const QList<std::pair<Field, QStringList>> names{
        {PasswordRecord::Category,
         {QStringLiteral("category"), QStringLiteral("group"), QStringLiteral("folder"), QStringLiteral("tags")}},
        {PasswordRecord::Description,
         {QStringLiteral("description"), QStringLiteral("title"), QStringLiteral("name")}},
        {PasswordRecord::UserCode,
         {QStringLiteral("usercode"), QStringLiteral("username"), QStringLiteral("login_username"),
          QStringLiteral("user name"), QStringLiteral("login")}},
        {PasswordRecord::Password, {QStringLiteral("password"), QStringLiteral("login_password")}},
        {PasswordRecord::Notes, {QStringLiteral("notes"), QStringLiteral("note"), QStringLiteral("extra")}},
        {PasswordRecord::ExpiryDate, {QStringLiteral("expirydate"), QStringLiteral("expires")}},
        {PasswordRecord::WebSite,
         {QStringLiteral("website"), QStringLiteral("url"), QStringLiteral("login_uri"), QStringLiteral("web site")}},
        {PasswordRecord::Email, {QStringLiteral("email"), QStringLiteral("e-mail")}},
    };
    return names;
}

QString caption(Field field) {
    return PasswordRecord::fieldNames()[field - 1];
}

// KeePassXC writes the group's path from its root ("Root/Internet"),
// 1Password the tags ("work,mail"): the group below the root, the first tag.
QString categoryOf(const QString& source, const QString& text) {
    QString c = text.trimmed();
    if (source == u"KeePassXC") {
        if (c.startsWith(QStringLiteral("Root/"))) c = c.mid(5);
        if (c == u"Root") c.clear();
    }
    if (source == u"1Password") c = c.section(QLatin1Char(','), 0, 0).trimmed();
    return c;
}

QString hostOf(const QString& url) {
    const QUrl u = QUrl::fromUserInput(url);
    QString host = u.host();
    if (host.startsWith(QStringLiteral("www."))) host = host.mid(4);
    return host;
}

// A profile's lines break with CR LF, as the Windows version writes them.
QString windowsLineBreaks(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

QString identity(const PasswordRecord& r) {
    return QStringList{r[PasswordRecord::Description], r[PasswordRecord::UserCode],
                       r[PasswordRecord::Password], r[PasswordRecord::WebSite]}
        .join(QChar(0x1f));
}

} // namespace

// Windows-1252's characters at 0x80..0x9F (0 where it has none); the other
// bytes are the Unicode characters of the same number.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

// The file's text as its encoding says: UTF-8 (with or without its byte
// order mark), UTF-16 with one; bytes that are no UTF-8 are read as
// Windows-1252 (what spreadsheets on Windows write), and the note says so.
// Nothing is replaced without a word.
static QString decodedText(const QByteArray& file, QStringList& notes) {
    if (file.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(file.sliced(3));
    if (file.startsWith("\xFF\xFE") || file.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(file.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                          : QStringDecoder::Utf16BE);
        return utf16.decode(file.sliced(2));
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(file);
    if (!utf8.hasError()) return text;
    QString windows;
    windows.reserve(file.size());
    for (const char byte : file) {
        const auto b = static_cast<unsigned char>(byte);
        const char16_t high = b >= 0x80 && b < 0xA0 ? Cp1252High[b - 0x80] : 0;
        windows += QChar(high ? high : char16_t(b));
    }
    notes << QStringLiteral("the file is not UTF-8: it was read as Windows-1252");
    return windows;
}

RecordImport RecordImport::read(const QByteArray& file, const QDate& today) {
    RecordImport import;
    const QString text = decodedText(file, import.notes);
    const QString firstLine = text.section(QLatin1Char('\n'), 0, 0);
    const QChar separator =
        firstLine.count(QLatin1Char(';')) > firstLine.count(QLatin1Char(',')) ? QLatin1Char(';')
                                                                              : QLatin1Char(',');
    QString error;
    const QList<QStringList> rows = Csv::parse(text, &error, separator);
    if (!error.isEmpty()) {
        import.error = QStringLiteral("not valid CSV: %1").arg(error);
        return import;
    }
    if (rows.isEmpty()) {
        import.error = QStringLiteral("no header row");
        return import;
    }
    QStringList header;
    for (const QString& h : rows.first())
        header << h.trimmed().toLower();
    for (const Known& k : knownSources()) {
        if (std::all_of(k.columns.cbegin(), k.columns.cend(),
                        [&](const QString& c) { return header.contains(c); })) {
            import.source = QString::fromLatin1(k.name);
            break;
        }
    }
    // Where each field comes from (-1: nowhere).
    QHash<int, qsizetype> from;
    for (const auto& [field, names] : columnNames())
        for (const QString& name : names)
            if (!from.contains(field) && header.contains(name)) from.insert(field, header.indexOf(name));
    if (!from.contains(PasswordRecord::Password) ||
        (!from.contains(PasswordRecord::Description) && !from.contains(PasswordRecord::WebSite))) {
        import.error = QStringLiteral(
            "the header row names no columns Tavrino knows (it reads the CSV exports of "
            "KeePassXC, Bitwarden, Chrome, Edge, Firefox and 1Password, and its own: %1)")
                           .arg(PasswordRecord::fieldNames().join(QLatin1Char(',')));
        return import;
    }
    if (import.source.isEmpty()) import.source = QStringLiteral("CSV");

    const qsizetype typeColumn = header.indexOf(QStringLiteral("type")); // Bitwarden
    for (qsizetype i = 1; i < rows.size(); ++i) {
        const QStringList& row = rows[i];
        if (row.size() == 1 && row[0].trimmed().isEmpty()) continue; // a blank line
        PasswordRecord r;
        for (auto it = from.cbegin(); it != from.cend(); ++it)
            r[static_cast<Field>(it.key())] = row.value(it.value());
        r[PasswordRecord::Category] = categoryOf(import.source, r[PasswordRecord::Category]);
        r[PasswordRecord::Notes] = windowsLineBreaks(r[PasswordRecord::Notes]);
        // Firefox names a login by its site alone.
        if (!from.contains(PasswordRecord::Description))
            r[PasswordRecord::Description] = hostOf(r[PasswordRecord::WebSite]);
        const QString name = r[PasswordRecord::Description].isEmpty()
                                 ? QStringLiteral("row %1").arg(i)
                                 : QStringLiteral("row %1 (%2)").arg(i).arg(r[PasswordRecord::Description]);
        if (typeColumn >= 0 && row.value(typeColumn) != u"login" && !row.value(typeColumn).isEmpty() &&
            r[PasswordRecord::Password].isEmpty() && r[PasswordRecord::UserCode].isEmpty())
            import.notes << QStringLiteral("%1: a %2, not a login; taken with its notes")
                                .arg(name, row.value(typeColumn));

        // "|" separates the fields of a profile line: such a row can not be stored.
        QStringList barred;
        for (int f = 1; f <= PasswordRecord::FieldCount; ++f)
            if (r[static_cast<Field>(f)].contains(QLatin1Char('|'))) barred << caption(static_cast<Field>(f));
        if (!barred.isEmpty()) {
            import.notes << QStringLiteral("%1: skipped, \"|\" in %2 can not be stored in a profile")
                                .arg(name, barred.join(QStringLiteral(", ")));
            ++import.skipped;
            continue;
        }
        if (!ProfileFormat::fitsInALine(r.toLine())) {
            import.notes << QStringLiteral("%1: skipped, longer than a line of a profile can hold")
                                .arg(name.left(60));
            ++import.skipped;
            continue;
        }
        if (r[PasswordRecord::UserCode].trimmed().isEmpty()) {
            // The record panel asks a user code of every record.
            r[PasswordRecord::UserCode] = r[PasswordRecord::Email].trimmed().isEmpty()
                                              ? QStringLiteral("(none)")
                                              : r[PasswordRecord::Email].trimmed();
            import.notes << QStringLiteral("%1: no user name; \"%2\" put in its place")
                                .arg(name, r[PasswordRecord::UserCode]);
        }
        QString& expiry = r[PasswordRecord::ExpiryDate];
        expiry = expiry.trimmed();
        if (!expiry.isEmpty() && !parseDateText(expiry, today)) {
            import.notes << QStringLiteral("%1: the expiry date \"%2\" is not a date; left out")
                                .arg(name, expiry);
            expiry.clear();
        }
        import.records << r;
    }
    return import;
}

ImportOutcome addImported(Profile& profile, const QList<PasswordRecord>& records) {
    ImportOutcome outcome;
    QSet<QString> present;
    for (const QString& line : profile.Records.lines())
        present.insert(identity(PasswordRecord::fromLine(line)));
    for (const PasswordRecord& r : records) {
        if (present.contains(identity(r))) {
            ++outcome.alreadyThere;
            continue;
        }
        present.insert(identity(r));
        const QString& category = r[PasswordRecord::Category];
        if (!category.isEmpty() && !profile.Categories.contains(category) &&
            profile.Categories.add(Profile::categoryLine(category), category))
            outcome.newCategories << category;
        profile.Records.add(r.toLine());
        ++outcome.added;
    }
    return outcome;
}

QString importReport(const RecordImport& import, const ImportOutcome& outcome) {
    QString report = QStringLiteral("%1 export: %2 records added").arg(import.source).arg(outcome.added);
    if (outcome.alreadyThere > 0)
        report += QStringLiteral(", %1 already there").arg(outcome.alreadyThere);
    if (import.skipped > 0) report += QStringLiteral(", %1 skipped").arg(import.skipped);
    report += QLatin1Char('.');
    if (!outcome.newCategories.isEmpty())
        report += QStringLiteral("\nNew categories: %1.").arg(outcome.newCategories.join(QStringLiteral(", ")));
    for (const QString& note : import.notes)
        report += QLatin1Char('\n') + note;
    return report;
}

static bool runsAsFormula(const QString& cell) {
    return !cell.isEmpty() && QStringLiteral("=+-@\t\r").contains(cell.front());
}

QByteArray exportCsv(const Profile& profile, bool forSpreadsheet) {
    QString out = Csv::formatRow(PasswordRecord::fieldNames());
    for (const QString& line : profile.Records.lines()) {
        const PasswordRecord r = PasswordRecord::fromLine(line);
        QStringList cells(std::begin(r.fields), std::end(r.fields));
        if (forSpreadsheet)
            for (QString& cell : cells)
                if (runsAsFormula(cell)) cell.prepend(QLatin1Char('\''));
        out += Csv::formatRow(cells);
    }
    return out.toUtf8();
}

int formulaCells(const Profile& profile) {
    int count = 0;
    for (const QString& line : profile.Records.lines()) {
        const PasswordRecord r = PasswordRecord::fromLine(line);
        count += int(std::count_if(std::begin(r.fields), std::end(r.fields), runsAsFormula));
    }
    return count;
}

} // namespace tavrino

#include "store/record_import.h"

#include <gtest/gtest.h>

using namespace tavrino;

namespace {

const QDate Today(2026, 12, 10);

struct Expected {
    // Category, Description, UserCode, Password, Notes, ExpiryDate, WebSite, Email
    QStringList fields;
};

struct PeerCase {
    const char* what;
    QByteArray file;
    const char* source;
    QList<QStringList> records;
    QStringList notes;
};

QStringList fieldsOf(const PasswordRecord& r) {
    return QStringList(std::begin(r.fields), std::end(r.fields));
}

class PeerExports : public ::testing::TestWithParam<PeerCase> {};

// Each peer's export as it writes it, known by its header; each row checked
// field by field; what was changed or left out said per row.
TEST_P(PeerExports, ImportEveryRowThatCanBeStored) {
    const PeerCase& c = GetParam();
    const RecordImport import = RecordImport::read(c.file, Today);
    ASSERT_TRUE(import.error.isEmpty()) << c.what << ": " << import.error.toStdString();
    EXPECT_EQ(import.source, QString::fromUtf8(c.source)) << c.what;
    ASSERT_EQ(import.records.size(), c.records.size()) << c.what;
    for (qsizetype i = 0; i < c.records.size(); ++i)
        EXPECT_EQ(fieldsOf(import.records[i]), c.records[i]) << c.what << " record " << i;
    EXPECT_EQ(import.notes, c.notes) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, PeerExports,
    ::testing::Values(
        PeerCase{"keepassxc",
                 "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\",\"Icon\","
                 "\"Last Modified\",\"Created\"\n"
                 "\"Root/Internet\",\"Forum, the big one\",\"bob\",\"p\"\"w,1\",\"https://forum.example.net\","
                 "\"line one\nline two\",\"\",\"0\",\"2026-01-01T00:00:00Z\",\"2026-01-01T00:00:00Z\"\n"
                 "\"Root\",\"Top\",\"\",\"t0p\",\"\",\"\",\"\",\"0\",\"\",\"\"\n",
                 "KeePassXC",
                 {{"Internet", "Forum, the big one", "bob", "p\"w,1", "line one\r\nline two", "",
                   "https://forum.example.net", ""},
                  {"", "Top", "(none)", "t0p", "", "", "", ""}},
                 {"row 2 (Top): no user name; \"(none)\" put in its place"}},
        PeerCase{"bitwarden",
                 "folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,login_password,"
                 "login_totp\r\n"
                 "Mail,,login,Webmail,,,0,https://mail.example.com,alice@example.com,Tr0ub4dor&3,\r\n"
                 ",,note,Secret note,\"some text\",,0,,,,\r\n",
                 "Bitwarden",
                 {{"Mail", "Webmail", "alice@example.com", "Tr0ub4dor&3", "", "", "https://mail.example.com", ""},
                  {"", "Secret note", "(none)", "", "some text", "", "", ""}},
                 {"row 2 (Secret note): a note, not a login; taken with its notes",
                  "row 2 (Secret note): no user name; \"(none)\" put in its place"}},
        PeerCase{"chrome",
                 "name,url,username,password,note\r\n"
                 "shop.example.com,https://shop.example.com/login,me,pw|bad,\r\n"
                 "bank.example.com,https://bank.example.com/,dave,S4v!ngs,\"a, note\"\r\n",
                 "Chrome/Chromium/Edge",
                 {{"", "bank.example.com", "dave", "S4v!ngs", "a, note", "", "https://bank.example.com/", ""}},
                 {"row 1 (shop.example.com): skipped, \"|\" in Password can not be stored in a profile"}},
        PeerCase{"firefox with a byte order mark",
                 "\xEF\xBB\xBF\"url\",\"username\",\"password\",\"httpRealm\",\"formActionOrigin\",\"guid\","
                 "\"timeCreated\",\"timeLastUsed\",\"timePasswordChanged\"\r\n"
                 "\"https://www.example.org\",\"carol\",\"c4rol!\",,\"https://www.example.org\",\"{1}\","
                 "\"1\",\"1\",\"1\"\r\n",
                 "Firefox",
                 {{"", "example.org", "carol", "c4rol!", "", "", "https://www.example.org", ""}},
                 {}},
        PeerCase{"1password",
                 "Title,Url,Username,Password,OTPAuth,Favorite,Archived,Tags,Notes\n"
                 "Bank,https://bank.example.com,dave,d@ve,,false,false,\"finance,home\",\n",
                 "1Password",
                 {{"finance", "Bank", "dave", "d@ve", "", "", "https://bank.example.com", ""}},
                 {}},
        PeerCase{"tavrino with semicolons",
                 "Category;Description;UserCode;Password;Notes;ExpiryDate;WebSite;Email\n"
                 "Web;Semi;me;pw;;31/12/2027;;\n"
                 "Web;Late;me;pw;;someday;;me@example.com\n",
                 "Tavrino",
                 {{"Web", "Semi", "me", "pw", "", "31/12/2027", "", ""},
                  {"Web", "Late", "me", "pw", "", "", "", "me@example.com"}},
                 {"row 2 (Late): the expiry date \"someday\" is not a date; left out"}}),
    [](const auto& info) {
        std::string name = info.param.what;
        for (char& ch : name)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

// "|" separates a stored line's fields: in any field of a row it would add
// a field, and the next open would call the line invalid. No record that is
// kept holds one, and the row is named.
TEST(RecordImport, APipeInAnyFieldNeverReachesAStoredLine) {
    const QStringList header = {"Category", "Description", "UserCode", "Password",
                                "Notes", "ExpiryDate", "WebSite", "Email"};
    for (qsizetype field = 0; field < header.size(); ++field) {
        QStringList row = {"Web", "Shop", "me", "pw", "note", "31/12/2027", "https://shop.example", "me@example.com"};
        row[field] = QStringLiteral("a|b");
        const RecordImport import =
            RecordImport::read((header.join(';') + '\n' + row.join(';') + '\n').toUtf8(), Today);
        ASSERT_TRUE(import.error.isEmpty()) << header[field].toStdString();
        for (const PasswordRecord& r : import.records)
            for (const QString& value : r.fields)
                EXPECT_FALSE(value.contains(QLatin1Char('|'))) << header[field].toStdString();
        ASSERT_FALSE(import.notes.isEmpty()) << header[field].toStdString();
        EXPECT_TRUE(import.notes.first().startsWith(QStringLiteral("row 1 (")))
            << import.notes.first().toStdString();
    }
}

// A row whose record would not fit in a line of the profile (a huge field)
// is skipped and named; it would have locked everyone out of the profile.
TEST(RecordImport, ARowLongerThanALineIsSkippedAndNamed) {
    const QByteArray header = "Category;Description;UserCode;Password;Notes;ExpiryDate;WebSite;Email\n";
    const QByteArray huge = header + "Web;Huge;me;pw;" + QByteArray(1500 * 1024, 'x') + ";;;\n" +
                            "Web;Small;me;pw;;;;\n";
    const RecordImport import = RecordImport::read(huge, Today);
    ASSERT_EQ(import.records.size(), 1);
    EXPECT_EQ(import.records[0][PasswordRecord::Description], QStringLiteral("Small"));
    EXPECT_EQ(import.skipped, 1);
    EXPECT_EQ(import.notes, QStringList{QStringLiteral("row 1 (Huge): skipped, longer than a line of a profile can hold")});
}

// Each encoding a password manager or a spreadsheet writes reads as the same
// text; bytes that are no UTF-8 are read as Windows-1252 and it is said.
TEST(RecordImport, TheFilesEncodingIsRecognisedNeverReplacedSilently) {
    const QString csv = QStringLiteral("Category,Description,UserCode,Password\nWeb,Pässé €,me,pw\n");
    QByteArray utf16le("\xFF\xFE"), utf16be("\xFE\xFF");
    for (QChar c : csv) {
        utf16le += char(c.unicode() & 0xFF), utf16le += char(c.unicode() >> 8);
        utf16be += char(c.unicode() >> 8), utf16be += char(c.unicode() & 0xFF);
    }
    QByteArray windows = csv.toLatin1();
    windows.replace('?', '\x80'); // the euro sign, which Latin-1 has not
    const struct {
        const char* what;
        QByteArray file;
        QStringList notes;
    } cases[] = {
        {"utf-8", csv.toUtf8(), {}},
        {"utf-8 with its mark", "\xEF\xBB\xBF" + csv.toUtf8(), {}},
        {"utf-16 le", utf16le, {}},
        {"utf-16 be", utf16be, {}},
        {"windows-1252", windows, {QStringLiteral("the file is not UTF-8: it was read as Windows-1252")}},
    };
    for (const auto& c : cases) {
        const RecordImport import = RecordImport::read(c.file, Today);
        ASSERT_TRUE(import.error.isEmpty()) << c.what << ": " << import.error.toStdString();
        ASSERT_EQ(import.records.size(), 1) << c.what;
        EXPECT_EQ(import.records[0][PasswordRecord::Description], QStringLiteral("Pässé €")) << c.what;
        EXPECT_EQ(import.notes.mid(0, c.notes.size()), c.notes) << c.what;
        EXPECT_EQ(import.notes.contains(QStringLiteral("the file is not UTF-8: it was read as Windows-1252")),
                  !c.notes.isEmpty()) << c.what;
    }
}

TEST(RecordImport, RefusesWhatItCanNotRead) {
    EXPECT_TRUE(RecordImport::read("", Today).error.contains(QStringLiteral("no header")));
    EXPECT_TRUE(RecordImport::read("a,b\n1,2\n", Today).error.contains(QStringLiteral("KeePassXC")));
    EXPECT_TRUE(RecordImport::read("name,url,username,password\n\"open,x\n", Today)
                    .error.contains(QStringLiteral("not valid CSV")));
}

// Twice imported, once there; export reads back to the same records.
TEST(RecordImport, NeverTwiceAndExportReadsBack) {
    const RecordImport import = RecordImport::read(
        "name,url,username,password\r\nA,https://a.example,u,p\r\nA,https://a.example,u,p\r\n"
        "B,,u2,\"p, \"\"q\"\"\"\r\n",
        Today);
    Profile profile;
    ImportOutcome first = addImported(profile, import.records);
    EXPECT_EQ(first.added, 2);
    EXPECT_EQ(first.alreadyThere, 1) << "the same row twice in one file";
    ImportOutcome second = addImported(profile, import.records);
    EXPECT_EQ(second.added, 0);
    EXPECT_EQ(second.alreadyThere, 3);
    EXPECT_EQ(importReport(import, second),
              QStringLiteral("Chrome/Chromium/Edge export: 0 records added, 3 already there."));

    const RecordImport back = RecordImport::read(exportCsv(profile), Today);
    EXPECT_EQ(back.source, QStringLiteral("Tavrino"));
    ASSERT_EQ(back.records.size(), 2);
    for (qsizetype i = 0; i < 2; ++i)
        EXPECT_EQ(back.records[i].toLine(), profile.Records.item(i + 1));
}

} // namespace

// By default the export is what peers read back, cell for cell; for a
// spreadsheet a cell it would run as a formula is shown instead of run.
TEST(RecordImport, ExportForASpreadsheetShowsFormulasInsteadOfRunningThem) {
    Profile p;
    PasswordRecord r;
    r[PasswordRecord::Description] = QStringLiteral("=HYPERLINK(\"https://evil.example\")");
    r[PasswordRecord::UserCode] = QStringLiteral("@me");
    r[PasswordRecord::Password] = QStringLiteral("-pw+");
    r[PasswordRecord::Notes] = QStringLiteral("plain");
    p.Records.add(r.toLine());
    EXPECT_EQ(formulaCells(p), 3);

    const RecordImport raw = RecordImport::read(exportCsv(p), Today);
    ASSERT_EQ(raw.records.size(), 1);
    EXPECT_EQ(raw.records[0].toLine(), r.toLine()) << "what peers read back";

    const RecordImport shown = RecordImport::read(exportCsv(p, true), Today);
    ASSERT_EQ(shown.records.size(), 1);
    EXPECT_EQ(shown.records[0][PasswordRecord::Description],
              QStringLiteral("'=HYPERLINK(\"https://evil.example\")"));
    EXPECT_EQ(shown.records[0][PasswordRecord::UserCode], QStringLiteral("'@me"));
    EXPECT_EQ(shown.records[0][PasswordRecord::Password], QStringLiteral("'-pw+"));
    EXPECT_EQ(shown.records[0][PasswordRecord::Notes], QStringLiteral("plain"));
}

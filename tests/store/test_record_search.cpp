#include "store/profile.h"
#include "store/record_search.h"

#include "support/record_line.h"

#include <gtest/gtest.h>

using namespace tavrino;
using tavrino::test::recordLine;

namespace {

const QStringList Records{
    recordLine("Bank", "Main checking", "alice.k", "Xy7!pq", "Branch 0042", "https://bank.example.com", ""),
    recordLine("Web", "Café Crème", "françois", "Pässwörd€", "Zürich office", "https://cafe.example.fr", ""),
    recordLine("Mail", "Webmail", "alice@example.com", "Tr0ub4dor&3", "", "", "alice@example.com"),
    recordLine("Web", "", "bob", "hunter2", "blank description", "https://forum.example.net", ""),
    recordLine("Straße", "STRASSE shop", "x", "secretpw", "", "", ""),
};

struct Case {
    const char* query;
    QList<qsizetype> positions;
    PasswordRecord::Field firstField;
};

// Case and accents aside, every word somewhere in the searched fields,
// never in the password; the first hit says where its first word was.
TEST(RecordSearch, FindsByWhatTheUserRemembers) {
    const Case cases[] = {
        {"main", {1}, PasswordRecord::Description},
        {"CAFE creme", {2}, PasswordRecord::Description},
        {"zurich", {2}, PasswordRecord::Notes},
        {"FRANCOIS", {2}, PasswordRecord::UserCode},
        {"example", {1, 2, 3, 4}, PasswordRecord::WebSite},
        {"alice example", {1, 3}, PasswordRecord::UserCode},
        {"mail", {3}, PasswordRecord::Description},
        {"bank", {1}, PasswordRecord::WebSite},
        {"strasse", {5}, PasswordRecord::Description},
        {"straße", {5}, PasswordRecord::Description},
        {"hunter2", {}, PasswordRecord::Description},
        {"Xy7", {}, PasswordRecord::Description},
        {"   ", {}, PasswordRecord::Description},
    };
    RecordSearch search;
    search.index(Records);
    for (const Case& c : cases) {
        qsizetype total = -1;
        const QList<SearchHit> hits = search.find(QString::fromUtf8(c.query), 100, &total);
        QList<qsizetype> positions;
        for (const SearchHit& h : hits)
            positions << h.position;
        EXPECT_EQ(positions, c.positions) << c.query;
        EXPECT_EQ(total, c.positions.size()) << c.query;
        if (!hits.isEmpty()) {
            EXPECT_EQ(hits[0].field, c.firstField) << c.query;
        }
    }
}

// Typing on narrows the last result; deleting starts over; both give what
// a search from nothing gives.
TEST(RecordSearch, NarrowingAndWideningAgreeWithAFreshSearch) {
    RecordSearch typed;
    typed.index(Records);
    for (const char* q : {"e", "ex", "exa", "exam", "example.c", "example.co", "example.c", "e", "a", "al"}) {
        RecordSearch fresh;
        fresh.index(Records);
        qsizetype a = 0, b = 0;
        const QList<SearchHit> x = typed.find(QString::fromLatin1(q), 100, &a);
        const QList<SearchHit> y = fresh.find(QString::fromLatin1(q), 100, &b);
        EXPECT_EQ(a, b) << q;
        ASSERT_EQ(x.size(), y.size()) << q;
        for (qsizetype i = 0; i < x.size(); ++i)
            EXPECT_EQ(x[i].position, y[i].position) << q;
    }
}

// Every capital from A to Z folds (the last letter too), and a query typed
// on after the records were replaced under it (a live update) is searched
// afresh, not narrowed from the old list's positions.
TEST(RecordSearch, EveryCapitalFoldsAndARefillForgetsTheLastHits) {
    RecordSearch search;
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    search.index({recordLine("Zoo", "ZOO", "", "", "", "", ""), recordLine("X", alphabet.toUtf8().constData(), "", "", "", "", "")});
    EXPECT_EQ(search.find(QStringLiteral("zoo"), 10).size(), 1);
    for (const QChar c : alphabet)
        EXPECT_EQ(search.find(QString(c.toLower()), 10).size(), c == QLatin1Char('Z') || c == QLatin1Char('O') ? 2 : 1)
            << c.toLatin1();

    RecordSearch typed;
    typed.index(Records);
    ASSERT_EQ(typed.find(QStringLiteral("e"), 100).size(), 5);
    QStringList refilled = Records;
    refilled.removeFirst();
    refilled.prepend(recordLine("New", "Zebra", "", "", "", "", ""));
    typed.index(refilled);
    RecordSearch fresh;
    fresh.index(refilled);
    for (const char* q : {"ex", "exa", "z"}) {
        QList<qsizetype> a, b;
        for (const SearchHit& h : typed.find(QString::fromLatin1(q), 100)) a << h.position;
        for (const SearchHit& h : fresh.find(QString::fromLatin1(q), 100)) b << h.position;
        EXPECT_EQ(a, b) << q;
    }
}

TEST(RecordSearch, TextsSayWhereAndLimitCounts) {
    RecordSearch search;
    search.index(Records);
    qsizetype total = 0;
    const QList<SearchHit> hits = search.find(QStringLiteral("example"), 2, &total);
    EXPECT_EQ(hits.size(), 2);
    EXPECT_EQ(total, 4);
    EXPECT_EQ(hits[0].text(), QStringLiteral("Main checking  (Web Site: https://bank.example.com)"));
    const QList<SearchHit> blank = search.find(QStringLiteral("forum"), 10);
    ASSERT_EQ(blank.size(), 1);
    EXPECT_EQ(blank[0].description, QStringLiteral("bob")) << "named by its user code, as in the list";
    EXPECT_EQ(search.find(QStringLiteral("Main"), 10)[0].text(), QStringLiteral("Main checking"));

    QStringList changed = Records;
    changed.removeFirst();
    EXPECT_FALSE(search.isIndexOf(changed));
    search.index(changed);
    EXPECT_TRUE(search.find(QStringLiteral("main"), 10).isEmpty()) << "indexed anew";
}

} // namespace

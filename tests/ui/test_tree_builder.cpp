#include "store/profile.h"
#include "support/test_support.h"
#include "store/date_text.h"
#include "ui/tree/tree_builder.h"
#include "ui/vault/tree_panel.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace tavrino;

namespace {

QString rec(const QString& category, const QString& description, const QString& user,
            const QString& expiry = {}) {
    return QStringLiteral("4|%1|%2|%3|pw||%4||").arg(category, description, user, expiry);
}

// "Group: child text [key], ..." for compact comparisons; empty groups left out.
QStringList shape(const RecordTree& t) {
    QStringList out;
    for (const TreeNode& root : t.roots) {
        if (root.children.isEmpty()) continue;
        QStringList kids;
        for (const TreeNode& c : root.children)
            kids << c.text + QLatin1Char('[') + c.nodeKey() + QLatin1Char(']');
        out << root.key + QStringLiteral(": ") + kids.join(QStringLiteral(", "));
    }
    return out;
}

struct WorkFixture {
    QStringList records;
    QStringList categories;
    WorkFixture() {
        const QJsonObject j =
            QJsonDocument::fromJson(test::readFile(test::fixturePath(QStringLiteral("Work.json"))))
                .object();
        for (const auto& c : j[QStringLiteral("categories")].toArray())
            categories << c.toString();
        for (const auto& r : j[QStringLiteral("records")].toArray()) {
            PasswordRecord p;
            for (int f = 0; f < 8; ++f)
                p.fields[f] = r.toArray()[f].toString();
            records << p.toLine();
        }
    }
};

const QDate Today(2026, 12, 10);

TEST(RecordTree, WorkProfileByCategory) {
    const WorkFixture w;
    const RecordTree t = buildRecordTree(w.records, w.categories, true, Today, QString());
    QStringList roots;
    for (const TreeNode& r : t.roots)
        roots << r.text;
    EXPECT_EQ(roots, QStringList({QStringLiteral("Bank"), QStringLiteral("Web"),
                                  QStringLiteral("Mail"), QStringLiteral("<None>")}));
    EXPECT_EQ(shape(t),
              QStringList({
                  QStringLiteral("Bank: Credit card <!!! Expired>[C9], Main checking[C1], "
                                 "Savings <!!! Expired>[C6]"),
                  QStringLiteral("Web: [C3], 9 Lives Forum[C4], Café Crème[C7], Shop[C10]"),
                  QStringLiteral("Mail: Mailbox[C5], Old mail[C11], Webmail[C8]"),
                  QStringLiteral("<None>: No category entry[C2], Tokyo office 東京[C12]"),
              }));
    EXPECT_EQ(t.expiringCount, 0);
    EXPECT_EQ(t.expiredCount, 2) << "06/26 and 01/02/2009";
    EXPECT_EQ(t.selectKey, QStringLiteral("C9")) << "no record asked for: the last one due";
}

TEST(RecordTree, WorkProfileByLetter) {
    const WorkFixture w;
    const RecordTree t =
        buildRecordTree(w.records, w.categories, false, Today, QStringLiteral("C4"));
    ASSERT_EQ(t.roots.size(), 27);
    EXPECT_EQ(t.roots.first().key, QStringLiteral("A"));
    EXPECT_EQ(t.roots.last().key, QStringLiteral("?"));
    EXPECT_EQ(shape(t),
              QStringList({
                  QStringLiteral("C: Café Crème[C7], Credit card <!!! Expired>[C9]"),
                  QStringLiteral("M: Mailbox[C5], Main checking[C1]"),
                  QStringLiteral("N: No category entry[C2]"),
                  QStringLiteral("O: Old mail[C11]"),
                  QStringLiteral("S: Savings <!!! Expired>[C6], Shop[C10]"),
                  QStringLiteral("T: Tokyo office 東京[C12]"),
                  QStringLiteral("W: Webmail[C8]"),
                  QStringLiteral("?: 9 Lives Forumninelives[C4], bob[C3]"),
              }));
    EXPECT_EQ(t.selectKey, QStringLiteral("C4")) << "the record the user was at stays selected";
}

TEST(RecordTree, ExpiryWindowIsSevenDaysAndThePastWordedApart) {
    const struct {
        const char* expiry;
        ExpiryState state;
    } cases[] = {{"17/12/2026", ExpiryState::Expiring}, {"18/12/2026", ExpiryState::None},
                 {"10/12/2026", ExpiryState::Expiring}, {"9/12/2026", ExpiryState::Expired},
                 {"1/1/2020", ExpiryState::Expired},    {"12/26", ExpiryState::Expiring},
                 {"11/26", ExpiryState::Expired},       {"01/27", ExpiryState::None},
                 {"", ExpiryState::None},               {"soon", ExpiryState::None}};
    for (const auto& c : cases) {
        const RecordTree t =
            buildRecordTree({rec(QString(), QStringLiteral("Bank"), QStringLiteral("u"),
                                 QString::fromLatin1(c.expiry))},
                            {}, false, Today, QString());
        EXPECT_EQ(t.expiringCount, c.state == ExpiryState::Expiring ? 1 : 0) << c.expiry;
        EXPECT_EQ(t.expiredCount, c.state == ExpiryState::Expired ? 1 : 0) << c.expiry;
        const QString& text = t.roots[1].children[0].text;
        EXPECT_EQ(text.endsWith(ExpiringMarker), c.state == ExpiryState::Expiring) << c.expiry;
        EXPECT_EQ(text.endsWith(ExpiredMarker), c.state == ExpiryState::Expired) << c.expiry;
    }
    RecordTree due;
    EXPECT_EQ(TreePanel::expiryWarning(due), QString());
    due.expiringCount = 2;
    EXPECT_EQ(TreePanel::expiryWarning(due),
              QStringLiteral("There are passwords which are due to expire in 7 days."));
    due.expiredCount = 1;
    EXPECT_EQ(TreePanel::expiryWarning(due),
              QStringLiteral("One password has expired. There are passwords which are due to "
                             "expire in 7 days."));
    due.expiringCount = 0;
    due.expiredCount = 3;
    EXPECT_EQ(TreePanel::expiryWarning(due), QStringLiteral("3 passwords have expired."));
}

TEST(RecordTree, LetterGroupsAndTheirTexts) {
    const QStringList records{
        rec(QString(), QStringLiteral("apple"), QStringLiteral("u1")),
        rec(QString(), QStringLiteral("Apple"), QStringLiteral("u2")),
        rec(QString(), QStringLiteral("   zebra"), QStringLiteral("u3")),
        rec(QString(), QStringLiteral("7-Eleven"), QStringLiteral("seven"),
            QStringLiteral("1/1/2020")),
        rec(QString(), QStringLiteral(" "), QStringLiteral("blank")),
        rec(QString(), QStringLiteral("Ärger"), QStringLiteral("umlaut")),
    };
    const RecordTree t = buildRecordTree(records, {}, false, Today, QStringLiteral("C2"));
    EXPECT_EQ(shape(t), QStringList({
                            QStringLiteral("A: apple[C1], Apple[C2]"),
                            QStringLiteral("Z:    zebra[C3]"),
                            QStringLiteral("?:  blank[C5], 7-Elevenseven[C4], Ärgerumlaut[C6]"),
                        }));
    EXPECT_EQ(t.expiredCount, 1) << "warned, though the ? node shows no marker";
    EXPECT_EQ(t.selectKey, QStringLiteral("C2"));
}

TEST(RecordTree, SilentSkipsAndEmptyProfile) {
    const RecordTree empty =
        buildRecordTree({}, {QStringLiteral("Bank")}, true, Today, QStringLiteral("C1"));
    EXPECT_EQ(empty.roots.size(), 2);
    EXPECT_TRUE(empty.selectKey.isEmpty());
    EXPECT_FALSE(empty.warnExpiring());

    const QStringList records{
        rec(QStringLiteral("Gone"), QStringLiteral("deleted category"), QStringLiteral("u1")),
        rec(QStringLiteral("Bank"), QStringLiteral("kept"), QStringLiteral("u2")),
        rec(QStringLiteral("Bank"), QStringLiteral("shadowed by a category named C3"),
            QStringLiteral("u3")),
        rec(QString(), QStringLiteral(""), QStringLiteral("only user code")),
        rec(QStringLiteral("bank"), QStringLiteral("case differs"), QStringLiteral("u5")),
    };
    const RecordTree t = buildRecordTree(records, {QStringLiteral("Bank"), QStringLiteral("C3")},
                                         true, Today, QStringLiteral("C1"));
    EXPECT_EQ(shape(t), QStringList({QStringLiteral("Bank: kept[C2]"),
                                     QStringLiteral("<None>: only user code[C4]")}));
    EXPECT_TRUE(t.selectKey.isEmpty()) << "a key that names no record node selects nothing";
}

TEST(RecordTree, KeysAndPositions) {
    EXPECT_EQ(recordKey(12), QStringLiteral("C12"));
    EXPECT_EQ(recordPosition(QStringLiteral("C12")), 12);
    EXPECT_EQ(recordPosition(QStringLiteral("Bank")), 0);
    EXPECT_EQ(recordPosition(QStringLiteral("C")), 0);
}

} // namespace

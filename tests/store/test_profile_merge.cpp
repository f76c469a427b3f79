#include "store/profile_merge.h"
#include "store/record_pairing.h"

#include "support/record_line.h"

#include <gtest/gtest.h>

#include <QSet>

#include <algorithm>
#include <random>

using namespace tavrino;
using tavrino::test::recordLine;

namespace {
QString rec(const char* description, const char* password = "pw", const char* user = "me") {
    return QStringLiteral("4|Bank|%1|%2|%3||||")
        .arg(QLatin1String(description), QLatin1String(user), QLatin1String(password));
}

ProfileContent withRecords(const QStringList& lines) {
    ProfileContent c;
    c.Security = SecuritySettings::newProfile();
    for (const QString& line : lines)
        c.Records.add(line);
    return c;
}

QStringList sorted(QStringList lines) {
    lines.sort();
    return lines;
}

const QString A = rec("Alpha");
const QString B = rec("Beta");
const QString C = rec("Gamma");
} // namespace

// Each side's records after its own edits; what a merge must give and which
// record (if any) it must ask about.
struct RecordMergeCase {
    const char* what;
    QStringList mine;
    QStringList theirs;
    QStringList merged; // without a choice made
    int conflicts;
};

class RecordMerge : public ::testing::TestWithParam<RecordMergeCase> {};

TEST_P(RecordMerge, AppliesMyChangesToTheirs) {
    const RecordMergeCase& c = GetParam();
    const ProfileContent base = withRecords({A, B, C});
    const MergeResult r =
        ProfileMerge::merge(base, withRecords(c.mine), withRecords(c.theirs));
    EXPECT_EQ(sorted(r.merged.Records.lines()), sorted(c.merged));
    EXPECT_EQ(r.conflicts.size(), c.conflicts);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordMerge,
    ::testing::Values(
        RecordMergeCase{"DifferentRecordsChanged", {rec("Alpha", "new"), B, C},
                        {A, rec("Beta", "theirs"), C},
                        {rec("Alpha", "new"), rec("Beta", "theirs"), C}, 0},
        RecordMergeCase{"BothAdded", {A, B, C, rec("Mine")}, {A, B, C, rec("Theirs")},
                        {A, B, C, rec("Mine"), rec("Theirs")}, 0},
        RecordMergeCase{"IDeletedTheyChangedAnother", {A, C}, {A, B, rec("Gamma", "x")},
                        {A, rec("Gamma", "x")}, 0},
        RecordMergeCase{"BothDeletedTheSame", {A, C}, {A, C}, {A, C}, 0},
        RecordMergeCase{"BothMadeTheSameChange", {rec("Alpha", "x"), B, C},
                        {B, C, rec("Alpha", "x")}, {rec("Alpha", "x"), B, C}, 0},
        RecordMergeCase{"BothAddedTheSameRecord", {A, B, C, rec("New")}, {A, B, C, rec("New")},
                        {A, B, C, rec("New")}, 0},
        RecordMergeCase{"BothChangedOneRecord", {rec("Alpha", "mine"), B, C},
                        {rec("Alpha", "theirs"), B, C}, {rec("Alpha", "theirs"), B, C}, 1},
        RecordMergeCase{"IChangedTheyDeleted", {rec("Alpha", "mine"), B, C}, {B, C}, {B, C}, 1},
        RecordMergeCase{"IDeletedTheyChanged", {B, C}, {rec("Alpha", "theirs"), B, C},
                        {rec("Alpha", "theirs"), B, C}, 1}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(ProfileMerge, TwinRecordsAreCountedNotCollapsed) {
    const ProfileContent base = withRecords({A, A, B});
    const MergeResult r =
        ProfileMerge::merge(base, withRecords({A, B}), withRecords({A, A, B, C}));
    EXPECT_EQ(sorted(r.merged.Records.lines()), sorted({A, B, C}));
}

struct ChoiceCase {
    const char* what;
    ConflictChoice choice;
    QStringList bothChanged;   // after the choice, both sides having changed Alpha
    QStringList theyDeleted;   // ... mine changed, theirs deleted
    QStringList iDeleted;      // ... mine deleted, theirs changed
};

class ConflictResolution : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ConflictResolution, EachAnswerGivesWhatItSays) {
    const ChoiceCase& c = GetParam();
    const ProfileContent base = withRecords({A, B});
    const QString mine = rec("Alpha", "mine");
    const QString theirs = rec("Alpha", "theirs");
    auto resolved = [&](const QStringList& m, const QStringList& t) {
        MergeResult r = ProfileMerge::merge(base, withRecords(m), withRecords(t));
        EXPECT_EQ(r.conflicts.size(), 1);
        for (const MergeConflict& conflict : r.conflicts) {
            EXPECT_EQ(conflict.base, A);
            ProfileMerge::resolve(r.merged.Records, conflict, c.choice);
        }
        return sorted(r.merged.Records.lines());
    };
    EXPECT_EQ(resolved({mine, B}, {theirs, B}), sorted(c.bothChanged));
    EXPECT_EQ(resolved({mine, B}, {B}), sorted(c.theyDeleted));
    EXPECT_EQ(resolved({B}, {theirs, B}), sorted(c.iDeleted));
}

INSTANTIATE_TEST_SUITE_P(
    Choices, ConflictResolution,
    ::testing::Values(
        ChoiceCase{"KeepMine", ConflictChoice::KeepMine, {rec("Alpha", "mine"), B},
                   {rec("Alpha", "mine"), B}, {B}},
        ChoiceCase{"KeepTheirs", ConflictChoice::KeepTheirs, {rec("Alpha", "theirs"), B}, {B},
                   {rec("Alpha", "theirs"), B}},
        ChoiceCase{"KeepBoth", ConflictChoice::KeepBoth,
                   {rec("Alpha (my version)", "mine"), rec("Alpha", "theirs"), B},
                   {rec("Alpha", "mine"), B}, {rec("Alpha", "theirs"), B}}),
    [](const auto& info) { return std::string(info.param.what); });

namespace {
struct TeamCase {
    const char* what;
    QStringList base, mine, theirs;
    QStringList merged; // before any answer
    QList<QList<int>> conflictFields; // one list a conflict; empty: one side deleted
    QStringList keepMine, keepTheirs, keepBoth;
};

const QString Forum = recordLine("Web", "Forum", "bob", "pw");
const QString Mail = recordLine("Web", "Mail", "bob", "mpw");
const QString Zoom = recordLine("Web", "Zoom", "ann", "zpw");
const QString OldShop = recordLine("Shop", "Old shop", "me", "op");
const QString NewMail = recordLine("Shop", "New mail", "me2", "np");
const QString Bank1 = recordLine("Money", "Bank", "u1", "b1");
const QString Bank2 = recordLine("Money", "Bank", "u2", "b2");
const QString Jira = recordLine("Work", "Jira", "jo", "jp", "", "https://jira.example");
} // namespace

// What a team met, each answer's file: a record only one side added is never
// removed, a deletion on both sides asks nothing, fields changed by one side
// each merge without a question.
class TeamMerge : public ::testing::TestWithParam<TeamCase> {};

TEST_P(TeamMerge, EachAnswerKeepsWhatNobodyDisputes) {
    const TeamCase& c = GetParam();
    const MergeResult r =
        ProfileMerge::merge(withRecords(c.base), withRecords(c.mine), withRecords(c.theirs));
    EXPECT_EQ(sorted(r.merged.Records.lines()), sorted(c.merged));
    ASSERT_EQ(r.conflicts.size(), c.conflictFields.size());
    for (qsizetype i = 0; i < r.conflicts.size(); ++i)
        EXPECT_EQ(r.conflicts[i].fields, c.conflictFields[i]);
    const std::pair<ConflictChoice, QStringList> answers[] = {
        {ConflictChoice::KeepMine, c.keepMine},
        {ConflictChoice::KeepTheirs, c.keepTheirs},
        {ConflictChoice::KeepBoth, c.keepBoth}};
    for (const auto& [choice, expected] : answers) {
        if (r.conflicts.isEmpty()) break;
        RecordList records = r.merged.Records;
        for (const MergeConflict& conflict : r.conflicts)
            ProfileMerge::resolve(records, conflict, choice);
        EXPECT_EQ(sorted(records.lines()), sorted(expected)) << int(choice);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TeamMerge,
    ::testing::Values(
        // They deleted Forum and added Zoom in the same category; I changed
        // Forum's password.
        TeamCase{"ForumDeletedZoomAdded", {Forum, Mail}, {recordLine("Web", "Forum", "bob", "new"), Mail},
                 {Mail, Zoom}, {Mail, Zoom}, {{}},
                 {Mail, Zoom, recordLine("Web", "Forum", "bob", "new")}, {Mail, Zoom},
                 {Mail, Zoom, recordLine("Web", "Forum", "bob", "new")}},
        TeamCase{"ForumDeletedByBoth", {Forum, Mail}, {Mail}, {Mail, Zoom}, {Mail, Zoom}, {}, {}, {}, {}},
        // I deleted Old shop and added New mail; they changed Old shop.
        TeamCase{"OldShopNewMail", {OldShop, Mail}, {Mail, NewMail},
                 {recordLine("Shop", "Old shop", "me", "changed"), Mail},
                 {recordLine("Shop", "Old shop", "me", "changed"), Mail, NewMail}, {{}}, {Mail, NewMail},
                 {recordLine("Shop", "Old shop", "me", "changed"), Mail, NewMail},
                 {recordLine("Shop", "Old shop", "me", "changed"), Mail, NewMail}},
        // Two Banks: I renamed u1's and changed u2's password; they changed
        // u2's password.
        TeamCase{"TwoBanks", {Bank1, Bank2},
                 {recordLine("Money", "Bank old", "u1", "b1"), recordLine("Money", "Bank", "u2", "mine")},
                 {Bank1, recordLine("Money", "Bank", "u2", "theirs")},
                 {recordLine("Money", "Bank old", "u1", "b1"), recordLine("Money", "Bank", "u2", "theirs")},
                 {{PasswordRecord::Password}},
                 {recordLine("Money", "Bank old", "u1", "b1"), recordLine("Money", "Bank", "u2", "mine")},
                 {recordLine("Money", "Bank old", "u1", "b1"), recordLine("Money", "Bank", "u2", "theirs")},
                 {recordLine("Money", "Bank old", "u1", "b1"), recordLine("Money", "Bank", "u2", "theirs"),
                  recordLine("Money", "Bank (my version)", "u2", "mine")}},
        TeamCase{"PasswordAndNotes", {Jira}, {recordLine("Work", "Jira", "jo", "new", "", "https://jira.example")},
                 {recordLine("Work", "Jira", "jo", "jp", "ask Ann", "https://jira.example")},
                 {recordLine("Work", "Jira", "jo", "new", "ask Ann", "https://jira.example")}, {}, {}, {}, {}},
        // They renamed and moved Jira; I changed its password.
        TeamCase{"RenameMoveAndPassword", {Jira},
                 {recordLine("Work", "Jira", "jo", "new", "", "https://jira.example")},
                 {recordLine("Tools", "Jira Cloud", "jo", "jp", "", "https://jira.example")},
                 {recordLine("Tools", "Jira Cloud", "jo", "new", "", "https://jira.example")}, {}, {}, {}, {}},
        TeamCase{"SamePasswordTwoWays", {Jira},
                 {recordLine("Work", "Jira", "jo", "mine", "", "https://jira.example")},
                 {recordLine("Tools", "Jira", "jo", "theirs", "", "https://jira.example")},
                 {recordLine("Tools", "Jira", "jo", "theirs", "", "https://jira.example")},
                 {{PasswordRecord::Password}},
                 {recordLine("Tools", "Jira", "jo", "mine", "", "https://jira.example")},
                 {recordLine("Tools", "Jira", "jo", "theirs", "", "https://jira.example")},
                 {recordLine("Tools", "Jira", "jo", "theirs", "", "https://jira.example"),
                  recordLine("Tools", "Jira (my version)", "jo", "mine", "", "https://jira.example")}},
        // I changed Mail into exactly what they added: one record, not two.
        TeamCase{"MyChangeIsTheirAddition", {Forum, Mail}, {Forum, recordLine("Web", "Mail", "bob", "new")},
                 {Forum, Mail, recordLine("Web", "Mail", "bob", "new")},
                 {Forum, recordLine("Web", "Mail", "bob", "new")}, {}, {}, {}, {}}),
    [](const auto& info) { return std::string(info.param.what); });

// A deleted line and an added line are one record only on strong evidence,
// and never when two candidates are as good.
TEST(RecordPairing, PairsOnlyOnStrongEvidenceAndNeverOnATie) {
    struct Case {
        const char* what;
        QStringList base, side;
        QList<int> sideOf; // per base line
    } cases[] = {
        {"same category only", {Forum}, {Zoom}, {-1}},
        {"same description", {Forum}, {recordLine("Web", "Forum", "x", "y")}, {0}},
        {"same user at the same site",
         {recordLine("A", "One", "u", "p", "", "https://s")},
         {recordLine("B", "Two", "u", "q", "", "https://s")},
         {0}},
        {"same user, no site", {recordLine("A", "One", "u", "p")}, {recordLine("A", "Two", "u", "p")}, {-1}},
        {"two alike candidates",
         {Forum},
         {recordLine("Web", "Forum", "bob", "a"), recordLine("Web", "Forum", "bob", "b")},
         {-1}},
        {"the better candidate wins, not the first",
         {Bank1, Bank2},
         {recordLine("Money", "Bank", "u2", "new"), recordLine("Money", "Bank", "u1", "new")},
         {1, 0}},
    };
    for (const Case& c : cases) {
        const RecordPairing pairing(c.base, c.side);
        for (qsizetype k = 0; k < c.base.size(); ++k)
            EXPECT_EQ(pairing.sideOf(k), c.sideOf[k]) << c.what;
    }
}

TEST(ProfileMerge, SettingsAndCategoriesOfBothSidesAreKept) {
    ProfileContent base = withRecords({A});
    base.Categories.add(Profile::categoryLine(QStringLiteral("Old")), QStringLiteral("Old"));
    ProfileContent mine = base;
    ProfileContent theirs = base;
    mine.Categories.removeKey(QStringLiteral("Old"));
    mine.Categories.add(Profile::categoryLine(QStringLiteral("Mine")), QStringLiteral("Mine"));
    mine.Security.AnswersRequired = 0;
    mine.Security.Password = QStringLiteral("secret");
    theirs.Categories.add(Profile::categoryLine(QStringLiteral("Theirs")), QStringLiteral("Theirs"));
    theirs.Security.Questions.add(SecuritySettings::questionLine(QStringLiteral("Pet"), QStringLiteral("Rex")));

    MergeResult r = ProfileMerge::merge(base, mine, theirs);
    EXPECT_EQ(r.merged.Categories.names(), QStringList({QStringLiteral("Theirs"), QStringLiteral("Mine")}));
    EXPECT_EQ(r.merged.Security.Password, QStringLiteral("secret"));
    EXPECT_EQ(r.merged.Security.AnswersRequired, 0);
    EXPECT_EQ(r.merged.Security.Questions.count(), 2) << "their new question stays";
    EXPECT_FALSE(r.loginDropped);

    // A login both changed: theirs stands, and the caller is told.
    theirs.Security.Password = QStringLiteral("other");
    r = ProfileMerge::merge(base, mine, theirs);
    EXPECT_EQ(r.merged.Security.Password, QStringLiteral("other"));
    EXPECT_TRUE(r.loginDropped);
}

namespace {
// A random edit of the shared records by each side: deletions, changes of
// one field or several, new records; every record has a user code at a web
// site of its own, so a rename is still known as the same record.
struct Side {
    QStringList lines;
    QSet<QString> deleted;             // base descriptions
    QHash<QString, QSet<int>> changed; // base description -> fields changed
    QStringList added;                 // descriptions
};

Side edit(const QStringList& base, std::mt19937& random, const char* prefix) {
    Side side;
    int n = 0;
    for (const QString& was : base) {
        PasswordRecord r = PasswordRecord::fromLine(was);
        const QString id = r[PasswordRecord::Description];
        switch (random() % 4) {
        case 0:
            side.deleted.insert(id);
            continue;
        case 1: {
            const PasswordRecord::Field fields[] = {PasswordRecord::Category, PasswordRecord::Description,
                                                    PasswordRecord::Password, PasswordRecord::Notes};
            for (int times = 1 + int(random() % 2); times > 0; --times) {
                const PasswordRecord::Field f = fields[random() % 4];
                r[f] += QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(random() % 3);
                side.changed[id].insert(f);
            }
            break;
        }
        default:
            break;
        }
        side.lines.append(r.toLine());
    }
    for (int i = int(random() % 3); i > 0; --i) {
        const QString id = QStringLiteral("%1 new %2").arg(QLatin1String(prefix)).arg(++n);
        side.added.append(id);
        side.lines.insert(int(random() % (side.lines.size() + 1)),
                          recordLine("New", id.toUtf8().constData(), prefix, "p"));
    }
    std::shuffle(side.lines.begin(), side.lines.end(), random);
    return side;
}

QStringList sortedLines(const MergeResult& r) {
    return sorted(r.merged.Records.lines());
}
} // namespace

// Whatever both sides did: nothing either added is lost under any answer,
// nothing deleted comes back unless the other side changed it, only the
// same field changed on both sides (or a change against a deletion) asks,
// and without a question the result does not depend on who saved first.
TEST(ProfileMerge, PropertiesHoldForRandomEditsOnBothSides) {
    std::mt19937 random(20261211);
    for (int round = 0; round < 400; ++round) {
        QStringList base;
        for (int i = int(random() % 7); i > 0; --i)
            base.append(recordLine("Cat", QStringLiteral("R%1").arg(i).toUtf8().constData(),
                             QStringLiteral("u%1").arg(i).toUtf8().constData(), "pw", "",
                             QStringLiteral("https://s%1").arg(i).toUtf8().constData()));
        const Side mine = edit(base, random, "m");
        const Side theirs = edit(base, random, "t");
        const MergeResult r =
            ProfileMerge::merge(withRecords(base), withRecords(mine.lines), withRecords(theirs.lines));
        const std::string at = "round " + std::to_string(round);

        int expectedConflicts = 0;
        for (const QString& was : base) {
            const QString id = PasswordRecord::fromLine(was)[PasswordRecord::Description];
            const bool mineChanged = mine.changed.contains(id), theirsChanged = theirs.changed.contains(id);
            if ((mine.deleted.contains(id) && theirsChanged) || (theirs.deleted.contains(id) && mineChanged) ||
                (mineChanged && theirsChanged && mine.changed[id].intersects(theirs.changed[id])))
                ++expectedConflicts;
        }
        // Changes to one field on both sides may still agree by chance.
        EXPECT_LE(r.conflicts.size(), expectedConflicts) << at;

        for (ConflictChoice choice :
             {ConflictChoice::KeepMine, ConflictChoice::KeepTheirs, ConflictChoice::KeepBoth}) {
            RecordList records = r.merged.Records;
            for (const MergeConflict& conflict : r.conflicts)
                ProfileMerge::resolve(records, conflict, choice);
            QStringList ids;
            for (const QString& l : records.lines())
                ids.append(PasswordRecord::fromLine(l)[PasswordRecord::Description]);
            for (const QString& id : mine.added + theirs.added)
                EXPECT_EQ(ids.count(id), 1) << at << " added " << id.toStdString();
            for (const QString& was : base) {
                const QString id = PasswordRecord::fromLine(was)[PasswordRecord::Description];
                const bool gone = (mine.deleted.contains(id) && !theirs.changed.contains(id)) ||
                                  (theirs.deleted.contains(id) && !mine.changed.contains(id));
                if (!gone) continue;
                for (const QString& l : records.lines()) {
                    EXPECT_NE(PasswordRecord::fromLine(l)[PasswordRecord::UserCode],
                              PasswordRecord::fromLine(was)[PasswordRecord::UserCode])
                        << at << " came back: " << id.toStdString();
                }
            }
        }
        if (r.conflicts.isEmpty()) {
            const MergeResult other = ProfileMerge::merge(withRecords(base), withRecords(theirs.lines),
                                                          withRecords(mine.lines));
            EXPECT_TRUE(other.conflicts.isEmpty()) << at;
            EXPECT_EQ(sortedLines(r), sortedLines(other)) << at;
        }
    }
}

#include "store/profile_merge.h"

#include <gtest/gtest.h>

using namespace tavrino;

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
                   {rec("Alpha", "mine"), rec("Alpha", "theirs"), B}, {rec("Alpha", "mine"), B},
                   {rec("Alpha", "theirs"), B}}),
    [](const auto& info) { return std::string(info.param.what); });

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

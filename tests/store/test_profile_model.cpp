#include "store/profile.h"

#include <gtest/gtest.h>

using namespace tavrino;

TEST(ProfileModel, CategoryKeysAreUniqueWithoutRegardToCase) {
    CategoryList list;
    EXPECT_TRUE(list.add(Profile::categoryLine(QStringLiteral("Bank")), QStringLiteral("Bank")));
    EXPECT_TRUE(list.add(Profile::categoryLine(QStringLiteral("Web")), QStringLiteral("CWEB")));
    EXPECT_FALSE(list.add(Profile::categoryLine(QStringLiteral("bank")), QStringLiteral("BANK")));
    EXPECT_TRUE(list.contains(QStringLiteral("cweb")));
    EXPECT_EQ(list.count(), 2);
    EXPECT_TRUE(list.removeKey(QStringLiteral("bank")));
    EXPECT_EQ(list.item(1), QStringLiteral("3|Web"));
    EXPECT_TRUE(list.add(Profile::categoryLine(QStringLiteral("bank")), QStringLiteral("bank")));
}

TEST(ProfileModel, ChangeStampWrapsBeforeTheIntegerMaximum) {
    EXPECT_EQ(ChangeStamp::next(41), 42);
    EXPECT_EQ(ChangeStamp::next(2147483638), 2147483639);
    EXPECT_EQ(ChangeStamp::next(2147483639), 1);
    // Stored values past the wrap point (another writer's) wrap too, never overflow.
    EXPECT_EQ(ChangeStamp::next(2147483640), 1);
    EXPECT_EQ(ChangeStamp::next(2147483647), 1);
    EXPECT_EQ(ChangeStamp::fromStored(-2), 0);
}

TEST(ProfileModel, NewProfileDefaults) {
    Profile p;
    p.Records.add(QStringLiteral("4|a|b|c|d|e|f|g|h"));
    p.resetToNewProfileDefaults();
    EXPECT_EQ(p.Security.LoginMode, 1);
    EXPECT_EQ(p.Security.AnswersRequired, 1);
    EXPECT_EQ(p.Security.UserId, QStringLiteral("QUILT"));
    EXPECT_EQ(p.Security.Password, QStringLiteral("QUILT"));
    EXPECT_EQ(p.Security.Pin, QStringLiteral("QUILT"));
    ASSERT_EQ(p.Security.Questions.count(), 1);
    EXPECT_EQ(p.Security.Questions.item(1), QStringLiteral("5|Default Question|QUILT"));
    EXPECT_EQ(p.Categories.count(), 0);
    EXPECT_EQ(p.Records.count(), 0);
}

TEST(ProfileModel, RecordFieldsSplitOnTheSeparator) {
    PasswordRecord r = PasswordRecord::fromLine(QStringLiteral("4||Mail|alice|pw|||http://x|a@b"));
    EXPECT_EQ(r[PasswordRecord::Category], QString());
    EXPECT_EQ(r[PasswordRecord::UserCode], QStringLiteral("alice"));
    EXPECT_EQ(r[PasswordRecord::Email], QStringLiteral("a@b"));
    EXPECT_EQ(r.toLine(), QStringLiteral("4||Mail|alice|pw|||http://x|a@b"));
}

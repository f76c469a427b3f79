// The question about a record both sides changed, through its real widgets:
// what differs side by side, passwords masked until revealed, each button.
#include "ui/common/conflict_dialog.h"

#include "support/widget_lookup.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace tavrino;
using namespace tavrino::test;

namespace {
QString line(const char* category, const char* password) {
    PasswordRecord r;
    r[PasswordRecord::Category] = QString::fromUtf8(category);
    r[PasswordRecord::Description] = QStringLiteral("Jira");
    r[PasswordRecord::UserCode] = QStringLiteral("jo");
    r[PasswordRecord::Password] = QString::fromUtf8(password);
    return r.toLine();
}

// They moved Jira and changed its password; so did I, to another one.
const MergeConflict BothChanged{line("Work", "old"), line("Tools", "mine"), line("Tools", "theirs"),
                                {PasswordRecord::Password}};
} // namespace

TEST(ConflictDialog, ShowsWhatDiffersWithPasswordsMaskedUntilRevealed) {
    ConflictDialog dialog(BothChanged);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Record changed by another user"));
    ASSERT_EQ(dialog.rowCount(), 2) << "category and password; the rest is alike";
    EXPECT_EQ(dialog.cellText(0, 0), QStringLiteral("Work"));
    EXPECT_EQ(dialog.cellText(0, 1), QStringLiteral("Tools")) << "their move is in mine too";
    for (int column = 0; column < 3; ++column)
        EXPECT_EQ(dialog.cellText(1, column), QStringLiteral("••••••••"));
    EXPECT_TRUE(named<QLabel>(&dialog, QStringLiteral("Password/PIN"))->text().contains(
        QStringLiteral("both changed")));

    named<QCheckBox>(&dialog, QStringLiteral("Show passwords"))->click();
    EXPECT_EQ(dialog.cellText(1, 0), QStringLiteral("old"));
    EXPECT_EQ(dialog.cellText(1, 1), QStringLiteral("mine"));
    EXPECT_EQ(dialog.cellText(1, 2), QStringLiteral("theirs"));
    named<QCheckBox>(&dialog, QStringLiteral("Show passwords"))->click();
    EXPECT_EQ(dialog.cellText(1, 1), QStringLiteral("••••••••"));
}

TEST(ConflictDialog, EachButtonGivesItsChoiceAndClosingKeepsBoth) {
    const std::pair<const char*, ConflictChoice> buttons[] = {
        {"Keep mine", ConflictChoice::KeepMine},
        {"Keep theirs", ConflictChoice::KeepTheirs},
        {"Keep both", ConflictChoice::KeepBoth}};
    for (const auto& [caption, choice] : buttons) {
        ConflictDialog dialog(BothChanged);
        QPushButton* button = named<QPushButton>(&dialog, QString::fromLatin1(caption));
        EXPECT_EQ(button->isDefault(), choice == ConflictChoice::KeepMine) << caption;
        button->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << caption;
        EXPECT_EQ(dialog.choice(), choice) << caption;
    }
    ConflictDialog closed(BothChanged);
    closed.show();
    QTest::keyClick(&closed, Qt::Key_Escape);
    EXPECT_EQ(closed.choice(), ConflictChoice::KeepBoth);
}

TEST(ConflictDialog, ADeletedSideSaysSo) {
    ConflictDialog dialog(MergeConflict{line("Work", "old"), line("Work", "mine"), QString(), {}});
    EXPECT_NO_THROW(named<QLabel>(&dialog, QStringLiteral("Theirs: deleted")));
    ASSERT_EQ(dialog.rowCount(), 4) << "every filled field of the record";
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(dialog.cellText(row, 2), QStringLiteral("deleted"));
    EXPECT_EQ(dialog.cellText(0, 1), QStringLiteral("Work"));
    EXPECT_EQ(dialog.cellText(3, 1), QStringLiteral("••••••••"));
}

#include "vault_fixture.h"

#include "ui/common/conflict_report.h"
#include "ui/vault/generator_dialog.h"
#include "ui/vault/record_panel.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QSpinBox>

#include "store/held_file.h"

#include "support/child_process.h"
#include "support/held_elsewhere.h"

using namespace tavrino;
using namespace tavrino::test;

namespace {

TEST(RecordPanel, OpensEveryFieldOfTheSelectedRecord) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    f.openRecord(5);
    EXPECT_EQ(w.currentRecordKey(), QStringLiteral("C5"));
    EXPECT_EQ(f.combo("Category")->currentText(), QStringLiteral("Mail"));
    EXPECT_EQ(f.box("Description")->text(), QStringLiteral("Mailbox"));
    EXPECT_EQ(f.box("User/Account Code")->text(), QStringLiteral("alice"));
    EXPECT_EQ(f.box("Password/PIN")->text(), QStringLiteral("m@il"));
    EXPECT_EQ(f.box("Confirm Password/PIN")->text(), QStringLiteral("m@il"));
    EXPECT_EQ(f.notes()->toPlainText(), QStringLiteral("line one\nline two"));
    EXPECT_EQ(f.box("Email")->text(), QStringLiteral("alice@example.com"));
    EXPECT_EQ(f.box("Email")->cursorPosition(), 0) << "a long value opens at its start";
    QLabel* confirmCaption = f.captionOf(f.box("Confirm Password/PIN"));
    QTest::mouseMove(confirmCaption, QPoint(5, 5));
    EXPECT_TRUE(confirmCaption->toolTip().isEmpty()) << "no tooltip shows a password";
    EXPECT_TRUE(f.recordPanel()->isVisible());
    EXPECT_TRUE(f.barOf(CommandBars::Generate)->isVisible());
    EXPECT_FALSE((&w.treePanel())->isVisible());
    EXPECT_TRUE(f.button(CommandBars::Back)->isVisible());
    EXPECT_FALSE(f.button(CommandBars::Save)->isVisible()) << "opening is not a change";
    EXPECT_FALSE(w.isDirty());
    EXPECT_EQ(w.focusWidget(), f.box("User/Account Code"));

    f.openRecord(2);
    EXPECT_EQ(f.combo("Category")->currentIndex(), -1) << "no category";
    EXPECT_EQ(f.combo("Category")->currentText(), QString());
}

TEST(RecordPanel, SavedRecordMovesLastAndDeleteRemovesThatOne) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    const QString fourth = f.profile.Records.item(4);
    f.openRecord(3);
    f.type(f.box("Description"), QStringLiteral("Renamed"));
    EXPECT_TRUE(f.button(CommandBars::Save)->isVisible());
    QTest::mousePress(f.button(CommandBars::Save), Qt::LeftButton);
    EXPECT_TRUE(f.profile.ProfileSaved);
    EXPECT_EQ(f.record(12)[PasswordRecord::Description], QStringLiteral("Renamed"));
    EXPECT_EQ(f.profile.Records.item(3), fourth) << "later records moved up";
    EXPECT_EQ(w.currentRecordKey(), QStringLiteral("C12"));
    EXPECT_FALSE(w.isDirty());
    EXPECT_FALSE(f.button(CommandBars::Save)->isVisible());

    f.messages.answers = {MsgAnswer::Yes};
    QTest::mousePress(f.button(CommandBars::Delete), Qt::LeftButton);
    const Message& ask = f.messages.shown.first();
    EXPECT_EQ(ask.text, QStringLiteral("Are you sure you wish to delete this record?"));
    EXPECT_EQ(ask.title, QStringLiteral("Delete Entry"));
    EXPECT_EQ(ask.defaultButton, 2);
    EXPECT_EQ(f.profile.Records.count(), 11);
    for (const QString& line : f.profile.Records.lines())
        EXPECT_FALSE(line.contains(QStringLiteral("Renamed")));
    EXPECT_EQ(f.profile.Records.item(3), fourth);
    EXPECT_TRUE((&w.treePanel())->isVisible()) << "back to the tree";
}

struct Validation {
    const char* what;
    const char* userCode;
    const char* password;
    const char* confirm;
    const char* expiry;
    QStringList messages;
    bool saved;
    const char* storedExpiry;
};

class SaveChecks : public ::testing::TestWithParam<Validation> {};

TEST_P(SaveChecks, InTheirOrder) {
    const Validation& v = GetParam();
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    QTest::mousePress(f.button(CommandBars::New), Qt::LeftButton);
    EXPECT_TRUE(w.recordPanel().isNewRecord());
    f.type(f.box("User/Account Code"), QString::fromLatin1(v.userCode));
    f.type(f.box("Description"), QStringLiteral("New one"));
    f.type(f.box("Password/PIN"), QString::fromLatin1(v.password));
    f.type(f.box("Confirm Password/PIN"), QString::fromLatin1(v.confirm));
    f.type(f.box("Any Expiry Date"), QString::fromLatin1(v.expiry));
    QTest::mousePress(f.button(CommandBars::Save), Qt::LeftButton);
    EXPECT_EQ(f.messages.texts(), v.messages);
    EXPECT_EQ(f.profile.Records.count(), v.saved ? 13 : 12);
    EXPECT_EQ(w.recordPanel().isNewRecord(), !v.saved);
    EXPECT_EQ(w.isDirty(), !v.saved);
    if (v.saved) {
        EXPECT_EQ(f.record(13)[PasswordRecord::ExpiryDate], QString::fromLatin1(v.storedExpiry));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SaveChecks,
    ::testing::Values(
        Validation{"empty_user_code",
                   "  ",
                   "pw",
                   "pw",
                   "",
                   {QStringLiteral("Account/UserCode must have a valid entry!")},
                   false,
                   ""},
        Validation{"blank_password_warns_and_saves",
                   "me",
                   "",
                   "",
                   "",
                   {QStringLiteral("Password is blank!")},
                   true,
                   ""},
        Validation{"mismatch",
                   "me",
                   "pw",
                   "pW",
                   "",
                   {QStringLiteral("Password and confirmation entry do not match!")},
                   false,
                   ""},
        Validation{"confirmation_compared_trimmed", "me", "pw ", " pw", "", {}, true, ""},
        Validation{"month_year_kept", "me", "pw", "pw", "12/09", {}, true, "12/09"},
        Validation{
            "date_rewritten_day_first", "me", "pw", "pw", " 1/2/2009 ", {}, true, "01/02/2009"},
        Validation{"invalid_date",
                   "me",
                   "pw",
                   "pw",
                   "13/45",
                   {QStringLiteral("  Enter a valid Expiry Date!")},
                   false,
                   ""},
        Validation{"separator_refused",
                   "me|you",
                   "pw",
                   "pw",
                   "",
                   {QStringLiteral(
                       "User/Account Code can not contain the character \"|\". Please remove it.")},
                   false,
                   ""}),
    [](const auto& info) { return std::string(info.param.what); });

// Every box marks the record changed: an edit to the notes or the user
// code alone is offered for saving, and BACK asks before dropping it.
TEST(RecordPanel, EveryBoxMarksTheRecordChanged) {
    for (const char* box : {"Notes", "User/Account Code"}) {
        SCOPED_TRACE(box);
        VaultFixture f({QStringLiteral("Work")});
        VaultWindow& w = f.loginWork();
        f.openRecord(1);
        if (QByteArray(box) == "Notes")
            f.notes()->setPlainText(QStringLiteral("new notes"));
        else
            f.type(f.box(box), QStringLiteral("other"));
        EXPECT_TRUE(w.isDirty());
        EXPECT_TRUE(f.button(CommandBars::Save)->isVisible());
        f.messages.answers = {MsgAnswer::No};
        QTest::mousePress(f.button(CommandBars::Back), Qt::LeftButton);
        EXPECT_EQ(f.messages.texts().last(),
                  QStringLiteral("Are you sure you wish to abandon this new record?"));
        EXPECT_TRUE(f.recordPanel()->isVisible()) << "the edit stays";
    }
}

// A save for another reason writes back what the user did not touch
// exactly as it was: an imported password with blanks around it keeps them.
TEST(RecordPanel, UntouchedFieldsAreSavedExactlyAsStored) {
    VaultFixture f({QStringLiteral("Work")});
    f.loginWork();
    PasswordRecord r = f.record(1);
    r[PasswordRecord::Password] = QStringLiteral("  spaces around  ");
    f.profile.Records.remove(1);
    f.profile.Records.insert(1, r.toLine());
    f.openRecord(1);
    f.type(f.box("Description"), QStringLiteral("Only this"));
    QTest::mousePress(f.button(CommandBars::Save), Qt::LeftButton);
    ASSERT_TRUE(f.profile.ProfileSaved);
    const PasswordRecord saved = f.record(f.profile.Records.count());
    EXPECT_EQ(saved[PasswordRecord::Description], QStringLiteral("Only this"));
    EXPECT_EQ(saved[PasswordRecord::Password], QStringLiteral("  spaces around  "));
}

TEST(RecordPanel, BackAnsweredNoKeepsTheTypedValues) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    f.openRecord(1);
    f.type(f.box("Description"), QStringLiteral("Changed"));
    f.messages.answers = {MsgAnswer::No};
    QTest::mousePress(f.button(CommandBars::Back), Qt::LeftButton);
    const Message& ask = f.messages.shown.last();
    EXPECT_EQ(ask.text, QStringLiteral("Are you sure you wish to abandon this new record?"));
    EXPECT_EQ(ask.title, QStringLiteral("New Record Abort"));
    EXPECT_EQ(ask.icon, MsgIcon::Question);
    EXPECT_EQ(ask.defaultButton, 2);
    EXPECT_FALSE(f.button(CommandBars::Save)->isVisible());
    EXPECT_EQ(f.box("Description")->text(), QStringLiteral("Changed"));
    EXPECT_TRUE(f.recordPanel()->isVisible());

    QTest::mousePress(f.button(CommandBars::Back), Qt::LeftButton); // no longer changed: straight back
    EXPECT_TRUE((&w.treePanel())->isVisible());
    EXPECT_EQ(f.tree()->currentIndex().data(Qt::UserRole).toString(), QStringLiteral("C1"))
        << "the record just left, not the one expiring";
}

TEST(RecordPanel, UndoShowsTheStoredRecordAgain) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    f.openRecord(1);
    f.type(f.box("Description"), QStringLiteral("Changed"));
    QTest::mousePress(f.button(CommandBars::Undo), Qt::LeftButton);
    EXPECT_EQ(f.box("Description")->text(), QStringLiteral("Main checking"));
    EXPECT_FALSE(w.isDirty());
    EXPECT_FALSE(f.button(CommandBars::Undo)->isVisible());
}

TEST(RecordPanel, DeleteOnANewRecordRemovesNothing) {
    VaultFixture f({QStringLiteral("Work")});
    f.loginWork();
    f.openRecord(1);
    QTest::mousePress(f.button(CommandBars::New), Qt::LeftButton);
    f.messages.answers = {MsgAnswer::Yes};
    QTest::mousePress(f.button(CommandBars::Delete), Qt::LeftButton);
    EXPECT_EQ(f.profile.Records.count(), 12);
}

TEST(RecordPanel, DeleteWinsOverUnsavedChanges) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    const QString first = f.profile.Records.item(1);
    f.openRecord(2);
    f.type(f.box("Description"), QStringLiteral("typed but not saved"));
    f.messages.answers = {MsgAnswer::Yes};
    QTest::mousePress(f.button(CommandBars::Delete), Qt::LeftButton);
    EXPECT_FALSE(f.messages.texts().contains(
        QStringLiteral("Are you sure you wish to abandon this new record?")))
        << "no abandon question after the deletion";
    EXPECT_EQ(f.profile.Records.count(), 11);
    EXPECT_EQ(f.profile.Records.item(1), first);
    EXPECT_FALSE(w.isDirty());
    EXPECT_TRUE((&w.treePanel())->isVisible());
    EXPECT_TRUE(w.currentRecordKey().isEmpty());
    EXPECT_TRUE(w.close()) << "nothing left unsaved";
}

TEST(RecordPanel, FailedWriteKeepsTheChangeUnsaved) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    const QStringList before = f.profile.Records.lines();
    const QByteArray fileBefore = readFile(f.dbPath(QStringLiteral("Work.dat")));
    f.openRecord(3);
    f.type(f.box("Description"), QStringLiteral("Forum"));
    SaveInProgressElsewhere holder(f.dbPath(QStringLiteral("Work.dat")));

    QTest::mousePress(f.button(CommandBars::Save), Qt::LeftButton);
    EXPECT_EQ(f.messages.shown.last().title, QStringLiteral("WriteToFile"));
    EXPECT_TRUE(w.isDirty());
    EXPECT_TRUE(f.button(CommandBars::Save)->isVisible());
    EXPECT_EQ(f.box("Description")->text(), QStringLiteral("Forum"));
    EXPECT_EQ(f.profile.Records.lines(), before) << "memory still matches the file";
    EXPECT_EQ(w.currentRecordKey(), QStringLiteral("C3"));
    EXPECT_FALSE(w.close());

    f.messages.answers = {MsgAnswer::Yes};
    QTest::mousePress(f.button(CommandBars::Delete), Qt::LeftButton);
    EXPECT_EQ(f.profile.Records.lines(), before)
        << "a delete that did not reach the disk is not done";
    holder.finish();
    EXPECT_EQ(readFile(f.dbPath(QStringLiteral("Work.dat"))), fileBefore);

    f.messages.shown.clear();
    QTest::mousePress(f.button(CommandBars::Save), Qt::LeftButton);
    EXPECT_TRUE(f.profile.ProfileSaved);
    EXPECT_EQ(f.record(12)[PasswordRecord::Description], QStringLiteral("Forum"));
    EXPECT_EQ(f.profile.Records.count(), 12);
}



TEST(SaveConflict, AnotherUsersSaveOfOtherRecordsIsMergedWithoutAsking) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    const QString first = f.record(1)[PasswordRecord::Description];
    f.openRecord(3);
    f.type(f.box("Description"), QStringLiteral("Mine"));
    saveElsewhere(f, [](Profile& p) { p.Records.remove(1); });

    QTest::mousePress(f.button(CommandBars::Save), Qt::LeftButton);
    EXPECT_TRUE(f.messages.texts().isEmpty()) << "no box: nothing was dropped";
    EXPECT_EQ(f.loggedInNote()->text(), QStringLiteral("Saved with others' changes"));
    EXPECT_LE(f.loggedInNote()->fontMetrics().horizontalAdvance(f.loggedInNote()->text()),
              f.loggedInNote()->width())
        << "the line is not cut";
    const QStringList disk = descriptionsOnDisk(f);
    EXPECT_EQ(disk.size(), 11);
    EXPECT_FALSE(disk.contains(first)) << "their delete stands";
    EXPECT_EQ(disk.value(1), QStringLiteral("Mine")) << "my change is in, in its record's place";
    EXPECT_EQ(f.profile.Records.count(), 11);
    EXPECT_FALSE(w.isDirty());
    EXPECT_EQ(w.currentRecordKey(), QStringLiteral("C2")) << "the panel follows its record";
    EXPECT_TRUE(f.recordPanel()->isVisible());
}

TEST(SaveConflict, ANewLoginElsewhereLocksAndTheChangeIsSavedAfterTheLogin) {
    VaultFixture f({QStringLiteral("Work")});
    f.loginWork();
    f.openRecord(3);
    f.type(f.box("Description"), QStringLiteral("Mine"));
    saveElsewhere(f, [](Profile& p) { p.Security.Pin = QStringLiteral("9999"); });

    QTest::mousePress(f.button(CommandBars::Save), Qt::LeftButton);
    EXPECT_EQ(f.messages.texts().first(),
              QStringLiteral("The profile has been modified by another user.\r\nYou will have "
                             "to login again.\r\nYour change is kept and will be saved once you "
                             "have logged in."));
    EXPECT_TRUE(f.loginPanel()->isVisible()) << "locked";
    EXPECT_FALSE(f.session.loginOk);
    EXPECT_FALSE(descriptionsOnDisk(f).contains(QStringLiteral("Mine")));

    f.type(f.box("User ID"), QStringLiteral("alice"));
    f.type(f.box("Password"), QStringLiteral("S3cret pass"));
    f.type(f.box("PIN Number"), QStringLiteral("9999"));
    QTest::mousePress(f.button(CommandBars::Login), Qt::LeftButton);
    ASSERT_TRUE(f.session.loginOk);
    EXPECT_EQ(descriptionsOnDisk(f).value(2), QStringLiteral("Mine"));
    EXPECT_EQ(f.profile.Records.count(), 12);
}

// A change kept for the next login stays through a login to another profile
// and is never dropped by closing the window without a question.
TEST(SaveConflict, AKeptChangeSurvivesAnotherProfileAndClosingAsks) {
    VaultFixture f({QStringLiteral("Work"), QStringLiteral("Home")});
    VaultWindow& w = f.loginWork();
    f.openRecord(3);
    f.type(f.box("Description"), QStringLiteral("Mine"));
    saveElsewhere(f, [](Profile& p) { p.Security.Pin = QStringLiteral("9999"); });
    QTest::mousePress(f.button(CommandBars::Save), Qt::LeftButton);
    ASSERT_FALSE(f.session.loginOk);
    ASSERT_EQ(f.store.keptChanges().profiles(), QStringList{QStringLiteral("Work.dat")});

    f.messages.shown.clear();
    f.messages.answers = {MsgAnswer::Cancel};
    EXPECT_FALSE(w.close());
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_EQ(f.messages.shown[0].text,
              QStringLiteral("Your change to the profile Work is not saved yet: another user "
                             "changed its login, so it is kept to be saved once you have logged "
                             "in to it.\r\nClosing Tavrino now would lose it."));
    EXPECT_EQ(f.messages.shown[0].buttonTexts,
              QStringList({QStringLiteral("Save after login"), QStringLiteral("Discard"),
                           QStringLiteral("Cancel")}));

    // Into Home and out again: Work's change stays kept.
    w.loginPanel().chooseProfile(QStringLiteral("Home"));
    f.type(f.box("Password"), QStringLiteral("QUILT"));
    QTest::mousePress(f.button(CommandBars::Login), Qt::LeftButton);
    ASSERT_TRUE(f.session.loginOk);
    EXPECT_EQ(f.store.keptChanges().profiles(), QStringList{QStringLiteral("Work.dat")});

    // Save after login: the window stays, locked, at Work's login.
    f.messages.answers = {MsgAnswer::Yes};
    EXPECT_FALSE(w.close());
    EXPECT_FALSE(f.session.loginOk);
    EXPECT_EQ(w.loginPanel().profileName(), QStringLiteral("Work"));
    f.type(f.box("User ID"), QStringLiteral("alice"));
    f.type(f.box("Password"), QStringLiteral("S3cret pass"));
    f.type(f.box("PIN Number"), QStringLiteral("9999"));
    QTest::mousePress(f.button(CommandBars::Login), Qt::LeftButton);
    ASSERT_TRUE(f.session.loginOk);
    EXPECT_TRUE(descriptionsOnDisk(f).contains(QStringLiteral("Mine")));
    EXPECT_TRUE(f.store.keptChanges().isEmpty());

    f.messages.shown.clear();
    EXPECT_TRUE(w.close()) << "nothing kept: no question";
    EXPECT_TRUE(f.messages.shown.isEmpty());
}

TEST(SaveConflict, DiscardingAKeptChangeLetsTheWindowClose) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    f.openRecord(3);
    f.type(f.box("Description"), QStringLiteral("Mine"));
    saveElsewhere(f, [](Profile& p) { p.Security.Pin = QStringLiteral("9999"); });
    QTest::mousePress(f.button(CommandBars::Save), Qt::LeftButton);
    f.messages.answers = {MsgAnswer::No};
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(f.store.keptChanges().isEmpty());
    EXPECT_FALSE(descriptionsOnDisk(f).contains(QStringLiteral("Mine")));
}

// Both changed record 3: the user is asked, and each answer does what it says.
struct ChoiceCase {
    const char* what;
    ConflictChoice answer;
    bool mineKept;
    bool theirsKept;
    const char* outcome;
};

class SameRecordChanged : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(SameRecordChanged, TheUserChooses) {
    const ChoiceCase& c = GetParam();
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    ASSERT_EQ(f.record(3)[PasswordRecord::UserCode], QStringLiteral("bob"));
    ASSERT_TRUE(f.record(3)[PasswordRecord::Description].isEmpty());
    f.openRecord(3);
    f.type(f.box("Description"), QStringLiteral("Mine"));
    saveElsewhere(f, [](Profile& p) {
        PasswordRecord r = PasswordRecord::fromLine(p.Records.item(3));
        r[PasswordRecord::Description] = QStringLiteral("Theirs");
        p.Records.remove(3);
        p.Records.add(r.toLine());
    });

    f.conflictAnswers = {c.answer};
    QTest::mousePress(f.button(CommandBars::Save), Qt::LeftButton);
    ASSERT_EQ(f.conflictsAsked.size(), 1) << "one question for the one record";
    EXPECT_EQ(ConflictReport::headline(f.conflictsAsked[0]),
              QStringLiteral("Another user changed the record \"bob\" too."))
        << "a record without a description is named by its user code";
    EXPECT_EQ(f.conflictsAsked[0].fields, QList<int>{PasswordRecord::Description});
    // Then one box that says what was kept and what was dropped.
    ASSERT_EQ(f.messages.texts(),
              QStringList{QStringLiteral("Saved together with another user's changes.\r\n") +
                          QString::fromUtf8(c.outcome)});
    const QStringList disk = descriptionsOnDisk(f);
    // Kept beside theirs, mine is marked so that the two can be told apart.
    const QString mine = c.theirsKept ? QStringLiteral("Mine (my version)") : QStringLiteral("Mine");
    EXPECT_EQ(disk.contains(mine), c.mineKept);
    EXPECT_EQ(disk.contains(QStringLiteral("Theirs")), c.theirsKept);
    EXPECT_FALSE(disk.contains(QString())) << "the version both started from is gone";
    EXPECT_EQ(disk.size(), 11 + int(c.mineKept) + int(c.theirsKept));
    EXPECT_EQ(f.profile.Records.lines().size(), disk.size());
    EXPECT_FALSE(w.isDirty());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SameRecordChanged,
    ::testing::Values(
        ChoiceCase{"KeepMine", ConflictChoice::KeepMine, true, false,
                   "\"bob\": your version was kept; the other user's was dropped."},
        ChoiceCase{"KeepTheirs", ConflictChoice::KeepTheirs, false, true,
                   "\"bob\": the other user's version was kept; yours was dropped."},
        ChoiceCase{"KeepBoth", ConflictChoice::KeepBoth, true, true,
                   "\"bob\": both versions were kept; yours as \"Mine (my version)\"."}),
    [](const auto& info) { return std::string(info.param.what); });

struct GenerateCase {
    const char* what;
    const char* password;
    const char* notes;
    MsgAnswer answer;
    bool asked;
    bool replaced;
    const char* notesAfter;
};

class Generate : public ::testing::TestWithParam<GenerateCase> {};

TEST_P(Generate, AsksBeforeReplacingAPassword) {
    const GenerateCase& c = GetParam();
    VaultFixture f({QStringLiteral("Work")});
    f.loginWork();
    QTest::mousePress(f.button(CommandBars::New), Qt::LeftButton);
    f.type(f.box("Password/PIN"), QString::fromLatin1(c.password));
    f.notes()->setPlainText(QString::fromLatin1(c.notes));
    f.messages.answers = {c.answer};
    QTest::mousePress(f.button(CommandBars::Generate), Qt::LeftButton);
    EXPECT_EQ(f.messages.shown.size(), c.asked ? 1 : 0);
    if (c.asked) {
        const Message& m = f.messages.shown[0];
        EXPECT_EQ(
            m.text,
            QStringLiteral(
                "You are about to overwrite the current password with a new high security "
                "password\r\n"
                "Do you wish to save the old password under Notes?\r\nPress CANCEL to exit!"));
        EXPECT_EQ(m.title, QStringLiteral("Password"));
        EXPECT_EQ(m.buttons, MsgButtons::YesNoCancel);
        EXPECT_EQ(m.defaultButton, 2);
    }
    EXPECT_EQ(f.box("Password/PIN")->text() != QString::fromLatin1(c.password), c.replaced);
    if (c.replaced) {
        EXPECT_EQ(f.box("Password/PIN")->text().size(), 7);
        EXPECT_EQ(f.box("Confirm Password/PIN")->text(), f.box("Password/PIN")->text());
        EXPECT_TRUE(f.button(CommandBars::Save)->isVisible());
    }
    EXPECT_EQ(
        f.notes()->toPlainText(),
        QString::fromLatin1(c.notesAfter).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, Generate,
    ::testing::Values(
        GenerateCase{"yes_with_notes", "old", "note", MsgAnswer::Yes, true, true,
                     "note\r\n pwd:<old>"},
        GenerateCase{"yes_without_notes", "old", "", MsgAnswer::Yes, true, true, " pwd:<old>"},
        GenerateCase{"no", "old", "note", MsgAnswer::No, true, true, "note"},
        GenerateCase{"cancel", "old", "note", MsgAnswer::Cancel, true, false, "note"},
        GenerateCase{"empty_password", "", "note", MsgAnswer::Yes, false, true, "note"}),
    [](const auto& info) { return std::string(info.param.what); });

// The generator's options: the dialog makes what its options say and shows
// the strength; what the user takes is remembered, and @PWD* makes such
// passwords from then on, saying their strength.
TEST(GeneratorOptions, ChosenInTheDialogRememberedAndUsedByPwd) {
    FixedClock clock;
    PasswordGenerator generator(clock, {QStringLiteral("alpha"), QStringLiteral("beta")});
    GeneratorDialog dialog(generator, GeneratorOptions{});
    EXPECT_EQ(named<QLineEdit>(&dialog, QStringLiteral("Generated password"))->text().size(), 7)
        << "the classic seven first";
    EXPECT_EQ(named<QLabel>(&dialog, QStringLiteral("Strength"))->text(), QStringLiteral("Strength: 41 bits"));
    named<QRadioButton>(&dialog, QStringLiteral("Characters of the kinds below"))->click();
    named<QSpinBox>(&dialog, QStringLiteral("Length"))->setValue(30);
    named<QCheckBox>(&dialog, QStringLiteral("Symbols"))->setChecked(false);
    const QString made = dialog.password();
    EXPECT_EQ(made.size(), 30);
    EXPECT_TRUE(std::all_of(made.cbegin(), made.cend(), [](QChar c) { return c.isLetterOrNumber(); }))
        << made.toStdString();
    EXPECT_EQ(named<QLabel>(&dialog, QStringLiteral("Strength"))->text(), QStringLiteral("Strength: 178 bits"));
    named<QRadioButton>(&dialog, QStringLiteral("Passphrase: words of a word list"))->click();
    EXPECT_FALSE(named<QSpinBox>(&dialog, QStringLiteral("Length"))->isEnabled());
    EXPECT_EQ(dialog.password().split(QLatin1Char('-')).size(), 5);

    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    QTest::mousePress(f.button(CommandBars::New), Qt::LeftButton);
    RecordPanel* panel = w.findChild<RecordPanel*>();
    GeneratorOptions chosen;
    chosen.kind = GeneratorOptions::Kind::Characters;
    chosen.length = 24;
    chosen.symbols = false;
    panel->askGenerator = [&](const PasswordGenerator& g, GeneratorOptions& options) {
        EXPECT_EQ(options, GeneratorOptions{}) << "nothing remembered yet";
        options = chosen;
        return std::optional<QString>(g.generate(options));
    };
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(f.box("Password/PIN"), Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(f.box("Password/PIN")->text().size(), 24);
    EXPECT_EQ(f.box("Confirm Password/PIN")->text(), f.box("Password/PIN")->text());
    EXPECT_EQ(GeneratorDialog::remembered(f.settings), chosen);
    QTest::mousePress(f.button(CommandBars::Generate), Qt::LeftButton); // asks: overwrite?
    EXPECT_EQ(f.box("Password/PIN")->text().size(), 24) << "@PWD* with the remembered options";
    EXPECT_TRUE(f.loggedInNote()->text().startsWith(QStringLiteral("New password: 142 bits")))
        << f.loggedInNote()->text().toStdString();
}

} // namespace

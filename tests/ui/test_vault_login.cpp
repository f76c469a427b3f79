#include "vault_fixture.h"
#include "support/held_elsewhere.h"

#include <QSignalSpy>

using namespace tavrino;
using namespace tavrino::test;

namespace {

const QString Incorrect = QStringLiteral(" The Details are incorrect. Please re-enter.");

struct ModeCase {
    const char* profile;
    bool user, pass, pin;
    const char* focus;
};

class LoginMode : public ::testing::TestWithParam<ModeCase> {};

TEST_P(LoginMode, ShowsTheBoxesItAsksForAndFocusesTheFirst) {
    const ModeCase& c = GetParam();
    VaultFixture f({QString::fromLatin1(c.profile)});
    VaultWindow& w = f.start();
    EXPECT_EQ(f.box("User ID")->isVisible(), c.user);
    EXPECT_EQ(f.captionOf(f.box("User ID"))->isVisible(), c.user);
    EXPECT_EQ(f.box("Password")->isVisible(), c.pass);
    EXPECT_EQ(f.box("PIN Number")->isVisible(), c.pin);
    EXPECT_EQ(f.captionOf(f.box("PIN Number"))->isVisible(), c.pin);
    EXPECT_TRUE(f.button(CommandBars::Lost)->isVisible());
    EXPECT_EQ(w.focusWidget()->objectName().isEmpty() ? w.focusWidget()->accessibleName()
                                                      : w.focusWidget()->objectName(),
              QString::fromLatin1(c.focus));
    EXPECT_EQ(f.box("Password")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(f.box("PIN Number")->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(f.box("User ID")->maxLength(), 30);
}

INSTANTIATE_TEST_SUITE_P(Profiles, LoginMode,
                         ::testing::Values(ModeCase{"Home", false, true, false, "Password"},
                                           ModeCase{"Big", true, true, false, "User ID"},
                                           ModeCase{"Work", true, true, true, "User ID"}),
                         [](const auto& info) { return std::string(info.param.profile); });

struct Credentials {
    const char* profile;
    const char* user;
    const char* pass;
    const char* pin;
    bool ok;
};

class Login : public ::testing::TestWithParam<Credentials> {};

TEST_P(Login, ChecksTrimmedValuesWithCase) {
    const Credentials& c = GetParam();
    VaultFixture f({QString::fromLatin1(c.profile)});
    VaultWindow& w = f.start();
    f.type(f.box("User ID"), QString::fromUtf8(c.user));
    f.type(f.box("Password"), QString::fromUtf8(c.pass));
    f.type(f.box("PIN Number"), QString::fromUtf8(c.pin));
    // What is watched only while logged in (the desktop session's lock) starts with it.
    QSignalSpy loggedIn(&w, &VaultWindow::loggedIn);
    QTest::mousePress(f.button(CommandBars::Login), Qt::LeftButton);
    EXPECT_EQ(f.session.loginOk, c.ok);
    EXPECT_EQ(loggedIn.count(), c.ok ? 1 : 0);
    if (c.ok) {
        EXPECT_TRUE(f.loginPanel()->isHidden());
        EXPECT_TRUE((&w.treePanel())->isVisible());
        EXPECT_TRUE(f.grouping()->isVisible());
        EXPECT_TRUE(f.image("Lock Tavrino")->isEnabled());
        EXPECT_TRUE(f.button(CommandBars::New)->isVisible());
        EXPECT_FALSE(f.button(CommandBars::Login)->isVisible());
        EXPECT_EQ(
            f.loggedInNote()->text(),
            QStringLiteral("You are logged into %1 profile!").arg(QString::fromLatin1(c.profile)));
        EXPECT_TRUE(f.box("Password")->text().isEmpty());
        EXPECT_GT(f.tree()->model()->rowCount(), 0);
    } else {
        EXPECT_EQ(f.messages.texts(), QStringList{Incorrect});
        EXPECT_FALSE(f.loginPanel()->isHidden());
        EXPECT_EQ(f.box("Password")->text(), QString::fromUtf8(c.pass)) << "nothing is cleared";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Login,
    ::testing::Values(Credentials{"Home", "", "  QUILT  ", "", true},
                      Credentials{"Home", "", "quilt", "", false},
                      Credentials{"Big", "", "Big pass 1", "", false},
                      Credentials{"Big", "bulk", "Big pass 1", "", true},
                      Credentials{"Work", "alice", "S3cret pass", "", false},
                      Credentials{"Work", " alice", "S3cret pass ", "4711", true},
                      Credentials{"Work", "Alice", "S3cret pass", "4711", false}));

TEST(Login, EnterInACredentialOrAnswerBoxLogsIn) {
    VaultFixture f({QStringLiteral("Home")});
    f.start();
    QTest::mousePress(f.button(CommandBars::Lost), Qt::LeftButton);
    f.type(f.answer(0), QStringLiteral("QUILT"));
    QTest::keyClick(f.answer(0), Qt::Key_Return);
    EXPECT_TRUE(f.session.loginOk);
    EXPECT_TRUE(f.loginPanel()->isHidden());

    VaultFixture g({QStringLiteral("Work")});
    g.start();
    g.type(g.box("User ID"), QStringLiteral("alice"));
    g.type(g.box("Password"), QStringLiteral("S3cret pass"));
    g.type(g.box("PIN Number"), QStringLiteral("4711"));
    QTest::keyClick(g.box("PIN Number"), Qt::Key_Return);
    EXPECT_TRUE(g.session.loginOk);
    EXPECT_TRUE(g.loginPanel()->isHidden());
}

struct Answers {
    const char* profile;
    QStringList answers;
    bool ok;
};

class SecretQuestions : public ::testing::TestWithParam<Answers> {};

TEST_P(SecretQuestions, EnoughRightAnswersLogIn) {
    const Answers& c = GetParam();
    VaultFixture f({QString::fromLatin1(c.profile)});
    f.start();
    QTest::mousePress(f.button(CommandBars::Lost), Qt::LeftButton);
    for (int k = 0; k < c.answers.size(); ++k)
        f.type(f.answer(k), c.answers[k]);
    QTest::mousePress(f.button(CommandBars::Login), Qt::LeftButton);
    EXPECT_EQ(f.session.loginOk, c.ok);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SecretQuestions,
    ::testing::Values(
        // Home: one question, one answer required.
        Answers{"Home", {QStringLiteral(" QUILT ")}, true},
        Answers{"Home", {QStringLiteral("quilt")}, false},
        // Work: three questions, two answers required.
        Answers{"Work", {QStringLiteral("Rex"), QString(), QString()}, false},
        Answers{"Work", {QStringLiteral("Rex"), QString(), QStringLiteral("Zürich")}, true},
        // Big: all three answers required.
        Answers{"Big", {QStringLiteral("A one"), QStringLiteral("A two"), QString()}, false},
        Answers{"Big",
                {QStringLiteral("A one"), QStringLiteral("A two"), QStringLiteral("A three")},
                true}));

// The answer every new profile starts with opens nothing once the password
// is the user's own: whoever knows Tavrino knows "QUILT".
TEST(SecretQuestions, TheDefaultAnswerOpensNothingBehindAPasswordOfOnesOwn) {
    VaultFixture f({QStringLiteral("Home")});
    {
        VaultFixture owner({});
        owner.store.setDatabaseFolder(f.dir.filePath(QStringLiteral("db")));
        owner.profile.ProfileFileName = QStringLiteral("Home.dat");
        ASSERT_TRUE(owner.waiting.read(true));
        owner.profile.Security.Password = QStringLiteral("0wn pass");
        owner.waiting.save();
        ASSERT_TRUE(owner.profile.ProfileSaved);
    }
    f.start();
    QTest::mousePress(f.button(CommandBars::Lost), Qt::LeftButton);
    f.type(f.answer(0), QStringLiteral("QUILT"));
    QTest::mousePress(f.button(CommandBars::Login), Qt::LeftButton);
    EXPECT_FALSE(f.session.loginOk);
    EXPECT_EQ(f.messages.texts().last(), Incorrect);
}

TEST(SecretQuestions, CaptionsShowTheQuestionsInTheCredentialsPlaces) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.start();
    EXPECT_FALSE(f.captionOf(f.answer(0))->isVisible());
    QTest::mousePress(f.button(CommandBars::Lost), Qt::LeftButton);
    EXPECT_EQ(f.captionOf(f.answer(1))->text(), QStringLiteral("Mother's maiden name? ?"));
    EXPECT_EQ(w.focusWidget(), f.answer(0));
    EXPECT_FALSE(f.box("Password")->isVisible()) << "the answers are what counts now";
    // Each caption clear of the box above it, all three boxes inside the panel.
    QWidget* panel = f.loginPanel();
    for (int k = 0; k < 3; ++k) {
        QLineEdit* answer = f.answer(k);
        ASSERT_TRUE(answer->isVisible());
        EXPECT_TRUE(panel->rect().contains(answer->geometry())) << k;
        EXPECT_LE(f.captionOf(answer)->geometry().bottom(), answer->geometry().top()) << k;
        if (k > 0) {
            EXPECT_LE(f.answer(k - 1)->geometry().bottom(), f.captionOf(answer)->geometry().top())
                << k;
        }
    }
    // Choosing the profile again brings the credentials back.
    f.profileBox()->activated(0);
    EXPECT_TRUE(f.box("Password")->isVisible());
    EXPECT_FALSE(f.answer(0)->isVisible());
}

TEST(Login, UnreadableProfileCanNotBeLoggedInto) {
    VaultFixture f({});
    writeFile(f.dbPath(QStringLiteral("Broken.dat")), "not a profile\r\n");
    f.start();
    EXPECT_EQ(f.messages.texts().last(), QStringLiteral("Problem with Profile!"));
    EXPECT_EQ(f.messages.shown.last().icon, MsgIcon::Critical);
    f.messages.shown.clear();
    f.type(f.box("Password"), QString());
    QTest::mousePress(f.button(CommandBars::Login), Qt::LeftButton);
    EXPECT_EQ(f.messages.texts(), QStringList{Incorrect});
    EXPECT_FALSE(f.session.loginOk);
}

TEST(Login, AutoLockTimerStartsOnlyWithATime) {
    for (const auto& [timer, runs] :
         {std::pair{QStringLiteral("0"), false}, std::pair{QStringLiteral("abc"), false},
          std::pair{QStringLiteral("5"), true}}) {
        VaultFixture f({QStringLiteral("Home")}, timer);
        VaultWindow& w = f.start();
        f.type(f.box("Password"), QStringLiteral("QUILT"));
        QTest::mousePress(f.button(CommandBars::Login), Qt::LeftButton);
        EXPECT_EQ(w.lockController().isRunning(), runs) << timer.toStdString();
    }
}

// A sealed profile opens in the vault by its login or its answers, and
// shows nothing of itself before.
TEST(Login, ASealedProfileOpensByItsLoginOrItsAnswers) {
    VaultFixture f({});
    f.store.setDatabaseFolder(f.dir.filePath(QStringLiteral("db")));
    ASSERT_TRUE(f.profiles.CreateProfile(QStringLiteral("Safe"), true));
    VaultWindow& w = f.start(QStringLiteral("Safe"));
    EXPECT_TRUE(f.store.isSealed());
    EXPECT_EQ(f.profile.Records.count(), 0) << "nothing of it before the login";
    f.type(f.box("Password"), QStringLiteral("quilt"));
    QTest::mousePress(f.button(CommandBars::Login), Qt::LeftButton);
    EXPECT_FALSE(f.session.loginOk);
    EXPECT_EQ(f.messages.texts().last(), Incorrect);
    f.type(f.box("Password"), QStringLiteral("QUILT"));
    QTest::keyClick(f.box("Password"), Qt::Key_Return);
    ASSERT_TRUE(f.session.loginOk);
    EXPECT_EQ(f.profile.Security.Password, QStringLiteral("QUILT"));

    QTest::mouseClick(f.image("Lock Tavrino"), Qt::LeftButton);
    EXPECT_FALSE(f.store.isOpened()) << "the lock forgets what opened it";
    EXPECT_TRUE(f.profile.Security.Password.isEmpty());
    // The file has no key slot for the answer everybody knows.
    QTest::mousePress(f.button(CommandBars::Lost), Qt::LeftButton);
    EXPECT_EQ(f.captionOf(f.answer(0))->text(), QStringLiteral("Default Question ?"));
    f.type(f.answer(0), QStringLiteral("QUILT"));
    QTest::keyClick(f.answer(0), Qt::Key_Return);
    EXPECT_FALSE(f.session.loginOk);

    // With a question of the user's own, LOST opens it.
    f.type(f.box("Password"), QStringLiteral("QUILT"));
    f.window->loginPanel().chooseProfile(QStringLiteral("Safe"));
    f.type(f.box("Password"), QStringLiteral("QUILT"));
    QTest::keyClick(f.box("Password"), Qt::Key_Return);
    ASSERT_TRUE(f.session.loginOk);
    f.profile.Security.Questions.clear();
    f.profile.Security.Questions.add(
        SecuritySettings::questionLine(QStringLiteral("Pet"), QStringLiteral("Rex")));
    ASSERT_EQ(f.runner.save(), SaveOutcome::Saved);
    QTest::mouseClick(f.image("Lock Tavrino"), Qt::LeftButton);
    QTest::mousePress(f.button(CommandBars::Lost), Qt::LeftButton);
    f.type(f.answer(0), QStringLiteral("Rex"));
    QTest::keyClick(f.answer(0), Qt::Key_Return);
    EXPECT_TRUE(f.session.loginOk);
    EXPECT_TRUE(w.isVisible());
}

} // namespace

namespace {

// A profile being saved elsewhere the whole time the login screen tries:
// said plainly, as a condition that passes, and not as a damaged profile.
TEST(Login, AProfileInUseElsewhereIsNoProblemWithTheProfile) {
    VaultFixture f({QStringLiteral("Work")});
    tavrino::test::SaveInProgressElsewhere other(f.dbPath(QStringLiteral("Work.dat")));
    f.start(QStringLiteral("Work"));
    const QStringList texts = f.messages.texts();
    ASSERT_FALSE(texts.isEmpty());
    EXPECT_TRUE(texts.last().endsWith(QStringLiteral("\r\nPlease try again in a moment.")))
        << texts.last().toStdString();
    EXPECT_FALSE(texts.contains(QStringLiteral("Problem with Profile!")));
    other.finish();
    f.messages.shown.clear();
    f.window->loginPanel().chooseProfile(QStringLiteral("Work"));
    EXPECT_TRUE(f.messages.shown.isEmpty());
    EXPECT_TRUE(f.profile.ProfileLoaded);
}

} // namespace

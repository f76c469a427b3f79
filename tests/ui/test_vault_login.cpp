#include "vault_fixture.h"

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
    EXPECT_EQ(w.txtUser->isVisible(), c.user);
    EXPECT_EQ(w.lblUser->isVisible(), c.user);
    EXPECT_EQ(w.txtpass->isVisible(), c.pass);
    EXPECT_EQ(w.txtPin->isVisible(), c.pin);
    EXPECT_EQ(w.lblPin->isVisible(), c.pin);
    EXPECT_TRUE(w.UCQuestBtn->isVisible());
    EXPECT_EQ(w.focusWidget()->objectName().isEmpty() ? w.focusWidget()->accessibleName()
                                                      : w.focusWidget()->objectName(),
              QString::fromLatin1(c.focus));
    EXPECT_EQ(w.txtpass->echoMode(), QLineEdit::Password);
    EXPECT_EQ(w.txtPin->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(w.txtUser->maxLength(), 30);
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
    f.type(w.txtUser, QString::fromUtf8(c.user));
    f.type(w.txtpass, QString::fromUtf8(c.pass));
    f.type(w.txtPin, QString::fromUtf8(c.pin));
    QTest::mousePress(w.UCLoginBtn, Qt::LeftButton);
    EXPECT_EQ(f.session.LoginOK, c.ok);
    if (c.ok) {
        EXPECT_TRUE(w.fraLogin->isHidden());
        EXPECT_TRUE(w.fraTV->isVisible());
        EXPECT_TRUE(w.cmdAlpha->isVisible());
        EXPECT_TRUE(w.imgLock->isEnabled());
        EXPECT_TRUE(w.UCNewBtn->isVisible());
        EXPECT_FALSE(w.UCLoginBtn->isVisible());
        EXPECT_EQ(
            w.lblLoggedIn->text(),
            QStringLiteral("You are logged into %1 profile!").arg(QString::fromLatin1(c.profile)));
        EXPECT_TRUE(w.txtpass->text().isEmpty());
        EXPECT_GT(w.TV1->model()->rowCount(), 0);
    } else {
        EXPECT_EQ(f.messages.texts(), QStringList{Incorrect});
        EXPECT_FALSE(w.fraLogin->isHidden());
        EXPECT_EQ(w.txtpass->text(), QString::fromUtf8(c.pass)) << "nothing is cleared";
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

TEST(Login, EnterInACredentialBoxLogsInButNotInAnAnswerBox) {
    VaultFixture f({QStringLiteral("Home")});
    VaultWindow& w = f.start();
    QTest::mousePress(w.UCQuestBtn, Qt::LeftButton);
    f.type(w.txtAns[0], QStringLiteral("QUILT"));
    QTest::keyClick(w.txtAns[0], Qt::Key_Return);
    EXPECT_FALSE(f.session.LoginOK);
    EXPECT_TRUE(f.messages.shown.isEmpty());

    VaultFixture g({QStringLiteral("Work")});
    VaultWindow& v = g.start();
    g.type(v.txtUser, QStringLiteral("alice"));
    g.type(v.txtpass, QStringLiteral("S3cret pass"));
    g.type(v.txtPin, QStringLiteral("4711"));
    QTest::keyClick(v.txtPin, Qt::Key_Return);
    EXPECT_TRUE(g.session.LoginOK);
    EXPECT_TRUE(v.fraLogin->isHidden());
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
    VaultWindow& w = f.start();
    QTest::mousePress(w.UCQuestBtn, Qt::LeftButton);
    for (int k = 0; k < c.answers.size(); ++k)
        f.type(w.txtAns[k], c.answers[k]);
    QTest::mousePress(w.UCLoginBtn, Qt::LeftButton);
    EXPECT_EQ(f.session.LoginOK, c.ok);
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

TEST(SecretQuestions, CaptionsShowTheQuestions) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.start();
    EXPECT_FALSE(w.lblQ1[0]->isVisible());
    QTest::mousePress(w.UCQuestBtn, Qt::LeftButton);
    EXPECT_EQ(w.lblQ1[1]->text(), QStringLiteral("Mother's maiden name? ?"));
    EXPECT_TRUE(w.txtAns[2]->isVisible());
    EXPECT_EQ(w.focusWidget(), w.txtAns[0]);
}

TEST(Login, UnreadableProfileCanNotBeLoggedInto) {
    VaultFixture f({});
    writeFile(f.dbPath(QStringLiteral("Broken.dat")), "not a profile\r\n");
    VaultWindow& w = f.start();
    EXPECT_EQ(f.messages.texts().last(), QStringLiteral("Problem with Profile!"));
    EXPECT_EQ(f.messages.shown.last().icon, MsgIcon::Critical);
    f.messages.shown.clear();
    f.type(w.txtpass, QString());
    QTest::mousePress(w.UCLoginBtn, Qt::LeftButton);
    EXPECT_EQ(f.messages.texts(), QStringList{Incorrect});
    EXPECT_FALSE(f.session.LoginOK);
}

TEST(Login, AutoLockTimerStartsOnlyWithATime) {
    for (const auto& [timer, runs] :
         {std::pair{QStringLiteral("0"), false}, std::pair{QStringLiteral("abc"), false},
          std::pair{QStringLiteral("5"), true}}) {
        VaultFixture f({QStringLiteral("Home")}, timer);
        VaultWindow& w = f.start();
        f.type(w.txtpass, QStringLiteral("QUILT"));
        QTest::mousePress(w.UCLoginBtn, Qt::LeftButton);
        EXPECT_EQ(w.tmrLock->isActive(), runs) << timer.toStdString();
    }
}

} // namespace

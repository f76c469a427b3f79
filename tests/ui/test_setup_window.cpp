#include "vault_fixture.h"
#include "store/record_import.h"

#include <QPrinterInfo>

#include "ui/setup/security_checks.h"
#include "ui/setup/profiles_page.h"
#include "ui/setup/setup_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QSlider>
#include <QToolBar>
#include <QToolButton>

using namespace tavrino;
using namespace tavrino::test;

namespace {

QLineEdit* question(const SetupWindow* setup, int row) {
    return named<QLineEdit>(setup, QStringLiteral("Question %1").arg(row + 1));
}
QLineEdit* answerBox(const SetupWindow* setup, int row) {
    return named<QLineEdit>(setup, QStringLiteral("Answer %1").arg(row + 1));
}

const QString Unsaved = QStringLiteral("You have unsaved changes, please CANCEL or SAVE");

// A setup window over the open profile (logged in), as SETUP opens it.
struct SetupFixture : VaultFixture {
    SetupWindow* setup = nullptr;
    qsizetype rereadCategories = -1;
    explicit SetupFixture(const QString& profile, const QString& timer = QStringLiteral("0"))
        : VaultFixture({profile}, timer) {
        start(profile);
        // Setup is reached after a login, which decrypts the records.
        QFile json(QStringLiteral(TAVRINO_FIXTURES "/%1.json").arg(profile));
        json.open(QIODevice::ReadOnly);
        const QJsonObject login = QJsonDocument::fromJson(json.readAll()).object();
        EXPECT_TRUE(store.logIn(login[QStringLiteral("user_id")].toString(),
                                login[QStringLiteral("password")].toString(),
                                login[QStringLiteral("pin")].toString()));
        setup = window->setupWindow();
        setup->show();
    }
    void click(const char* key) { setup->trigger(QString::fromLatin1(key)); }
    bool enabled(const char* key) const {
        return setup->action(QString::fromLatin1(key))->isEnabled();
    }
    SecuritySettings reread() {
        Profile p;
        ErrorLog l;
        TextCipher c;
        ProfileStore s(p, l, c, clock);
        s.setDatabaseFolder(dir.filePath(QStringLiteral("db")));
        p.ProfileFileName = profile.ProfileFileName;
        s.read(true, true);
        rereadCategories = p.Categories.count();
        return p.Security;
    }
};

TEST(Setup, OpensOnTheSecurityPageWithTheStoredValues) {
    SetupFixture f(QStringLiteral("Big"));
    SetupWindow& s = *f.setup;
    EXPECT_EQ(s.windowTitle(), QStringLiteral("Setup"));
    EXPECT_TRUE(named<QFrame>(&s, QStringLiteral("Security Options"))->isVisible());
    EXPECT_FALSE(named<QFrame>(&s, QStringLiteral("Category"))->isVisible());
    for (const char* key : {"Add", "Delete", "Save", "Cancel"})
        EXPECT_FALSE(f.enabled(key)) << key;
    EXPECT_TRUE(f.enabled("Close"));
    EXPECT_TRUE(named<QRadioButton>(&s, QStringLiteral("User ID and Password"))->isChecked());
    EXPECT_EQ(named<QLineEdit>(&s, QStringLiteral("User ID"))->text(), QStringLiteral("bulk"));
    EXPECT_EQ(named<QLineEdit>(&s, QStringLiteral("PIN Number"))->text(), QStringLiteral("0000"));
    EXPECT_EQ(named<QLineEdit>(&s, QStringLiteral("Password"))->text(), QStringLiteral("**********"));
    EXPECT_EQ(named<QLineEdit>(&s, QStringLiteral("Confirm Password"))->text(), QStringLiteral("**********"));
    EXPECT_EQ(question(&s, 2)->text(), QStringLiteral("Q three"));
    EXPECT_TRUE(named<QRadioButton>(&s, QStringLiteral("All Answers"))->isChecked());
    EXPECT_FALSE(s.isDirty());
    QStringList captions;
    for (QAction* a : only<QToolBar>(&s)->actions())
        if (!a->isSeparator()) captions << a->text();
    EXPECT_EQ(captions,
              QStringList({QStringLiteral("New"), QStringLiteral("Delete"), QStringLiteral("Save"),
                           QStringLiteral("Cancel"), QStringLiteral("Options"),
                           QStringLiteral("Category"), QStringLiteral("About"),
                           QStringLiteral("Profile"), QStringLiteral("Exit")}));
    EXPECT_EQ(s.action(QStringLiteral("Close"))->toolTip(), QStringLiteral("Close Setup Function"));
}

// The toolbar by keyboard alone, and one size whichever page shows.
TEST(Setup, ToolbarByKeyboardAndOneSizeForEveryPage) {
    SetupFixture f(QStringLiteral("Work"));
    SetupWindow& s = *f.setup;
    s.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&s));
    const QSize size = s.size();
    EXPECT_EQ(size, size.expandedTo(s.minimumSizeHint())) << "nothing squeezed";
    for (const char* key : {"Category", "Security", "Profile", "Security", "About", "Security"}) {
        f.click(key);
        QCoreApplication::processEvents();
        EXPECT_EQ(s.size(), size) << key;
    }

    QSet<QString> reached;
    for (int i = 0; i < 60; ++i) {
        reached.insert(QApplication::focusWidget()->accessibleName());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    for (const char* caption : {"Options", "Category", "About", "Profile", "Exit"})
        EXPECT_TRUE(reached.contains(QString::fromLatin1(caption))) << caption;

    auto* toolbar = only<QToolBar>(&s);
    auto* exit = toolbar->widgetForAction(s.action(QStringLiteral("Close")));
    EXPECT_EQ(static_cast<QToolButton*>(exit)->text(), QStringLiteral("E&xit")) << "Alt+X";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_T, Qt::AltModifier);
    auto pageShows = [&](const char* page) {
        return QTest::qWaitFor(
            [&] { return named<QFrame>(&s, QString::fromLatin1(page))->isVisible(); }, 1000);
    };
    EXPECT_TRUE(pageShows("Category")) << "Ca&tegory";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::AltModifier);
    EXPECT_TRUE(pageShows("User Profile")) << "P&rofile";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(pageShows("Security Options")) << "&Options";
    // No two controls share an Alt key: a shared one only moves the focus.
    QMap<QChar, QStringList> keys;
    for (QAbstractButton* b : s.findChildren<QAbstractButton*>()) {
        const qsizetype amp = b->text().indexOf(QLatin1Char('&'));
        if (amp >= 0 && amp + 1 < b->text().size()) keys[b->text()[amp + 1].toLower()] << b->text();
    }
    for (auto it = keys.cbegin(); it != keys.cend(); ++it)
        EXPECT_EQ(it.value().size(), 1) << it.value().join(QLatin1Char(' ')).toStdString();

    QLineEdit* userId = named<QLineEdit>(&s, QStringLiteral("User ID"));
    userId->setFocus();
    f.type(userId, QStringLiteral("alice2"));
    QTest::keyClick(userId, Qt::Key_Escape);
    EXPECT_EQ(userId->text(), QStringLiteral("alice")) << "Escape first cancels";
    EXPECT_TRUE(s.isVisible());
    f.type(userId, QStringLiteral("alice3"));
    QTest::keyClick(userId, Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(s.isDirty()) << "Ctrl+S saved";
    EXPECT_EQ(f.reread().UserId, QStringLiteral("alice3"));
    QTest::keyClick(userId, Qt::Key_Escape);
    EXPECT_FALSE(s.isVisible()) << "then closes";
}

// The open profile sealed and unsealed from the profiles page, each after
// a warning and the login asked again; a new profile created sealed.
TEST(Setup, SealAndUnsealTheOpenProfileAfterItsLogin) {
    SetupFixture f(QStringLiteral("Home"));
    SetupWindow& s = *f.setup;
    f.click("Profile");
    auto* page = s.findChild<ProfilesPage*>();
    ASSERT_NE(page, nullptr);
    QString typedPassword = QStringLiteral("wrong");
    int asked = 0;
    page->askLogin = [&](int mode, const QString&) {
        ++asked;
        EXPECT_EQ(mode, 1);
        return std::optional<TypedLogin>(TypedLogin{{}, typedPassword, {}});
    };
    auto* seal = named<QPushButton>(&s, QStringLiteral("Seal this profile"));
    auto* unseal = named<QPushButton>(&s, QStringLiteral("Unseal"));
    EXPECT_TRUE(seal->isVisible());
    EXPECT_FALSE(unseal->isVisible());
    const QByteArray original = readFile(f.dbPath(QStringLiteral("Home.dat")));

    f.messages.answers = {MsgAnswer::No};
    seal->click();
    EXPECT_EQ(asked, 0) << "the warning declined: nothing asked";
    EXPECT_TRUE(f.messages.texts().first().contains(QStringLiteral("Windows version")));
    f.messages.answers = {MsgAnswer::Yes};
    seal->click();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(readFile(f.dbPath(QStringLiteral("Home.dat"))), original) << "a wrong login changes nothing";

    typedPassword = QStringLiteral(" QUILT ");
    f.messages.answers = {MsgAnswer::Yes};
    f.messages.shown.clear();
    seal->click();
    EXPECT_FALSE(QFile::exists(f.dbPath(QStringLiteral("Home.dat"))));
    EXPECT_TRUE(readFile(f.dbPath(QStringLiteral("Home.sealed"))).startsWith("TAVRINO-SEALED 1\n"));
    EXPECT_EQ(f.profile.ProfileFileName, QStringLiteral("Home.sealed"));
    EXPECT_TRUE(unseal->isVisible());
    EXPECT_FALSE(seal->isVisible());

    f.messages.answers = {MsgAnswer::Yes};
    unseal->click();
    EXPECT_TRUE(QFile::exists(f.dbPath(QStringLiteral("Home.dat"))));
    EXPECT_FALSE(QFile::exists(f.dbPath(QStringLiteral("Home.sealed"))));
    Profile back;
    ErrorLog log{&f.clock};
    TextCipher cipher{&log, &f.messages};
    ProfileStore reader(back, log, cipher, f.clock);
    reader.setDatabaseFolder(f.dir.filePath(QStringLiteral("db")));
    back.ProfileFileName = QStringLiteral("Home.dat");
    reader.read(true, true);
    ASSERT_TRUE(back.ProfileLoaded);
    EXPECT_EQ(back.Security.Password, QStringLiteral("QUILT"));

    named<QPushButton>(&s, QStringLiteral("Create sealed profile"))->click();
    f.type(named<QLineEdit>(&s, QStringLiteral("New Profile Name")), QStringLiteral("Safe"));
    f.messages.answers = {MsgAnswer::Yes};
    f.click("Save");
    EXPECT_TRUE(QFile::exists(f.dbPath(QStringLiteral("Safe.sealed"))));
    EXPECT_FALSE(QFile::exists(f.dbPath(QStringLiteral("Safe.dat"))));
}

TEST(Setup, PagesSwitchFreelyUntilTheSecurityPageChanges) {
    SetupFixture f(QStringLiteral("Work"));
    SetupWindow& s = *f.setup;
    for (const char* key : {"Security", "Category", "Profile", "About"})
        f.click(key);
    EXPECT_TRUE(named<QFrame>(&s, QStringLiteral("About"))->isVisible());
    EXPECT_EQ(s.findChild<QLabel*>(QStringLiteral("version"))->text(), QStringLiteral("Version 3.0"));
    EXPECT_TRUE(f.messages.shown.isEmpty());

    f.click("Security");
    f.type(named<QLineEdit>(&s, QStringLiteral("User ID")), QStringLiteral("alicex"));
    EXPECT_TRUE(s.isDirty());
    EXPECT_TRUE(f.enabled("Save"));
    f.click("Category");
    EXPECT_EQ(f.messages.texts(), QStringList{Unsaved});
    EXPECT_EQ(f.messages.shown[0].icon, MsgIcon::Warning);
    EXPECT_TRUE(named<QFrame>(&s, QStringLiteral("Security Options"))->isVisible());
    f.click("Close");
    EXPECT_TRUE(s.isVisible()) << "Exit is refused too";

    f.click("Cancel");
    EXPECT_EQ(named<QLineEdit>(&s, QStringLiteral("User ID"))->text(), QStringLiteral("alice"));
    EXPECT_FALSE(s.isDirty());
    f.click("Category");
    EXPECT_TRUE(named<QFrame>(&s, QStringLiteral("Category"))->isVisible());
    f.click("Close");
    EXPECT_FALSE(s.isVisible());
}

TEST(Setup, AddingACategoryDoesNotBlockPageSwitches) {
    SetupFixture f(QStringLiteral("Work"));
    SetupWindow& s = *f.setup;
    f.click("Category");
    f.click("Add");
    f.type(named<QLineEdit>(&s, QStringLiteral("New Category")), QStringLiteral("Half typed"));
    f.click("Profile");
    EXPECT_TRUE(f.messages.shown.isEmpty());
    EXPECT_TRUE(named<QFrame>(&s, QStringLiteral("User Profile"))->isVisible());
    f.click("Category");
    EXPECT_TRUE(named<QLineEdit>(&s, QStringLiteral("New Category"))->isVisible());
    EXPECT_EQ(named<QLineEdit>(&s, QStringLiteral("New Category"))->text(), QStringLiteral("Half typed"));
}

struct CheckCase {
    const char* what;
    SecurityForm form;
    const char* message;
};

class SecurityChecks : public ::testing::TestWithParam<CheckCase> {};

TEST_P(SecurityChecks, ReportInTheirOrder) {
    EXPECT_EQ(securityCheckMessage(GetParam().form), QString::fromLatin1(GetParam().message));
}

SecurityForm form(int mode, const char* password, const char* confirm, const char* user,
                  const char* pin, QStringList questions, QStringList answers, int required) {
    return {mode,
            QString::fromLatin1(password),
            QString::fromLatin1(confirm),
            QString::fromLatin1(user),
            QString::fromLatin1(pin),
            questions,
            answers,
            required};
}

const QStringList OneQ{QStringLiteral("Q"), QString(), QString()};
const QStringList OneA{QStringLiteral("A"), QString(), QString()};

INSTANTIATE_TEST_SUITE_P(
    Table, SecurityChecks,
    ::testing::Values(
        CheckCase{"both_passwords_empty", form(1, "", "", "", "", OneQ, OneA, 1),
                  " Specify correct password!"},
        CheckCase{"user_id_missing", form(2, "pw", "pw", " ", "", OneQ, OneA, 1),
                  " Specify correct UserID!"},
        CheckCase{"pin_missing", form(3, "pw", "pw", "me", "", OneQ, OneA, 1),
                  " Specify correct PIN Number!"},
        CheckCase{"only_the_last_credential_check_speaks",
                  form(3, "pw", "px", "", "", OneQ, OneA, 1), "  Password does not match!"},
        CheckCase{"password_typed_once_against_the_mask",
                  form(1, "new", "**********", "", "", OneQ, OneA, 1),
                  "  Password does not match!"},
        CheckCase{"mask_in_both", form(1, "**********", "**********", "", "", OneQ, OneA, 1), ""},
        CheckCase{"question_without_answer",
                  form(1, "p", "p", "", "", OneQ, {QString(), QString(), QString()}, 1),
                  "Question or Answer cannot be blank!"},
        CheckCase{"answer_without_question",
                  form(1, "p", "p", "", "", {QString(), QString(), QString()}, OneA, 1),
                  "Question or Answer cannot be blank!"},
        CheckCase{"no_question",
                  form(1, "p", "p", "", "", {QString(), QString(), QString()},
                       {QString(), QString(), QString()}, 3),
                  "There must be at least 1 question and answer!"},
        CheckCase{"two_required_one_given", form(1, "p", "p", "", "", OneQ, OneA, 2),
                  "There must be at least 2 questions and answers!"},
        CheckCase{"all_required_one_given", form(1, "p", "p", "", "", OneQ, OneA, 3),
                  "All Answers needs all 3 questions and answers!"},
        CheckCase{"all_required_all_given",
                  form(1, "p", "p", "", "",
                       {QStringLiteral("Q1"), QStringLiteral("Q2"), QStringLiteral("Q3")},
                       {QStringLiteral("A1"), QStringLiteral("A2"), QStringLiteral("A3")}, 3),
                  ""}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(Setup, SaveKeepsTheMaskedPasswordAndCompactsQuestions) {
    SetupFixture f(QStringLiteral("Work"));
    SetupWindow& s = *f.setup;
    f.type(named<QLineEdit>(&s, QStringLiteral("User ID")), QStringLiteral("alice2"));
    question(&s, 1)->clear();
    answerBox(&s, 1)->clear();
    f.click("Save");
    EXPECT_TRUE(f.messages.shown.isEmpty())
        << f.messages.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(s.isDirty());
    EXPECT_FALSE(f.enabled("Save"));
    const SecuritySettings stored = f.reread();
    EXPECT_EQ(stored.UserId, QStringLiteral("alice2"));
    EXPECT_EQ(stored.Password, QStringLiteral("S3cret pass")) << "the mask keeps the password";
    ASSERT_EQ(stored.Questions.count(), 2);
    EXPECT_EQ(stored.Questions.item(2), QStringLiteral("5|Favourite city?|Zürich"));

    f.click("Cancel"); // shows the stored settings again
    EXPECT_EQ(question(&s, 1)->text(), QStringLiteral("Favourite city?"))
        << "rows 0 and 2 come back in 0 and 1";
    EXPECT_TRUE(question(&s, 2)->text().isEmpty());
}

// A password of one's own needs a question of one's own: the default one's
// answer is known to everybody.
TEST(Setup, NewPasswordTypedTwiceIsStoredWithAQuestionOfOnesOwn) {
    SetupFixture f(QStringLiteral("Home"));
    SetupWindow& s = *f.setup;
    f.type(named<QLineEdit>(&s, QStringLiteral("Password")), QStringLiteral("n3w pass"));
    f.type(named<QLineEdit>(&s, QStringLiteral("Confirm Password")), QStringLiteral(" n3w pass "));
    named<QRadioButton>(&s, QStringLiteral("User ID and Password"))->click();
    f.click("Save");
    EXPECT_EQ(f.messages.texts(),
              QStringList{QStringLiteral(
                  "The secret question is still the default one, and everybody knows its "
                  "answer: with it anybody could open this profile by LOST.\r\nPlease enter a "
                  "question and an answer of your own.")});
    EXPECT_EQ(f.reread().Password, QStringLiteral("QUILT")) << "nothing saved";

    f.messages.shown.clear();
    f.type(question(&s, 0), QStringLiteral("First pet"));
    f.type(answerBox(&s, 0), QStringLiteral("Rex"));
    f.click("Save");
    EXPECT_TRUE(f.messages.shown.isEmpty());
    const SecuritySettings stored = f.reread();
    EXPECT_EQ(stored.Password, QStringLiteral("n3w pass"));
    EXPECT_EQ(stored.LoginMode, 2);
}

TEST(Setup, AutoLockSettingFollowsTheCheckBoxAndSlider) {
    SetupFixture f(QStringLiteral("Home"));
    SetupWindow& s = *f.setup;
    EXPECT_FALSE(only<QCheckBox>(&s)->isChecked());
    EXPECT_FALSE(named<QSlider>(&s, QStringLiteral("Auto lock minutes"))->isVisible());
    EXPECT_EQ(only<QCheckBox>(&s)->text(), QStringLiteral("Auto lock after time expires"));
    only<QCheckBox>(&s)->click();
    EXPECT_TRUE(named<QSlider>(&s, QStringLiteral("Auto lock minutes"))->isVisible());
    EXPECT_FALSE(f.window->lockController().isRunning()) << "no auto-lock while setup is open";
    named<QSlider>(&s, QStringLiteral("Auto lock minutes"))->setValue(20);
    emit named<QSlider>(&s, QStringLiteral("Auto lock minutes"))->sliderReleased();
    EXPECT_EQ(only<QCheckBox>(&s)->text(), QStringLiteral("Auto lock after 20 minutes"));
    f.click("Save");
    QString timer;
    f.settings.ReadSetting(QStringLiteral("Timer"), timer);
    EXPECT_EQ(timer, QStringLiteral("20"));
    EXPECT_EQ(f.session.autoLockMinutes, 20);

    only<QCheckBox>(&s)->click();
    f.click("Save");
    f.settings.ReadSetting(QStringLiteral("Timer"), timer);
    EXPECT_EQ(timer, QStringLiteral("0"));
    EXPECT_EQ(f.session.autoLockMinutes, -1);
}

TEST(Setup, StoredTimeOutsideTheSliderComesInAtTheNearestEnd) {
    SetupFixture f(QStringLiteral("Home"), QStringLiteral("90"));
    EXPECT_TRUE(only<QCheckBox>(f.setup)->isChecked());
    EXPECT_EQ(named<QSlider>(f.setup, QStringLiteral("Auto lock minutes"))->value(), 60);
    EXPECT_EQ(f.session.autoLockMinutes, 60);
    EXPECT_EQ(only<QCheckBox>(f.setup)->text(), QStringLiteral("Auto lock after 60 minutes"));
}

// Setup holds the idle timer while open; closing it runs the timer again
// only where auto-lock is on as saved then (switched off: never a lock).
TEST(Setup, LockTimerIsHeldWhileOpenAndFollowsTheSavedSettingAfter) {
    for (const bool switchOff : {false, true}) {
        VaultFixture f({QStringLiteral("Work")}, QStringLiteral("5"));
        VaultWindow& w = f.loginWork();
        ASSERT_TRUE(w.lockController().isRunning());
        SetupWindow& setup = *w.setupWindow();
        setup.show();
        EXPECT_FALSE(w.lockController().isRunning());
        if (switchOff) {
            only<QCheckBox>(&setup)->click();
            setup.trigger(QStringLiteral("Save"));
        }
        setup.trigger(QStringLiteral("Close"));
        EXPECT_EQ(w.lockController().isRunning(), !switchOff);
        f.clock.time = f.clock.time.addDays(1);
        w.lockController().checkIdle();
        EXPECT_EQ(f.session.loginOk, switchOff) << "a day idle; auto-lock off: " << switchOff;
    }
}

struct CategoryCase {
    const char* typed;
    const char* message;
    const char* stored;
};

class AddCategory : public ::testing::TestWithParam<CategoryCase> {};

TEST_P(AddCategory, RefusesBlankDuplicateAndSeparator) {
    const CategoryCase& c = GetParam();
    SetupFixture f(QStringLiteral("Work"));
    SetupWindow& s = *f.setup;
    f.click("Category");
    f.click("Add");
    named<QLineEdit>(&s, QStringLiteral("New Category"))->setText(QString::fromUtf8(c.typed));
    const QByteArray before = readFile(f.dbPath(QStringLiteral("Work.dat")));
    f.click("Save");
    EXPECT_EQ(f.messages.texts(),
              c.message[0] ? QStringList{QString::fromLatin1(c.message)} : QStringList{});
    EXPECT_FALSE(named<QLineEdit>(&s, QStringLiteral("New Category"))->isVisible()) << "the page returns to its list";
    EXPECT_EQ(named<QListWidget>(&s, QStringLiteral("Categories"))->currentRow(), -1);
    if (c.stored[0]) {
        EXPECT_EQ(f.profile.Categories.item(4),
                  QStringLiteral("3|") + QString::fromLatin1(c.stored));
        EXPECT_EQ(named<QListWidget>(&s, QStringLiteral("Categories"))->count(), 4);
        f.reread();
        EXPECT_EQ(f.rereadCategories, 4);
    } else {
        EXPECT_EQ(named<QListWidget>(&s, QStringLiteral("Categories"))->count(), 3);
        EXPECT_EQ(readFile(f.dbPath(QStringLiteral("Work.dat"))), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddCategory,
    ::testing::Values(CategoryCase{"  Travel  ", "", "Travel"},
                      CategoryCase{"   ", "You have not specified a Category!", ""},
                      CategoryCase{"Bank", "This Category already exists!", ""},
                      CategoryCase{"bANK", "This Category already exists!", ""},
                      CategoryCase{"A|B", "A Category can not contain the character \"|\"!", ""}));

TEST(Setup, DeletingCategories) {
    SetupFixture f(QStringLiteral("Work"));
    SetupWindow& s = *f.setup;
    f.click("Category");
    const QByteArray before = readFile(f.dbPath(QStringLiteral("Work.dat")));
    f.messages.answers = {MsgAnswer::Yes};
    f.click("Delete");
    EXPECT_EQ(f.messages.shown[0].text,
              QStringLiteral("Are you sure you wish to delete this entry?"));
    EXPECT_EQ(f.messages.shown[0].title, QStringLiteral("Delete entry"));
    EXPECT_EQ(f.messages.shown[0].defaultButton, 2);
    EXPECT_EQ(readFile(f.dbPath(QStringLiteral("Work.dat"))), before)
        << "nothing selected: nothing written";

    named<QListWidget>(&s, QStringLiteral("Categories"))->setCurrentRow(1); // Web
    f.messages.answers = {MsgAnswer::Yes};
    f.click("Delete");
    EXPECT_EQ(f.profile.Categories.lines(),
              QStringList({QStringLiteral("3|Bank"), QStringLiteral("3|Mail")}));
    EXPECT_EQ(named<QListWidget>(&s, QStringLiteral("Categories"))->count(), 2);
    EXPECT_EQ(f.profile.Records.count(), 12) << "records keep their category text";
    EXPECT_NE(readFile(f.dbPath(QStringLiteral("Work.dat"))), before);
}

TEST(Setup, ProfilesAreCreatedAndDeleted) {
    SetupFixture f(QStringLiteral("Work"));
    SetupWindow& s = *f.setup;
    f.click("Profile");
    EXPECT_EQ(named<QComboBox>(&s, QStringLiteral("Profiles"))->count(), 1);
    f.click("Add");
    EXPECT_TRUE(named<QLineEdit>(&s, QStringLiteral("New Profile Name"))->isVisible());
    f.type(named<QLineEdit>(&s, QStringLiteral("New Profile Name")), QStringLiteral("Travel"));
    f.click("Save");
    EXPECT_EQ(named<QComboBox>(&s, QStringLiteral("Profiles"))->count(), 2);
    EXPECT_FALSE(named<QLineEdit>(&s, QStringLiteral("New Profile Name"))->isVisible());
    EXPECT_TRUE(QFile::exists(f.dbPath(QStringLiteral("Travel.dat"))));
    EXPECT_EQ(f.profile.ProfileFileName, QStringLiteral("Work.dat")) << "the open profile stays";

    f.click("Add");
    f.type(named<QLineEdit>(&s, QStringLiteral("New Profile Name")), QStringLiteral("Travel"));
    f.click("Save");
    EXPECT_EQ(f.messages.texts().last(),
              QStringLiteral("This profile already exists. Please choose another name!"));

    named<QComboBox>(&s, QStringLiteral("Profiles"))->setCurrentText(QStringLiteral("Work"));
    f.messages.answers = {MsgAnswer::Yes};
    f.click("Delete");
    EXPECT_EQ(f.messages.texts().last(),
              QStringLiteral("You can not delete your currently opened Profile!"));
    named<QComboBox>(&s, QStringLiteral("Profiles"))->setCurrentText(QStringLiteral("Travel"));
    f.messages.answers = {MsgAnswer::Yes};
    f.click("Delete");
    EXPECT_FALSE(QFile::exists(f.dbPath(QStringLiteral("Travel.dat"))));
    EXPECT_EQ(named<QComboBox>(&s, QStringLiteral("Profiles"))->count(), 1);
}

// Every script users type comes back from the printed page; a character no
// font can draw prints as its code, and the user is told first.
TEST(Setup, PrintListKeepsEveryScriptAndMarksWhatNoFontDraws) {
    SetupFixture f(QStringLiteral("Home"));
    const QStringList texts{QStringLiteral("Ελληνικά"), QStringLiteral("Кириллица"),
                            QStringLiteral("東京"),     QStringLiteral("한국어"),
                            QStringLiteral("カタカナ"), QStringLiteral("Ærø Straße")};
    int n = 0;
    for (const QString& t : texts) {
        PasswordRecord r;
        r[PasswordRecord::Description] = t;
        r[PasswordRecord::UserCode] = QStringLiteral("user%1").arg(++n);
        r[PasswordRecord::Password] = t;
        f.profile.Records.add(r.toLine());
    }
    PasswordRecord odd;
    odd[PasswordRecord::Description] = QStringLiteral("Odd");
    odd[PasswordRecord::Password] = QStringLiteral("a") + QChar(0x0378) + QStringLiteral("b");
    f.profile.Records.add(odd.toLine());
    const QString pdf = f.dir.filePath(QStringLiteral("scripts.pdf"));
    f.setup->preparePrinter = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    };
    f.setup->printPasswordList();
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_TRUE(f.messages.texts().first().endsWith(QStringLiteral(": <U+0378>")))
        << f.messages.texts().first().toStdString();
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString out = QString::fromUtf8(text.readAllStandardOutput());
    for (const QString& t : texts)
        EXPECT_EQ(out.count(t), 2) << t.toStdString() << "\n" << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("a<U+0378>b"))) << out.toStdString();
}

TEST(Setup, PrintListToPdfHasEveryRecordInOrder) {
    SetupFixture f(QStringLiteral("Work"));
    const QString pdf = f.dir.filePath(QStringLiteral("list.pdf"));
    f.setup->preparePrinter = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    };
    QTest::mouseClick(named<QPushButton>(f.setup, QStringLiteral("Print List")), Qt::LeftButton);
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_TRUE(f.messages.shown.isEmpty()) << "a printout that worked says nothing";
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString out = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(out.contains(QStringLiteral("Tavrino User Passwords as at "))) << out.toStdString();
    for (const char* heading : {"Category", "Description", "User Code", "Password", "Notes",
                                "Expiry Date", "Web Site", "Email"})
        EXPECT_TRUE(out.contains(QString::fromLatin1(heading))) << heading;
    EXPECT_TRUE(out.contains(QStringLiteral("Page 1")));
    // The blank description sorts last: its key starts with "|".
    const QStringList order{QStringLiteral("9 Lives Forum"), QStringLiteral("Café Crème"),
                            QStringLiteral("Credit card"),   QStringLiteral("Mailbox"),
                            QStringLiteral("Main checking"), QStringLiteral("No category entry"),
                            QStringLiteral("Old mail"),      QStringLiteral("Savings"),
                            QStringLiteral("Shop"),          QStringLiteral("Tokyo office"),
                            QStringLiteral("Webmail"),       QStringLiteral("bob")};
    qsizetype at = 0;
    for (const QString& item : order) {
        const qsizetype found = out.indexOf(item, at);
        EXPECT_GE(found, at) << item.toStdString();
        if (found >= 0) at = found;
    }
    EXPECT_TRUE(out.contains(QStringLiteral("Pässwörd€"))) << "passwords in clear";
    if (::testing::Test::HasFailure()) std::cerr << out.toStdString();
    EXPECT_EQ(f.session.pageNumber, 1);
}

} // namespace

namespace {

// The program's own print path on the default printer: a CUPS queue that
// writes each job to TAVRINO_PRINT_CAPTURE (tools/setup-test-printer.sh).
TEST(Setup, PrintListReachesTheDefaultPrinter) {
    const QString captureDir = qEnvironmentVariable("TAVRINO_PRINT_CAPTURE");
    if (captureDir.isEmpty()) GTEST_SKIP() << "no test printer (TAVRINO_PRINT_CAPTURE unset)";
    SetupFixture f(QStringLiteral("Work"));
    const QStringList before = QDir(captureDir).entryList(QDir::Files);
    QTest::mouseClick(named<QPushButton>(f.setup, QStringLiteral("Print List")), Qt::LeftButton);
    QString job;
    for (int i = 0; i < 300 && job.isEmpty(); ++i) {
        for (const QString& name : QDir(captureDir).entryList(QDir::Files))
            if (!before.contains(name)) job = QDir(captureDir).filePath(name);
        if (job.isEmpty()) QTest::qWait(100);
    }
    ASSERT_FALSE(job.isEmpty()) << "no job reached the printer";
    QTest::qWait(300); // let the backend finish writing
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), job, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString out = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(out.contains(QStringLiteral("Tavrino User Passwords as at "))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Main checking")));
    EXPECT_TRUE(out.contains(QStringLiteral("Page 1")));
}

} // namespace

namespace {

// With no printer the user is told, not left wondering.
TEST(Setup, PrintListWithoutAPrinterSaysSo) {
    if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "a default printer is set up";
    SetupFixture f(QStringLiteral("Work"));
    f.setup->printPasswordList();
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_EQ(f.messages.shown[0].text, QStringLiteral("No printer is set up."));
    EXPECT_EQ(f.messages.shown[0].title, QStringLiteral("Print List"));
}

} // namespace

namespace {

// The profiles page chooses the database folder: the setting follows, and
// the vault leaves the open profile of the old one.
TEST(Setup, ChoosesAnotherDatabaseFolder) {
    SetupFixture f(QStringLiteral("Home"));
    SetupWindow& s = *f.setup;
    f.click("Profile");
    auto* page = s.findChild<ProfilesPage*>();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(named<QLabel>(&s, QStringLiteral("Database folder"))->text(),
              QStringLiteral("Database folder: ") + f.dir.filePath(QStringLiteral("db")));
    QTemporaryDir team;
    QString offered;
    page->chooseFolder = [&](const QString& current) {
        offered = current;
        return team.path();
    };
    named<QPushButton>(&s, QStringLiteral("Change database folder"))->click();
    EXPECT_EQ(offered, f.dir.filePath(QStringLiteral("db")));
    EXPECT_EQ(f.settings.GetDatabaseFolder(), team.path());
    EXPECT_EQ(f.messages.texts(),
              QStringList{QStringLiteral("The database folder is now %1.\r\nTavrino locks, so "
                                         "that you can open a profile there.")
                              .arg(team.path())});
    EXPECT_TRUE(s.folderChanged);
    EXPECT_FALSE(s.isVisible());

    // A folder that is not there changes nothing.
    SetupFixture g(QStringLiteral("Home"));
    g.click("Profile");
    g.setup->findChild<ProfilesPage*>()->chooseFolder = [](const QString&) {
        return QStringLiteral("/nonexistent/folder");
    };
    named<QPushButton>(g.setup, QStringLiteral("Change database folder"))->click();
    EXPECT_FALSE(g.setup->folderChanged);
    EXPECT_EQ(g.settings.GetDatabaseFolder(), g.dir.filePath(QStringLiteral("db")));
}

// Import... reads another manager's export into the open profile, saves it
// at once and reports each row; the list shows the new records when setup
// closes. Export... writes what import reads back, for the user alone.
TEST(Setup, ImportsAndExportsRecords) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    SetupWindow& s = *w.setupWindow();
    s.show();
    s.trigger(QStringLiteral("Profile"));
    auto* page = s.findChild<ProfilesPage*>();
    ASSERT_NE(page, nullptr);
    const QString csv = f.dir.filePath(QStringLiteral("bitwarden.csv"));
    writeFile(csv, "folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,"
                   "login_password,login_totp\n"
                   "Games,,login,Chess club,,,0,https://chess.example,knight,e4e5!,\n"
                   "Games,,login,Barred,,,0,,rook,a|b,\n");
    page->chooseImportFile = [&] { return csv; };
    named<QPushButton>(&s, QStringLiteral("Import records"))->click();
    EXPECT_EQ(f.messages.texts(),
              QStringList{QStringLiteral("Bitwarden export: 1 records added, 1 skipped.\n"
                                         "New categories: Games.\n"
                                         "row 2 (Barred): skipped, \"|\" in Password can not be stored "
                                         "in a profile")});
    EXPECT_EQ(f.profile.Records.count(), 13);
    EXPECT_TRUE(descriptionsOnDisk(f).contains(QStringLiteral("Chess club"))) << "saved at once";
    f.messages.shown.clear();
    named<QPushButton>(&s, QStringLiteral("Import records"))->click();
    EXPECT_TRUE(f.messages.texts().value(0).startsWith(
        QStringLiteral("Bitwarden export: 0 records added, 1 already there, 1 skipped.")));
    EXPECT_EQ(f.profile.Records.count(), 13);

    const QString out = f.dir.filePath(QStringLiteral("out.csv"));
    page->chooseExportFile = [&] { return out; };
    named<QPushButton>(&s, QStringLiteral("Export records"))->click();
    EXPECT_EQ(QFileInfo(out).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
              QFileDevice::Permissions{}) << "passwords in plain text: the owner's alone";
    const RecordImport back = RecordImport::read(readFile(out), QDate(2026, 12, 10));
    ASSERT_EQ(back.records.size(), 13);
    for (qsizetype i = 0; i < 13; ++i)
        EXPECT_EQ(back.records[i].toLine(), f.profile.Records.item(i + 1));
}

} // namespace

#include "shell/settings_store.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace tavrino;

namespace {

class Settings : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString ini = dir.filePath(QStringLiteral("settings.ini"));
    QString appFolder = dir.filePath(QStringLiteral("app"));
    SettingsStore store{ini, appFolder};

    void writeIni(const QByteArray& body) { test::writeFile(ini, "[Licenses]\n" + body); }
};

TEST_F(Settings, MissingKeysAreNeverCreated) {
    QString value = QStringLiteral("untouched");
    EXPECT_FALSE(store.ReadSetting(QStringLiteral("Timer"), value));
    EXPECT_EQ(value, QStringLiteral("untouched"));
    EXPECT_FALSE(store.WriteSetting(QStringLiteral("Timer"), QStringLiteral("15")));
    EXPECT_FALSE(store.ReadSetting(QStringLiteral("Timer"), value));
}

TEST_F(Settings, ReadsAndWritesExistingKeys) {
    writeIni("Corvane\\Tavrino\\Timer=\nCorvane\\Tavrino\\Startup=1\n");
    QString value = QStringLiteral("x");
    EXPECT_TRUE(store.ReadSetting(QStringLiteral("Timer"), value)) << "an empty value still counts";
    EXPECT_EQ(value, QString());
    EXPECT_TRUE(store.WriteSetting(QStringLiteral("Timer"), QStringLiteral("15")));
    EXPECT_TRUE(store.ReadSetting(QStringLiteral("Timer"), value));
    EXPECT_EQ(value, QStringLiteral("15"));
    EXPECT_TRUE(store.ReadSetting(QStringLiteral("Startup"), value));
    EXPECT_EQ(value, QStringLiteral("1"));
}

TEST_F(Settings, DatabaseFolderFallsBackToTheApplicationFolder) {
    EXPECT_EQ(store.GetDatabaseFolder(), appFolder) << "no key";
    writeIni("Corvane\\Tavrino\\Database=\"   \"\n");
    EXPECT_EQ(store.GetDatabaseFolder(), appFolder) << "only blanks";
    writeIni("Corvane\\Tavrino\\Database=\" /srv/profiles \"\n");
    EXPECT_EQ(store.GetDatabaseFolder(), QStringLiteral(" /srv/profiles "))
        << "used as read, untrimmed";
}

TEST_F(Settings, InstallStepCreatesOnlyMissingKeys) {
    writeIni("Corvane\\Tavrino\\Timer=20\n");
    ASSERT_TRUE(store.createMissingKeys(QStringLiteral("/data/tavrino")));
    QString value;
    ASSERT_TRUE(store.ReadSetting(QStringLiteral("Timer"), value));
    EXPECT_EQ(value, QStringLiteral("20"));
    ASSERT_TRUE(store.ReadSetting(QStringLiteral("Startup"), value));
    EXPECT_EQ(value, QStringLiteral("0"));
    EXPECT_EQ(store.GetDatabaseFolder(), QStringLiteral("/data/tavrino"));
    ASSERT_TRUE(store.createMissingKeys(QStringLiteral("/elsewhere")));
    EXPECT_EQ(store.GetDatabaseFolder(), QStringLiteral("/data/tavrino"));
}

} // namespace

// Help files beside the program (a build, a copied folder), else where an
// installation keeps its documentation: PREFIX/share/doc/tavrino.
TEST(HelpFiles, BesideTheProgramElseInTheInstalledDocumentation) {
    QTemporaryDir prefix;
    const QString bin = prefix.filePath(QStringLiteral("bin"));
    const QString doc = prefix.filePath(QStringLiteral("share/doc/tavrino"));
    QDir().mkpath(bin);
    QDir().mkpath(doc);
    SettingsStore settings(prefix.filePath(QStringLiteral("settings.ini")), bin);
    const QString beside = bin + QStringLiteral("/Tavrino.html");
    EXPECT_EQ(settings.helpFile(QStringLiteral("Tavrino.html")), beside) << "nowhere: named beside";
    test::writeFile(doc + QStringLiteral("/Tavrino.html"), "<html></html>");
    EXPECT_EQ(settings.helpFile(QStringLiteral("Tavrino.html")),
              doc + QStringLiteral("/Tavrino.html"));
    test::writeFile(beside, "<html></html>");
    EXPECT_EQ(settings.helpFile(QStringLiteral("Tavrino.html")), beside) << "beside wins";
}

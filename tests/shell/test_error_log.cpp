#include "shell/error_log.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <QFileDevice>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tavrino;

TEST(ErrorLog, AppendsOneCrLfLinePerCallInOrder) {
    QTemporaryDir dir;
    test::FixedClock clock(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)));
    ErrorLog log(&clock);
    log.setFolder(dir.path());
    log.LogError(QStringLiteral("ReadFromFile"), 2, QStringLiteral("No such file or directory"));
    log.LogError(QStringLiteral("Writetofile"), QStringLiteral("5"),
                 QStringLiteral("Input/output error"));
    EXPECT_EQ(log.filePath(), dir.path() + QStringLiteral("/TavrinoErrors.log"));
    EXPECT_EQ(
        test::readFile(log.filePath()),
        QByteArray("#2026-03-04 05:06:07#,\"ReadFromFile\",\"2\",\"No such file or directory\"\r\n"
                   "#2026-03-04 05:06:07#,\"Writetofile\",\"5\",\"Input/output error\"\r\n"));
}

TEST(ErrorLog, UnwritableFolderLosesTheLineSilently) {
    QTemporaryDir dir;
    ErrorLog log;
    log.setFolder(dir.filePath(QStringLiteral("missing/folder")));
    log.LogError(QStringLiteral("Encrypt"), 0, QStringLiteral("x"));
    EXPECT_FALSE(QFile::exists(log.filePath()));

    // A read-only folder (root ignores the bits, so only check the call survives).
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    log.setFolder(dir.path());
    log.LogError(QStringLiteral("Encrypt"), 0, QStringLiteral("x"));
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(ErrorLog, ControlCharactersInTextsAreEscapedSoOneCallIsOneLine) {
    EXPECT_EQ(
        ErrorLog::formatLine(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)),
                             QStringLiteral("Read\nFromFile"), QStringLiteral("0"),
                             QStringLiteral("Removed Work.dat.tmp-X\r\ncurl x|sh\n#\t\x1b[2J") +
                                 QChar(0x2028)),
        QByteArray("#2026-03-04 05:06:07#,\"Read\\nFromFile\",\"0\",\"Removed "
                   "Work.dat.tmp-X\\r\\ncurl x|sh\\n#\\t\\x1b[2J\\x2028\"\r\n"));
}

TEST(ErrorLog, WritesOnlyIntoARegularFileOfItsOwn) {
    QTemporaryDir dir;
    ErrorLog log;
    log.setFolder(dir.path());

    // Another user of the folder points the log at a file of the victim's.
    const QString victim = dir.filePath(QStringLiteral("bashrc"));
    test::writeFile(victim, "untouched\n");
    ASSERT_TRUE(QFile::link(victim, log.filePath()));
    log.LogError(QStringLiteral("ReadFromFile"), 0, QStringLiteral("x"));
    EXPECT_EQ(test::readFile(victim), QByteArray("untouched\n"));
    QFile::remove(log.filePath());

    // A pipe with nobody reading it, and one with a reader: no hang, no line.
    ASSERT_EQ(::mkfifo(QFile::encodeName(log.filePath()).constData(), 0600), 0);
    log.LogError(QStringLiteral("ReadFromFile"), 0, QStringLiteral("x"));
    const int reader = ::open(QFile::encodeName(log.filePath()).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    log.LogError(QStringLiteral("ReadFromFile"), 0, QStringLiteral("x"));
    char buffer[64];
    EXPECT_LE(::read(reader, buffer, sizeof buffer), 0);
    ::close(reader);
}

TEST(ErrorLog, RotatesAtOneMegabyteKeepingOneOlderLog) {
    QTemporaryDir dir;
    ErrorLog log;
    log.setFolder(dir.path());
    const QByteArray old(ErrorLog::RotateAtBytes, 'x');
    test::writeFile(log.filePath(), old);
    log.LogError(QStringLiteral("Encrypt"), 0, QStringLiteral("after"));
    EXPECT_EQ(test::readFile(log.filePath() + QStringLiteral(".1")), old);
    EXPECT_TRUE(test::readFile(log.filePath()).endsWith("\"Encrypt\",\"0\",\"after\"\r\n"));
    EXPECT_EQ(test::readFile(log.filePath()).count('\n'), 1);
}

TEST(ErrorLog, NewLogIsSharedExactlyLikeTheFolder) {
    for (const QFileDevice::Permissions folderMode :
         {QFileDevice::Permissions(0x7700), QFileDevice::Permissions(0x7770)}) {
        QTemporaryDir dir;
        QFile::setPermissions(dir.path(), folderMode);
        ErrorLog log;
        log.setFolder(dir.path());
        log.LogError(QStringLiteral("Encrypt"), 0, QStringLiteral("x"));
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(log.filePath()).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, folderMode & 0x0070 ? 0660u : 0600u);
    }
}

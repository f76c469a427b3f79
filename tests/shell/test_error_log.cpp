#include "shell/error_log.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <QFileDevice>

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

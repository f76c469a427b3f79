#include "crypto/text_cipher.h"
#include "shell/error_log.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

using namespace tavrino;

namespace {

TEST(TextCipher, HexLengthFollowsTheUtf16Size) {
    TextCipher cipher;
    EXPECT_EQ(cipher.Encrypt(QString(14, QLatin1Char('a')), QStringLiteral("key")).size(), 64);
    EXPECT_EQ(cipher.Encrypt(QString(15, QLatin1Char('a')), QStringLiteral("key")).size(), 128);
    const QString hex = cipher.Encrypt(QStringLiteral("hello"), QStringLiteral("key"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]+$")).match(hex).hasMatch())
        << hex.toStdString();
    EXPECT_EQ(TextCipher::encryptedLength(14), 64);
    EXPECT_EQ(TextCipher::encryptedLength(15), 128);
}

TEST(TextCipher, RoundTripsAnyText) {
    TextCipher cipher;
    const QString key =
        QStringLiteral("3F0A9C1B2D4E5F60718293A4B5C6D7E8F9011223344556677889900AABBCCDD");
    for (const QString& text :
         {QStringLiteral("4|Bank|Main|alice|Xy7!pq|||"), QStringLiteral("Zürich – ½ € 😀"),
          QStringLiteral("line one\r\nline two"), QString(500, QLatin1Char('z'))}) {
        const QString hex = cipher.Encrypt(text, key);
        EXPECT_EQ(cipher.Decrypt(hex, key), text);
        EXPECT_EQ(cipher.Decrypt(hex.toLower(), key), text) << "lower-case hex reads too";
    }
    // Only the first 16 characters of a key text count (32 UTF-16 bytes).
    EXPECT_EQ(cipher.Encrypt(QStringLiteral("x"), key),
              cipher.Encrypt(QStringLiteral("x"), key.left(16)));
}

class DecryptFailure : public ::testing::Test {
protected:
    QTemporaryDir dir;
    test::FixedClock clock;
    ErrorLog log{&clock};
    test::ScriptedMessages messages;
    TextCipher cipher{&log, &messages};
    int endings = 0;

    void SetUp() override {
        log.setFolder(dir.path());
        cipher.setEndingHandler([this] { ++endings; });
    }
    QString logText() const { return QString::fromUtf8(test::readFile(log.filePath())); }
};

TEST_F(DecryptFailure, UndecryptableInputShowsLogsAndEnds) {
    const QString hex = cipher.Encrypt(QStringLiteral("secret line"), QStringLiteral("right key"));
    const std::pair<QString, QString> cases[] = {
        {hex, QStringLiteral("wrong key")},
        {QString(), QStringLiteral("key")},
        {hex, QString()},
        {hex.left(63), QStringLiteral("right key")},
    };
    int expected = 0;
    for (const auto& [input, key] : cases) {
        EXPECT_EQ(cipher.Decrypt(input, key), QString());
        ++expected;
        ASSERT_EQ(endings, expected);
        ASSERT_EQ(messages.shown.size(), expected);
        EXPECT_EQ(messages.shown.last().text, QStringLiteral("Invalid data."));
        EXPECT_EQ(messages.shown.last().title, QStringLiteral("Decrypt Error"));
    }
    EXPECT_EQ(logText().count(QStringLiteral("\"Decrypt\"")), expected);
}

TEST_F(DecryptFailure, NonHexTextGivesEmptyTextQuietly) {
    EXPECT_EQ(cipher.Decrypt(QString(64, QLatin1Char('G')), QStringLiteral("key")), QString());
    EXPECT_EQ(endings, 0);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(cipher.tryDecrypt(QString(64, QLatin1Char('G')), QStringLiteral("key")).status,
              TextCipher::Status::BadHex);
}

TEST_F(DecryptFailure, EmptyTextDoesNotEncrypt) {
    EXPECT_EQ(cipher.Encrypt(QString(), QStringLiteral("key")), QString());
    EXPECT_EQ(cipher.Encrypt(QStringLiteral("text"), QString()), QString());
    EXPECT_EQ(logText().count(QStringLiteral("\"Encrypt\"")), 2);
}

} // namespace

#include "store_fixture.h"

#include "store/profile_codec.h"
#include "store/profile_format.h"

using namespace tavrino;
using namespace tavrino::test;
namespace PF = tavrino::ProfileFormat;

namespace {

TEST(Checksum, CountsWindows1252CodesAndQuestionMarksForTheRest) {
    EXPECT_EQ(PF::ansiCode(QLatin1Char('A')), 65);
    EXPECT_EQ(PF::ansiCode(QChar(0xE9)), 233);   // é
    EXPECT_EQ(PF::ansiCode(QChar(0x20AC)), 128); // €
    EXPECT_EQ(PF::ansiCode(QChar(0x2013)), 150); // –
    EXPECT_EQ(PF::ansiCode(QChar(0x0100)), 63);  // Ā
    EXPECT_EQ(PF::checksum(QStringLiteral("😀")), 126) << "each half of a surrogate pair is one '?'";
    EXPECT_EQ(PF::AppendChecksum(QStringLiteral("1|3")), QStringLiteral("1|3|224"));
}

class Fixture : public ::testing::TestWithParam<const char*> {};

TEST_P(Fixture, LoadsExactlyWhatItsDescriptionSays) {
    const QString name = QString::fromLatin1(GetParam());
    const ExpectedProfile expected(name + QStringLiteral(".json"));
    TextCipher cipher;
    Profile p;
    const PF::ReadOutcome outcome =
        PF::read(readFile(fixturePath(name + QStringLiteral(".dat"))), p, cipher);
    EXPECT_TRUE(outcome.clean()) << "kind " << outcome.kind << ", checksum failures "
                                 << outcome.checksumFailures.size();
    expectContent(p, expected.json);
}

TEST_P(Fixture, OurRewriteReadsBackTheSameWithTheNextStamp) {
    const QString name = QString::fromLatin1(GetParam());
    const ExpectedProfile expected(name + QStringLiteral(".json"));
    TextCipher cipher;
    Profile p;
    PF::read(readFile(fixturePath(name + QStringLiteral(".dat"))), p, cipher);
    const std::int32_t next = ChangeStamp::next(p.ChangeStamp);

    const QByteArray first = PF::write(p, next, QStringLiteral("5.25"), true, cipher);
    const QByteArray second = PF::write(p, next, QStringLiteral("5.26"), true, cipher);
    ASSERT_FALSE(first.isNull());
    EXPECT_NE(first, second) << "a fresh file key each save";

    Profile back;
    const PF::ReadOutcome outcome = PF::read(first, back, cipher);
    EXPECT_TRUE(outcome.clean());
    expectContent(back, expected.json, 1);
}

INSTANTIATE_TEST_SUITE_P(Shared, Fixture, ::testing::Values("Home", "Work", "Big"));

TEST(ProfileFormatWrite, SummaryCountsItsOwnTrueLength) {
    TextCipher cipher;
    Profile p;
    p.resetToNewProfileDefaults();
    // Enough lines that "7|count|total" no longer fits one block.
    for (int i = 0; i < 10000; ++i)
        p.Records.add(QStringLiteral("4|||user%1|pw||||").arg(i));
    const QByteArray file = PF::write(p, 1, QStringLiteral("1.23"), true, cipher);
    const QList<QByteArray> lines = file.split('\n');
    EXPECT_EQ(lines[lines.size() - 2].trimmed().size(), 128);
    Profile back;
    EXPECT_TRUE(PF::read(file, back, cipher).clean());
    EXPECT_EQ(back.Records.count(), 10000);
}

TEST(ProfileFormatWrite, NewProfileFileHasNoCategoryOrRecordLines) {
    TextCipher cipher;
    Profile p;
    p.resetToNewProfileDefaults();
    p.Categories.add(Profile::categoryLine(QStringLiteral("Bank")), QStringLiteral("Bank"));
    p.Records.add(QStringLiteral("4|Bank|d|u|p||||"));
    const QByteArray file = PF::write(p, 1, QStringLiteral("9.99"), false, cipher);
    EXPECT_EQ(file.count("\r\n"), 7);
    Profile back;
    EXPECT_TRUE(PF::read(file, back, cipher).clean());
    EXPECT_EQ(back.Categories.count(), 0);
    EXPECT_EQ(back.Records.count(), 0);
    EXPECT_EQ(back.ChangeStamp, 1);
}

TEST(ProfileFormatWrite, FileKeySeedIsTheTailOfTheSecondsSinceMidnight) {
    EXPECT_EQ(PF::fileKeySeed(QTime(12, 34, 56, 780)), QStringLiteral("6.78")); // 45296.78
    EXPECT_EQ(PF::fileKeySeed(QTime(0, 0, 5, 500)), QStringLiteral("5.5"));
    EXPECT_EQ(PF::fileKeySeed(QTime(10, 0, 0)), QStringLiteral("6000"));
}

} // namespace

// Lines end in CR LF as written, but LF or CR alone read the same.
TEST(ProfileFormatLines, AnyLineEndReadsTheSame) {
    TextCipher cipher;
    const QByteArray crlf = readFile(fixturePath(QStringLiteral("Work.dat")));
    for (const QByteArray& ending : {QByteArray("\n"), QByteArray("\r")}) {
        QByteArray other = crlf;
        other.replace("\r\n", ending);
        Profile p;
        ASSERT_TRUE(ProfileFormat::read(other, p, cipher).clean());
        expectContent(p, ExpectedProfile(QStringLiteral("Work.json")).json);
    }
}

namespace {
// A record whose notes are n characters long.
QString recordWithNotes(qsizetype n) {
    PasswordRecord r;
    r[PasswordRecord::Category] = QStringLiteral("Web");
    r[PasswordRecord::Description] = QStringLiteral("Long");
    r[PasswordRecord::UserCode] = QStringLiteral("me");
    r[PasswordRecord::Password] = QStringLiteral("pw");
    r[PasswordRecord::Notes] = QString(n, QLatin1Char('n'));
    return r.toLine();
}
} // namespace

// The longest line the writer writes is one the reader reads, and one more
// character is refused by the writer (the import skips such a row), never
// written to lock everyone out of the profile.
TEST(ProfileFormatWrite, TheLongestLineWrittenIsOneTheReaderReads) {
    qsizetype fits = 0;
    qsizetype over = 8 * 1024 * 1024;
    while (over - fits > 1) {
        const qsizetype mid = (fits + over) / 2;
        (PF::fitsInALine(recordWithNotes(mid)) ? fits : over) = mid;
    }
    TextCipher cipher;
    Profile p;
    p.resetToNewProfileDefaults();
    p.Records.add(recordWithNotes(fits));
    FixedClock clock;
    CompatibleCodec codec(cipher, clock);
    QString why;
    const QByteArray file = codec.encode(p, 2, false, why);
    ASSERT_FALSE(file.isNull()) << why.toStdString();
    Profile back;
    const PF::ReadOutcome outcome = PF::read(file, back, cipher);
    EXPECT_TRUE(outcome.clean()) << outcome.errorDescription.toStdString();
    EXPECT_EQ(back.Records.lines(), p.Records.lines());

    p.Records.clear();
    p.Records.add(recordWithNotes(over));
    EXPECT_TRUE(codec.encode(p, 2, false, why).isNull());
    EXPECT_EQ(why, QStringLiteral("The record \"Long\" is longer than a line of a profile can hold; "
                                  "shorten its notes"));
}

#include "store/login_check.h"
#include "store/sealed_format.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <sodium.h>

#include <functional>

using namespace tavrino;
using namespace tavrino::SealedFormat;

namespace {

using Refusal = SealedFormat::Refusal;

const QByteArray Plain = "a whole profile, as the compatible format writes it\r\nsecret record\r\n";

SecuritySettings settings(int mode, int required) {
    SecuritySettings s;
    s.LoginMode = mode;
    s.UserId = QStringLiteral("alice");
    s.Password = QStringLiteral("S3cret pass");
    s.Pin = QStringLiteral("4711");
    s.AnswersRequired = required;
    s.Questions.add(SecuritySettings::questionLine(QStringLiteral("Pet?"), QStringLiteral("Rex")));
    s.Questions.add(SecuritySettings::questionLine(QStringLiteral("Town?"), QStringLiteral("Zürich")));
    s.Questions.add(SecuritySettings::questionLine(QStringLiteral("Car?"), QStringLiteral("Fiat")));
    return s;
}

// What the login panel hands over: typed values, blanks around them removed.
QByteArray typed(int mode, const char* user, const char* pass, const char* pin) {
    return loginSecret(mode, trimBlanks(QString::fromUtf8(user)), trimBlanks(QString::fromUtf8(pass)),
                       trimBlanks(QString::fromUtf8(pin)));
}

Refusal openLogin(const QByteArray& file, const QByteArray& secret, QByteArray* plain = nullptr) {
    QByteArray out;
    Keys keys;
    const Refusal r = openWithLogin(file, secret, out, keys);
    if (plain) *plain = out;
    if (r != Refusal::None) {
        EXPECT_TRUE(out.isEmpty()) << "nothing half-read";
    }
    return r;
}

Refusal openAnswers(const QByteArray& file, const QStringList& answers) {
    QByteArray out;
    Keys keys;
    const Refusal r = openWithAnswers(file, answers, out, keys);
    if (r == Refusal::None) {
        EXPECT_EQ(out, Plain);
    }
    return r;
}

// The file with from replaced by to, and the sum recomputed as a forger would.
QByteArray forged(QByteArray bytes, const QByteArray& from, const QByteArray& to) {
    bytes.truncate(bytes.lastIndexOf("\ncheck ") + 1);
    const qsizetype at = bytes.indexOf(from);
    EXPECT_GE(at, 0) << from.toStdString();
    bytes.replace(at, from.size(), to);
    QByteArray sum(32, Qt::Uninitialized);
    crypto_generichash(reinterpret_cast<unsigned char*>(sum.data()), 32,
                       reinterpret_cast<const unsigned char*>(bytes.constData()),
                       static_cast<unsigned long long>(bytes.size()), nullptr, 0);
    return bytes + "check " + sum.toHex() + '\n';
}

// The whole line of the file that starts with prefix, with its line break.
QByteArray lineOf(const QByteArray& file, const QByteArray& prefix) {
    const qsizetype at = file.indexOf("\n" + prefix) + 1;
    return file.mid(at, file.indexOf('\n', at) - at + 1);
}

struct LoginCase {
    int mode;
    const char* user;
    const char* pass;
    const char* pin;
    bool opens;
};

// Every login mode, with the values the login check accepts and refuses.
TEST(SealedProfile, OpensWithTheLoginItsModeAsksForAndNothingElse) {
    const LoginCase cases[] = {
        {1, "", " S3cret pass ", "", true},   {1, "bob", "S3cret pass", "0000", true},
        {1, "", "s3cret pass", "", false},    {1, "", "S3cret", "", false},
        {2, " alice", "S3cret pass", "", true}, {2, "Alice", "S3cret pass", "", false},
        {2, "alice", "wrong", "", false},     {3, "alice", "S3cret pass", "4711 ", true},
        {3, "alice", "S3cret pass", "", false}, {3, "alice", "S3cret pass", "4712", false},
    };
    QByteArray file;
    int sealedMode = 0;
    for (const LoginCase& c : cases) {
        if (c.mode != sealedMode) {
            sealedMode = c.mode;
            const SecuritySettings s = settings(c.mode, 1);
            file = seal(Plain, 7, s, newKeys(s));
        }
        QByteArray plain;
        const Refusal r = openLogin(file, typed(c.mode, c.user, c.pass, c.pin), &plain);
        EXPECT_EQ(r, c.opens ? Refusal::None : Refusal::WrongLogin)
            << c.mode << " " << c.user << "/" << c.pass << "/" << c.pin;
        if (c.opens) {
            EXPECT_EQ(plain, Plain);
        }
    }
}

// LOST: exactly the sets of answers the rule accepts open the profile.
TEST(SealedProfile, SecretAnswersOpenItByTheirRule) {
    const QString none;
    const QString rex = QStringLiteral(" Rex ");
    const QString town = QStringLiteral("Zürich");
    const QString car = QStringLiteral("Fiat");
    struct Case {
        int required;
        QStringList answers;
        bool opens;
    } cases[] = {
        {1, {none, none, car}, true},   {1, {QStringLiteral("rex"), none, none}, false},
        {2, {rex, none, car}, true},    {2, {none, town, car}, true},
        {2, {rex, none, none}, false},  {2, {rex, QStringLiteral("Zurich"), none}, false},
        {3, {rex, town, car}, true},    {3, {rex, town, none}, false},
    };
    QByteArray file;
    int sealedRule = 0;
    for (const Case& c : cases) {
        if (c.required != sealedRule) {
            sealedRule = c.required;
            const SecuritySettings s = settings(1, c.required);
            const Keys keys = newKeys(s);
            EXPECT_EQ(keys.keySlots.size(), 1 + (c.required == 2 ? 3 : c.required == 1 ? 3 : 1))
                << "one slot for the login, one per accepted set of answers";
            file = seal(Plain, 1, s, keys);
        }
        EXPECT_EQ(openAnswers(file, c.answers), c.opens ? Refusal::None : Refusal::WrongLogin)
            << c.required << " " << c.answers.join(QLatin1Char('/')).toStdString();
    }
}

// Before the login a sealed file shows its header and nothing secret.
TEST(SealedProfile, HeaderBeforeTheLoginAndNoSecretInTheFile) {
    const SecuritySettings s = settings(3, 2);
    const QByteArray file = seal(Plain, 42, s, newKeys(s));
    const std::optional<Header> h = readHeader(file);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->changeStamp, 42);
    EXPECT_EQ(h->loginMode, 3);
    EXPECT_EQ(h->answersRequired, 2);
    EXPECT_EQ(h->questions, QStringList({QStringLiteral("Pet?"), QStringLiteral("Town?"),
                                         QStringLiteral("Car?")}));
    // "|Rex" as the question line holds it: three letters alone turn up in
    // random base64 now and then.
    for (const char* secret : {"S3cret", "alice", "4711", "|Rex", "Fiat", "secret record"})
        EXPECT_FALSE(file.contains(secret)) << secret;
    EXPECT_FALSE(file.contains(QStringLiteral("Zürich").toUtf8()));
}

// Any byte changed is refused as damage before a key is derived; a change
// that also fixes the sum is refused by the encryption. Never half-read.
TEST(SealedProfile, EveryChangedByteIsRefused) {
    const SecuritySettings s = settings(1, 1);
    const QByteArray file = seal(Plain, 3, s, newKeys(s));
    const QByteArray right = typed(1, "", "S3cret pass", "");
    for (qsizetype i = 0; i < file.size(); ++i) {
        QByteArray changed = file;
        changed[i] = static_cast<char>(changed[i] ^ 0x01);
        ASSERT_FALSE(readHeader(changed)) << "byte " << i;
        QByteArray plain;
        Keys keys;
        ASSERT_EQ(openWithLogin(changed, right, plain, keys), Refusal::Damaged) << "byte " << i;
        ASSERT_TRUE(plain.isEmpty());
    }
    EXPECT_EQ(openLogin(file.left(file.size() - 1), right), Refusal::Damaged) << "cut short";
    EXPECT_EQ(openLogin(QByteArray(), right), Refusal::Damaged);

    // A forger who recomputes the sum: the header and the content are
    // authenticated, so the right login still gets nothing.
    ASSERT_EQ(openLogin(forged(file, "stamp 3", "stamp 3"), right), Refusal::None)
        << "the forger's sum is the format's";
    EXPECT_EQ(openLogin(forged(file, "stamp 3", "stamp 9"), right), Refusal::Damaged);
    EXPECT_EQ(openLogin(forged(file, "login 1", "login 2"), right), Refusal::Damaged);
    const qsizetype content = file.indexOf("\ncontent ") + 40;
    EXPECT_EQ(openLogin(forged(file, file.mid(content, 4), "AAAA"), right), Refusal::Damaged);
    const qsizetype slot = file.indexOf("\nslot login ") + 30;
    EXPECT_NE(openLogin(forged(file, file.mid(slot, 4), "AAAA"), right), Refusal::None);
}

// A changed login gets a new content key: the old login's key, taken from
// an old file, opens nothing saved since.
TEST(SealedProfile, ChangedLoginGetsANewContentKey) {
    SecuritySettings s = settings(1, 1);
    Keys keys = newKeys(s);
    const QByteArray oldFile = seal(Plain, 3, s, keys);
    Keys oldKeys;
    QByteArray plain;
    ASSERT_EQ(openWithLogin(oldFile, typed(1, "", "S3cret pass", ""), plain, oldKeys), Refusal::None);
    s.Password = QStringLiteral("new pass");
    renew(keys, s);
    EXPECT_NE(keys.contentKey, oldKeys.contentKey);
    const QByteArray file = seal(Plain, 4, s, keys);
    EXPECT_EQ(openLogin(file, typed(1, "", "S3cret pass", "")), Refusal::WrongLogin);
    EXPECT_EQ(openWithKey(file, oldKeys, plain), Refusal::WrongLogin) << "the old key reads nothing new";
    EXPECT_EQ(openLogin(file, typed(1, "", "new pass", ""), &plain), Refusal::None);
    EXPECT_EQ(plain, Plain);
}

} // namespace

namespace {

// Crafted files whose sum is right but whose header or key slots are not
// what a save writes: refused as damaged before any key derivation (a
// crafted slot list or parameters would otherwise cost time and memory on
// every login attempt).
struct Crafted {
    const char* what;
    std::function<QByteArray(const QByteArray&)> make;
};

class CraftedFile : public ::testing::TestWithParam<Crafted> {};

TEST_P(CraftedFile, IsDamageBeforeAnyDerivation) {
    const SecuritySettings s = settings(1, 2);
    const QByteArray file = seal(Plain, 3, s, newKeys(s));
    ASSERT_TRUE(readHeader(file)) << "the genuine file";
    const QByteArray crafted = GetParam().make(file);
    EXPECT_FALSE(readHeader(crafted));
    EXPECT_EQ(openLogin(crafted, typed(1, "", "S3cret pass", "")), Refusal::Damaged);
    EXPECT_EQ(openAnswers(crafted, {QStringLiteral("Rex"), QStringLiteral("Zürich"), {}}),
              Refusal::Damaged);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CraftedFile,
    ::testing::Values(
        Crafted{"SecondLoginSlot",
                [](const QByteArray& f) {
                    const QByteArray login = lineOf(f, "slot login ");
                    return forged(f, login, login + login);
                }},
        Crafted{"NoLoginSlot", [](const QByteArray& f) { return forged(f, lineOf(f, "slot login "), {}); }},
        Crafted{"AnswerSlotTwice",
                [](const QByteArray& f) {
                    const QByteArray slot = lineOf(f, "slot answers 1,2 ");
                    return forged(f, slot, slot + slot);
                }},
        Crafted{"AnswerSlotOfTheWrongSize",
                [](const QByteArray& f) { return forged(f, "slot answers 1,2 ", "slot answers 1 "); }},
        Crafted{"AnswerSlotOutOfOrder",
                [](const QByteArray& f) { return forged(f, "slot answers 1,2 ", "slot answers 2,1 "); }},
        Crafted{"MoreOpsThanOurs",
                [](const QByteArray& f) { return forged(f, "kdf argon2id13 3 ", "kdf argon2id13 4 "); }},
        Crafted{"MoreMemoryThanOurs",
                [](const QByteArray& f) {
                    return forged(f, " 67108864\n", " 1073741824\n");
                }},
        Crafted{"UnknownLoginMode", [](const QByteArray& f) { return forged(f, "login 1\n", "login 7\n"); }},
        Crafted{"UnknownAnswersRule",
                [](const QByteArray& f) { return forged(f, "answers 2\n", "answers 5\n"); }}),
    [](const auto& info) { return std::string(info.param.what); });

} // namespace

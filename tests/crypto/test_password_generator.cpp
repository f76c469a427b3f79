#include "crypto/password_generator.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <QSet>
#include <QTemporaryDir>

#include <cmath>

using namespace tavrino;
using namespace tavrino::test;

namespace {

TEST(PasswordGenerator, SevenCharactersOfTheAlphabetNeverG) {
    FixedClock clock;
    EXPECT_EQ(PasswordAlphabet.size(), 62);
    EXPECT_EQ(PasswordAlphabet.count(QLatin1Char('c')), 2);
    QSet<QChar> seen;
    for (int i = 0; i < 2000; ++i) {
        const QString password = GeneratePassword(clock);
        ASSERT_EQ(password.size(), 7);
        for (QChar c : password) {
            ASSERT_TRUE(PasswordAlphabet.contains(c)) << password.toStdString();
            seen.insert(c);
        }
    }
    EXPECT_FALSE(seen.contains(QLatin1Char('g')));
    EXPECT_EQ(seen.size(), 61) << "every other character turns up";
}

struct CharactersCase {
    const char* what;
    int length;
    bool upper, lower, digits, symbols, noLookAlikes;
    double bits; // expected strength, to 0.1 bit
};

class CharacterOptions : public ::testing::TestWithParam<CharactersCase> {};

// Every password has the length asked, only characters of the chosen kinds,
// at least one of each, never "|", no look-alike when they are left out; the
// strength is the log2 of how many such passwords there are.
TEST_P(CharacterOptions, MakeWhatTheyAskAndSayTheirStrength) {
    const CharactersCase& c = GetParam();
    FixedClock clock;
    PasswordGenerator generator(clock);
    GeneratorOptions o;
    o.kind = GeneratorOptions::Kind::Characters;
    o.length = c.length;
    o.upper = c.upper;
    o.lower = c.lower;
    o.digits = c.digits;
    o.symbols = c.symbols;
    o.noLookAlikes = c.noLookAlikes;
    auto has = [](const QString& s, auto test) {
        return std::any_of(s.cbegin(), s.cend(), [&](QChar ch) { return test(ch.unicode()); });
    };
    QSet<QChar> drawn;
    for (int i = 0; i < 300; ++i) {
        const QString p = generator.generate(o);
        for (QChar ch : p) drawn.insert(ch);
        ASSERT_EQ(p.size(), c.length) << c.what;
        ASSERT_FALSE(p.contains(QLatin1Char('|'))) << c.what;
        for (QChar ch : p)
            ASSERT_TRUE(generatorAlphabet(o).contains(ch)) << c.what << ": " << p.toStdString();
        EXPECT_EQ(has(p, [](char16_t u) { return u >= 'A' && u <= 'Z'; }), c.upper) << p.toStdString();
        EXPECT_EQ(has(p, [](char16_t u) { return u >= 'a' && u <= 'z'; }), c.lower) << p.toStdString();
        EXPECT_EQ(has(p, [](char16_t u) { return u >= '0' && u <= '9'; }), c.digits) << p.toStdString();
        EXPECT_EQ(has(p, [](char16_t u) { return GeneratorSymbols.contains(QChar(u)); }), c.symbols)
            << p.toStdString();
        if (c.noLookAlikes) {
            for (QChar ch : LookAlikeCharacters)
                ASSERT_FALSE(p.contains(ch)) << p.toStdString();
        }
    }
    // Thousands of draws: every character of the alphabet, the last one too.
    EXPECT_EQ(drawn.size(), generatorAlphabet(o).size()) << c.what;
    EXPECT_NEAR(generator.strengthBits(o), c.bits, 0.1) << c.what;
}

// 4 digits of 10, each must be there: all 10^4. Letters and digits, 12:
// 62^12 minus those without letters or without digits of each case.
INSTANTIATE_TEST_SUITE_P(
    Table, CharacterOptions,
    ::testing::Values(
        CharactersCase{"digits only", 4, false, false, true, false, false, 4 * std::log2(10.0)},
        CharactersCase{"letters and digits", 12, true, true, true, false, false,
                       std::log2(std::pow(62.0, 12) - std::pow(36.0, 12) - std::pow(36.0, 12) -
                                 std::pow(52.0, 12) + std::pow(26.0, 12) + std::pow(26.0, 12) +
                                 std::pow(10.0, 12))},
        CharactersCase{"all kinds, longest", 64, true, true, true, true, false, 418.5},
        CharactersCase{"no look-alikes", 20, true, true, true, true, true, 125.8}));

TEST(PasswordGenerator, PassphrasesAreWordsOfTheListAndSayTheirStrength) {
    QTemporaryDir dir;
    const QString list = dir.filePath(QStringLiteral("words"));
    writeFile(list, "apple\nApple\nbanana\nbanana\nx\nzebra's\ncherry\nverylongwords\ndog\n");
    const QStringList words = passphraseWords(list);
    EXPECT_EQ(words, (QStringList{QStringLiteral("apple"), QStringLiteral("banana"),
                                  QStringLiteral("cherry"), QStringLiteral("dog")}))
        << "3 to 9 lowercase letters, each once";
    FixedClock clock;
    PasswordGenerator generator(clock, words);
    GeneratorOptions o;
    o.kind = GeneratorOptions::Kind::Passphrase;
    o.words = 6;
    o.separator = QStringLiteral(".");
    const QStringList made = generator.generate(o).split(QLatin1Char('.'));
    ASSERT_EQ(made.size(), 6);
    for (const QString& w : made)
        EXPECT_TRUE(words.contains(w)) << w.toStdString();
    EXPECT_DOUBLE_EQ(generator.strengthBits(o), 12.0) << "6 words of 4: 2 bits each";

    QString why;
    EXPECT_TRUE(PasswordGenerator(clock).generate(o, &why).isEmpty());
    EXPECT_TRUE(why.contains(QStringLiteral("wamerican"))) << why.toStdString();
    o.kind = GeneratorOptions::Kind::Characters;
    o.upper = o.lower = o.digits = o.symbols = false;
    EXPECT_TRUE(generator.generate(o, &why).isEmpty());
    EXPECT_EQ(why, QStringLiteral("Choose at least one kind of character."));
}

TEST(PasswordGenerator, OptionsSurviveTheSettingsFileAndBadValuesFallBack) {
    GeneratorOptions o;
    o.kind = GeneratorOptions::Kind::Passphrase;
    o.length = 33;
    o.symbols = false;
    o.noLookAlikes = true;
    o.words = 7;
    o.separator = QStringLiteral(" ");
    EXPECT_EQ(GeneratorOptions::fromText(o.toText()), o);
    const GeneratorOptions bad = GeneratorOptions::fromText(QStringLiteral("characters;999;Aa;1;|"));
    EXPECT_EQ(bad.kind, GeneratorOptions::Kind::Characters);
    EXPECT_EQ(bad.length, GeneratorOptions{}.length);
    EXPECT_EQ(bad.words, GeneratorOptions{}.words);
    EXPECT_EQ(bad.separator, GeneratorOptions{}.separator) << "no \"|\" in a password";
    EXPECT_EQ(GeneratorOptions::fromText(QString()), GeneratorOptions{});
}

TEST(PasswordGenerator, TheClassicSevenCarryAbout41Bits) {
    FixedClock clock;
    EXPECT_NEAR(PasswordGenerator(clock).strengthBits(GeneratorOptions{}), 41.5, 0.2);
}

} // namespace

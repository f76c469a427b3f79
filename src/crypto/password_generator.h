#pragma once

#include <QString>
#include <QStringList>

namespace tavrino {

class Clock;

// The characters a generated password is made of: "c" twice, no "g".
extern const QString PasswordAlphabet;

// Seven characters drawn uniformly from the alphabet, the generator reseeded
// before each one from the clock mixed with the system's entropy (the clock
// alone would make passwords guessable).
QString GeneratePassword(const Clock& clock);

// What the generator makes: the seven characters above, characters of
// chosen kinds, or words of a word list.
struct GeneratorOptions {
    enum class Kind { Classic, Characters, Passphrase };
    static constexpr int MinLength = 4;
    static constexpr int MaxLength = 64;
    static constexpr int MinWords = 3;
    static constexpr int MaxWords = 12;

    Kind kind = Kind::Classic;
    int length = 20;
    bool upper = true;
    bool lower = true;
    bool digits = true;
    bool symbols = true;
    bool noLookAlikes = false;
    int words = 5;
    QString separator = QStringLiteral("-");

    // One line for the settings file, and back (unknown or out-of-range
    // values fall back to the defaults).
    QString toText() const;
    static GeneratorOptions fromText(const QString& text);
    bool operator==(const GeneratorOptions&) const = default;
};

// Characters that are easily mistaken for each other.
extern const QString LookAlikeCharacters;
// The symbols offered: printable ASCII punctuation without "|", which a
// profile line can not hold.
extern const QString GeneratorSymbols;

// The characters a Characters password is drawn from (empty: no kind chosen).
QString generatorAlphabet(const GeneratorOptions& options);

// The words a passphrase is drawn from: the system's word list (Debian's
// wamerican or wbritish: /usr/share/dict/words), only words of 3 to 9
// lowercase letters, each once. Empty when it is missing.
QStringList passphraseWords(const QString& path = QStringLiteral("/usr/share/dict/words"));

class PasswordGenerator {
public:
    // words: the passphrase word list (only needed for passphrases).
    explicit PasswordGenerator(const Clock& clock, QStringList words = {});

    // Empty, with why set, when the options can not make a password.
    QString generate(const GeneratorOptions& options, QString* why = nullptr) const;
    // How many bits of randomness a password of these options carries: what
    // an attacker who knows the options must search through.
    double strengthBits(const GeneratorOptions& options) const;
    qsizetype wordCount() const { return m_words.size(); }

private:
    const Clock& m_clock;
    QStringList m_words;
};

} // namespace tavrino

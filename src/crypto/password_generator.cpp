#include "password_generator.h"

#include "shell/clock.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSet>

#include <cmath>

namespace tavrino {

const QString PasswordAlphabet =
    QStringLiteral("ABCDEFGHIJKLmnopqrstuvwxyz0123456789abcdefchijklMNOPQRSTUVWXYZ");

const QString LookAlikeCharacters = QStringLiteral("0O1lI|B8G6S5Z2");

const QString GeneratorSymbols = QStringLiteral("!\"#$%&'()*+,-./:;<=>?@[\\]^_`{}~");

namespace {
const QString Upper = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
const QString Lower = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
const QString Digits = QStringLiteral("0123456789");

QString without(const QString& chars, const QString& dropped) {
    QString out;
    for (QChar c : chars)
        if (!dropped.contains(c)) out += c;
    return out;
}

// The kinds chosen, each as the characters it may use.
QStringList chosenKinds(const GeneratorOptions& o) {
    QStringList kinds;
    const QString dropped = o.noLookAlikes ? LookAlikeCharacters : QString();
    if (o.upper) kinds << without(Upper, dropped);
    if (o.lower) kinds << without(Lower, dropped);
    if (o.digits) kinds << without(Digits, dropped);
    if (o.symbols) kinds << without(GeneratorSymbols, dropped);
    return kinds;
}

quint32 uniform(quint32 bound) {
    return QRandomGenerator::system()->bounded(bound);
}

// log2 of n choose-with-repetition strings of length k over an alphabet of
// a, where each of the g kinds (sizes s_i) must appear: inclusion-exclusion.
double bitsWithEveryKind(const QList<int>& sizes, int length) {
    const int g = static_cast<int>(sizes.size());
    double total = 0;
    for (int mask = 0; mask < (1 << g); ++mask) {
        int alphabet = 0;
        int dropped = 0;
        for (int i = 0; i < g; ++i) {
            if (mask & (1 << i))
                ++dropped;
            else
                alphabet += sizes[i];
        }
        const double term = std::pow(static_cast<double>(alphabet), length);
        total += (dropped % 2 ? -term : term);
    }
    return total > 0 ? std::log2(total) : 0;
}
} // namespace

QString GeneratePassword(const Clock& clock) {
    QString result;
    for (int i = 0; i < 7; ++i) {
        const quint64 now = static_cast<quint64>(clock.now().toMSecsSinceEpoch());
        const quint32 seeds[] = {static_cast<quint32>(now), static_cast<quint32>(now >> 32),
                                 QRandomGenerator::system()->generate(),
                                 QRandomGenerator::system()->generate()};
        QRandomGenerator generator(seeds, 4);
        result += PasswordAlphabet[static_cast<qsizetype>(
            generator.bounded(static_cast<quint32>(PasswordAlphabet.size())))];
    }
    return result;
}

QString GeneratorOptions::toText() const {
    const char* kindName = kind == Kind::Classic      ? "classic"
                           : kind == Kind::Characters ? "characters"
                                                      : "passphrase";
    QString flags;
    if (upper) flags += QLatin1Char('A');
    if (lower) flags += QLatin1Char('a');
    if (digits) flags += QLatin1Char('9');
    if (symbols) flags += QLatin1Char('#');
    if (noLookAlikes) flags += QLatin1Char('x');
    return QStringLiteral("%1;%2;%3;%4;%5")
        .arg(QLatin1String(kindName))
        .arg(length)
        .arg(flags)
        .arg(words)
        .arg(separator);
}

GeneratorOptions GeneratorOptions::fromText(const QString& text) {
    GeneratorOptions o;
    const QStringList parts = text.split(QLatin1Char(';'));
    if (parts.size() != 5) return o;
    if (parts[0] == u"characters")
        o.kind = Kind::Characters;
    else if (parts[0] == u"passphrase")
        o.kind = Kind::Passphrase;
    bool ok = false;
    const int length = parts[1].toInt(&ok);
    if (ok && length >= MinLength && length <= MaxLength) o.length = length;
    const QString& flags = parts[2];
    o.upper = flags.contains(QLatin1Char('A'));
    o.lower = flags.contains(QLatin1Char('a'));
    o.digits = flags.contains(QLatin1Char('9'));
    o.symbols = flags.contains(QLatin1Char('#'));
    o.noLookAlikes = flags.contains(QLatin1Char('x'));
    const int words = parts[3].toInt(&ok);
    if (ok && words >= MinWords && words <= MaxWords) o.words = words;
    // A separator the file format can not hold is not taken.
    if (parts[4].size() <= 1 && !parts[4].contains(QLatin1Char('|'))) o.separator = parts[4];
    return o;
}

QString generatorAlphabet(const GeneratorOptions& options) {
    return chosenKinds(options).join(QString());
}

QStringList passphraseWords(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList words;
    QSet<QString> seen;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.size() < 3 || line.size() > 9) continue;
        bool plain = true;
        for (char c : line)
            plain = plain && c >= 'a' && c <= 'z';
        if (!plain) continue;
        const QString word = QString::fromLatin1(line);
        if (seen.contains(word)) continue;
        seen.insert(word);
        words << word;
    }
    return words;
}

PasswordGenerator::PasswordGenerator(const Clock& clock, QStringList words)
    : m_clock(clock), m_words(std::move(words)) {}

QString PasswordGenerator::generate(const GeneratorOptions& o, QString* why) const {
    switch (o.kind) {
    case GeneratorOptions::Kind::Classic:
        return GeneratePassword(m_clock);
    case GeneratorOptions::Kind::Passphrase: {
        if (m_words.isEmpty()) {
            if (why)
                *why = QStringLiteral("There is no word list for passphrases: install the "
                                      "package wamerican (or wbritish).");
            return {};
        }
        QStringList chosen;
        for (int i = 0; i < o.words; ++i)
            chosen << m_words.at(static_cast<qsizetype>(uniform(static_cast<quint32>(m_words.size()))));
        return chosen.join(o.separator);
    }
    case GeneratorOptions::Kind::Characters:
        break;
    }
    const QStringList kinds = chosenKinds(o);
    if (kinds.isEmpty()) {
        if (why) *why = QStringLiteral("Choose at least one kind of character.");
        return {};
    }
    const int length = std::clamp(o.length, GeneratorOptions::MinLength, GeneratorOptions::MaxLength);
    const QString alphabet = kinds.join(QString());
    // Drawn again until every chosen kind is in it: uniform over the
    // passwords that have them all.
    for (;;) {
        QString password;
        for (int i = 0; i < length; ++i)
            password += alphabet.at(static_cast<qsizetype>(uniform(static_cast<quint32>(alphabet.size()))));
        bool everyKind = true;
        for (const QString& kind : kinds) {
            bool found = false;
            for (QChar c : password)
                found = found || kind.contains(c);
            everyKind = everyKind && found;
        }
        if (everyKind) return password;
    }
}

double PasswordGenerator::strengthBits(const GeneratorOptions& o) const {
    switch (o.kind) {
    case GeneratorOptions::Kind::Classic: {
        // 60 characters once and "c" twice in 62 places: the entropy per draw.
        const double n = PasswordAlphabet.size();
        const double perCharacter = 60 / n * std::log2(n) + 2 / n * std::log2(n / 2);
        return 7 * perCharacter;
    }
    case GeneratorOptions::Kind::Passphrase:
        return m_words.isEmpty() ? 0 : o.words * std::log2(static_cast<double>(m_words.size()));
    case GeneratorOptions::Kind::Characters:
        break;
    }
    QList<int> sizes;
    for (const QString& kind : chosenKinds(o))
        sizes << static_cast<int>(kind.size());
    if (sizes.isEmpty()) return 0;
    return bitsWithEveryKind(sizes,
                             std::clamp(o.length, GeneratorOptions::MinLength, GeneratorOptions::MaxLength));
}

} // namespace tavrino

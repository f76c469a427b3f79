#include "sealed_format.h"

#include <algorithm>
#include <utility>

#include "store/login_check.h"

#include <sodium.h>

#include <QList>

#include <stdexcept>

namespace tavrino::SealedFormat {

namespace {

constexpr char Magic[] = "TAVRINO-SEALED 1";
constexpr qsizetype KeyBytes = crypto_aead_xchacha20poly1305_ietf_KEYBYTES;
constexpr qsizetype NonceBytes = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
constexpr qsizetype TagBytes = crypto_aead_xchacha20poly1305_ietf_ABYTES;
constexpr qsizetype SaltBytes = crypto_pwhash_SALTBYTES;
constexpr qsizetype SumBytes = 32;
// What a file may ask of the key derivation, so a crafted file can not
// make an open take minutes or gigabytes.
// No file of ours asks more of a key derivation than this: a crafted one
// that does is refused before it costs anything.
constexpr unsigned long long MaxOps = KdfOpsLimit;
constexpr std::size_t MaxMem = KdfMemLimit;

QByteArray randomBytes(qsizetype n) {
    QByteArray out(n, Qt::Uninitialized);
    randombytes_buf(out.data(), static_cast<size_t>(n));
    return out;
}

QByteArray b64(const QByteArray& bytes) {
    return bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

std::optional<QByteArray> unb64(const QByteArray& text) {
    const auto r = QByteArray::fromBase64Encoding(
        text, QByteArray::Base64UrlEncoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!r) return std::nullopt;
    return r.decoded;
}

QByteArray sumOf(const QByteArray& bytes) {
    QByteArray sum(SumBytes, Qt::Uninitialized);
    crypto_generichash(reinterpret_cast<unsigned char*>(sum.data()), SumBytes,
                       reinterpret_cast<const unsigned char*>(bytes.constData()),
                       static_cast<unsigned long long>(bytes.size()), nullptr, 0);
    return sum;
}

QByteArray slotLabel(const QList<int>& answers) {
    if (answers.isEmpty()) return QByteArrayLiteral("slot login");
    QByteArrayList numbers;
    for (int a : answers)
        numbers << QByteArray::number(a);
    return QByteArrayLiteral("slot answers ") + numbers.join(',');
}

// The key that wraps the content key, from a route's secret.
std::optional<QByteArray> derive(const QByteArray& secret, const QByteArray& salt,
                                 unsigned long long ops, std::size_t mem) {
    QByteArray key(KeyBytes, Qt::Uninitialized);
    if (crypto_pwhash(reinterpret_cast<unsigned char*>(key.data()), KeyBytes, secret.constData(),
                      static_cast<unsigned long long>(secret.size()),
                      reinterpret_cast<const unsigned char*>(salt.constData()), ops, mem,
                      crypto_pwhash_ALG_ARGON2ID13) != 0)
        return std::nullopt;
    return key;
}

QByteArray encrypt(const QByteArray& plain, const QByteArray& ad, const QByteArray& nonce,
                   const QByteArray& key) {
    QByteArray out(plain.size() + TagBytes, Qt::Uninitialized);
    unsigned long long length = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(
        reinterpret_cast<unsigned char*>(out.data()), &length,
        reinterpret_cast<const unsigned char*>(plain.constData()),
        static_cast<unsigned long long>(plain.size()),
        reinterpret_cast<const unsigned char*>(ad.constData()),
        static_cast<unsigned long long>(ad.size()), nullptr,
        reinterpret_cast<const unsigned char*>(nonce.constData()),
        reinterpret_cast<const unsigned char*>(key.constData()));
    out.resize(static_cast<qsizetype>(length));
    return out;
}

std::optional<QByteArray> decrypt(const QByteArray& sealed, const QByteArray& ad,
                                  const QByteArray& nonce, const QByteArray& key) {
    if (sealed.size() < TagBytes || nonce.size() != NonceBytes || key.size() != KeyBytes)
        return std::nullopt;
    QByteArray out(sealed.size() - TagBytes, Qt::Uninitialized);
    unsigned long long length = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(
            reinterpret_cast<unsigned char*>(out.data()), &length, nullptr,
            reinterpret_cast<const unsigned char*>(sealed.constData()),
            static_cast<unsigned long long>(sealed.size()),
            reinterpret_cast<const unsigned char*>(ad.constData()),
            static_cast<unsigned long long>(ad.size()),
            reinterpret_cast<const unsigned char*>(nonce.constData()),
            reinterpret_cast<const unsigned char*>(key.constData())) != 0) {
        sodium_memzero(out.data(), static_cast<size_t>(out.size()));
        return std::nullopt;
    }
    out.resize(static_cast<qsizetype>(length));
    return out;
}

Slot wrapFor(const QList<int>& answers, const QByteArray& secret, const SecretBytes& contentKey) {
    Slot slot;
    slot.answers = answers;
    slot.salt = randomBytes(SaltBytes);
    slot.nonce = randomBytes(NonceBytes);
    std::optional<QByteArray> kek = derive(secret, slot.salt, KdfOpsLimit, KdfMemLimit);
    if (!kek) throw std::runtime_error("not enough memory for the key derivation");
    slot.wrapped = encrypt(contentKey.view(), slotLabel(answers), slot.nonce, *kek);
    sodium_memzero(kek->data(), static_cast<size_t>(kek->size()));
    return slot;
}

// The stored answers of every set of questions the rule accepts.
QList<QList<int>> answerSets(const SecuritySettings& s) {
    const int n = static_cast<int>(std::min<qsizetype>(s.Questions.count(), 3));
    const int r = s.AnswersRequired;
    QList<QList<int>> sets;
    if (r < 1 || r > n) return sets;
    for (int mask = 1; mask < (1 << n); ++mask) {
        QList<int> set;
        for (int i = 0; i < n; ++i)
            if (mask & (1 << i)) set << i + 1;
        if (set.size() == r) sets << set;
    }
    return sets;
}

QStringList storedAnswers(const SecuritySettings& s) {
    QStringList answers;
    for (qsizetype i = 1; i <= s.Questions.count() && i <= 3; ++i)
        answers << s.Questions.item(i).section(QLatin1Char('|'), 2);
    return answers;
}

// A parsed file: its header and keySlots, the content, and the bytes the
// content's authentication covers.
struct Parsed {
    Header header;
    unsigned long long ops = 0;
    std::size_t mem = 0;
    QList<Slot> keySlots;
    QByteArray contentNonce;
    QByteArray content;
    QByteArray authenticated;
};

// The header and key slots are exactly what a save writes: one login slot,
// and for answers only the sets of questions the rule accepts, each once.
// Anything else costs key derivations for nothing and is damage.
bool slotsAsWritten(const Parsed& p) {
    const Header& h = p.header;
    const int questions = static_cast<int>(h.questions.size());
    if (h.loginMode < 1 || h.loginMode > 3 || h.answersRequired < 0 || h.answersRequired > 3 ||
        questions > 3)
        return false;
    int logins = 0;
    QList<QList<int>> sets;
    for (const Slot& slot : p.keySlots) {
        if (slot.answers.isEmpty()) {
            ++logins;
            continue;
        }
        if (slot.answers.size() != h.answersRequired || sets.contains(slot.answers)) return false;
        for (qsizetype k = 0; k < slot.answers.size(); ++k)
            if (slot.answers[k] > questions || (k > 0 && slot.answers[k] <= slot.answers[k - 1]))
                return false;
        sets << slot.answers;
    }
    return logins == 1;
}

// withContent: the content is decoded too (4 MB of base64 for 100,000
// records); the header alone, which every open reads, does without.
std::optional<Parsed> parse(const QByteArray& file, bool withContent = true) {
    initSodium();
    // The sum first: any byte changed is damage, found before anything else.
    const qsizetype checkAt = file.lastIndexOf("\ncheck ");
    if (checkAt < 0 || !file.endsWith('\n')) return std::nullopt;
    const QByteArray body = file.left(checkAt + 1);
    const QByteArray sumHex = file.mid(checkAt + 7, file.size() - checkAt - 8);
    if (sumHex != sumOf(body).toHex()) return std::nullopt;

    Parsed p;
    const QList<QByteArray> lines = body.left(body.size() - 1).split('\n');
    qsizetype i = 0;
    auto next = [&]() -> QList<QByteArray> {
        return i < lines.size() ? lines[i++].split(' ') : QList<QByteArray>{};
    };
    if (i >= lines.size() || lines[i++] != Magic) return std::nullopt;
    bool ok = false;
    auto number = [&](const QList<QByteArray>& f, const char* name) -> std::int32_t {
        ok = f.size() == 2 && f[0] == name;
        return ok ? f[1].toInt(&ok) : 0;
    };
    p.header.changeStamp = number(next(), "stamp");
    if (!ok) return std::nullopt;
    p.header.loginMode = number(next(), "login");
    if (!ok) return std::nullopt;
    p.header.answersRequired = number(next(), "answers");
    if (!ok) return std::nullopt;
    QList<QByteArray> f = next();
    while (f.size() == 2 && f[0] == "question") {
        std::optional<QByteArray> text = unb64(f[1]);
        if (!text) return std::nullopt;
        p.header.questions << QString::fromUtf8(*text);
        f = next();
    }
    if (f.size() != 4 || f[0] != "kdf" || f[1] != "argon2id13") return std::nullopt;
    p.ops = f[2].toULongLong(&ok);
    if (!ok || p.ops < crypto_pwhash_OPSLIMIT_MIN || p.ops > MaxOps) return std::nullopt;
    p.mem = static_cast<std::size_t>(f[3].toULongLong(&ok));
    if (!ok || p.mem < crypto_pwhash_MEMLIMIT_MIN || p.mem > MaxMem) return std::nullopt;
    f = next();
    while (!f.isEmpty() && f[0] == "slot") {
        Slot slot;
        qsizetype at = 2;
        if (f.size() == 5 && f[1] == "login") {
        } else if (f.size() == 6 && f[1] == "answers") {
            for (const QByteArray& n : f[2].split(',')) {
                const int q = n.toInt(&ok);
                if (!ok || q < 1 || q > 3) return std::nullopt;
                slot.answers << q;
            }
            at = 3;
        } else {
            return std::nullopt;
        }
        std::optional<QByteArray> salt = unb64(f[at]);
        std::optional<QByteArray> nonce = unb64(f[at + 1]);
        std::optional<QByteArray> wrapped = unb64(f[at + 2]);
        if (!salt || !nonce || !wrapped || salt->size() != SaltBytes ||
            nonce->size() != NonceBytes || wrapped->size() != KeyBytes + TagBytes)
            return std::nullopt;
        slot.salt = *salt;
        slot.nonce = *nonce;
        slot.wrapped = *wrapped;
        p.keySlots << slot;
        f = next();
    }
    if (f.size() != 3 || f[0] != "content" || i != lines.size()) return std::nullopt;
    if (!slotsAsWritten(p)) return std::nullopt;
    if (!withContent) return p;
    std::optional<QByteArray> nonce = unb64(f[1]);
    std::optional<QByteArray> content = unb64(f[2]);
    if (!nonce || !content || nonce->size() != NonceBytes || content->size() < TagBytes)
        return std::nullopt;
    p.contentNonce = *nonce;
    p.content = *content;
    p.authenticated = body.left(body.lastIndexOf("\ncontent ") + 1);
    return p;
}

Refusal openContent(const Parsed& p, const QByteArray& contentKey, QByteArray& plain, Keys& keys) {
    std::optional<QByteArray> opened = decrypt(p.content, p.authenticated, p.contentNonce, contentKey);
    // The slot opened, so the login was right: a content that does not is damage.
    if (!opened) return Refusal::Damaged;
    plain = *opened;
    keys.contentKey = SecretBytes(contentKey);
    keys.keySlots = p.keySlots;
    return Refusal::None;
}

Refusal tryRoute(const Parsed& p, const Slot& slot, const QByteArray& secret, QByteArray& plain,
                 Keys& keys, bool& opened) {
    opened = false;
    std::optional<QByteArray> kek = derive(secret, slot.salt, p.ops, p.mem);
    if (!kek) return Refusal::OutOfMemory;
    std::optional<QByteArray> contentKey =
        decrypt(slot.wrapped, slotLabel(slot.answers), slot.nonce, *kek);
    sodium_memzero(kek->data(), static_cast<size_t>(kek->size()));
    if (!contentKey) return Refusal::WrongLogin;
    opened = true;
    const Refusal r = openContent(p, *contentKey, plain, keys);
    sodium_memzero(contentKey->data(), static_cast<size_t>(contentKey->size()));
    return r;
}

} // namespace

bool isSealedName(const QString& fileName) {
    return fileName.endsWith(QLatin1String(FileEnding));
}

std::optional<Header> readHeader(const QByteArray& file) {
    std::optional<Parsed> p = parse(file, false);
    if (!p) return std::nullopt;
    return p->header;
}

QByteArray loginSecret(std::int32_t mode, const QString& userId, const QString& password,
                       const QString& pin) {
    // Unit separators between the parts: no value can shift into another.
    const QString sep(QChar(0x1F));
    QString secret = QString::number(mode) + sep + password;
    if (mode >= 2) secret += sep + userId;
    if (mode >= 3) secret += sep + pin;
    return secret.toUtf8();
}

QByteArray answersSecret(const QList<int>& questions, const QStringList& answers) {
    const QString sep(QChar(0x1F));
    QString secret = QStringLiteral("A");
    for (int q : questions)
        secret += sep + QString::number(q) + sep + answers.value(q - 1);
    return secret.toUtf8();
}

void rewrap(Keys& keys, const SecuritySettings& s);

Keys newKeys(const SecuritySettings& security) {
    initSodium();
    Keys keys;
    keys.contentKey = SecretBytes::random(KeyBytes);
    rewrap(keys, security);
    return keys;
}

void renew(Keys& keys, const SecuritySettings& security) {
    // Wrapped first: a derivation that fails leaves the old key in use.
    Keys renewed = newKeys(security);
    std::swap(keys.contentKey, renewed.contentKey); // the old one is wiped with renewed
    keys.keySlots = renewed.keySlots;
}

void rewrap(Keys& keys, const SecuritySettings& s) {
    initSodium();
    keys.keySlots.clear();
    keys.keySlots << wrapFor({}, loginSecret(s.LoginMode, s.UserId, s.Password, s.Pin), keys.contentKey);
    const QStringList answers = storedAnswers(s);
    for (const QList<int>& set : answerSets(s)) {
        // No key slot opens with the answer everybody knows: whoever holds
        // the file could try it offline.
        const bool known = std::any_of(set.cbegin(), set.cend(), [&](int question) {
            return SecuritySettings::isDefaultQuestion(s.Questions.item(question));
        });
        if (!known) keys.keySlots << wrapFor(set, answersSecret(set, answers), keys.contentKey);
    }
}

QByteArray seal(const QByteArray& plainProfile, std::int32_t changeStamp,
                const SecuritySettings& s, const Keys& keys) {
    initSodium();
    QByteArray out = QByteArray(Magic) + '\n';
    out += "stamp " + QByteArray::number(changeStamp) + '\n';
    out += "login " + QByteArray::number(s.LoginMode) + '\n';
    out += "answers " + QByteArray::number(s.AnswersRequired) + '\n';
    for (qsizetype i = 1; i <= s.Questions.count() && i <= 3; ++i)
        out += "question " + b64(s.Questions.item(i).section(QLatin1Char('|'), 1, 1).toUtf8()) + '\n';
    out += "kdf argon2id13 " + QByteArray::number(KdfOpsLimit) + ' ' +
           QByteArray::number(static_cast<qulonglong>(KdfMemLimit)) + '\n';
    for (const Slot& slot : keys.keySlots)
        out += slotLabel(slot.answers) + ' ' + b64(slot.salt) + ' ' + b64(slot.nonce) + ' ' +
               b64(slot.wrapped) + '\n';
    const QByteArray nonce = randomBytes(NonceBytes);
    out += "content " + b64(nonce) + ' ' + b64(encrypt(plainProfile, out, nonce, keys.contentKey.view())) + '\n';
    out += "check " + sumOf(out).toHex() + '\n';
    return out;
}

Refusal openWithLogin(const QByteArray& file, const QByteArray& secret, QByteArray& plain,
                      Keys& keys) {
    std::optional<Parsed> p = parse(file);
    if (!p) return Refusal::Damaged;
    for (const Slot& slot : p->keySlots) {
        if (!slot.answers.isEmpty()) continue;
        bool opened = false;
        const Refusal r = tryRoute(*p, slot, secret, plain, keys, opened);
        if (opened || r == Refusal::OutOfMemory) return r;
    }
    return Refusal::WrongLogin;
}

Refusal openWithAnswers(const QByteArray& file, const QStringList& typedAnswers, QByteArray& plain,
                        Keys& keys) {
    std::optional<Parsed> p = parse(file);
    if (!p) return Refusal::Damaged;
    QStringList typed;
    for (const QString& answer : typedAnswers)
        typed << trimBlanks(answer);
    for (const Slot& slot : p->keySlots) {
        if (slot.answers.isEmpty()) continue;
        bool opened = false;
        QByteArray secret = answersSecret(slot.answers, typed);
        const Refusal r = tryRoute(*p, slot, secret, plain, keys, opened);
        wipe(secret);
        if (opened || r == Refusal::OutOfMemory) {
            for (QString& answer : typed)
                wipeText(answer);
            return r;
        }
    }
    for (QString& answer : typed)
        wipeText(answer);
    return Refusal::WrongLogin;
}

Refusal openWithKey(const QByteArray& file, const Keys& keys, QByteArray& plain) {
    std::optional<Parsed> p = parse(file);
    if (!p) return Refusal::Damaged;
    std::optional<QByteArray> opened =
        decrypt(p->content, p->authenticated, p->contentNonce, keys.contentKey.view());
    if (!opened) return Refusal::WrongLogin; // sealed anew under another key
    plain = *opened;
    return Refusal::None;
}

void wipe(QByteArray& bytes) {
    if (!bytes.isEmpty()) sodium_memzero(bytes.data(), static_cast<size_t>(bytes.size()));
    bytes.clear();
}

} // namespace tavrino::SealedFormat

#include "text_cipher.h"

#include "shell/error_log.h"
#include "shell/message_service.h"

#include <cstdlib>

namespace tavrino {

TextCipher::TextCipher(ErrorLog* log, MessageService* messages)
    : m_log(log), m_messages(messages), m_ending([] { std::_Exit(EXIT_FAILURE); }) {}

QByteArray TextCipher::utf16Bytes(const QString& text) {
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    char* p = bytes.data();
    for (QChar c : text) {
        const char16_t u = c.unicode();
        *p++ = static_cast<char>(u & 0xFF);
        *p++ = static_cast<char>(u >> 8);
    }
    return bytes;
}

QString TextCipher::toHex(const QByteArray& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    QString hex(bytes.size() * 2, Qt::Uninitialized);
    QChar* out = hex.data();
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = QLatin1Char(digits[b >> 4]);
        *out++ = QLatin1Char(digits[b & 0x0F]);
    }
    return hex;
}

namespace {
// One lookup a digit: decoding the hex text of every line is a large part
// of opening a profile, more than the cipher itself with range tests.
struct HexDigits {
    signed char value[256];
    constexpr HexDigits() : value() {
        for (int c = 0; c < 256; ++c)
            value[c] = c >= '0' && c <= '9'   ? static_cast<signed char>(c - '0')
                       : c >= 'A' && c <= 'F' ? static_cast<signed char>(c - 'A' + 10)
                       : c >= 'a' && c <= 'f' ? static_cast<signed char>(c - 'a' + 10)
                                              : static_cast<signed char>(-1);
    }
};
constexpr HexDigits Digits;

int hexValue(char16_t c) {
    return c < 256 ? Digits.value[c] : -1;
}
} // namespace

template <typename Unit> QByteArray hexToBytes(const Unit* in, qsizetype length) {
    const qsizetype n = length / 2;
    QByteArray bytes(n, Qt::Uninitialized);
    char* out = bytes.data();
    for (qsizetype i = 0; i < n; ++i) {
        const int hi = hexValue(static_cast<char16_t>(in[2 * i]));
        const int lo = hexValue(static_cast<char16_t>(in[2 * i + 1]));
        if (hi < 0 || lo < 0) return {};
        out[i] = static_cast<char>(hi << 4 | lo);
    }
    return bytes;
}

QByteArray TextCipher::fromHex(const QString& hex) {
    return hexToBytes(reinterpret_cast<const char16_t*>(hex.constData()), hex.size());
}

QByteArray TextCipher::fromHex(QByteArrayView hex) {
    return hexToBytes(reinterpret_cast<const unsigned char*>(hex.data()), hex.size());
}

QString TextCipher::Encrypt(const QString& text, const QString& key) {
    if (text.isEmpty() || key.isEmpty()) {
        if (m_log)
            m_log->LogError(QStringLiteral("Encrypt"), 5,
                            QStringLiteral("Nothing to encrypt: empty text or key"));
        return {};
    }
    return toHex(m_aes.EncryptData(utf16Bytes(text), utf16Bytes(key)));
}

TextCipher::Result TextCipher::tryDecrypt(const QString& hex, const QString& key) {
    if (hex.isEmpty() || key.isEmpty()) return {Status::InvalidData, {}};
    return decryptBytes(fromHex(hex), key);
}

TextCipher::Result TextCipher::tryDecrypt(QByteArrayView hex, const QString& key) {
    if (hex.isEmpty() || key.isEmpty()) return {Status::InvalidData, {}};
    return decryptBytes(fromHex(hex), key);
}

TextCipher::Result TextCipher::decryptBytes(const QByteArray& bytes, const QString& key) {
    if (bytes.isNull()) return {Status::BadHex, {}};
    if (key != m_lastKey) {
        m_lastKey = key;
        m_lastKeyBytes = utf16Bytes(key);
    }
    const QByteArray plain = m_aes.DecryptData(bytes, m_lastKeyBytes);
    if (plain.isEmpty()) return {Status::InvalidData, {}};
    // An odd trailing byte cannot be a UTF-16 unit and is dropped.
    QString text(reinterpret_cast<const QChar*>(plain.constData()), plain.size() / 2);
    if (text.isEmpty()) return {Status::InvalidData, {}};
    return {Status::Ok, text};
}

QString TextCipher::Decrypt(const QString& hex, const QString& key) {
    Result result = tryDecrypt(hex, key);
    if (result.status == Status::InvalidData) invalidData();
    return result.text;
}

void TextCipher::invalidData() {
    if (m_messages)
        m_messages->show(QStringLiteral("Invalid data."), QStringLiteral("Decrypt Error"));
    if (m_log) m_log->LogError(QStringLiteral("Decrypt"), 0, QStringLiteral("Invalid data."));
    if (m_ending) m_ending();
}

} // namespace tavrino

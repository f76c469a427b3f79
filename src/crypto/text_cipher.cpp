#include "text_cipher.h"

#include "shell/error_log.h"
#include "shell/message_service.h"

#include <cstdlib>
#include <cstring>

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

// False when a pair is not hexadecimal; an odd last character is ignored.
template <typename Unit> bool hexInto(const Unit* in, qsizetype length, char* out) {
    const qsizetype n = length / 2;
    for (qsizetype i = 0; i < n; ++i) {
        const int hi = hexValue(static_cast<char16_t>(in[2 * i]));
        const int lo = hexValue(static_cast<char16_t>(in[2 * i + 1]));
        if ((hi | lo) < 0) return false;
        out[i] = static_cast<char>(hi << 4 | lo);
    }
    return true;
}

const QByteArray& TextCipher::keyBytes(const QString& key) {
    if (key != m_lastKey) {
        m_lastKey = key;
        m_lastKeyBytes = utf16Bytes(key);
    }
    return m_lastKeyBytes;
}

QString TextCipher::Encrypt(const QString& text, const QString& key) {
    QByteArray hex;
    if (!appendEncrypted(hex, text, key)) return {};
    return QString::fromLatin1(hex);
}

bool TextCipher::appendEncrypted(QByteArray& out, const QString& text, const QString& key) {
    if (text.isEmpty() || key.isEmpty()) {
        if (m_log)
            m_log->LogError(QStringLiteral("Encrypt"), 5,
                            QStringLiteral("Nothing to encrypt: empty text or key"));
        return false;
    }
    // Framed in the scratch buffer: length, UTF-16LE text, zeros to a whole
    // block; encrypted there and wiped once its hex is out.
    const qsizetype length = 2 * text.size();
    const qsizetype size =
        (length + 4 + AES::DataBlockBytes - 1) / AES::DataBlockBytes * AES::DataBlockBytes;
    if (m_scratch.size() < size) {
        explicit_bzero(m_scratch.data(), static_cast<std::size_t>(m_scratch.size()));
        m_scratch.resize(size);
    }
    auto* p = reinterpret_cast<std::uint8_t*>(m_scratch.data());
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(length) >> (8 * i));
    std::uint8_t* q = p + 4;
    for (QChar c : text) {
        *q++ = static_cast<std::uint8_t>(c.unicode() & 0xFF);
        *q++ = static_cast<std::uint8_t>(c.unicode() >> 8);
    }
    std::memset(q, 0, static_cast<std::size_t>(p + size - q));
    m_aes.encryptInPlace(p, size, keyBytes(key));
    static const char digits[] = "0123456789ABCDEF";
    const qsizetype at = out.size();
    out.resize(at + 2 * size);
    char* h = out.data() + at;
    for (qsizetype i = 0; i < size; ++i) {
        *h++ = digits[p[i] >> 4];
        *h++ = digits[p[i] & 0x0F];
    }
    explicit_bzero(p, static_cast<std::size_t>(size));
    return true;
}

template <typename Unit>
TextCipher::Result TextCipher::decryptHex(const Unit* hex, qsizetype length, const QString& key) {
    if (length == 0 || key.isEmpty()) return {Status::InvalidData, {}};
    // Decoded and decrypted in one buffer kept from line to line (a file is
    // thousands of lines); wiped after each, as it holds the plaintext.
    const qsizetype size = length / 2;
    if (m_scratch.size() < size) {
        explicit_bzero(m_scratch.data(), static_cast<std::size_t>(m_scratch.size()));
        m_scratch.resize(size);
    }
    char* bytes = m_scratch.data();
    if (!hexInto(hex, length, bytes)) return {Status::BadHex, {}};
    const qsizetype plain =
        m_aes.decryptInPlace(reinterpret_cast<std::uint8_t*>(bytes), size, keyBytes(key));
    Result result{Status::InvalidData, {}};
    // An odd trailing byte cannot be a UTF-16 unit and is dropped.
    if (plain >= 2) {
        result = {Status::Ok,
                  QString(reinterpret_cast<const QChar*>(bytes + 4), plain / 2)};
    }
    explicit_bzero(bytes, static_cast<std::size_t>(size));
    return result;
}

TextCipher::Result TextCipher::tryDecrypt(const QString& hex, const QString& key) {
    return decryptHex(reinterpret_cast<const char16_t*>(hex.constData()), hex.size(), key);
}

TextCipher::Result TextCipher::tryDecrypt(QByteArrayView hex, const QString& key) {
    return decryptHex(reinterpret_cast<const unsigned char*>(hex.data()), hex.size(), key);
}

TextCipher::Status TextCipher::peekStart(QByteArrayView hex, const QString& key,
                                         char16_t (&units)[2]) {
    units[0] = units[1] = 0;
    const qsizetype size = hex.size() / 2;
    if (key.isEmpty() || size == 0 || size % AES::DataBlockBytes != 0) return Status::InvalidData;
    alignas(32) std::uint8_t block[AES::DataBlockBytes];
    if (!hexInto(reinterpret_cast<const unsigned char*>(hex.data()), 2 * AES::DataBlockBytes,
                 reinterpret_cast<char*>(block)))
        return Status::BadHex;
    const std::int32_t length = m_aes.decryptFirstBlock(block, keyBytes(key));
    Status status = Status::InvalidData;
    if (length >= 2 && length <= size - 4) {
        status = Status::Ok;
        units[0] = static_cast<char16_t>(block[4] | block[5] << 8);
        if (length >= 4) units[1] = static_cast<char16_t>(block[6] | block[7] << 8);
    }
    explicit_bzero(block, sizeof block);
    return status;
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

#pragma once

#include "crypto/aes.h"

#include <QString>

#include <functional>

namespace tavrino {

class ErrorLog;
class MessageService;

// Text to uppercase hexadecimal text and back: the text's UTF-16LE bytes go
// through AES::EncryptData under the key text's UTF-16LE bytes.
class TextCipher {
public:
    enum class Status { Ok, BadHex, InvalidData };
    struct Result {
        Status status;
        QString text;
    };

    TextCipher(ErrorLog* log = nullptr, MessageService* messages = nullptr);

    // Empty when either text is empty (logged as "Encrypt").
    QString Encrypt(const QString& text, const QString& key);
    // The same hex text appended to out as Latin-1 bytes, with no copy on
    // the way (a profile file is written line after line); false and nothing
    // appended when either text is empty.
    bool appendEncrypted(QByteArray& out, const QString& text, const QString& key);

    // The program's decryption: text that is not hexadecimal gives an empty
    // text quietly; anything that does not decrypt shows "Invalid data.",
    // logs "Decrypt" and ends the program through the ending handler. When
    // a replaced handler returns, the result is an empty text.
    QString Decrypt(const QString& hex, const QString& key);

    // The same decryption without any message, log or ending, for callers
    // that must survive a damaged file.
    Result tryDecrypt(const QString& hex, const QString& key);
    // The same for hex text held as Latin-1 bytes, as it comes from a file.
    Result tryDecrypt(QByteArrayView hex, const QString& key);

    // The first two UTF-16 units of a line's text (0 where the text is
    // shorter), from its first block alone: what kind of line it is, without
    // decrypting the rest. Status as tryDecrypt would give for the line.
    Status peekStart(QByteArrayView hex, const QString& key, char16_t (&units)[2]);

    // The ending after an undecryptable line: "Invalid data." / "Decrypt
    // Error", the log line, then the ending handler.
    void invalidData();

    // Called to end the program after an undecryptable line. The program's
    // default ends the process at once, without saving anything.
    void setEndingHandler(std::function<void()> handler) { m_ending = std::move(handler); }

    static QByteArray utf16Bytes(const QString& text);

    // How many hex characters Encrypt gives for a text of n UTF-16 units.
    static qsizetype encryptedLength(qsizetype characters) {
        return 2 * ((2 * characters + 4 + AES::DataBlockBytes - 1) / AES::DataBlockBytes *
                    AES::DataBlockBytes);
    }

private:
    AES m_aes;
    ErrorLog* m_log;
    MessageService* m_messages;
    std::function<void()> m_ending;
    template <typename Unit> Result decryptHex(const Unit* hex, qsizetype length, const QString& key);
    QByteArray m_scratch;
    // The key bytes of the last key text, reused while it stays.
    const QByteArray& keyBytes(const QString& key);
    QString m_lastKey;
    QByteArray m_lastKeyBytes;
};

} // namespace tavrino

// Any hex text under any key: decryption never crashes, and what decrypts
// is what our own encryption of it decrypts to.
#include "crypto/text_cipher.h"

#include <cstdlib>

using namespace tavrino;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TextCipher cipher;
    if (size < 1) return 0;
    // The first byte says how much of the rest is the key.
    const size_t keyLength = data[0] % 80;
    if (size - 1 < keyLength) return 0;
    const QString key = QString::fromLatin1(reinterpret_cast<const char*>(data + 1),
                                            static_cast<qsizetype>(keyLength));
    const QByteArrayView hex(reinterpret_cast<const char*>(data + 1 + keyLength),
                             static_cast<qsizetype>(size - 1 - keyLength));
    const TextCipher::Result result = cipher.tryDecrypt(hex, key);
    if (result.status != TextCipher::Status::Ok || result.text.isEmpty() || key.isEmpty())
        return 0;
    const QString again = cipher.Encrypt(result.text, key);
    const TextCipher::Result back = cipher.tryDecrypt(again, key);
    if (back.status != TextCipher::Status::Ok || back.text != result.text) std::abort();
    return 0;
}

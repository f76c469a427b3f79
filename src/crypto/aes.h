#pragma once

#include "crypto/rijndael_hw.h"

#include <QByteArray>

#include <array>
#include <cstdint>

namespace tavrino {

// Rijndael with block and key lengths of 4, 6 or 8 words, plus the framing
// every profile line is stored in: a 4-byte little-endian length header,
// zero padding to whole 32-byte blocks, 256-bit blocks and keys, no chaining.
//
// The round tables are built once per process; the key schedule is kept and
// reused while the key stays the same, since a whole profile file is
// encrypted under one key. With 256-bit blocks the CPU's AES instructions do
// the work where it has them (chosenCipherEngine).
class AES {
public:
    AES();

    // nb, nk: block and key length in 32-bit words (4, 6 or 8); key holds
    // at least 4 * nk bytes.
    void gkey(int nb, int nk, const std::uint8_t* key);

    // One block of 4 * Nb bytes, transformed in place.
    void Encrypt(std::uint8_t* buff) const;
    void Decrypt(std::uint8_t* buff) const;

    // A null array in gives a null array out. The password is cut or
    // zero-padded to 32 bytes.
    QByteArray EncryptData(const QByteArray& bytMessage, const QByteArray& bytPassword);
    // Null when the input is not whole blocks or the header does not fit.
    QByteArray DecryptData(const QByteArray& bytIn, const QByteArray& bytPassword);
    // The same on size bytes in place, for callers that reuse a buffer: the
    // message is then at data + 4; its length, or -1 where DecryptData gives
    // null. Blocks past the message may or may not have been decrypted.
    qsizetype decryptInPlace(std::uint8_t* data, qsizetype size, const QByteArray& bytPassword);
    // size bytes of whole blocks encrypted in place (a framed message).
    void encryptInPlace(std::uint8_t* data, qsizetype size, const QByteArray& bytPassword);
    // The first block of a framed message, in place: the length its header
    // claims (not checked), the message's first 28 bytes after it.
    std::int32_t decryptFirstBlock(std::uint8_t* block, const QByteArray& bytPassword);

    static constexpr int DataBlockBytes = 32;

    // Tests and benchmarks pin an engine; one the CPU lacks is refused.
    bool setEngine(CipherEngine engine);
    CipherEngine engine() const { return m_engine; }
    // The last gkey's schedules as the AES instructions take them.
    const std::uint8_t* encryptionKeys() const { return m_encryptKeys.data(); }
    const std::uint8_t* decryptionKeys() const { return m_decryptKeys.data(); }

private:
    void prepareDataKey(const QByteArray& bytPassword);

    static constexpr int MaxWords = 8 * 15; // Nb * (Nr + 1) at most
    int Nb = 0;
    int Nk = 0;
    int Nr = 0;
    std::array<std::uint32_t, MaxWords> fkey{};
    std::array<std::uint32_t, MaxWords> rkey{};
    std::array<std::uint8_t, 32> m_dataKey{};
    bool m_haveDataKey = false;
    CipherEngine m_engine = chosenCipherEngine();
    // fkey and rkey as the state's bytes, for the AES instructions
    alignas(32) std::array<std::uint8_t, rijndael_hw::KeyBytes> m_encryptKeys{};
    alignas(32) std::array<std::uint8_t, rijndael_hw::KeyBytes> m_decryptKeys{};
    bool hardware() const { return Nb == 8 && m_engine != CipherEngine::Portable; }
};

} // namespace tavrino

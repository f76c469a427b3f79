#include "crypto/aes.h"

#include <gtest/gtest.h>
#include <mcrypt.h>

#include <cstdlib>
#include <random>
#include <string>

using tavrino::AES;
using tavrino::CipherEngine;

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

struct KnownAnswer {
    int nb;
    int nk;
    const char* key;
    const char* plain;
    const char* cipher;
};

const auto AllEngines =
    ::testing::Values(CipherEngine::Portable, CipherEngine::AesNi, CipherEngine::Vaes);

std::string engineName(const ::testing::TestParamInfo<CipherEngine>& info) {
    return tavrino::cipherEngineName(info.param);
}

// An AES on the engine under test, or the test is skipped on a CPU without it.
#define AES_ON(aes, engine)                                                                \
    AES aes;                                                                               \
    if (!aes.setEngine(engine))                                                            \
        GTEST_SKIP() << "this CPU has no " << tavrino::cipherEngineName(engine);

class AesKnownAnswer
    : public ::testing::TestWithParam<std::tuple<KnownAnswer, CipherEngine>> {};

TEST_P(AesKnownAnswer, EncryptsAndDecryptsOneBlock) {
    const KnownAnswer& k = std::get<0>(GetParam());
    AES_ON(aes, std::get<1>(GetParam()));
    const QByteArray key = hex(k.key);
    aes.gkey(k.nb, k.nk, reinterpret_cast<const std::uint8_t*>(key.constData()));
    QByteArray block = hex(k.plain);
    aes.Encrypt(reinterpret_cast<std::uint8_t*>(block.data()));
    EXPECT_EQ(block.toHex(), QByteArray(k.cipher));
    aes.Decrypt(reinterpret_cast<std::uint8_t*>(block.data()));
    EXPECT_EQ(block.toHex(), QByteArray(k.plain));
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, AesKnownAnswer,
    ::testing::Combine(::testing::Values(
        // FIPS-197 appendix C
        KnownAnswer{4, 4, "000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff",
                    "69c4e0d86a7b0430d8cdb78070b4c55a"},
        KnownAnswer{4, 6, "000102030405060708090a0b0c0d0e0f1011121314151617",
                    "00112233445566778899aabbccddeeff", "dda97ca4864cdfe06eaf70a0ec0d7191"},
        KnownAnswer{4, 8, "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f",
                    "00112233445566778899aabbccddeeff", "8ea2b7ca516745bfeafc49904b496089"},
        // Rijndael, 256-bit block and key (Gladman)
        KnownAnswer{8, 8, "2b7e151628aed2a6abf7158809cf4f3c762e7160f38b4da56a784d9045190cfe",
                    "3243f6a8885a308d313198a2e03707344a4093822299f31d0082efa98ec4e6c8",
                    "a49406115dfb30a40418aafa4869b7c6a886ff31602a7dd19c889dc64f7e4e7a"}),
                       AllEngines));

TEST(AesData, FramesWithLengthHeaderAndZeroPadding) {
    AES aes;
    const QByteArray key("ab");
    EXPECT_EQ(aes.EncryptData(QByteArray(28, 'x'), key).size(), 32);
    EXPECT_EQ(aes.EncryptData(QByteArray(29, 'x'), key).size(), 64);
    const QByteArray empty = aes.EncryptData(QByteArray(""), key);
    EXPECT_EQ(empty.size(), 32);
    EXPECT_TRUE(aes.DecryptData(empty, key).isEmpty());

    const QByteArray message("The quick brown fox jumps over the lazy dog");
    const QByteArray once = aes.EncryptData(message, key);
    EXPECT_EQ(once, aes.EncryptData(message, key)) << "codebook mode: same input, same output";
    EXPECT_EQ(once, aes.EncryptData(message, key + QByteArray(30, '\0')));
    const QByteArray key32(32, 'k');
    EXPECT_EQ(aes.EncryptData(message, key32), aes.EncryptData(message, key32 + "ignored"));
    EXPECT_EQ(aes.DecryptData(once, key), message);
}

TEST(AesData, RejectsWhatCannotBeAFramedMessage) {
    AES aes;
    const QByteArray key("key");
    EXPECT_TRUE(aes.DecryptData(QByteArray(31, 'a'), key).isNull());
    EXPECT_TRUE(aes.DecryptData(QByteArray(), key).isNull());
    EXPECT_TRUE(aes.EncryptData(QByteArray(), key).isNull());
    // A header claiming more bytes than follow it.
    QByteArray framed = aes.EncryptData(QByteArray(28, 'x'), key);
    EXPECT_FALSE(aes.DecryptData(framed, key).isNull());
    EXPECT_TRUE(aes.DecryptData(framed, QByteArray("other key")).isNull());
}

// libmcrypt's rijndael-256 in ECB mode as an independent oracle: our framed
// output must be its encryption of the same framed buffer, on every engine
// (every count of blocks up to 20 covers the engines' groups and their
// remainders).
class AesOracle : public ::testing::TestWithParam<CipherEngine> {};

TEST_P(AesOracle, AgreesWithLibmcryptOnRandomKeysAndMessages) {
    std::mt19937 rng(20261210);
    AES_ON(aes, GetParam());
    for (int round = 0; round < 300; ++round) {
        QByteArray key(1 + static_cast<int>(rng() % 40), '\0');
        for (char& c : key)
            c = static_cast<char>(rng());
        // mostly line-sized, some past the one-call path's scratch block
        QByteArray message(static_cast<int>(rng() % (round % 10 ? 640 : 3000)), '\0');
        for (char& c : message)
            c = static_cast<char>(rng());

        QByteArray key32 = key.left(32);
        key32.append(QByteArray(32 - key32.size(), '\0'));
        const int size = (message.size() + 4 + 31) / 32 * 32;
        QByteArray framed(size, '\0');
        const std::uint32_t length = static_cast<std::uint32_t>(message.size());
        for (int i = 0; i < 4; ++i)
            framed[i] = static_cast<char>(length >> (8 * i));
        framed.replace(4, message.size(), message);

        MCRYPT td = mcrypt_module_open(const_cast<char*>("rijndael-256"), nullptr,
                                       const_cast<char*>("ecb"), nullptr);
        ASSERT_TRUE(td != MCRYPT_FAILED);
        ASSERT_EQ(mcrypt_generic_init(td, key32.data(), 32, nullptr), 0);
        QByteArray expected = framed;
        mcrypt_generic(td, expected.data(), expected.size());
        mcrypt_generic_deinit(td);
        mcrypt_module_close(td);

        const QByteArray ours = aes.EncryptData(message, key);
        ASSERT_EQ(ours.toHex(), expected.toHex()) << "round " << round;
        ASSERT_EQ(aes.DecryptData(ours, key), message) << "round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, AesOracle, AllEngines, engineName);

TEST(AesEngine, TheBestTheCpuHasIsChosenUnlessAskedOtherwise) {
    const char* wanted = std::getenv("TAVRINO_CIPHER");
    const CipherEngine chosen = tavrino::chosenCipherEngine();
    EXPECT_TRUE(tavrino::cipherEngineAvailable(chosen));
    if (wanted && std::string(wanted) == "portable") {
        EXPECT_EQ(chosen, CipherEngine::Portable);
    } else if (!wanted) {
        EXPECT_FALSE(tavrino::cipherEngineAvailable(static_cast<CipherEngine>(
            static_cast<int>(chosen) + 1)))
            << "a faster engine is available but not chosen";
    }
    EXPECT_EQ(AES().engine(), chosen);
}

} // namespace

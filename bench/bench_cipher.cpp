// The profile cipher (Rijndael, 256-bit block and key, codebook mode) on each
// engine this CPU has, next to libmcrypt's rijndael-256 (the reference the
// format was checked against) and OpenSSL's AES-256 (what the CPU's AES
// instructions give for 128-bit blocks). Bulk: 64 KiB at once; lines: the
// framed 200-byte lines a profile is made of.
#include "crypto/aes.h"
#include "ratio_report.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#ifdef HAVE_MCRYPT
#include <mcrypt.h>
#endif
#ifdef HAVE_OPENSSL
#include <openssl/evp.h>
#endif

namespace {

using tavrino::AES;
using tavrino::CipherEngine;

constexpr int BulkBytes = 64 * 1024;
constexpr int LineBytes = 200;
constexpr int Lines = 64;

struct Data {
    QByteArray key;
    QByteArray bulk;
    std::vector<QByteArray> cipherLines;
    Data() {
        std::mt19937 rng(7);
        key.resize(32);
        for (char& c : key)
            c = static_cast<char>(rng());
        bulk.resize(BulkBytes);
        for (char& c : bulk)
            c = static_cast<char>(rng());
        AES aes;
        for (int i = 0; i < Lines; ++i)
            cipherLines.push_back(aes.EncryptData(bulk.mid(i * LineBytes, LineBytes), key));
    }
};

const Data& data() {
    static const Data d;
    return d;
}

bool pin(AES& aes, benchmark::State& state) {
    const auto engine = static_cast<CipherEngine>(state.range(0));
    if (aes.setEngine(engine)) return true;
    state.SkipWithError("this CPU lacks the engine");
    return false;
}

void engineArgs(benchmark::internal::Benchmark* b) {
    b->ArgName("engine");
    for (auto e : {CipherEngine::Portable, CipherEngine::AesNi, CipherEngine::Vaes})
        b->Arg(static_cast<int>(e));
}

// Whole blocks in place: the cipher alone.
void BM_Bulk(benchmark::State& state) {
    const Data& d = data();
    AES aes;
    if (!pin(aes, state)) return;
    aes.gkey(8, 8, reinterpret_cast<const std::uint8_t*>(d.key.constData()));
    QByteArray buf = d.bulk;
    auto* p = reinterpret_cast<std::uint8_t*>(buf.data());
    for (auto _ : state) {
        if (aes.engine() == CipherEngine::Portable) {
            for (int i = 0; i < BulkBytes; i += 32)
                aes.Decrypt(p + i);
        } else {
            tavrino::rijndael_hw::decrypt(aes.engine(), aes.decryptionKeys(), p, p,
                                          BulkBytes / 32);
        }
        benchmark::DoNotOptimize(p);
    }
    state.SetBytesProcessed(state.iterations() * BulkBytes);
}
BENCHMARK(BM_Bulk)->Apply(engineArgs);

void BM_Lines(benchmark::State& state) {
    const Data& d = data();
    AES aes;
    if (!pin(aes, state)) return;
    std::size_t i = 0;
    for (auto _ : state) {
        QByteArray out = aes.DecryptData(d.cipherLines[i++ % Lines], d.key);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * d.cipherLines[0].size());
}
BENCHMARK(BM_Lines)->Apply(engineArgs);

#ifdef HAVE_MCRYPT
MCRYPT openMcrypt(const Data& d) {
    MCRYPT td = mcrypt_module_open(const_cast<char*>("rijndael-256"), nullptr,
                                   const_cast<char*>("ecb"), nullptr);
    mcrypt_generic_init(td, const_cast<char*>(d.key.constData()), 32, nullptr);
    return td;
}

void closeMcrypt(MCRYPT td) {
    mcrypt_generic_deinit(td);
    mcrypt_module_close(td);
}

void BM_BulkMcrypt(benchmark::State& state) {
    const Data& d = data();
    MCRYPT td = openMcrypt(d);
    QByteArray buf = d.bulk;
    for (auto _ : state) {
        mdecrypt_generic(td, buf.data(), BulkBytes);
        benchmark::DoNotOptimize(buf.data());
    }
    state.SetBytesProcessed(state.iterations() * BulkBytes);
    closeMcrypt(td);
}
BENCHMARK(BM_BulkMcrypt);

void BM_LinesMcrypt(benchmark::State& state) {
    const Data& d = data();
    MCRYPT td = openMcrypt(d);
    std::size_t i = 0;
    for (auto _ : state) {
        QByteArray buf = d.cipherLines[i++ % Lines];
        mdecrypt_generic(td, buf.data(), static_cast<int>(buf.size()));
        std::int32_t length;
        std::memcpy(&length, buf.constData(), 4);
        QByteArray out = buf.mid(4, length);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * d.cipherLines[0].size());
    closeMcrypt(td);
}
BENCHMARK(BM_LinesMcrypt);
#endif

#ifdef HAVE_OPENSSL
void BM_BulkOpensslAes256(benchmark::State& state) {
    const Data& d = data();
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EVP_DecryptInit_ex(ctx, EVP_aes_256_ecb(), nullptr,
                       reinterpret_cast<const unsigned char*>(d.key.constData()), nullptr);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    QByteArray buf = d.bulk;
    auto* p = reinterpret_cast<unsigned char*>(buf.data());
    for (auto _ : state) {
        int n = 0;
        EVP_DecryptUpdate(ctx, p, &n, p, BulkBytes);
        benchmark::DoNotOptimize(p);
    }
    state.SetBytesProcessed(state.iterations() * BulkBytes);
    EVP_CIPHER_CTX_free(ctx);
}
BENCHMARK(BM_BulkOpensslAes256);
#endif

} // namespace

int main(int argc, char** argv) {
    using E = CipherEngine;
    auto name = [](const char* what, E e) {
        return std::string(what) + "/engine:" + std::to_string(static_cast<int>(e));
    };
    return tavrino::bench::runWithRatios(
        argc, argv,
        {{"libmcrypt / aesni, bulk (goal >= 5)", "BM_BulkMcrypt", name("BM_Bulk", E::AesNi)},
         {"libmcrypt / vaes, bulk", "BM_BulkMcrypt", name("BM_Bulk", E::Vaes)},
         {"libmcrypt / portable, bulk", "BM_BulkMcrypt", name("BM_Bulk", E::Portable)},
         {"aesni / openssl aes-256, bulk", name("BM_Bulk", E::AesNi), "BM_BulkOpensslAes256"},
         {"vaes / openssl aes-256, bulk", name("BM_Bulk", E::Vaes), "BM_BulkOpensslAes256"},
         {"libmcrypt / aesni, lines", "BM_LinesMcrypt", name("BM_Lines", E::AesNi)},
         {"libmcrypt / vaes, lines", "BM_LinesMcrypt", name("BM_Lines", E::Vaes)},
         {"libmcrypt / portable, lines", "BM_LinesMcrypt", name("BM_Lines", E::Portable)}});
}

// DecryptData on 200-byte lines under one key, next to libmcrypt's
// rijndael-256 in ECB mode doing the same blocks.
#include "crypto/aes.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#ifdef HAVE_MCRYPT
#include <mcrypt.h>
#endif

namespace {

constexpr int LineBytes = 200;
constexpr int Lines = 64;

struct Data {
    QByteArray key;
    std::vector<QByteArray> cipherLines;
    Data() {
        std::mt19937 rng(7);
        key.resize(32);
        for (char& c : key)
            c = static_cast<char>(rng());
        tavrino::AES aes;
        for (int i = 0; i < Lines; ++i) {
            QByteArray plain(LineBytes, '\0');
            for (char& c : plain)
                c = static_cast<char>(rng());
            cipherLines.push_back(aes.EncryptData(plain, key));
        }
    }
};

const Data& data() {
    static const Data d;
    return d;
}

void BM_DecryptData(benchmark::State& state) {
    const Data& d = data();
    tavrino::AES aes;
    std::size_t i = 0;
    for (auto _ : state) {
        QByteArray out = aes.DecryptData(d.cipherLines[i++ % Lines], d.key);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * d.cipherLines[0].size());
}
BENCHMARK(BM_DecryptData);

#ifdef HAVE_MCRYPT
void BM_McryptRijndael256(benchmark::State& state) {
    const Data& d = data();
    MCRYPT td = mcrypt_module_open(const_cast<char*>("rijndael-256"), nullptr,
                                   const_cast<char*>("ecb"), nullptr);
    mcrypt_generic_init(td, const_cast<char*>(d.key.constData()), 32, nullptr);
    std::size_t i = 0;
    for (auto _ : state) {
        const QByteArray& in = d.cipherLines[i++ % Lines];
        QByteArray buf = in;
        mdecrypt_generic(td, buf.data(), static_cast<int>(buf.size()));
        std::int32_t length;
        std::memcpy(&length, buf.constData(), 4);
        QByteArray out = buf.mid(4, length);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * d.cipherLines[0].size());
    mcrypt_generic_deinit(td);
    mcrypt_module_close(td);
}
BENCHMARK(BM_McryptRijndael256);
#endif

} // namespace

BENCHMARK_MAIN();

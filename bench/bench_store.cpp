// Opening and saving a 10,000-record profile, next to the floor of an open
// (table hex decoding and libmcrypt's cipher, nothing else); prints the
// ratios at the end.
#include "bench_support.h"
#include "crypto/aes.h"
#include "crypto/text_cipher.h"
#include "shell/clock.h"
#include "shell/error_log.h"
#include "shell/message_service.h"
#include "store/profile_store.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

#ifdef HAVE_MCRYPT
#include "floor_decryption.h"
#endif

#include <QFile>
#include <QTemporaryDir>

using namespace tavrino;

namespace {

using tavrino::bench::bigFile;
using Env = tavrino::bench::BigStore;

#ifdef HAVE_MCRYPT
// The floor of an open: every line hex-decoded through a table and
// decrypted by libmcrypt's rijndael-256, initialised once for the key.
void BM_Floor(benchmark::State& state) {
    const QByteArray file = bigFile();
    QList<QByteArray> lines = file.split('\n');
    for (QByteArray& line : lines)
        line = line.trimmed();
    bench::FloorDecryption floor;
    for (auto _ : state) {
        qint64 bytes = 0;
        for (const QByteArray& hex : lines)
            bytes += static_cast<qint64>(
                floor
                    .line(reinterpret_cast<const unsigned char*>(hex.constData()),
                          static_cast<std::size_t>(hex.size()))
                    .size());
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_Floor)->Unit(benchmark::kMillisecond);
#endif

void BM_BareDecryption(benchmark::State& state) {
    const QByteArray file = bigFile();
    const QList<QByteArray> lines = file.split('\n');
    TextCipher cipher;
    const QString line1 = QString::fromLatin1(lines[1].trimmed());
    const QString key = cipher.tryDecrypt(QString::fromLatin1(lines[0].trimmed()), line1)
                            .text.section(QLatin1Char('|'), 0, 0);
    const QByteArray keyBytes = TextCipher::utf16Bytes(key);
    AES aes;
    for (auto _ : state) {
        qint64 bytes = 0;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray hex = lines[i].trimmed();
            if (hex.isEmpty()) continue;
            bytes += aes.DecryptData(QByteArray::fromHex(hex), keyBytes).size();
        }
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_BareDecryption)->Unit(benchmark::kMillisecond);

void BM_Open(benchmark::State& state) {
    Env env;
    for (auto _ : state) {
        env.waiting.read(false);
        if (!env.profile.ProfileLoaded) state.SkipWithError("not loaded");
    }
    state.counters["records"] = static_cast<double>(env.profile.Records.count());
}
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond);

void BM_Save(benchmark::State& state) {
    Env env;
    env.waiting.read(false);
    for (auto _ : state) {
        env.waiting.save();
        if (!env.profile.ProfileSaved) state.SkipWithError("not saved");
    }
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);

// The same profile sealed: the header read, one Argon2id derivation of the
// login, the whole content decrypted and read.
void BM_SealedOpen(benchmark::State& state) {
    Env env;
    env.waiting.read(false);
    if (!env.waiting.convertTo(true)) state.SkipWithError("not sealed");
    for (auto _ : state) {
        env.store.forgetKeys();
        env.waiting.read(false);
        if (!env.store.logIn(QStringLiteral("bulk"), QStringLiteral("Big pass 1"), {}))
            state.SkipWithError("not opened");
    }
    state.counters["records"] = static_cast<double>(env.profile.Records.count());
}
BENCHMARK(BM_SealedOpen)->Unit(benchmark::kMillisecond);

void BM_SealedSave(benchmark::State& state) {
    Env env;
    env.waiting.read(false);
    if (!env.waiting.convertTo(true)) state.SkipWithError("not sealed");
    for (auto _ : state) {
        env.waiting.save();
        if (!env.profile.ProfileSaved) state.SkipWithError("not saved");
    }
}
BENCHMARK(BM_SealedSave)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return tavrino::bench::runWithRatios(argc, argv,
                                         {{"open / floor (goal <= 1.5)", "BM_Open", "BM_Floor"},
                                          {"save / open (goal <= 2)", "BM_Save", "BM_Open"},
                                          {"sealed open / open", "BM_SealedOpen", "BM_Open"},
                                          {"sealed save / save", "BM_SealedSave", "BM_Save"}});
}

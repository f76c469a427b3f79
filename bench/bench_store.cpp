// Opening and saving a 10,000-record profile, next to the bare decryption
// of the same lines (hex decoding and the cipher, nothing else).
#include "crypto/aes.h"
#include "crypto/text_cipher.h"
#include "shell/clock.h"
#include "shell/error_log.h"
#include "shell/message_service.h"
#include "store/profile_store.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

using namespace tavrino;

namespace {

class Quiet : public MessageService {
public:
    using MessageService::show;
    MsgAnswer show(const Message&) override { return MsgAnswer::Ok; }
};
class NoPause : public PauseService {
public:
    void pause(int) override {}
};

QByteArray bigFile() {
    QFile f(QStringLiteral(TAVRINO_FIXTURES "/Big.dat"));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

struct Env {
    QTemporaryDir dir;
    Clock clock;
    Quiet messages;
    NoPause pause;
    ErrorLog log{&clock};
    TextCipher cipher{&log, &messages};
    Profile profile;
    ProfileStore store{profile, log, cipher, messages, pause, clock};
    Env() {
        QFile out(dir.filePath(QStringLiteral("Big.dat")));
        out.open(QIODevice::WriteOnly);
        out.write(bigFile());
        out.close();
        store.setDatabaseFolder(dir.path());
        profile.ProfileFileName = QStringLiteral("Big.dat");
    }
};

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
        env.store.ReadFromFile(false);
        if (!env.profile.ProfileLoaded) state.SkipWithError("not loaded");
    }
    state.counters["records"] = static_cast<double>(env.profile.Records.count());
}
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond);

void BM_Save(benchmark::State& state) {
    Env env;
    env.store.ReadFromFile(false);
    for (auto _ : state) {
        env.store.WriteToFile();
        if (!env.profile.ProfileSaved) state.SkipWithError("not saved");
    }
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

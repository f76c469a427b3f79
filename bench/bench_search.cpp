// Searching 100,000 records (Big.dat's 10,000 ten times over, each copy
// with its own descriptions): folding them once, then each keystroke of a
// query as typed. A keystroke must answer within 50 ms.
#include "crypto/text_cipher.h"
#include "store/profile_format.h"
#include "store/record_search.h"

#include <benchmark/benchmark.h>

#include <QFile>

using namespace tavrino;

namespace {

const QStringList& hundredThousand() {
    static const QStringList records = [] {
        QFile f(QStringLiteral(TAVRINO_FIXTURES "/Big.dat"));
        f.open(QIODevice::ReadOnly);
        TextCipher cipher;
        Profile p;
        ProfileFormat::read(f.readAll(), p, cipher);
        QStringList out;
        for (int copy = 0; copy < 10; ++copy)
            for (const QString& line : p.Records.lines()) {
                PasswordRecord r = PasswordRecord::fromLine(line);
                r[PasswordRecord::Description] += QStringLiteral(" copy%1").arg(copy);
                out << r.toLine();
            }
        return out;
    }();
    return records;
}

void BM_Index(benchmark::State& state) {
    hundredThousand(); // made before the clock runs
    for (auto _ : state) {
        RecordSearch search;
        search.index(hundredThousand());
        benchmark::DoNotOptimize(&search);
    }
}
BENCHMARK(BM_Index)->Unit(benchmark::kMillisecond);

// Indexed again after a save that changed one record: only it is folded.
void BM_IndexAfterASave(benchmark::State& state) {
    RecordSearch search;
    search.index(hundredThousand());
    QStringList saved = hundredThousand();
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        saved[500] = saved[500] + QString::number(++n);
        state.ResumeTiming();
        search.index(saved);
    }
}
BENCHMARK(BM_IndexAfterASave)->Unit(benchmark::kMillisecond);

// Each keystroke of typing "copy7 " then "service 12" (the search as the
// window runs it: find with the 500 shown), timed one by one.
void BM_Keystroke(benchmark::State& state) {
    RecordSearch search;
    search.index(hundredThousand());
    const QString typed = QStringLiteral("copy7 service 12");
    const qsizetype upTo = state.range(0);
    qsizetype total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        search.find(typed.left(upTo - 1), 500); // the keystroke before
        state.ResumeTiming();
        benchmark::DoNotOptimize(search.find(typed.left(upTo), 500, &total));
    }
    state.counters["found"] = static_cast<double>(total);
}
BENCHMARK(BM_Keystroke)->DenseRange(1, 15, 2)->Arg(15)->Unit(benchmark::kMillisecond);

// A query that does not extend the last one: every record looked at.
void BM_FreshQuery(benchmark::State& state) {
    RecordSearch search;
    search.index(hundredThousand());
    for (auto _ : state) {
        search.find(QStringLiteral("x"), 500);
        benchmark::DoNotOptimize(search.find(QStringLiteral("zürich"), 500));
    }
}
BENCHMARK(BM_FreshQuery)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

#pragma once
// What the benchmarks share: a store over a temporary copy of Big.dat, and
// a reporter that prints the ratios the speed goals are set in.
#include "crypto/text_cipher.h"
#include "shell/clock.h"
#include "shell/error_log.h"
#include "shell/message_service.h"
#include "store/profile_store.h"
#include "store/waiting.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace tavrino::bench {

inline QByteArray bigFile() {
    QFile f(QStringLiteral(TAVRINO_FIXTURES "/Big.dat"));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

class Quiet : public MessageService {
public:
    using MessageService::show;
    MsgAnswer show(const Message&) override { return MsgAnswer::Ok; }
};

class NoPause : public PauseService {
public:
    void pause(int) override {}
};

struct BigStore {
    QTemporaryDir dir;
    QTemporaryDir notes;
    Clock clock;
    Quiet messages;
    NoPause pause;
    ErrorLog log{&clock};
    TextCipher cipher{&log, &messages};
    Profile profile;
    ProfileStore store{profile, log, cipher, clock};
    WaitingStore waiting{store, pause, messages};
    BigStore() {
        QFile out(dir.filePath(QStringLiteral("Big.dat")));
        out.open(QIODevice::WriteOnly);
        out.write(bigFile());
        out.close();
        store.setDatabaseFolder(dir.path());
        store.saveWatch().setNotesFolder(notes.path());
        profile.ProfileFileName = QStringLiteral("Big.dat");
    }
};

// The usual console report, then "what: a / b" for each ratio asked for,
// from the CPU times (medians when repeated).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    struct Ratio {
        const char* what;
        std::string numerator;
        std::string denominator;
    };
    explicit RatioReporter(std::vector<Ratio> ratios) : m_ratios(std::move(ratios)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")
                m_cpu[run.run_name.function_name +
                      (run.run_name.args.empty() ? std::string() : "/" + run.run_name.args)] =
                    run.GetAdjustedCPUTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const Ratio& r : m_ratios)
            if (m_cpu.count(r.numerator) && m_cpu.count(r.denominator) && m_cpu[r.denominator] > 0)
                std::printf("%-44s %.2f\n", r.what, m_cpu[r.numerator] / m_cpu[r.denominator]);
    }

private:
    std::vector<Ratio> m_ratios;
    std::map<std::string, double> m_cpu;
};

inline int runWithRatios(int argc, char** argv, std::vector<RatioReporter::Ratio> ratios) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(std::move(ratios));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace tavrino::bench

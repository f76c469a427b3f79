#pragma once
// Benchmarks state their goals as ratios to a baseline measured in the same
// run; this reporter prints them after the usual table.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace tavrino::bench {

// The usual console report, then "what: a / b" for each ratio asked for,
// from the CPU times, or wall times for benchmarks timed in real time
// (medians when repeated).
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
                    (run.run_name.time_type.rfind("real_time", 0) == 0
                         ? run.GetAdjustedRealTime()
                         : run.GetAdjustedCPUTime());
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

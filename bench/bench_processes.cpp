// Whole programs as a user starts them, each next to its baseline in the
// same run (medians of repeated runs, wall time):
//   tavrino-cli dump of Big      against the floor: hex decoding and
//                                 libmcrypt's cipher in a plain C++ program
//   the window with Big selected against an empty Qt window, also in pairs
//                                 (BM_WindowWithBigOverEmptyPaired's "ratio",
//                                 the figure held against the goal of 1.4: the
//                                 machine's speed drifts between runs apart)
// Run from the build tree: build/bin/bench_processes
#include "ratio_report.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

QString binDir;
QTemporaryDir* work;
// The user's runtime folder (the single-instance lock and doorbell): on a
// desktop it is a tmpfs (/run/user/UID), where the lock costs no disk sync.
QTemporaryDir* runtime;

// Runs argv with extra environment, stdin from inFile (or /dev/null),
// output thrown away; false when it did not end with 0.
bool run(const std::vector<std::string>& argv, const std::vector<std::string>& env,
         const char* inFile = "/dev/null") {
    std::vector<std::string> environment(env);
    for (char** e = environ; *e; ++e)
        environment.emplace_back(*e);
    std::vector<char*> args, envp;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const auto& e : environment)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, inFile, O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string path(const QString& p) {
    return QFile::encodeName(p).toStdString();
}

void timed(benchmark::State& state, const std::vector<std::string>& argv,
           const std::vector<std::string>& env, const char* inFile = "/dev/null") {
    for (auto _ : state)
        if (!run(argv, env, inFile)) state.SkipWithError("the program failed");
}

std::string db() { return path(work->filePath(QStringLiteral("db"))); }

void BM_Floor(benchmark::State& state) {
    timed(state, {path(binDir + QStringLiteral("/floor_open")), db() + "/Big.dat"}, {});
}

void BM_DumpBig(benchmark::State& state) {
    const std::string login = path(work->filePath(QStringLiteral("login")));
    timed(state,
          {path(binDir + QStringLiteral("/tavrino-cli")), "dump", "Big", "--database", db()},
          {}, login.c_str());
}

const std::vector<std::string> windowEnv() {
    return {"QT_QPA_PLATFORM=offscreen",
            "TAVRINO_SETTINGS=" + path(work->filePath(QStringLiteral("settings.ini"))),
            "XDG_RUNTIME_DIR=" + path(runtime->path()),
            "TAVRINO_QUIT_WHEN_SHOWN=1"};
}

void BM_EmptyWindow(benchmark::State& state) {
    timed(state, {path(binDir + QStringLiteral("/empty_window"))}, windowEnv());
}

void BM_WindowWithBig(benchmark::State& state) {
    timed(state, {path(binDir + QStringLiteral("/tavrino"))}, windowEnv());
}

// The two in turn, the ratio taken pair by pair (the machine's speed drifts
// over a run; a pair sees the same machine): "ratio" is the median.
void BM_WindowWithBigOverEmptyPaired(benchmark::State& state) {
    const std::vector<std::string> window{path(binDir + QStringLiteral("/tavrino"))};
    const std::vector<std::string> empty{path(binDir + QStringLiteral("/empty_window"))};
    std::vector<double> ratios;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const bool windowRan = run(window, windowEnv());
        const auto middle = std::chrono::steady_clock::now();
        const bool emptyRan = run(empty, windowEnv());
        const auto end = std::chrono::steady_clock::now();
        if (!windowRan || !emptyRan) state.SkipWithError("a program failed");
        ratios.push_back(std::chrono::duration<double>(middle - start).count() /
                         std::chrono::duration<double>(end - middle).count());
    }
    std::sort(ratios.begin(), ratios.end());
    state.counters["ratio"] = ratios.empty() ? 0.0 : ratios[ratios.size() / 2];
}

void setUp(const char* argv0) {
    binDir = QFileInfo(QString::fromLocal8Bit(argv0)).absolutePath();
    work = new QTemporaryDir;
    QDir().mkpath(work->filePath(QStringLiteral("db")));
    runtime = QDir(QStringLiteral("/dev/shm")).exists()
                  ? new QTemporaryDir(QStringLiteral("/dev/shm/tavrino-bench-XXXXXX"))
                  : new QTemporaryDir;
    QFile::setPermissions(runtime->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::copy(QStringLiteral(TAVRINO_FIXTURES "/Big.dat"), work->filePath(QStringLiteral("db/Big.dat")));
    QFile login(work->filePath(QStringLiteral("login")));
    login.open(QIODevice::WriteOnly);
    login.write("bulk\nBig pass 1\n0000\n");
    // The program's own settings: this folder, no getting-started tip.
    QSettings settings(work->filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    const QString key = QStringLiteral("Licenses/Corvane/Tavrino/");
    settings.setValue(key + QStringLiteral("Database"), work->filePath(QStringLiteral("db")));
    settings.setValue(key + QStringLiteral("Timer"), QStringLiteral("0"));
    settings.setValue(key + QStringLiteral("Startup"), QStringLiteral("1"));
}

} // namespace

int main(int argc, char** argv) {
    setUp(argv[0]);
    for (auto* b : {benchmark::RegisterBenchmark("BM_Floor", BM_Floor),
                    benchmark::RegisterBenchmark("BM_DumpBig", BM_DumpBig),
                    benchmark::RegisterBenchmark("BM_EmptyWindow", BM_EmptyWindow),
                    benchmark::RegisterBenchmark("BM_WindowWithBig", BM_WindowWithBig)})
        b->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(7)->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark("BM_WindowWithBigOverEmptyPaired", BM_WindowWithBigOverEmptyPaired)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(41);
    const int result = tavrino::bench::runWithRatios(
        argc, argv,
        {{"dump Big / floor (goal <= 1.2)", "BM_DumpBig", "BM_Floor"},
         {"window with Big / empty window, runs apart", "BM_WindowWithBig", "BM_EmptyWindow"}});
    delete runtime;
    delete work;
    return result;
}

// Rebuilding the record tree of a 10,000-record profile: building the nodes,
// and building them plus filling the tree control, in both views; each as a
// ratio to opening the profile.
#include "bench_support.h"
#include "crypto/text_cipher.h"
#include "store/profile_format.h"
#include "ui/tree/record_tree_view.h"
#include "ui/tree/tree_builder.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTreeView>

using namespace tavrino;

namespace {

struct BigProfile {
    QStringList records;
    QStringList categories;
    BigProfile() {
        QFile f(QStringLiteral(TAVRINO_FIXTURES "/Big.dat"));
        f.open(QIODevice::ReadOnly);
        TextCipher cipher;
        Profile p;
        ProfileFormat::read(f.readAll(), p, cipher);
        records = p.Records.lines();
        for (const QString& line : p.Categories.lines())
            categories << line.mid(2);
    }
};

const BigProfile& big() {
    static const BigProfile b;
    return b;
}

const QDate Today(2026, 12, 10);

void BM_Open(benchmark::State& state) {
    bench::BigStore env;
    for (auto _ : state)
        env.waiting.read(false);
}
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond);

void BM_BuildNodes(benchmark::State& state) {
    const BigProfile& b = big();
    for (auto _ : state) {
        RecordTree t =
            buildRecordTree(b.records, b.categories, state.range(0) != 0, Today, QString());
        benchmark::DoNotOptimize(t.roots.data());
    }
}
BENCHMARK(BM_BuildNodes)->Arg(0)->Arg(1)->ArgNames({"byCategory"})->Unit(benchmark::kMillisecond);

void BM_FillTree(benchmark::State& state) {
    const BigProfile& b = big();
    QTreeView tree;
    RecordTreeModel model;
    tree.setModel(&model);
    tree.setHeaderHidden(true);
    tree.setUniformRowHeights(true);
    tree.resize(270, 270);
    tree.show();
    for (auto _ : state) {
        showRecordTree(&tree, &model,
                       buildRecordTree(b.records, b.categories, state.range(0) != 0, Today,
                                       QStringLiteral("C5000")));
        QApplication::processEvents();
    }
}
BENCHMARK(BM_FillTree)->Arg(0)->Arg(1)->ArgNames({"byCategory"})->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return bench::runWithRatios(
        argc, argv,
        {{"tree by letter / open (goal <= 0.25)", "BM_FillTree/byCategory:0", "BM_Open"},
         {"tree by category / open (goal <= 0.25)", "BM_FillTree/byCategory:1", "BM_Open"}});
}

// Writing and reading a large project with stored results: ten motions with
// five harmonics each and one hundred restrictions.
#include "formats/project_file.h"
#include "model/tree_ops.h"

#include <benchmark/benchmark.h>

using namespace vemra;

namespace {

constexpr int Motions = 10;
constexpr int Harmonics = 5;
constexpr int RestrictionsPerMotion = 10;

TreeItem* buildLargeProject(Workspace& ws)
{
    TreeItem* project = ws.tree.AddTopLevel(std::make_unique<TProject>());
    auto* p = project->NodeAs<TProject>();
    p->Description = "Großes Projekt für die Messung";
    p->HasResults = true;
    p->AllValid = true;
    for (int m = 1; m <= Motions; ++m) {
        int n = 0;
        TreeItem* motionItem = EnsureMotion(ws.tree, n, project);
        auto* motion = motionItem->NodeAs<TRXHeader>();
        motion->IntPar[3] = Harmonics;
        motion->HasResult = true;
        motion->ResultValid = true;
        const int count = 2 * Harmonics + 2;
        motion->sSC.ReSize(count);
        motion->qSC.ReSize(count);
        motion->mSC.ReSize(2 * (count - 1));
        for (int i = 0; i < count; ++i) {
            motion->sSC[i] = 1.0 / (i + m);
            motion->qSC[i] = 0.9 / (i + m);
        }
        for (int i = 0; i < 2 * (count - 1); ++i)
            motion->mSC[i] = 0.01 * i;
        for (int r = 0; r < RestrictionsPerMotion; ++r) {
            auto restriction = std::make_unique<TRestr>();
            restriction->Motion() = n;
            restriction->Kind() = 10 + r % 3;
            restriction->RealPar[2] = 30.0 * r;
            restriction->RealPar[4] = 30.0 * r + 20;
            restriction->RealPar[6] = -10;
            restriction->RealPar[8] = 10;
            restriction->MakeCaption();
            ws.tree.AddChild(motionItem, std::move(restriction));
        }
    }
    SortProject(ws.tree);
    return project;
}

void BM_WriteProject(benchmark::State& state)
{
    SilentDialogs dialogs;
    Workspace ws(dialogs);
    TreeItem* project = buildLargeProject(ws);
    for (auto _ : state) {
        RecordWriter out;
        WriteProject(out, project);
        benchmark::DoNotOptimize(out.bytes().data());
    }
}
BENCHMARK(BM_WriteProject)->Unit(benchmark::kMicrosecond);

// Reading includes the actual values of every restriction, as opening a
// computed project does.
void BM_ReadProject(benchmark::State& state)
{
    SilentDialogs dialogs;
    Workspace source(dialogs);
    RecordWriter out;
    WriteProject(out, buildLargeProject(source));
    for (auto _ : state) {
        Workspace ws(dialogs);
        RecordReader in(out.bytes());
        benchmark::DoNotOptimize(ReadProject(ws.tree, in, "gross.r4p"));
    }
    state.counters["bytes"] = static_cast<double>(out.bytes().size());
}
BENCHMARK(BM_ReadProject)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

// Whole synthesis runs, input text to verified result: generated projects of three sizes, the
// shift search on a module input file from the field, and twelve random projects of the
// largest size. The counters report the linear programmes solved per run (exchange re-solves
// included) and λ*. Wall-clock time, since the shift search uses every core.
#include "module/input_reader.h"
#include "protocol/result_codes.h"
#include "module/synthesis.h"
#include "random_project.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

using vemra::module::ReadResult;
using vemra::module::readRecordFile;
using vemra::module::readRecords;
using vemra::module::synthesise;
using vemra::module::SynthesisResult;
using vemra::module::testing::makeRandomProject;
using vemra::module::testing::RandomProjectConfig;

void runSynthesis(benchmark::State& state, const ReadResult& input)
{
    SynthesisResult last;
    for (auto _ : state) {
        last = synthesise(input);
        benchmark::DoNotOptimize(last.code);
    }
    if (!vemra::ResultCodes::resultsExpected(last.code))
        state.SkipWithError(("unexpected result code " + std::to_string(last.code) + ": " + last.message).c_str());
    state.counters["LPs"] = static_cast<double>(last.stats.linearProgrammes);
    state.counters["rounds"] = static_cast<double>(last.stats.exchangeRounds);
    state.counters["lambda"] = last.lambda;
}

void runSynthesis(benchmark::State& state, const std::string& inputText)
{
    runSynthesis(state, readRecords(inputText));
}

// (a) one motion, K = 10, five restrictions.
void BM_OneMotionK10(benchmark::State& state)
{
    RandomProjectConfig config;
    config.harmonics = {10};
    config.restrictions = 5;
    config.seed = 11;
    runSynthesis(state, makeRandomProject(config).text());
}

// (b) three motions, K = 15 each, twenty restrictions including relative ones.
void BM_ThreeMotionsK15(benchmark::State& state)
{
    RandomProjectConfig config;
    config.harmonics = {15, 15, 15};
    config.restrictions = 20;
    config.relative = true;
    config.seed = 22;
    runSynthesis(state, makeRandomProject(config).text());
}

// (c) ten motions with 55 harmonics together, sixty restrictions, two optimisation objects and
// a variable eta, with the default search settings (20 steps of 8 samples). The argument is
// the seed: 33 is the reference instance, the others are further random ones of that size.
RandomProjectConfig tenMotions(std::uint32_t seed)
{
    RandomProjectConfig config;
    config.harmonics = {10, 8, 7, 6, 5, 5, 4, 4, 3, 3};
    config.restrictions = 60;
    config.relative = true;
    config.objects = 2;
    config.variableEta = true;
    config.samples = 0; // advanced settings off: S = 20, P = 8, w = 0.25
    config.seed = seed;
    return config;
}

void BM_TenMotionsTwoObjects(benchmark::State& state)
{
    runSynthesis(state, makeRandomProject(tenMotions(static_cast<std::uint32_t>(state.range(0)))).text());
}

// (d) one motion of K = 10, five restrictions (one check-only), two objects of one member
// each, advanced settings off; λ* does not depend on the shifts, so every candidate ties.
// With the argument 1 the same project runs with 100 steps of 40 shifts.
void BM_ShiftSearchOneMotion(benchmark::State& state)
{
    ReadResult input =
        readRecordFile(std::filesystem::path(VEMRA_RX4_DATA_DIR) / "shift-search-one-motion-two-objects.rx4");
    if (state.range(0) == 1 && !input.records.empty()) {
        auto& project = input.records.front();
        project.ints[3] = 40;     // samples per step
        project.ints[4] = 100;    // steps
        project.ints[5] = 1;      // advanced settings on
        project.reals[0] = 0.25;  // step width
    }
    runSynthesis(state, input);
}

} // namespace

// Medians over repetitions; one run of the large cases takes seconds.
BENCHMARK(BM_OneMotionK10)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ThreeMotionsK15)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_TenMotionsTwoObjects)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3)
    ->ReportAggregatesOnly(true)->Arg(33);
BENCHMARK(BM_ShiftSearchOneMotion)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3)
    ->ReportAggregatesOnly(true)->Arg(0)->Arg(1);
// The twelve random instances of case (c)'s size; the slowest one counts.
BENCHMARK(BM_TenMotionsTwoObjects)->Name("BM_TenMotionsRandom")->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Iterations(1)->DenseRange(1, 12);

BENCHMARK_MAIN();

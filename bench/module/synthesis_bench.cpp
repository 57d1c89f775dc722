// Whole synthesis runs, input text to verified result: generated projects of three sizes, the
// shift search on module input files from the field, twelve random projects of the largest
// size, the double dwell at growing harmonic counts, and the program itself started on the
// examples' module input, process start to rx4.err. The counters report the linear
// programmes solved per run (exchange re-solves included), the simplex iterations, the
// exchange rounds, the programmes that failed and λ*. Wall-clock time, since the shift
// search uses every core.
#include "module/freed_memory.h"
#include "module/input_reader.h"
#include "protocol/result_codes.h"
#include "module/synthesis.h"
#include "double_dwell.h"
#include "random_project.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using vemra::module::ReadResult;
using vemra::module::readRecordFile;
using vemra::module::readRecords;
using vemra::module::synthesise;
using vemra::module::SynthesisResult;
using vemra::module::testing::doubleDwellProject;
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
    state.counters["iterations"] = static_cast<double>(last.stats.simplexIterations);
    state.counters["rounds"] = static_cast<double>(last.stats.exchangeRounds);
    state.counters["failed"] = static_cast<double>(last.stats.failedProgrammes);
    state.counters["retired"] = static_cast<double>(last.stats.retiredRows);
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

// (e) three motions of K = 5, 8 and 10 whose λ* needs coefficients of 1e6 that cancel, one
// optimisation object with a variable angle, default search settings.
void BM_BadlyScaledShiftSearch(benchmark::State& state)
{
    runSynthesis(state, readRecordFile(std::filesystem::path(VEMRA_RX4_DATA_DIR)
                                       / "badly-scaled-three-motions-one-object.rx4"));
}

// (f) the double dwell with K harmonics (the argument): how the cost grows with K.
void BM_DoubleDwell(benchmark::State& state)
{
    runSynthesis(state, doubleDwellProject(static_cast<int>(state.range(0))));
}

} // namespace

// Medians over repetitions; one run of the large cases takes seconds.
BENCHMARK(BM_OneMotionK10)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ThreeMotionsK15)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_TenMotionsTwoObjects)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3)
    ->ReportAggregatesOnly(true)->Arg(33);
BENCHMARK(BM_ShiftSearchOneMotion)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3)
    ->ReportAggregatesOnly(true)->Arg(0)->Arg(1);
BENCHMARK(BM_BadlyScaledShiftSearch)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_DoubleDwell)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3)->ReportAggregatesOnly(true)
    ->Arg(10)->Arg(20)->Arg(30)->Arg(40);
// The twelve random instances of case (c)'s size; the slowest one counts.
BENCHMARK(BM_TenMotionsTwoObjects)->Name("BM_TenMotionsRandom")->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Iterations(1)->DenseRange(1, 12);

// Timed as rx-10-L runs them: with the freed work arrays kept for the next programme (which
// takes the double dwell at K = 40 about a fifteenth less than with the library's defaults).
int main(int argc, char** argv)
{
    vemra::module::keepFreedMemoryForReuse();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

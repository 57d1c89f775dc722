// Whole synthesis runs, input text to verified result, for three project sizes. The counters
// report the linear programmes solved per run (exchange re-solves included) and λ*.
#include "module/result_code.h"
#include "module/synthesis.h"
#include "random_project.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using vemra::module::synthesiseText;
using vemra::module::SynthesisResult;
using vemra::module::testing::makeRandomProject;
using vemra::module::testing::RandomProjectConfig;

void runSynthesis(benchmark::State& state, const std::string& input)
{
    SynthesisResult last;
    for (auto _ : state) {
        last = synthesiseText(input);
        benchmark::DoNotOptimize(last.code);
    }
    if (last.code != vemra::module::result_code::kSolved && last.code != vemra::module::result_code::kMaximumMet)
        state.SkipWithError(("unexpected result code " + std::to_string(last.code) + ": " + last.message).c_str());
    state.counters["LPs"] = static_cast<double>(last.stats.linearProgrammes);
    state.counters["rounds"] = static_cast<double>(last.stats.exchangeRounds);
    state.counters["lambda"] = last.lambda;
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
// a variable eta, with the default search settings (20 steps of 8 samples).
void BM_TenMotionsTwoObjects(benchmark::State& state)
{
    RandomProjectConfig config;
    config.harmonics = {10, 8, 7, 6, 5, 5, 4, 4, 3, 3};
    config.restrictions = 60;
    config.relative = true;
    config.objects = 2;
    config.variableEta = true;
    config.samples = 0; // advanced settings off: S = 20, P = 8, w = 0.25
    config.seed = 33;
    runSynthesis(state, makeRandomProject(config).text());
}

} // namespace

BENCHMARK(BM_OneMotionK10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThreeMotionsK15)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TenMotionsTwoObjects)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();

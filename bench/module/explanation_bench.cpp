// What explaining a result costs: each case runs the whole synthesis once without and once with
// the explanation (the argument), so the difference of the two is the explanation's share. The
// examples' module input (written once by vemra-cli), the generated projects (b) and (c) of the
// synthesis benchmark, and projects of (c)'s size with a planted contradiction, where the
// difference is the conflict filter.
#include "module/input_reader.h"
#include "module/synthesis.h"
#include "contradiction.h"
#include "random_project.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using vemra::module::ReadResult;
using vemra::module::readRecords;
using vemra::module::synthesise;
using vemra::module::SynthesisOptions;
using vemra::module::SynthesisResult;
using vemra::module::testing::Contradiction;
using vemra::module::testing::makeRandomProject;
using vemra::module::testing::plantContradiction;
using vemra::module::testing::RandomProjectConfig;

void runExplained(benchmark::State& state, const ReadResult& input)
{
    SynthesisOptions options;
    options.explain = state.range(0) != 0;
    SynthesisResult last;
    for (auto _ : state) {
        last = synthesise(input, options);
        benchmark::DoNotOptimize(last.code);
    }
    if (input.error)
        state.SkipWithError("the input does not read");
    if (options.explain && !last.explanation)
        state.SkipWithError(("no explanation for code " + std::to_string(last.code)).c_str());
    state.counters["code"] = last.code;
    state.counters["LPs"] = static_cast<double>(last.stats.linearProgrammes);
    state.counters["iterations"] = static_cast<double>(last.stats.simplexIterations);
    state.counters["rounds"] = static_cast<double>(last.stats.exchangeRounds);
    state.counters["listed"] = !last.explanation ? 0.0
                               : last.explanation->conflict.empty()
                                   ? static_cast<double>(last.explanation->limits.size())
                                   : static_cast<double>(last.explanation->conflict.size());
}

std::string exampleInput(const std::string& example)
{
    const fs::path file = fs::temp_directory_path()
                          / ("vemra-explanation-bench-" + std::to_string(::getpid()) + "-" + example + ".rx4");
    if (!fs::exists(file)) {
        const std::string command = std::string("'") + VEMRA_CLI_PROGRAM + "' module-input '" VEMRA_EXAMPLES_DIR "/"
                                    + example + ".r4p' '" + file.string() + "' > /dev/null";
        if (std::system(command.c_str()) != 0)
            return {};
    }
    std::ostringstream text;
    text << std::ifstream(file, std::ios::binary).rdbuf();
    return text.str();
}

void BM_ExplainExample(benchmark::State& state, const std::string& example)
{
    runExplained(state, readRecords(exampleInput(example)));
}

RandomProjectConfig threeMotions()
{
    RandomProjectConfig config;
    config.harmonics = {15, 15, 15};
    config.restrictions = 20;
    config.relative = true;
    config.seed = 22;
    return config;
}

// As case (c) of the synthesis benchmark: ten motions, sixty restrictions, two optimisation
// objects, a variable eta, default search settings.
RandomProjectConfig tenMotions(std::uint32_t seed)
{
    RandomProjectConfig config;
    config.harmonics = {10, 8, 7, 6, 5, 5, 4, 4, 3, 3};
    config.restrictions = 60;
    config.relative = true;
    config.objects = 2;
    config.variableEta = true;
    config.samples = 0;
    config.seed = seed;
    return config;
}

void BM_ExplainThreeMotionsK15(benchmark::State& state)
{
    runExplained(state, readRecords(makeRandomProject(threeMotions()).text()));
}

void BM_ExplainTenMotionsTwoObjects(benchmark::State& state)
{
    runExplained(state, readRecords(makeRandomProject(tenMotions(33)).text()));
}

// The second argument picks the contradiction planted into the project of (c)'s size.
void BM_ConflictTenMotions(benchmark::State& state)
{
    auto project = makeRandomProject(tenMotions(33));
    plantContradiction(project, static_cast<Contradiction>(state.range(1)), 7);
    runExplained(state, readRecords(project.text()));
}

} // namespace

BENCHMARK_CAPTURE(BM_ExplainExample, hubkurve, std::string("hubkurve"))
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true)->Arg(0)->Arg(1);
BENCHMARK_CAPTURE(BM_ExplainExample, greifer, std::string("greifer"))
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3)->ReportAggregatesOnly(true)->Arg(0)->Arg(1);
BENCHMARK_CAPTURE(BM_ExplainExample, foerderer, std::string("foerderer"))
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true)->Arg(0)->Arg(1);
BENCHMARK(BM_ExplainThreeMotionsK15)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)
    ->ReportAggregatesOnly(true)->Arg(0)->Arg(1);
BENCHMARK(BM_ExplainTenMotionsTwoObjects)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)
    ->Repetitions(3)->ReportAggregatesOnly(true)->Arg(0)->Arg(1);
BENCHMARK(BM_ConflictTenMotions)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3)
    ->ReportAggregatesOnly(true)->ArgsProduct({{0, 1}, {0, 1, 2}});

BENCHMARK_MAIN();

// Writing value tables: the finest step (0.0001 degrees, 3.6 million lines)
// must stream to the file, so the memory the process holds stays flat while
// the time grows with the lines.
#include "model/nodes.h"
#include "report/value_table.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace vemra {
namespace {

struct BenchMotion : TRXHeader {
    explicit BenchMotion(int harmonics)
    {
        IntPar[3] = harmonics;
        sSC.ReSize(2 * harmonics + 2);
        sSC[1] = 0.5;
        for (int k = 1; k <= harmonics; ++k) {
            sSC[2 * k] = 1.0 / (k * k);
            sSC[2 * k + 1] = 0.5 / (k * k * k);
        }
        qSC.assign(sSC);
        HasResult = ResultValid = true;
    }
};

long peakResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Argument: the step in ten-thousandths of a degree.
void BM_WriteValueTable(benchmark::State& state)
{
    const BenchMotion motion(10);
    ValueTableSettings settings;
    settings.step = static_cast<double>(state.range(0)) * 1e-4;
    const std::string file = (std::filesystem::temp_directory_path() / "vemra-value-table-bench.tab").string();
    const long before = peakResidentKiB();
    for (auto _ : state) {
        const auto result = WriteValueTable(motion, settings, file);
        if (result.status != TableWriteResult::Status::Written)
            state.SkipWithError(result.message.c_str());
    }
    const auto bytes = std::filesystem::file_size(file);
    std::filesystem::remove(file);
    state.counters["lines"] = static_cast<double>(valueTableLineCount(settings.step));
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
    // Growth of the process's peak memory while tables were written.
    state.counters["peak_growth_KiB"] = static_cast<double>(peakResidentKiB() - before);
}
BENCHMARK(BM_WriteValueTable)->Arg(10000)->Arg(100)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vemra

BENCHMARK_MAIN();

// Cost of evaluating computed motions: one curve value, the extreme search
// a diagram runs on every rescaling, and the actual values of a restriction
// that every computation and every project load recomputes.
#include "model/nodes.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace vemra {
namespace {

// A motion with K harmonics whose amplitudes fall off like those of a
// smooth motion law.
struct BenchMotion : TRXHeader {
    explicit BenchMotion(int harmonics)
    {
        IntPar[3] = harmonics;
        sSC.ReSize(2 * harmonics + 2);
        qSC.ReSize(2 * harmonics + 2);
        sSC[1] = 0.5;
        for (int k = 1; k <= harmonics; ++k) {
            sSC[2 * k] = 1.0 / (k * k);
            sSC[2 * k + 1] = 0.5 / (k * k * k);
        }
        qSC.assign(sSC);
        HasResult = ResultValid = true;
    }
};

void BM_Calc_s(benchmark::State& state)
{
    const BenchMotion m(static_cast<int>(state.range(0)));
    double phi = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(m.Calc_s(2, phi));
        phi += 0.37;
        if (phi > 360)
            phi -= 360;
    }
}
BENCHMARK(BM_Calc_s)->Arg(10)->Arg(59);

void BM_GetMinMax_s_FullRevolution(benchmark::State& state)
{
    const BenchMotion m(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        double lo = 0, hi = 360;
        m.GetMinMax_s(0, lo, hi);
        benchmark::DoNotOptimize(lo);
        benchmark::DoNotOptimize(hi);
    }
}
BENCHMARK(BM_GetMinMax_s_FullRevolution)->Arg(10)->Arg(59)->Unit(benchmark::kMicrosecond);

// An interval restriction on the acceleration with both bounds crossed on
// either side of its range, so that both walks close in on a boundary.
void BM_UpdateActualValues_Interval(benchmark::State& state)
{
    const BenchMotion m(static_cast<int>(state.range(0)));
    TRestr r;
    r.Kind() = 12;
    r.LowerMode() = 0;
    r.UpperMode() = 0;
    r.EffPar[2] = 40;
    r.EffPar[4] = 80;
    double lo = 40, hi = 80;
    m.GetMinMax_s(2, lo, hi);
    r.EffPar[6] = lo - 0.1 * std::fabs(lo);
    r.EffPar[8] = hi + 0.1 * std::fabs(hi);
    for (auto _ : state) {
        r.UpdateActualValuesS(m);
        benchmark::DoNotOptimize(r.ActS);
    }
}
BENCHMARK(BM_UpdateActualValues_Interval)->Arg(10)->Arg(59)->Unit(benchmark::kMicrosecond);

// A restriction over the whole revolution whose band the curve keeps all
// round: the extremes need every turning point of the curve, and both walks
// run to their limits.
void BM_UpdateActualValues_FullRevolution(benchmark::State& state)
{
    const BenchMotion m(static_cast<int>(state.range(0)));
    TRestr r;
    r.Kind() = 12;
    r.LowerMode() = 0;
    r.UpperMode() = 0;
    r.EffPar[2] = 0;
    r.EffPar[4] = 360;
    double lo = 0, hi = 360;
    m.GetMinMax_s(2, lo, hi);
    r.EffPar[6] = lo - 0.1 * std::fabs(lo);
    r.EffPar[8] = hi + 0.1 * std::fabs(hi);
    for (auto _ : state) {
        r.UpdateActualValuesS(m);
        benchmark::DoNotOptimize(r.ActS);
    }
}
BENCHMARK(BM_UpdateActualValues_FullRevolution)->Arg(10)->Arg(59)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace vemra

BENCHMARK_MAIN();

// The second core of a solve: every entry of a split loop is done exactly once, whichever
// thread takes it, loop after loop; and a solve on the dense simplex, or a whole synthesis,
// gives the same numbers to the last bit with a spare core as without.
#include "module/spare_core.h"

#include "double_dwell.h"
#include "module/dense_simplex.h"
#include "module/input_reader.h"
#include "module/parallel_columns.h"
#include "module/synthesis.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace vemra::module {
namespace {

TEST(SpareCore, EveryEntryOfEveryLoopIsDoneOnceWhateverTheChunks)
{
    SpareCore core;
    std::vector<int> times(1000);
    int loops = 0;
    for (int round = 0; round < 300; ++round) {
        for (int count : {0, 1, 7, 64, 1000}) {
            for (int chunk : {1, 3, 32}) {
                ++loops;
                auto work = [&](int begin, int end) {
                    for (int i = begin; i < end; ++i)
                        ++times[static_cast<std::size_t>(i)];
                };
                std::fill(times.begin(), times.end(), 0);
                SpareCore::loop(&core, count, chunk, 1000, work);
                for (int i = 0; i < 1000; ++i)
                    ASSERT_EQ(times[static_cast<std::size_t>(i)], i < count ? 1 : 0)
                        << "entry " << i << " of " << count << " in chunks of " << chunk << ", loop " << loops;
            }
        }
    }
}

TEST(SpareCore, ScopesGiveTheirThreadOneAndTakeItBack)
{
    EXPECT_EQ(spareCore(), nullptr);
    {
        const SpareCoreScope none(false);
        EXPECT_EQ(spareCore(), nullptr);
        const SpareCoreScope one(true);
        SpareCore* inner = spareCore();
        EXPECT_EQ(inner != nullptr, std::thread::hardware_concurrency() > 1);
        std::thread([] { EXPECT_EQ(spareCore(), nullptr) << "another thread has none"; }).join();
    }
    EXPECT_EQ(spareCore(), nullptr);
}

// A large minimax programme over split coefficients, as the module's λ programmes are.
DenseProgramme harmonicProgramme(int harmonics)
{
    DenseProgramme p;
    p.columns = 1 + 4 * harmonics + 1; // b0, split a_k and b_k, and the bound t
    std::mt19937 random(5);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::vector<double> f(static_cast<std::size_t>(harmonics));
    for (double& v : f)
        v = unit(random) / (1.0 + v * v);
    for (int i = 0; i < 8 * harmonics; ++i) {
        const double x = 6.283185307179586 * i / (8 * harmonics);
        for (double sign : {1.0, -1.0}) {
            std::vector<double> row(static_cast<std::size_t>(p.columns), 0.0);
            row[0] = sign;
            double target = 0.0;
            for (int k = 1; k <= harmonics; ++k) {
                const double c = std::cos(k * x), s = std::sin(k * x);
                const int column = 1 + 4 * (k - 1);
                row[column] = sign * c;
                row[column + 1] = -sign * c;
                row[column + 2] = sign * s;
                row[column + 3] = -sign * s;
                target += f[static_cast<std::size_t>(k - 1)] * (k % 2 == 0 ? c : s);
            }
            row.back() = 1.0; // sign (y - target) <= t, y = b0 + Σ ...
            p.matrix.insert(p.matrix.end(), row.begin(), row.end());
            p.rowLower.push_back(sign * target);
            p.rowUpper.push_back(1e30);
            ++p.rows;
        }
    }
    p.columnLower.assign(static_cast<std::size_t>(p.columns), 0.0);
    p.columnUpper.assign(static_cast<std::size_t>(p.columns), 1e30);
    p.columnLower[0] = -1e30;
    p.cost.assign(static_cast<std::size_t>(p.columns), 0.0);
    for (int k = 1; k <= harmonics; ++k)
        for (int part = 0; part < 4; ++part)
            p.cost[static_cast<std::size_t>(1 + 4 * (k - 1) + part)] = 1e-3 * k * k;
    p.cost.back() = 1.0;
    return p;
}

TEST(SpareCore, DenseSolvesGiveTheSameNumbersToTheLastBit)
{
    const DenseProgramme p = harmonicProgramme(40);
    const ParallelColumns parallel = parallelColumnsOf(p);
    const DenseSettings settings{.iterationLimit = 20000};
    const DenseOutcome alone = solveDenseDual(p, parallel, {}, settings);
    ASSERT_EQ(alone.status, DenseStatus::Optimal);
    ASSERT_GT(alone.iterations, 50);
    const SpareCoreScope spare(true);
    const DenseOutcome shared = solveDenseDual(p, parallel, {}, settings);
    EXPECT_EQ(shared.iterations, alone.iterations);
    EXPECT_EQ(shared.basis, alone.basis);
    EXPECT_EQ(shared.columnValues, alone.columnValues);
    EXPECT_EQ(shared.rowDuals, alone.rowDuals);
}

// Large enough (K = 40) for the first search to share its passes with the second core.
TEST(SpareCore, ADoubleDwellComesOutTheSameOnOneCoreAndOnTwo)
{
    const ReadResult input = readRecords(testing::doubleDwellProject(40));
    SynthesisOptions options;
    options.threads = 1;
    const SynthesisResult one = synthesise(input, options);
    options.threads = 2;
    const SynthesisResult two = synthesise(input, options);
    ASSERT_EQ(one.code, 0) << one.message;
    ASSERT_EQ(two.code, one.code);
    EXPECT_EQ(two.lambda, one.lambda);
    EXPECT_EQ(two.stats.simplexIterations, one.stats.simplexIterations);
    ASSERT_EQ(two.motions.size(), one.motions.size());
    EXPECT_EQ(two.motions[0].coefficients.a, one.motions[0].coefficients.a);
    EXPECT_EQ(two.motions[0].coefficients.b, one.motions[0].coefficients.b);
}

} // namespace
} // namespace vemra::module

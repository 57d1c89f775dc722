// The dense dual simplex against the sparse solver on seeded random programmes: the same
// verdict and optimum, and every number it returns checked against the programme itself.
#include "module/dense_simplex.h"

#include "module/dense_rows.h"
#include "module/parallel_columns.h"

#include <ClpSimplex.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <string>

namespace vemra::module {
namespace {

constexpr double kInf = 1e30;
constexpr auto kBasic = static_cast<unsigned char>(BasisStatus::Basic);

enum class Family { Plain, Degenerate, Cancelling };

struct Shape {
    const char* name;
    int rows;
    int columns;
    unsigned seed;
    Family family = Family::Plain;
};

double rowTimes(const DenseProgramme& p, int i, const std::vector<double>& x)
{
    double sum = 0.0;
    for (int j = 0; j < p.columns; ++j)
        sum += p.matrix[i * p.columns + j] * x[j];
    return sum;
}

void addRow(DenseProgramme& p, const std::vector<double>& row, double lower, double upper)
{
    p.matrix.insert(p.matrix.end(), row.begin(), row.end());
    p.rowLower.push_back(lower);
    p.rowUpper.push_back(upper);
    ++p.rows;
}

// Rows around A x0 with slack (none for the degenerate family, so that many rows meet at x0);
// every fifth column free, then non-negative, boxed, fixed and non-positive ones, with costs
// only towards finite bounds so that the all-slack start is dual feasible. The cancelling
// family makes every other row nearly a copy of the one before.
DenseProgramme randomProgramme(const Shape& shape, std::vector<double>& x0)
{
    std::mt19937 random(shape.seed);
    std::uniform_real_distribution<double> unit(-1.0, 1.0), slack(0.05, 1.0);
    DenseProgramme p;
    p.columns = shape.columns;
    x0.resize(shape.columns);
    for (int j = 0; j < shape.columns; ++j) {
        x0[j] = unit(random);
        const double below = x0[j] - slack(random), above = x0[j] + slack(random);
        const double bounds[5][2] = {{-kInf, kInf}, {below, kInf}, {below, above}, {x0[j], x0[j]}, {-kInf, above}};
        const double costs[5] = {0.0, std::abs(unit(random)), unit(random), unit(random), -std::abs(unit(random))};
        p.columnLower.push_back(bounds[j % 5][0]);
        p.columnUpper.push_back(bounds[j % 5][1]);
        p.cost.push_back(costs[j % 5]);
    }
    std::vector<double> row(shape.columns);
    for (int i = 0; i < shape.rows; ++i) {
        for (double& a : row)
            a = shape.family == Family::Cancelling && i % 2 == 1 ? a + 1e-5 * unit(random) : unit(random);
        const double value = std::inner_product(row.begin(), row.end(), x0.begin(), 0.0);
        const double give = shape.family == Family::Degenerate && i % 3 != 0 ? 0.0 : 0.3 * slack(random);
        const double bounds[4][2] = {{value - give, kInf}, {-kInf, value + give}, {value - give, value + 2 * give},
                                     {value, value}};
        const int kind = i % 17 == 16 ? 3 : i % 3;
        addRow(p, row, bounds[kind][0], bounds[kind][1]);
    }
    return p;
}

// Rows 0 and 3 both have a finite lower bound; their sum cannot stay below the sum of those.
void addContradiction(DenseProgramme& p)
{
    std::vector<double> sum(p.columns);
    for (int j = 0; j < p.columns; ++j)
        sum[j] = p.matrix[j] + p.matrix[3 * p.columns + j];
    addRow(p, sum, -kInf, p.rowLower[0] + p.rowLower[3] - 0.1);
}

struct ClpAnswer {
    DenseStatus status = DenseStatus::GaveUp;
    double objective = 0.0;
    std::vector<unsigned char> basis;
    int iterations = 0;
};

ClpAnswer solveWithClp(const DenseProgramme& p, const std::vector<unsigned char>& start = {})
{
    std::vector<CoinBigIndex> starts{0};
    std::vector<int> indices;
    std::vector<double> values;
    for (int j = 0; j < p.columns; ++j) {
        for (int i = 0; i < p.rows; ++i)
            if (const double a = p.matrix[i * p.columns + j]; a != 0.0) {
                indices.push_back(i);
                values.push_back(a);
            }
        starts.push_back(static_cast<CoinBigIndex>(indices.size()));
    }
    auto bounds = [](std::vector<double> b) {
        for (double& v : b)
            v = v >= kInf ? COIN_DBL_MAX : (v <= -kInf ? -COIN_DBL_MAX : v);
        return b;
    };
    ClpSimplex clp;
    clp.setLogLevel(0);
    clp.loadProblem(p.columns, p.rows, starts.data(), indices.data(), values.data(), bounds(p.columnLower).data(),
                    bounds(p.columnUpper).data(), p.cost.data(), bounds(p.rowLower).data(), bounds(p.rowUpper).data());
    clp.scaling(0);
    clp.setPrimalTolerance(1e-9);
    clp.setDualTolerance(1e-7);
    if (!start.empty())
        clp.copyinStatus(start.data());
    clp.dual();
    ClpAnswer answer;
    answer.status = clp.isProvenOptimal() ? DenseStatus::Optimal
        : clp.isProvenPrimalInfeasible()  ? DenseStatus::Infeasible
                                          : DenseStatus::GaveUp;
    answer.objective = clp.objectiveValue();
    for (int k = 0; k < p.columns + p.rows; ++k)
        answer.basis.push_back(clp.statusArray()[k] & 7);
    answer.iterations = clp.numberIterations();
    return answer;
}

// Bounds met, cost − Aᵀy = d, and every multiplier's sign and every nonbasic value agreeing
// with the status the solver returns for it.
void expectOptimum(const DenseProgramme& p, const DenseOutcome& out, double objective)
{
    ASSERT_EQ(out.columnValues.size(), std::size_t(p.columns));
    ASSERT_EQ(out.rowDuals.size(), std::size_t(p.rows));
    ASSERT_EQ(out.basis.size(), std::size_t(p.columns + p.rows));
    double value = 0.0;
    for (int j = 0; j < p.columns; ++j)
        value += p.cost[j] * out.columnValues[j];
    EXPECT_NEAR(value, objective, 1e-7 * std::max(1.0, std::abs(objective)));
    for (int k = 0; k < p.columns + p.rows; ++k) {
        const bool isRow = k >= p.columns;
        const int i = k - p.columns;
        const double at = isRow ? rowTimes(p, i, out.columnValues) : out.columnValues[k];
        const double lower = isRow ? p.rowLower[i] : p.columnLower[k], upper = isRow ? p.rowUpper[i] : p.columnUpper[k];
        const double multiplier = isRow ? out.rowDuals[i] : out.reducedCosts[k];
        if (!isRow) {
            double fromDuals = p.cost[k];
            for (int r = 0; r < p.rows; ++r)
                fromDuals -= p.matrix[r * p.columns + k] * out.rowDuals[r];
            EXPECT_NEAR(fromDuals, multiplier, 1e-8) << "column " << k;
        }
        EXPECT_GE(at, lower - 1e-8) << "item " << k;
        EXPECT_LE(at, upper + 1e-8) << "item " << k;
        switch (static_cast<BasisStatus>(out.basis[k])) {
        case BasisStatus::Basic:
        case BasisStatus::Free: EXPECT_NEAR(multiplier, 0.0, 1e-7) << "item " << k; break;
        case BasisStatus::AtLower:
            EXPECT_NEAR(at, lower, 1e-8) << "item " << k;
            if (lower != upper) {
                EXPECT_GE(multiplier, -1e-7) << "item " << k;
            }
            break;
        case BasisStatus::AtUpper:
            EXPECT_NEAR(at, upper, 1e-8) << "item " << k;
            EXPECT_LE(multiplier, 1e-7) << "item " << k;
            break;
        default: ADD_FAILURE() << "status " << int(out.basis[k]) << " of item " << k;
        }
    }
}

// The rows combined with the ray give g·x ≤ β; over the column box g·x stays clearly above β.
void expectProof(const DenseProgramme& p, const std::vector<double>& ray)
{
    ASSERT_EQ(ray.size(), std::size_t(p.rows));
    std::vector<double> g(p.columns, 0.0);
    double beta = 0.0, size = 0.0;
    for (int i = 0; i < p.rows; ++i) {
        if (ray[i] == 0.0)
            continue;
        const double bound = ray[i] < 0.0 ? p.rowLower[i] : p.rowUpper[i];
        ASSERT_LT(std::abs(bound), kInf) << "row " << i << " has no bound on the side its multiplier " << ray[i] << " needs";
        beta += ray[i] * bound;
        size += std::abs(ray[i]);
        for (int j = 0; j < p.columns; ++j)
            g[j] += ray[i] * p.matrix[i * p.columns + j];
    }
    double least = 0.0;
    for (int j = 0; j < p.columns; ++j) {
        const double bound = g[j] > 0.0 ? p.columnLower[j] : p.columnUpper[j];
        if (std::abs(bound) < kInf)
            least += g[j] * bound;
        else
            EXPECT_LE(std::abs(g[j]), 1e-9 * size) << "column " << j << " is unbounded the way g pushes it";
    }
    EXPECT_GT(least - beta, 1e-6 * size);
}

void expectAgreement(const DenseProgramme& p, const DenseOutcome& out, const ClpAnswer& clp)
{
    ASSERT_EQ(out.status, clp.status);
    if (out.status == DenseStatus::Optimal)
        expectOptimum(p, out, clp.objective);
    else if (out.status == DenseStatus::Infeasible)
        expectProof(p, out.ray);
}

class DenseAgainstClp : public ::testing::TestWithParam<Shape> {};

TEST_P(DenseAgainstClp, ColdStartsAgreeOnFeasibleAndContradictoryProgrammes)
{
    const Shape& shape = GetParam();
    std::vector<double> x0;
    DenseProgramme p = randomProgramme(shape, x0);
    for (bool contradictory : {false, true}) {
        SCOPED_TRACE(contradictory ? "contradictory" : "feasible");
        if (contradictory)
            addContradiction(p);
        const DenseOutcome out = solveDenseDual(p, {}, {});
        expectAgreement(p, out, solveWithClp(p));
    }
}

// The optimum of a programme, then that programme with a few rows tightened towards x0 and a
// few new rows that cut the optimum off, started from the earlier optimal basis (new rows
// basic) as the sparse solver found it and as this solver found it, the latter also with the
// inverse the first run ended with (which only that start may take over).
TEST_P(DenseAgainstClp, WarmStartsAfterTighteningAndNewRowsAgree)
{
    const Shape& shape = GetParam();
    std::vector<double> x0;
    const DenseProgramme p = randomProgramme(shape, x0);
    CarriedInverse carried;
    const DenseOutcome first = solveDenseDual(p, parallelColumnsOf(p), {}, {}, &carried);
    ASSERT_EQ(first.status, DenseStatus::Optimal);
    ASSERT_FALSE(carried.empty());
    EXPECT_EQ(solveDenseDual(p, first.basis, {}).iterations, 0) << "its own optimum needs no step";

    DenseProgramme changed = p;
    std::mt19937 random(shape.seed + 1);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int i = 0; i < changed.rows; i += 7) {
        const double value = rowTimes(p, i, x0);
        changed.rowLower[i] = changed.rowLower[i] > -kInf ? 0.5 * (changed.rowLower[i] + value) : -kInf;
        changed.rowUpper[i] = changed.rowUpper[i] < kInf ? 0.5 * (changed.rowUpper[i] + value) : kInf;
    }
    const int added = 3;
    std::vector<double> row(p.columns);
    for (int r = 0; r < added; ++r) {
        for (double& a : row)
            a = unit(random);
        const double atStart = std::inner_product(row.begin(), row.end(), x0.begin(), 0.0);
        const double atOptimum = std::inner_product(row.begin(), row.end(), first.columnValues.begin(), 0.0);
        const double cut = 0.5 * (atStart + atOptimum);
        addRow(changed, row, atOptimum > atStart ? -kInf : cut, atOptimum > atStart ? cut : kInf);
    }
    const ClpAnswer clp = solveWithClp(changed);
    const ParallelColumns parallel = parallelColumnsOf(changed);
    for (std::vector<unsigned char> start : {solveWithClp(p).basis, first.basis, first.basis}) {
        start.insert(start.end(), added, kBasic);
        CarriedInverse fromFirst = carried; // the last round takes the first run's own
        const DenseOutcome out = solveDenseDual(changed, parallel, start, {}, &fromFirst);
        expectAgreement(changed, out, clp);
        EXPECT_LE(out.iterations, std::max(10, clp.iterations / 2)) << "a warm start should need few steps";
        EXPECT_EQ(fromFirst.empty(), out.status == DenseStatus::GaveUp) << "a verdict leaves its inverse";
        if (out.status == DenseStatus::Optimal) {
            // The inverse left behind belongs to the optimum's active constraints.
            std::vector<int> active;
            for (int k = 0; k < changed.columns + changed.rows; ++k)
                if (out.basis[k] != kBasic)
                    active.push_back(k);
            std::vector<int> items = fromFirst.items;
            std::ranges::sort(items);
            EXPECT_EQ(items, active);
        }
    }
}

// The optimum of a programme, and then the same programme with other costs (of the same signs
// where a column has only one bound, so that it stays bounded) started from that optimum: a
// vertex that meets every bound but whose multipliers no longer all have the right sign, so
// primal steps have to take it on.
TEST_P(DenseAgainstClp, OldOptimumAfterTheCostsChangeIsStartedFrom)
{
    const Shape& shape = GetParam();
    std::vector<double> x0;
    DenseProgramme p = randomProgramme(shape, x0);
    const DenseOutcome first = solveDenseDual(p, {}, {});
    ASSERT_EQ(first.status, DenseStatus::Optimal);
    std::mt19937 random(shape.seed + 2);
    std::uniform_real_distribution<double> factor(0.1, 3.0), unit(-1.0, 1.0);
    for (int j = 0; j < p.columns; ++j)
        p.cost[j] = j % 5 == 2 ? unit(random) : p.cost[j] * factor(random);
    const DenseOutcome out = solveDenseDual(p, first.basis, {});
    expectAgreement(p, out, solveWithClp(p));
}

INSTANTIATE_TEST_SUITE_P(DenseShapes, DenseAgainstClp,
                         ::testing::Values(Shape{"tiny", 5, 3, 11}, Shape{"small", 60, 20, 12},
                                           Shape{"medium", 300, 80, 13}, Shape{"large", 800, 160, 14},
                                           Shape{"degenerateSmall", 60, 20, 21, Family::Degenerate},
                                           Shape{"degenerateMedium", 300, 80, 22, Family::Degenerate},
                                           Shape{"cancellingSmall", 60, 20, 31, Family::Cancelling},
                                           Shape{"cancellingMedium", 300, 80, 32, Family::Cancelling}),
                         [](const auto& info) { return std::string(info.param.name); });

// A motion law as the module's minimax programmes have it: an offset (free), the cosine and
// sine coefficients of each harmonic split into positive and negative halves (≥ 0, no cost), and
// the share λ ∈ [0, 1] of the acceleration limit left unused, maximised at the module's weight.
// Rows hold the position near 0 over a low dwell and near a top over a high one (ranges 5e-3
// and 1e-4 wide), and |acceleration| ≤ limit·(1 − λ) at 5·harmonics points, one row per side.
// Nearly every multiplier is zero from the start, the ground that stalls a dual simplex.
DenseProgramme minimaxProgramme(int harmonics, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double turn = 2.0 * std::acos(-1.0);
    DenseProgramme p;
    p.columns = 4 * harmonics + 2;
    p.columnLower.assign(p.columns, 0.0);
    p.columnUpper.assign(p.columns, kInf);
    p.cost.assign(p.columns, 0.0);
    p.columnLower.front() = -kInf;
    p.columnUpper.back() = 1.0;
    p.cost.back() = -1000.0;
    const double riseStart = 0.05 + 0.1 * unit(random), riseEnd = riseStart + 0.1 + 0.15 * unit(random);
    const double lowStart = riseEnd + 0.1 + 0.1 * unit(random);
    const double lowEnd = std::min(0.98, lowStart + 0.3 + 0.15 * unit(random));
    const double top = 0.5 + 0.5 * unit(random), limit = 10.0 + 40.0 * unit(random);
    const int low = static_cast<int>(harmonics * (1.2 + 0.8 * unit(random)));
    const int high = static_cast<int>(harmonics * (0.6 + 0.4 * unit(random)));
    // The position (coefficients over h²) or the acceleration over the limit at angle t.
    const auto row = [&](double t, bool position, double share) {
        std::vector<double> r(p.columns, 0.0);
        r.front() = position ? 0.5 : 0.0;
        for (int h = 1; h <= harmonics; ++h) {
            const double factor = position ? 1.0 / (h * h) : -1.0 / limit;
            const double c = factor * std::cos(h * t), s = factor * std::sin(h * t);
            const int j = 4 * h - 3;
            r[j] = c;
            r[j + 1] = -c;
            r[j + 2] = s;
            r[j + 3] = -s;
        }
        r.back() = share;
        return r;
    };
    for (int i = 0; i < low; ++i)
        addRow(p, row(turn * (lowStart + (lowEnd - lowStart) * i / (low - 1)), true, 0.0), -0.0025, 0.0025);
    for (int i = 0; i < high; ++i)
        addRow(p, row(turn * (riseStart + (riseEnd - riseStart) * i / (high - 1)), true, 0.0), top - 5e-5, top + 5e-5);
    for (int i = 0; i < 5 * harmonics; ++i) {
        const double t = turn * i / (5 * harmonics);
        addRow(p, row(t, false, 1.0), -kInf, 1.0);
        addRow(p, row(t, false, -1.0), -1.0, kInf);
    }
    return p;
}

struct MinimaxCase {
    const char* what;
    int harmonics;
    unsigned seed;
};

// With the module's iteration limit these must end where the sparse solver does, in a like
// number of steps. Each failed once: by running into the limit on steps that left every
// multiplier at zero, or by letting both halves of a split coefficient leave their bounds,
// which makes the active normals dependent.
TEST(DenseMinimax, DegenerateSplitCoefficientProgrammesAgreeWithoutStalling)
{
    const MinimaxCase cases[] = {
        {"stalled, 26 harmonics", 26, 1},
        {"stalled, 32 harmonics", 32, 4},
        {"stalled, 33 harmonics", 33, 1},
        {"both halves off their bounds, 23 harmonics", 23, 6},
    };
    for (const MinimaxCase& c : cases) {
        SCOPED_TRACE(c.what);
        const DenseProgramme p = minimaxProgramme(c.harmonics, c.seed);
        DenseSettings settings;
        settings.iterationLimit = std::max(1000, 4 * (p.rows + p.columns));
        const DenseOutcome out = solveDenseDual(p, {}, settings);
        const ClpAnswer clp = solveWithClp(p);
        expectAgreement(p, out, clp);
        EXPECT_LE(out.iterations, 2 * clp.iterations);
    }
}

// A step in which one half of a split coefficient takes over from the other moves no row, and
// skips the pass over the rows; the next pricing reuses the rows' scan. Every step, the vertex
// and every multiplier must be what the full pass gives, to the last bit.
TEST(DenseMinimax, StepsThatMoveNoRowChangeNothingButTheirCost)
{
    for (const int harmonics : {23, 26, 32, 33}) {
        SCOPED_TRACE(std::to_string(harmonics) + " harmonics");
        const DenseProgramme p = minimaxProgramme(harmonics, 1);
        DenseSettings settings;
        settings.iterationLimit = std::max(1000, 4 * (p.rows + p.columns));
        const DenseOutcome skipping = solveDenseDual(p, {}, settings);
        settings.skipRowsThatStay = false;
        const DenseOutcome full = solveDenseDual(p, {}, settings);
        EXPECT_GT(skipping.stepsMovingNoRow, 10);
        EXPECT_EQ(full.stepsMovingNoRow, 0);
        EXPECT_EQ(skipping.status, full.status);
        EXPECT_EQ(skipping.iterations, full.iterations);
        EXPECT_EQ(skipping.basis, full.basis);
        EXPECT_EQ(skipping.columnValues, full.columnValues);
        EXPECT_EQ(skipping.rowActivities, full.rowActivities);
        EXPECT_EQ(skipping.rowDuals, full.rowDuals);
    }
}

// x0 ∈ [0, 10], x1 ≥ 0, both costing −1; rows x0 + x1 ≤ 4, x0 − x1 ∈ [−2, 2] and the first
// row again, doubled: 2x0 + 2x1 ≤ 9. The optimum is −4.
DenseProgramme smallProgramme()
{
    DenseProgramme p;
    p.columns = 2;
    p.columnLower = {0.0, 0.0};
    p.columnUpper = {10.0, kInf};
    p.cost = {-1.0, -1.0};
    addRow(p, {1.0, 1.0}, -kInf, 4.0);
    addRow(p, {1.0, -1.0}, -2.0, 2.0);
    addRow(p, {2.0, 2.0}, -kInf, 9.0);
    return p;
}

struct StartCase {
    const char* what;
    std::vector<unsigned char> start; // x0, x1, rows 0..2; empty: the solver's own start
    DenseStatus expected;
};

TEST(DenseStarts, StartsItCannotUseAreRefusedOthersMended)
{
    constexpr unsigned char B = 1, U = 2, L = 3;
    const StartCase cases[] = {
        {"empty start, x1's cost pulls it to +∞", {}, DenseStatus::GaveUp},
        {"x1 at lower with a negative reduced cost and no upper bound, bounds broken", {U, L, B, B, B},
         DenseStatus::GaveUp},
        {"the same with every bound met: primal steps", {L, L, B, B, B}, DenseStatus::Optimal},
        {"rows 0 and 2 active together: parallel normals", {B, B, U, B, U}, DenseStatus::GaveUp},
        {"one active constraint for two columns", {L, B, B, B, B}, DenseStatus::GaveUp},
        {"a status value that does not exist", {L, 9, B, B, B}, DenseStatus::GaveUp},
        {"dual feasible, primal infeasible", {L, B, U, B, B}, DenseStatus::Optimal},
        {"x0's wrong sign at lower, flipped to its upper bound", {L, B, B, L, B}, DenseStatus::Optimal},
    };
    const DenseProgramme p = smallProgramme();
    for (const StartCase& c : cases) {
        SCOPED_TRACE(c.what);
        const DenseOutcome out = solveDenseDual(p, c.start, {});
        ASSERT_EQ(out.status, c.expected);
        if (c.expected == DenseStatus::Optimal)
            expectOptimum(p, out, -4.0);
    }
}

// The pass over the rows merges columns that repeat one another (or one another's negatives),
// and neighbouring rows that differ in one entry only, before it multiplies; whatever the
// classes and pairs, the products must be the rows' own. The products of a few rows alone are
// the pass's to the last bit, and a vector that only trades one column for its parallel one is
// known to leave every row where it is (the simplex then skips the pass).
TEST(DenseRows, MergedColumnsAndRowPairsGiveEveryRowItsOwnProducts)
{
    struct Trade {
        int j, k;
        double bj, bk;
        bool cancels;
    };
    struct ColumnsCase {
        const char* what;
        std::vector<int> copyOf;  // per column: the earlier column it repeats, or -1
        std::vector<double> sign; // its entries over that column's
        std::vector<Trade> trades;
    };
    const ColumnsCase cases[] = {
        {"no two alike", {-1, -1, -1, -1, -1}, {1, 1, 1, 1, 1}, {{0, 1, 1.0, 1.0, false}}},
        {"every coefficient split",
         {-1, 0, -1, 2, -1, 4},
         {1, -1, 1, -1, 1, -1},
         {{0, 1, 1.0, 1.0, true}, {2, 3, -0.3, -0.3, true}, {0, 1, 1.0, -1.0, false}, {1, 2, 1.0, 1.0, false}}},
        {"three alike, one negated, and a column without entries",
         {-1, 0, 0, -1, -1, 4, 4, -2},
         {1, 1, -1, 1, 1, -1, -1, 0},
         {{0, 1, 0.7, -0.7, true}, {0, 2, 0.7, 0.7, true}, {5, 7, 1.0, 1.0, false}, {7, 7, 1.0, 0.0, false}}},
    };
    // How each row relates to the one before: its own, a copy, a copy but for the last column
    // (a bound moving with λ at another rate), or a copy but for two columns.
    enum class Like { Own, Copy, AllButLast, AllButTwo };
    const Like rowsLike[] = {Like::Own, Like::AllButLast, Like::Own, Like::Copy, Like::AllButTwo, Like::Own,
                             Like::AllButLast, Like::AllButLast, Like::Own, Like::Own, Like::AllButLast};
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (const ColumnsCase& c : cases) {
        SCOPED_TRACE(c.what);
        DenseProgramme p;
        p.columns = static_cast<int>(c.copyOf.size());
        std::vector<double> row(p.columns);
        for (Like like : rowsLike) {
            const int last = p.columns - 1;
            for (int j = 0; j < p.columns; ++j) {
                const bool own = like == Like::Own || (like == Like::AllButLast && j == last)
                                 || (like == Like::AllButTwo && j >= last - 1);
                if (own)
                    row[j] = c.copyOf[j] == -2 ? 0.0 : c.copyOf[j] >= 0 ? c.sign[j] * row[c.copyOf[j]] : unit(random);
            }
            addRow(p, row, -1.0, 1.0);
        }
        const ParallelColumns parallel = parallelColumnsOf(p);
        dense::RowProducts products(p, parallel);
        std::vector<double> b(p.columns), c2(p.columns), alongB(p.rows), alongC(p.rows), alone(p.rows);
        for (int j = 0; j < p.columns; ++j) {
            b[j] = unit(random);
            c2[j] = 1e3 * unit(random);
        }
        products.compute(b.data(), c2.data(), alongB.data(), alongC.data());
        products.compute(b.data(), alone.data());
        std::vector<int> someRows{p.rows - 1, 0, 4, 5, 2};
        std::vector<double> second(p.rows, 0.0);
        products.computeSecond(c2.data(), someRows, second.data());
        for (int i = 0; i < p.rows; ++i) {
            EXPECT_NEAR(alongB[i], rowTimes(p, i, b), 1e-14) << "row " << i;
            EXPECT_NEAR(alongC[i], rowTimes(p, i, c2), 1e-11) << "row " << i;
            EXPECT_NEAR(alone[i], rowTimes(p, i, b), 1e-14) << "row " << i;
            if (std::find(someRows.begin(), someRows.end(), i) != someRows.end()) {
                EXPECT_EQ(second[i], alongC[i]) << "row " << i;
            }
        }
        for (const Trade& t : c.trades) {
            std::vector<double> traded(p.columns, 0.0);
            traded[t.j] += t.bj;
            traded[t.k] += t.bk;
            EXPECT_EQ(products.cancelsInEveryRow(traded.data()), t.cancels) << "columns " << t.j << ", " << t.k;
            products.compute(traded.data(), c2.data(), alongB.data(), alongC.data());
            for (int i = 0; i < p.rows && t.cancels; ++i)
                EXPECT_EQ(alongB[i], 0.0) << "row " << i;
        }
    }
}

} // namespace
} // namespace vemra::module

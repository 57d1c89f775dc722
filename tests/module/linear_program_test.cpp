// The programme wrapper around the simplex: rows taken out again keep the basis and leave the
// remaining rows with their own scales; rows added while the dense simplex runs the programme
// reach the sparse solver whenever that one runs it; a dense run within a budget leaves the
// programme as it was where it does not settle it; a row held to a size of its own is kept to it.
#include "module/linear_program.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

namespace vemra::module {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// min x + y over two free columns, and the rows the tests make of them.
class LinearProgramRows : public ::testing::Test {
protected:
    LinearProgramRows()
    {
        lp.setColumn(0, -kInf, kInf, 1.0);
        lp.setColumn(1, -kInf, kInf, 1.0);
    }

    SolveStats stats;
    LinearProgram lp{{1.0, 1.0}, stats};
    const std::vector<int> x{0}, y{1}, both{0, 1};
    const std::vector<double> one{1.0}, sum{1.0, 1.0}, difference{1.0, -1.0};
};

TEST_F(LinearProgramRows, DeletedIdleRowsKeepTheBasisAndTheOtherRowsTheirScales)
{
    // Bounds of very different sizes, so that every row has a scale of its own.
    lp.addRow(x, one, 1.0, kInf);         // binds
    lp.addRow(y, one, 1000.0, kInf);      // binds
    lp.addRow(both, sum, -kInf, 5000.0);  // idle
    lp.addRow(both, difference, -kInf, 10.0); // idle
    lp.addRow(y, one, -kInf, 2000.0);     // idle, moves up to row 2
    ASSERT_EQ(lp.solve(), LpStatus::Optimal);
    ASSERT_TRUE(lp.isRowBasic(2));
    ASSERT_TRUE(lp.isRowBasic(3));

    const std::vector<int> idle{2, 3};
    lp.deleteRows(idle);
    ASSERT_EQ(lp.rowCount(), 3);
    const long iterations = stats.simplexIterations;
    ASSERT_EQ(lp.solve(), LpStatus::Optimal);
    EXPECT_EQ(stats.simplexIterations, iterations) << "the optimal basis should have survived";
    EXPECT_DOUBLE_EQ(lp.columnValues()[1], 1000.0);
    ASSERT_EQ(lp.rowActivities().size(), 3u);
    EXPECT_DOUBLE_EQ(lp.rowActivities()[2], 1000.0);

    // The former last row, now row 2, takes its new bound in its own scale: with another
    // row's scale the bound would land elsewhere.
    lp.setRowBounds(2, 1500.0, 2000.0);
    ASSERT_EQ(lp.solve(), LpStatus::Optimal);
    EXPECT_DOUBLE_EQ(lp.columnValues()[1], 1500.0);
    EXPECT_DOUBLE_EQ(lp.rowActivities()[2], 1500.0);
    EXPECT_NEAR(lp.rowDuals()[2], 1.0, 1e-12);
}

TEST_F(LinearProgramRows, RowsAddedOnTheDenseSimplexReachTheSparseSolverAndCopies)
{
    lp.addRow(x, one, 1.0, kInf);
    lp.addRow(y, one, 2.0, kInf);
    lp.addRow(both, sum, -kInf, 10.0);
    ASSERT_EQ(lp.solve(), LpStatus::Optimal); // as many rows as columns: the dense simplex
    EXPECT_DOUBLE_EQ(lp.columnValues()[0], 1.0);

    // x >= y, then solved by the sparse solver: without the new row's entries it would read
    // 0 >= 0 and stay at x = 1.
    lp.addRow(both, difference, 0.0, kInf);
    ASSERT_EQ(lp.solve(SimplexMethod::Primal), LpStatus::Optimal);
    EXPECT_NEAR(lp.columnValues()[0], 2.0, 1e-9);

    // y >= 3 on the dense simplex, then a copy that the sparse solver runs from scratch.
    lp.addRow(y, one, 3.0, kInf);
    ASSERT_EQ(lp.solve(), LpStatus::Optimal);
    const std::unique_ptr<LinearProgram> copy = lp.copy();
    copy->startFrom({});
    ASSERT_EQ(copy->solve(SimplexMethod::Primal), LpStatus::Optimal);
    EXPECT_NEAR(copy->columnValues()[0], 3.0, 1e-9);
    EXPECT_NEAR(copy->columnValues()[1], 3.0, 1e-9);
}

// A dense run within a budget: from the old optimum of other costs (a vertex that meets every
// bound, its multipliers of the wrong sign) it settles the programme in two primal steps; with
// one step allowed it fails and leaves the programme on the dense path, for the sparse primal
// to go on from the same start.
TEST_F(LinearProgramRows, ADenseRunWithinABudgetSettlesOrLeavesTheProgrammeAsItWas)
{
    lp.addRow(x, one, 1.0, kInf);
    lp.addRow(y, one, 2.0, kInf);
    lp.addRow(x, one, -kInf, 4.0);
    lp.addRow(y, one, -kInf, 5.0);
    ASSERT_EQ(lp.solve(), LpStatus::Optimal);
    const std::vector<unsigned char> lowest = lp.basis();
    lp.setColumn(0, -kInf, kInf, -1.0); // now max x + y
    lp.setColumn(1, -kInf, kInf, -1.0);

    lp.startFrom(lowest);
    EXPECT_EQ(lp.solveDense(1), LpStatus::Failed);
    EXPECT_TRUE(lp.densePath());
    lp.startFrom(lowest);
    lp.preferPrimalOnce();
    ASSERT_EQ(lp.solve(), LpStatus::Optimal);
    EXPECT_NEAR(lp.columnValues()[0], 4.0, 1e-9);
    EXPECT_NEAR(lp.columnValues()[1], 5.0, 1e-9);

    lp.startFrom(lowest);
    const long before = stats.simplexIterations;
    ASSERT_EQ(lp.solveDense(20), LpStatus::Optimal);
    EXPECT_EQ(stats.simplexIterations - before, 2);
    EXPECT_NEAR(lp.columnValues()[0], 4.0, 1e-9);
    EXPECT_NEAR(lp.columnValues()[1], 5.0, 1e-9);
}

// A row its caller checks against a size of its own. Scaled by its bound alone, the simplex
// may miss it by its tolerance of up to twice the bound's size: here by 1.01e-6, more than 1e-9
// of the bound. Held to the bound's size, it may not.
TEST_F(LinearProgramRows, ARowHeldToASizeIsKeptWithinTheToleranceOfThatSize)
{
    lp.addRow(x, one, 1000.0, kInf);
    lp.addRow(y, one, 1.0, kInf);
    ASSERT_EQ(lp.solve(), LpStatus::Optimal);
    const std::unique_ptr<LinearProgram> held = lp.copy();
    const double higher = 1000.0 + 1.01e-6;
    const double within = higher - 1e-9 * higher;

    lp.addRow(x, one, higher, kInf);
    ASSERT_EQ(lp.solve(), LpStatus::Optimal);
    EXPECT_LT(lp.columnValues()[0], within);

    held->addRow(x, one, higher, kInf, higher);
    ASSERT_EQ(held->solve(), LpStatus::Optimal);
    EXPECT_GE(held->columnValues()[0], within);
}

} // namespace
} // namespace vemra::module

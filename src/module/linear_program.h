// A small linear programme over the simplex solver: columns with bounds and costs, rows added
// over time, re-solved from the previous basis. The solver's headers stay behind this class.
// Dual runs on programmes with at least as many rows as columns go to the dense simplex first
// (dense_simplex.h), which shares the solver's basis numbering; the solver takes over where it
// gives up.
//
// Callers speak in the problem's own units. The simplex works on a scaled copy: every column
// is measured in a unit the caller chooses (its typical size, so that its entries in the rows
// are of order one), and every row is divided by the size of its bounds, max(1, |bound|),
// rounded to a power of two so that scaling itself rounds nothing. Values, activities and
// dual values are handed back in the original units.
#pragma once

#include "module/solve_stats.h"

#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace vemra::module {

enum class LpStatus { Optimal, Infeasible, Failed };

// How far a solution of the simplex may miss a row's bound, relative to max(1, |bound|) (up to
// twice that, as the row scales are powers of two): a margin on a row's bound must be larger
// for the simplex to take note of it.
inline constexpr double kLpFeasibilityTolerance = 1e-9;
enum class SimplexMethod { Dual, Primal };

// How large a dense solution may grow, in units of its columns, before the programme goes to
// the sparse solver (see LinearProgram::allowDenseSolutionsUpTo).
inline constexpr double kLargestDenseSolution = 1e2;

class LinearProgram {
public:
    // One column per entry: the column's unit, a power of two (1 for unscaled columns).
    LinearProgram(std::vector<double> columnUnits, SolveStats& stats);
    ~LinearProgram();
    LinearProgram(const LinearProgram&) = delete;
    LinearProgram& operator=(const LinearProgram&) = delete;

    void setColumn(int column, double lower, double upper, double cost);

    // Returns the index of the new row; rows are handed to the solver at the next solve().
    // The simplex keeps a row within its tolerance of max(1, |bound|) of its bounds (up to twice
    // that); with heldTo, within its tolerance of max(1, heldTo) at most, where a caller checks
    // the row against a size other than its bounds'.
    int addRow(std::span<const int> columns, std::span<const double> values, double lower, double upper,
               std::optional<double> heldTo = std::nullopt);
    void setRowBounds(int row, double lower, double upper);

    // Warm-started from the last basis (or the one given to startFrom) when there is one.
    LpStatus solve(SimplexMethod method = SimplexMethod::Dual);
    // The dense simplex alone, within a budget of steps: Optimal or Infeasible where it settles
    // the programme, Failed where it does not. Then nothing else has run, and the programme
    // keeps the dense path and its start for another method to go on from.
    LpStatus solveDense(int steps);

    // The last solution, in original units.
    std::span<const double> columnValues() const { return columnValues_; }
    std::span<const double> rowActivities() const { return rowActivities_; }
    // The dual value of every row at the last optimum, in original units: how fast the
    // objective changes per unit of the row's bound.
    std::vector<double> rowDuals() const;
    // After a solve that ended infeasible: a proof of it (a Farkas certificate), one multiplier
    // per row in original units, negative where the row's lower bound takes part, positive
    // where its upper one does. The rows combined with them cancel in every free column, and
    // their bounds combined with them contradict each other. The solver's own ray where it left
    // one, otherwise the dual values of the least total violation of the rows. Empty when
    // neither can be had.
    std::vector<double> infeasibilityRay() const;

    // The basis of the last solve: one status per column, then one per row. Handing it to a
    // programme of the same shape lets the simplex start from there.
    std::vector<unsigned char> basis() const;
    bool isRowBasic(int row) const;
    // After a solve that ended infeasible: whether the row can take part in a proof of it,
    // being at one of its bounds in the last basis, or basic and off them (the row a dual
    // simplex could not bring back, the rows a primal's first phase left violated).
    bool mayProveInfeasibility(int row) const;
    // Used by the next solve(); rows beyond the given statuses start with a basic slack.
    void startFrom(const std::vector<unsigned char>& basis);
    int rowCount() const { return committedRows_ + static_cast<int>(pendingLower_.size()); }
    // Removes rows (ascending indices, none added since the last solve) whose slacks are basic,
    // so that the basis stays a basis; the rows after them move up.
    void deleteRows(std::span<const int> rows);

    // An independent programme with the same columns, rows, bounds and basis.
    std::unique_ptr<LinearProgram> copy() const;
    // The next solve() starts with the primal simplex whatever it is asked for: after a change
    // of objective the old solution is still feasible, and the primal goes on from it.
    void preferPrimalOnce() { preferPrimal_ = true; }
    // Whether the dual simplex of this programme runs on the dense fast path (until it hands
    // the programme to the sparse solver for good).
    bool densePath() const { return denseFirst_; }
    // Whether the dual simplex's word that the programme has no solution is checked by the
    // primal from the same basis (see solve()).
    void confirmInfeasibility(bool confirm) { confirmInfeasibility_ = confirm; }
    // Dense solutions with a column value beyond this many of its units hand the programme to
    // the sparse solver for good (see largestDenseSolution_).
    void allowDenseSolutionsUpTo(double units) { largestDenseSolution_ = units; }

private:
    void commitPendingRows();
    // The start basis, rows committed, the run counted: what every run begins with.
    void beginRun();
    // Runs the dense simplex from the solver's basis and hands its outcome to the solver;
    // false where it gave up or its solution is too large to trust (see largestDenseSolution_),
    // and the solver's own simplex has to run. With keepPath, a run that does not settle the
    // programme leaves it on the dense path all the same.
    bool runDense(int iterations, bool keepPath = false);
    // The outcome of the last simplex run, if it settled the programme one way or the other.
    std::optional<LpStatus> settled() const;
    // The largest amount by which the solution misses a row or column bound, relative to
    // max(1, |bound|), in original units.
    double largestViolation() const;
    void readSolution();
    double scaledRowBound(int row, double bound) const;

    struct Solver;
    std::unique_ptr<Solver> solver_;
    SolveStats& stats_;
    int columnCount_;
    std::vector<double> columnUnits_;
    std::vector<double> rowScales_; // committed and pending rows
    std::vector<double> columnValues_;
    std::vector<double> rowActivities_;
    int committedRows_ = 0;
    std::vector<unsigned char> startBasis_;
    std::vector<double> denseRay_; // the dense simplex's proof of infeasibility, scaled rows
    bool preferPrimal_ = false;
    bool confirmInfeasibility_ = true;
    bool denseFirst_ = true; // off once the dense simplex did not settle this programme
    // Column values beyond this many of their units (a coefficient's typical size) come from
    // coefficients that grow large and cancel. At the edge of feasibility the dense and the
    // sparse simplex can decide such programmes differently, and the rest of the exchange method
    // was tuned and checked against the sparse one: with the dense simplex on them, λ* of random
    // projects moved by up to 1.5e-2 either way (at 1e4 units still on two badly scaled seeds),
    // so they stay with the sparse solver.
    double largestDenseSolution_ = kLargestDenseSolution;
    std::vector<double> pendingLower_, pendingUpper_;
    std::vector<int> pendingStarts_{0}, pendingColumns_;
    std::vector<double> pendingValues_;
};

} // namespace vemra::module

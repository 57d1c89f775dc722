#include "module/linear_program.h"

#include "module/stop_request.h"

#include <ClpEventHandler.hpp>
#include <ClpSimplex.hpp>
#include <CoinHelperFunctions.hpp>

#include <algorithm>
#include <cmath>
#include <limits>

namespace vemra::module {

namespace {

// Stops a solver run that has used up its budget. Iteration limits alone do not catch every
// stall: the solver can also cycle through refactorisations without counting iterations, so
// those are budgeted as well. A stop request ends the run too.
class StepBudget : public ClpEventHandler {
public:
    struct Counts {
        long iterations = 0;
        long refactorisations = 0;
    };
    StepBudget(Counts* counts, long iterations, long refactorisations)
        : counts_(counts), iterationLimit_(iterations), refactorisationLimit_(refactorisations)
    {
    }

    int event(Event whichEvent) override
    {
        bool exhausted = false;
        switch (whichEvent) {
        case endOfIteration: exhausted = ++counts_->iterations > iterationLimit_; break;
        case endOfFactorization:
        case startOfStatusOfProblemInPrimal:
        case startOfStatusOfProblemInDual:
            exhausted = ++counts_->refactorisations > refactorisationLimit_;
            break;
        default: return -1;
        }
        return (exhausted || stopRequested()) ? 0 : -1;
    }
    ClpEventHandler* clone() const override { return new StepBudget(*this); }

private:
    Counts* counts_; // shared with the copy the solver keeps
    long iterationLimit_;
    long refactorisationLimit_;
};

} // namespace

struct LinearProgram::Solver {
    ClpSimplex clp;
    StepBudget::Counts counts;
};

namespace {

constexpr int kPrimalIterationBudget = 400;
constexpr int kMinimumIterationBudget = 5000;
constexpr int kRefactorisationBudget = 100;
constexpr double kDualTolerance = 1e-7;
// A run that stops "optimal" but reports violations beyond its tolerance (it checks them
// again after its own clean-up) is accepted when no row or column misses its bound by more
// than this, relative to max(1, |bound|): the exchange method's margins (up to 1e-6 of a
// bound's scale) take such violations away, while a clean-up run can stall on them.
constexpr double kAcceptedViolation = 1e-6;

double toSolverBound(double value)
{
    if (value == std::numeric_limits<double>::infinity())
        return COIN_DBL_MAX;
    if (value == -std::numeric_limits<double>::infinity())
        return -COIN_DBL_MAX;
    return value;
}

} // namespace

LinearProgram::LinearProgram(int columnCount, SolveStats& stats)
    : solver_(std::make_unique<Solver>()), stats_(stats), columnCount_(columnCount)
{
    ClpSimplex& clp = solver_->clp;
    clp.setLogLevel(0);
    clp.resize(0, columnCount);
    clp.setOptimizationDirection(1.0);
    // The solver's own tolerances. Tighter ones look tempting, since the exchange method wants
    // 1e-9 of a bound's scale, but the simplex cannot keep them once the coefficients are large
    // and the rows nearly parallel: it then stops "optimal" with infeasibilities after
    // unscaling, clean-ups stall, and even runs reported optimal miss the optimum. The
    // exchange method closes the remaining gap itself with margins on the rows that need them.
    //
    // The solver's own scaling stays off: its tolerance then applies to the rows as they are,
    // while after unscaling a row of a third derivative could miss its bound by fifty times
    // the tolerance, more than the exchange method's margins may take away.
    clp.scaling(0);
    clp.setPrimalTolerance(kLpFeasibilityTolerance);
    clp.setDualTolerance(kDualTolerance);
}

LinearProgram::~LinearProgram() = default;

std::unique_ptr<LinearProgram> LinearProgram::copy() const
{
    auto result = std::make_unique<LinearProgram>(columnCount_, stats_);
    result->solver_->clp = solver_->clp;
    result->committedRows_ = committedRows_;
    result->startBasis_ = startBasis_;
    result->pendingLower_ = pendingLower_;
    result->pendingUpper_ = pendingUpper_;
    result->pendingStarts_ = pendingStarts_;
    result->pendingColumns_ = pendingColumns_;
    result->pendingValues_ = pendingValues_;
    return result;
}

void LinearProgram::setColumn(int column, double lower, double upper, double cost)
{
    ClpSimplex& clp = solver_->clp;
    clp.setColumnBounds(column, toSolverBound(lower), toSolverBound(upper));
    clp.setObjectiveCoefficient(column, cost);
}

int LinearProgram::addRow(std::span<const int> columns, std::span<const double> values, double lower, double upper)
{
    pendingColumns_.insert(pendingColumns_.end(), columns.begin(), columns.end());
    pendingValues_.insert(pendingValues_.end(), values.begin(), values.end());
    pendingStarts_.push_back(static_cast<int>(pendingColumns_.size()));
    pendingLower_.push_back(toSolverBound(lower));
    pendingUpper_.push_back(toSolverBound(upper));
    return rowCount() - 1;
}

void LinearProgram::setRowBounds(int row, double lower, double upper)
{
    if (row >= committedRows_) {
        const auto pending = static_cast<std::size_t>(row - committedRows_);
        pendingLower_[pending] = toSolverBound(lower);
        pendingUpper_[pending] = toSolverBound(upper);
        return;
    }
    solver_->clp.setRowBounds(row, toSolverBound(lower), toSolverBound(upper));
}

void LinearProgram::commitPendingRows()
{
    if (pendingLower_.empty())
        return;
    std::vector<CoinBigIndex> starts(pendingStarts_.begin(), pendingStarts_.end());
    solver_->clp.addRows(static_cast<int>(pendingLower_.size()), pendingLower_.data(), pendingUpper_.data(),
                         starts.data(), pendingColumns_.data(), pendingValues_.data());
    committedRows_ += static_cast<int>(pendingLower_.size());
    pendingLower_.clear();
    pendingUpper_.clear();
    pendingStarts_.assign(1, 0);
    pendingColumns_.clear();
    pendingValues_.clear();
}

std::vector<unsigned char> LinearProgram::basis() const
{
    const ClpSimplex& clp = solver_->clp;
    const unsigned char* status = clp.statusArray();
    if (status == nullptr)
        return {};
    std::vector<unsigned char> result(status, status + clp.numberColumns() + clp.numberRows());
    // Only the basis status itself; the solver keeps run-specific flags in the upper bits.
    for (unsigned char& entry : result)
        entry &= 7;
    return result;
}

bool LinearProgram::isRowBasic(int row) const
{
    return solver_->clp.getRowStatus(row) == ClpSimplex::basic;
}

void LinearProgram::startFrom(const std::vector<unsigned char>& basis)
{
    startBasis_ = basis;
}

LpStatus LinearProgram::solve(SimplexMethod method)
{
    if (preferPrimal_) {
        method = SimplexMethod::Primal;
        preferPrimal_ = false;
    }
    throwIfStopRequested();
    commitPendingRows();
    ClpSimplex& clp = solver_->clp;
    if (!startBasis_.empty()) {
        const auto size = static_cast<std::size_t>(clp.numberColumns() + clp.numberRows());
        if (startBasis_.size() <= size) {
            startBasis_.resize(size, static_cast<unsigned char>(ClpSimplex::basic));
            clp.copyinStatus(startBasis_.data());
        }
        startBasis_.clear();
    }
    ++stats_.linearProgrammes;

    // Degenerate vertices, which these programmes have plenty of, can make either simplex
    // stall. Each run gets an iteration budget (not a time limit, so that runs repeat
    // exactly); a stalled run hands its basis to the other method.
    const int budget = std::max(kMinimumIterationBudget, 4 * (clp.numberRows() + clp.numberColumns()));
    auto run = [&](SimplexMethod m, int iterations) {
        clp.setMaximumIterations(iterations);
        solver_->counts = {};
        const StepBudget guard(&solver_->counts, iterations, kRefactorisationBudget);
        clp.passInEventHandler(&guard);
        if (m == SimplexMethod::Primal)
            clp.primal();
        else
            clp.dual();
        stats_.simplexIterations += clp.numberIterations();
        throwIfStopRequested();
        return clp.status() != 3 && clp.status() != 5;
    };
    const SimplexMethod other = method == SimplexMethod::Primal ? SimplexMethod::Dual : SimplexMethod::Primal;
    // The primal stalls far more readily than the dual, so it gets a short first budget.
    const int first = method == SimplexMethod::Primal ? std::min(budget, kPrimalIterationBudget) : budget;
    std::optional<LpStatus> outcome;
    if (run(method, first) || run(other, budget))
        outcome = settled();
    // Stopped "optimal" with violations after unscaling (typically a dual start that was not
    // dual feasible, as with a cost on λ), or in numerical trouble: the primal from the same
    // basis settles most of these.
    if (!outcome && run(SimplexMethod::Primal, budget))
        outcome = settled();
    // What is left is a basis the factorisation cannot handle any more: start afresh.
    if (!outcome) {
        clp.allSlackBasis(true);
        if (run(SimplexMethod::Dual, budget))
            outcome = settled();
    }
    if (outcome)
        return *outcome;
    // Neither a solution nor a proof of infeasibility; the caller has to treat it as
    // infeasible, and the count lets tests see that it happened.
    ++stats_.failedProgrammes;
    return LpStatus::Failed;
}

std::optional<LpStatus> LinearProgram::settled() const
{
    const ClpSimplex& clp = solver_->clp;
    if (clp.status() == 1)
        return LpStatus::Infeasible;
    if (clp.status() != 0)
        return std::nullopt;
    if (clp.secondaryStatus() == 0 || largestViolation() <= kAcceptedViolation)
        return LpStatus::Optimal;
    return std::nullopt;
}

double LinearProgram::largestViolation() const
{
    const ClpSimplex& clp = solver_->clp;
    double worst = 0.0;
    auto check = [&](const double* value, const double* lower, const double* upper, int count) {
        for (int i = 0; i < count; ++i) {
            if (value[i] < lower[i])
                worst = std::max(worst, (lower[i] - value[i]) / std::max(1.0, std::abs(lower[i])));
            else if (value[i] > upper[i])
                worst = std::max(worst, (value[i] - upper[i]) / std::max(1.0, std::abs(upper[i])));
        }
    };
    check(clp.getRowActivity(), clp.getRowLower(), clp.getRowUpper(), clp.numberRows());
    check(clp.getColSolution(), clp.getColLower(), clp.getColUpper(), clp.numberColumns());
    return worst;
}

std::span<const double> LinearProgram::rowActivities() const
{
    return {solver_->clp.primalRowSolution(), static_cast<std::size_t>(committedRows_)};
}

std::span<const double> LinearProgram::columnValues() const
{
    return {solver_->clp.primalColumnSolution(), static_cast<std::size_t>(columnCount_)};
}

} // namespace vemra::module

#include "module/linear_program.h"

#include "module/clp_models.h"
#include "module/dense_mirror.h"
#include "module/dense_simplex.h"
#include "module/stop_request.h"

#include <ClpEventHandler.hpp>
#include <ClpSimplex.hpp>

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

// A new model builds its tables of messages afresh, message by message; a copy takes them over
// in one block. Every programme starts as a copy of this one, which nothing ever changes.
const ClpSimplex& emptyModel()
{
    static const ClpSimplex model;
    return model;
}

} // namespace

struct LinearProgram::Solver {
    explicit Solver(int columns) : clp(emptyModel()), dense(columns) {}

    // While the programme runs on the dense simplex, the sparse solver keeps its rows' bounds,
    // statuses and solutions but not their entries: its matrix is stored by columns, and every
    // row appended to it or deleted from it moved the whole matrix (a tenth of the time of a
    // large double dwell). The entries come back from the mirror before it runs or is copied.
    void leaveEntriesToMirror();
    void takeEntriesBack();

    ClpSimplex clp;
    StepBudget::Counts counts;
    DenseMirror dense; // the rows of clp, for the dense simplex
    bool entriesInMirrorOnly = false;
};

namespace {

constexpr int kPrimalIterationBudget = 400;
constexpr int kMinimumIterationBudget = 5000;
// A healthy run takes a few steps per row and column. One that goes on far beyond that cycles
// between degenerate vertices, and the other method from its basis settles it in a few hundred
// steps: small programmes of the shift search used to cycle for 5,000 steps first.
constexpr int kMinimumRunBudget = 1000;
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

bool isFiniteBound(double value) { return std::abs(value) < COIN_DBL_MAX && std::isfinite(value); }

// 1 / max(1, |bounds|) rounded down to a power of two: the row's bounds come out of size
// one half to one, and multiplying by it is exact.
double rowScaleFor(double lower, double upper)
{
    double size = 1.0;
    for (double bound : {lower, upper})
        if (isFiniteBound(bound))
            size = std::max(size, std::abs(bound));
    int exponent = 0;
    std::frexp(size, &exponent); // size = m * 2^exponent, m in [0.5, 1)
    return std::ldexp(1.0, -exponent);
}

// A bound times a scale, infinite bounds staying the solver's infinity.
double scaled(double bound, double scale) { return isFiniteBound(bound) ? bound * scale : toSolverBound(bound); }

} // namespace

void LinearProgram::Solver::leaveEntriesToMirror()
{
    if (entriesInMirrorOnly)
        return;
    const std::vector<CoinBigIndex> starts(static_cast<std::size_t>(clp.numberColumns()) + 1, 0);
    const std::vector<int> lengths(static_cast<std::size_t>(clp.numberColumns()), 0);
    clp.replaceMatrix(new CoinPackedMatrix(true, clp.numberRows(), clp.numberColumns(), 0, nullptr, nullptr,
                                           starts.data(), lengths.data()),
                      true);
    entriesInMirrorOnly = true;
}

void LinearProgram::Solver::takeEntriesBack()
{
    if (!entriesInMirrorOnly)
        return;
    const DenseProgramme& rows = dense.rows();
    std::vector<CoinBigIndex> starts{0};
    std::vector<int> indices;
    std::vector<double> values;
    for (int j = 0; j < rows.columns; ++j) {
        for (int i = 0; i < rows.rows; ++i)
            if (const double a = rows.matrix[static_cast<std::size_t>(i) * rows.columns + j]; a != 0.0) {
                indices.push_back(i);
                values.push_back(a);
            }
        starts.push_back(static_cast<CoinBigIndex>(indices.size()));
    }
    std::vector<int> lengths(static_cast<std::size_t>(rows.columns));
    for (std::size_t j = 0; j < lengths.size(); ++j)
        lengths[j] = static_cast<int>(starts[j + 1] - starts[j]);
    clp.replaceMatrix(new CoinPackedMatrix(true, rows.rows, rows.columns, static_cast<CoinBigIndex>(values.size()),
                                           values.data(), indices.data(), starts.data(), lengths.data()),
                      true);
    entriesInMirrorOnly = false;
}

LinearProgram::LinearProgram(std::vector<double> columnUnits, SolveStats& stats)
    : solver_(std::make_unique<Solver>(static_cast<int>(columnUnits.size()))), stats_(stats),
      columnCount_(static_cast<int>(columnUnits.size())), columnUnits_(std::move(columnUnits)),
      columnValues_(columnUnits_.size(), 0.0)
{
    const int columnCount = columnCount_;
    ClpSimplex& clp = solver_->clp;
    clp.setLogLevel(0);
    clp.resize(0, columnCount);
    clp.setOptimizationDirection(1.0);
    // The primal tolerance is what the exchange method asks of a row, 1e-9 of its bound's
    // scale: on the scaled rows the simplex can keep that. Unscaled, with entries from 1 to
    // k^3 and bounds from 1e-2 to 1e3 in one programme, it could not: the tolerance had to be
    // 1e-7 absolute, and every solution then missed its bounds by more than the exchange
    // method accepts, which it answered with round after round of margins (and on projects
    // whose coefficients cancel, with a λ* that lived on that slack).
    //
    // The solver's own scaling stays off: its tolerance then applies to the rows as this class
    // scaled them, relative to the size of their bounds, while with the solver's scaling a row
    // of a third derivative could miss its bound by fifty times the tolerance after unscaling,
    // more than the exchange method's margins may take away.
    clp.scaling(0);
    clp.setPrimalTolerance(kLpFeasibilityTolerance);
    clp.setDualTolerance(kDualTolerance);
}

LinearProgram::~LinearProgram() = default;

std::unique_ptr<LinearProgram> LinearProgram::copy() const
{
    auto result = std::make_unique<LinearProgram>(columnUnits_, stats_);
    copyProgramme(solver_->clp, result->solver_->clp);
    result->solver_->dense = solver_->dense;
    result->solver_->entriesInMirrorOnly = solver_->entriesInMirrorOnly;
    result->rowScales_ = rowScales_;
    result->columnValues_ = columnValues_;
    result->rowActivities_ = rowActivities_;
    result->committedRows_ = committedRows_;
    result->startBasis_ = startBasis_;
    result->confirmInfeasibility_ = confirmInfeasibility_;
    result->denseFirst_ = denseFirst_;
    result->largestDenseSolution_ = largestDenseSolution_;
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
    const double unit = columnUnits_[static_cast<std::size_t>(column)];
    clp.setColumnBounds(column, scaled(lower, 1.0 / unit), scaled(upper, 1.0 / unit));
    clp.setObjectiveCoefficient(column, cost * unit);
}

int LinearProgram::addRow(std::span<const int> columns, std::span<const double> values, double lower, double upper,
                          std::optional<double> heldTo)
{
    // A row held to a size: 1 / max(1, size) rounded up to a power of two instead of down, so
    // that the simplex's tolerance on the row comes to at most that of a bound of that size.
    const double scale = heldTo ? 2.0 * rowScaleFor(*heldTo, *heldTo) : rowScaleFor(lower, upper);
    rowScales_.push_back(scale);
    pendingColumns_.insert(pendingColumns_.end(), columns.begin(), columns.end());
    for (std::size_t i = 0; i < values.size(); ++i)
        pendingValues_.push_back(values[i] * columnUnits_[static_cast<std::size_t>(columns[i])] * scale);
    pendingStarts_.push_back(static_cast<int>(pendingColumns_.size()));
    pendingLower_.push_back(scaled(lower, scale));
    pendingUpper_.push_back(scaled(upper, scale));
    return rowCount() - 1;
}

void LinearProgram::setRowBounds(int row, double lower, double upper)
{
    const double scale = rowScales_[static_cast<std::size_t>(row)];
    if (row >= committedRows_) {
        const auto pending = static_cast<std::size_t>(row - committedRows_);
        pendingLower_[pending] = scaled(lower, scale);
        pendingUpper_[pending] = scaled(upper, scale);
        return;
    }
    solver_->clp.setRowBounds(row, scaled(lower, scale), scaled(upper, scale));
}

void LinearProgram::commitPendingRows()
{
    if (pendingLower_.empty())
        return;
    const auto count = static_cast<int>(pendingLower_.size());
    std::vector<CoinBigIndex> starts(pendingStarts_.begin(), pendingStarts_.end());
    if (denseFirst_ && solver_->dense.kept()) {
        solver_->leaveEntriesToMirror();
        std::fill(starts.begin(), starts.end(), 0);
    }
    solver_->clp.addRows(count, pendingLower_.data(), pendingUpper_.data(), starts.data(), pendingColumns_.data(),
                         pendingValues_.data());
    solver_->dense.appendRows(count, pendingStarts_.data(), pendingColumns_.data(), pendingValues_.data());
    committedRows_ += static_cast<int>(pendingLower_.size());
    pendingLower_.clear();
    pendingUpper_.clear();
    pendingStarts_.assign(1, 0);
    pendingColumns_.clear();
    pendingValues_.clear();
}

void LinearProgram::deleteRows(std::span<const int> rows)
{
    if (rows.empty())
        return;
    commitPendingRows();
    solver_->clp.deleteRows(static_cast<int>(rows.size()), rows.data());
    solver_->dense.deleteRows(rows);
    std::size_t kept = 0;
    std::size_t next = 0;
    for (std::size_t i = 0; i < rowScales_.size(); ++i) {
        if (next < rows.size() && static_cast<std::size_t>(rows[next]) == i) {
            ++next;
            continue;
        }
        rowScales_[kept] = rowScales_[i];
        if (i < rowActivities_.size())
            rowActivities_[kept] = rowActivities_[i];
        ++kept;
    }
    rowScales_.resize(kept);
    rowActivities_.resize(std::min(rowActivities_.size(), kept));
    committedRows_ = static_cast<int>(kept);
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

bool LinearProgram::mayProveInfeasibility(int row) const
{
    const ClpSimplex& clp = solver_->clp;
    if (clp.getRowStatus(row) != ClpSimplex::basic || clp.primalRowSolution() == nullptr)
        return true;
    const double activity = clp.primalRowSolution()[row];
    return activity < clp.getRowLower()[row] - kLpFeasibilityTolerance
           || activity > clp.getRowUpper()[row] + kLpFeasibilityTolerance;
}

bool LinearProgram::isRowBasic(int row) const
{
    return solver_->clp.getRowStatus(row) == ClpSimplex::basic;
}

void LinearProgram::startFrom(const std::vector<unsigned char>& basis)
{
    startBasis_ = basis;
}

void LinearProgram::beginRun()
{
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
}

LpStatus LinearProgram::solveDense(int steps)
{
    beginRun();
    if (!denseFirst_ || !runDense(steps, true))
        return LpStatus::Failed;
    const std::optional<LpStatus> outcome = settled();
    if (!outcome)
        return LpStatus::Failed;
    readSolution();
    return *outcome;
}

LpStatus LinearProgram::solve(SimplexMethod method)
{
    if (preferPrimal_) {
        method = SimplexMethod::Primal;
        preferPrimal_ = false;
    }
    beginRun();
    ClpSimplex& clp = solver_->clp;

    // Degenerate vertices, which these programmes have plenty of, can make either simplex
    // stall. Each run gets an iteration budget (not a time limit, so that runs repeat
    // exactly); a stalled run hands its basis to the other method.
    const int budget = std::max(kMinimumRunBudget, 4 * (clp.numberRows() + clp.numberColumns()));
    auto runOn = [&](ClpSimplex& model, SimplexMethod m, int iterations) {
        solver_->takeEntriesBack();
        denseRay_.clear();
        model.setMaximumIterations(iterations);
        solver_->counts = {};
        const StepBudget guard(&solver_->counts, iterations, kRefactorisationBudget);
        model.passInEventHandler(&guard);
        if (m == SimplexMethod::Primal)
            model.primal();
        else
            model.dual();
        stats_.simplexIterations += model.numberIterations();
        throwIfStopRequested();
        return model.status() != 3 && model.status() != 5;
    };
    auto run = [&](SimplexMethod m, int iterations) { return runOn(clp, m, iterations); };
    const SimplexMethod other = method == SimplexMethod::Primal ? SimplexMethod::Dual : SimplexMethod::Primal;
    // The primal stalls far more readily than the dual, so it gets a short first budget.
    const int first = method == SimplexMethod::Primal ? std::min(budget, kPrimalIterationBudget) : budget;
    std::optional<LpStatus> outcome;
    SimplexMethod finishedBy = method;
    // The dual simplex runs on the dense fast path first (see dense_simplex.h); where that
    // gives up, the sparse solver takes the programme as it was.
    bool finished = method == SimplexMethod::Dual && denseFirst_ && runDense(budget);
    if (!finished)
        finished = run(method, first);
    if (!finished) {
        finishedBy = other;
        finished = run(other, budget);
    }
    if (finished)
        outcome = settled();
    // Where only huge, nearly cancelling coefficients meet the rows, the dual simplex calls many
    // programmes infeasible that have solutions (a quarter of its verdicts on one project):
    // its proof rests on round-off. The primal from the same basis either finds a solution or
    // confirms the verdict; when it runs out of steps, the verdict stands.
    if (outcome == LpStatus::Infeasible && finishedBy == SimplexMethod::Dual && confirmInfeasibility_
        && run(SimplexMethod::Primal, budget)) {
        outcome = settled();
        // A primal that took no step has only looked at the dual's last basis again, which is
        // no second opinion where that basis is what went wrong: with coefficients near 1e9,
        // both called a programme infeasible that the primal solves from the slack basis, and a
        // project whose minimum requirements can be met ended with -2. From there the primal
        // takes a path of its own, on a copy: where it finds no solution either, the dual's
        // proof of infeasibility stays for the explanation to read.
        if (outcome == LpStatus::Infeasible && clp.numberIterations() == 0) {
            ClpSimplex fromScratch;
            copyProgramme(clp, fromScratch);
            fromScratch.allSlackBasis(true);
            if (runOn(fromScratch, SimplexMethod::Primal, budget) && fromScratch.status() == 0) {
                copyProgramme(fromScratch, clp);
                std::copy_n(fromScratch.dualRowSolution(), fromScratch.numberRows(), clp.dualRowSolution());
                std::copy_n(fromScratch.dualColumnSolution(), fromScratch.numberColumns(), clp.dualColumnSolution());
                clp.setProblemStatus(fromScratch.status());
                clp.setSecondaryStatus(fromScratch.secondaryStatus());
                outcome = settled();
            }
        }
    }
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
    if (outcome) {
        readSolution();
        return *outcome;
    }
    // Neither a solution nor a proof of infeasibility; the caller has to treat it as
    // infeasible, and the count lets tests see that it happened.
    ++stats_.failedProgrammes;
    return LpStatus::Failed;
}

bool LinearProgram::runDense(int iterations, bool keepPath)
{
    ClpSimplex& clp = solver_->clp;
    // The dense simplex keeps an inverse of columns × columns, the sparse one factorises a
    // basis of rows × rows: with fewer rows than columns (many motions, few angles held yet)
    // the sparse solver has the smaller matrix.
    if (clp.numberRows() < clp.numberColumns())
        return false;
    double* columns = clp.primalColumnSolution();
    double* rows = clp.primalRowSolution();
    double* rowDuals = clp.dualRowSolution();
    double* reducedCosts = clp.dualColumnSolution();
    if (columns == nullptr || rows == nullptr || rowDuals == nullptr || reducedCosts == nullptr)
        return false;
    DenseMirror& dense = solver_->dense;
    if (!dense.kept())
        dense.keep(clp.numberRows(), denseMatrixOf(clp));
    const DenseProgramme& programme = dense.programme(clp.getRowLower(), clp.getRowUpper(), clp.getColLower(),
                                                      clp.getColUpper(), clp.getObjCoefficients());
    const DenseOutcome outcome = solveDenseDual(programme, dense.parallelColumns(), basis(),
                                                {.primalTolerance = kLpFeasibilityTolerance,
                                                 .dualTolerance = kDualTolerance,
                                                 .iterationLimit = iterations},
                                                &dense.carriedInverse());
    stats_.simplexIterations += outcome.iterations;
    const bool huge = outcome.status == DenseStatus::Optimal
                      && std::any_of(outcome.columnValues.begin(), outcome.columnValues.end(),
                                     [this](double value) { return std::abs(value) > largestDenseSolution_; });
    if (outcome.status == DenseStatus::GaveUp || huge) {
        // A programme that needs huge coefficients, or on which the dense simplex lost its
        // footing after taking steps, stays with the sparse solver for its further runs: the
        // next ones would most likely end the same way, and cost the steps twice.
        if (!keepPath && (huge || outcome.iterations > 0)) {
            solver_->takeEntriesBack();
            denseFirst_ = false;
            dense.drop();
        }
        return false;
    }
    clp.copyinStatus(outcome.basis.data());
    std::copy(outcome.columnValues.begin(), outcome.columnValues.end(), columns);
    std::copy(outcome.rowActivities.begin(), outcome.rowActivities.end(), rows);
    std::copy(outcome.rowDuals.begin(), outcome.rowDuals.end(), rowDuals);
    std::copy(outcome.reducedCosts.begin(), outcome.reducedCosts.end(), reducedCosts);
    clp.setProblemStatus(outcome.status == DenseStatus::Optimal ? 0 : 1);
    clp.setSecondaryStatus(0);
    denseRay_ = outcome.ray;
    return true;
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
    // Each value and its bounds are divided by the scale to come back to original units.
    auto check = [&](const double* value, const double* lower, const double* upper, int count, auto scaleOf) {
        for (int i = 0; i < count; ++i) {
            const double scale = scaleOf(i);
            const double v = value[i] / scale, lo = lower[i] / scale, hi = upper[i] / scale;
            if (v < lo)
                worst = std::max(worst, (lo - v) / std::max(1.0, std::abs(lo)));
            else if (v > hi)
                worst = std::max(worst, (v - hi) / std::max(1.0, std::abs(hi)));
        }
    };
    check(clp.getRowActivity(), clp.getRowLower(), clp.getRowUpper(), clp.numberRows(),
          [&](int row) { return rowScales_[static_cast<std::size_t>(row)]; });
    check(clp.getColSolution(), clp.getColLower(), clp.getColUpper(), clp.numberColumns(),
          [&](int column) { return 1.0 / columnUnits_[static_cast<std::size_t>(column)]; });
    return worst;
}

void LinearProgram::readSolution()
{
    const ClpSimplex& clp = solver_->clp;
    const double* columns = clp.primalColumnSolution();
    for (int j = 0; j < columnCount_; ++j)
        columnValues_[static_cast<std::size_t>(j)] = columns[j] * columnUnits_[static_cast<std::size_t>(j)];
    const double* rows = clp.primalRowSolution();
    rowActivities_.resize(static_cast<std::size_t>(committedRows_));
    for (int i = 0; i < committedRows_; ++i)
        rowActivities_[static_cast<std::size_t>(i)] = rows[i] / rowScales_[static_cast<std::size_t>(i)];
}

std::vector<double> LinearProgram::rowDuals() const
{
    // With rows multiplied by r, the scaled programme's dual value of a row is the original
    // one divided by r.
    const double* duals = solver_->clp.dualRowSolution();
    std::vector<double> result(static_cast<std::size_t>(committedRows_), 0.0);
    if (duals == nullptr)
        return result;
    for (int i = 0; i < committedRows_; ++i)
        result[static_cast<std::size_t>(i)] = duals[i] * rowScales_[static_cast<std::size_t>(i)];
    return result;
}

std::vector<double> LinearProgram::infeasibilityRay() const
{
    const ClpSimplex& clp = solver_->clp;
    if (clp.status() != 1)
        return {};
    std::vector<double> ray = denseRay_;
    if (ray.empty() && clp.rayExists()) {
        const std::unique_ptr<double[]> own(clp.infeasibilityRay());
        if (own)
            ray.assign(own.get(), own.get() + committedRows_);
    }
    if (ray.empty()) {
        solver_->takeEntriesBack();
        ray = leastViolationMultipliers(clp, kMinimumIterationBudget);
    }
    // Mapped back like a dual value: a multiplier of the scaled row times the row's factor.
    for (std::size_t i = 0; i < ray.size(); ++i)
        ray[i] *= rowScales_[i];
    return ray;
}

} // namespace vemra::module

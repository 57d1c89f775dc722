// The dense dual simplex over the active set (the solver's state: dense_dual_solver.h): its
// dual steps with dual steepest-edge pricing and Harris's ratio test, and the checks that an
// outcome has to pass before it is reported.
//
// Where many multipliers sit at zero (zero costs, split coefficients) every ratio ties at zero
// and the steps can wander without end; a small random perturbation of the costs, taken off
// before the final check, gives every step some progress.
#include "module/dense_simplex.h"

#include "module/dense_dual_solver.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

namespace vemra::module {
namespace dense {
namespace {

// An infeasibility proof may leave this much of its combined normal (relative to its multipliers)
// on unbounded columns: near-parallel active rows leave that much rounding even after refining.
constexpr double kProofNoise = 1e-9;
// Checks of "optimal" on a fresh inverse that may fail (bounds flipped, violations back) before giving up.
constexpr int kFreshChecks = 4;
// This many steps in a row whose leaving multiplier was already zero mean the run is stalling
// on a dual degenerate vertex, and the costs get perturbed.
constexpr int kStallingSteps = 10;
// Each active multiplier is pushed away from its sign limit by one to two times this many dual
// tolerances (enough for the ratio test to tell ties apart) plus this share of its cost. Larger
// pushes leave more multipliers of the wrong sign once they are taken off.
constexpr double kPerturbationInTolerances = 10.0;
constexpr double kPerturbationOfCost = 1e-7;

// A number in [0, 1) fixed by k, the same on every platform, so that runs repeat.
double spread(std::uint64_t k)
{
    k = (k + 0x9e3779b97f4a7c15ULL) * 0xbf58476d1ce4e5b9ULL;
    k = (k ^ (k >> 27)) * 0x94d049bb133111ebULL;
    return static_cast<double>((k ^ (k >> 31)) >> 11) * 0x1.0p-53;
}

} // namespace

DenseOutcome DenseDualSolver::solve(std::span<const unsigned char> start, CarriedInverse* carried)
{
    carried_ = carried;
    if (!takeStart(start) || !startInverse())
        return finish(DenseStatus::GaveUp);
    // A start the dual steps cannot take may still be a vertex that meets every bound, as
    // the last optimum is after the costs changed: primal steps go on from there.
    if (flipWrongSigns() < 0) {
        if (const auto end = primalSteps())
            return finish(*end);
    } else {
        setInitialWeights();
    }
    int freshChecks = 0;
    std::optional<DenseStatus> end;
    while (!end) {
        const int k = chooseEntering();
        if (k >= 0)
            end = step(k);
        else if (anySetAside_ || ++freshChecks > kFreshChecks)
            end = DenseStatus::GaveUp;
        else
            end = checkOptimum();
    }
    return finish(*end);
}

bool DenseDualSolver::takeStart(std::span<const unsigned char> start)
{
    const int total = n_ + m_;
    if (!start.empty() && static_cast<int>(start.size()) != total)
        return false;
    int slot = 0;
    for (int k = 0; k < total; ++k) {
        BasisStatus status = BasisStatus::Basic;
        if (!start.empty())
            status = static_cast<BasisStatus>(start[k]);
        else if (k < n_)
            status = p_.cost[k] < 0.0 ? BasisStatus::AtUpper : BasisStatus::AtLower;
        if (status == BasisStatus::Basic)
            continue;
        if (status > BasisStatus::Fixed || slot == n_)
            return false;
        item_[slot] = k;
        slotOf_[k] = slot;
        side_[slot] = sideFor(k, status);
        bound_[slot] = boundFor(k, side_[slot]);
        ++slot;
    }
    return slot == n_;
}

Side DenseDualSolver::sideFor(int k, BasisStatus status) const
{
    const double lo = lower(k), up = upper(k);
    if (lo == up && isFinite(lo))
        return Side::Fixed;
    if (status == BasisStatus::Free || status == BasisStatus::SuperBasic || (!isFinite(lo) && !isFinite(up)))
        return Side::FreeAtZero;
    const bool atUpper = status == BasisStatus::AtUpper ? isFinite(up) : !isFinite(lo);
    return atUpper ? Side::Upper : Side::Lower;
}

void DenseDualSolver::recomputePrimal()
{
    rowsUnchanged_ = false;
    for (int j = 0; j < n_; ++j)
        x_[j] = slotOf_[j] >= 0 ? bound_[slotOf_[j]] : inverse_.rowDot(j, bound_.data(), positioned_.data());
    for (int i = 0; i < m_; ++i)
        r_[i] = dot(matrixRow(i), x_.data(), n_);
}

bool DenseDualSolver::startInverse()
{
    if (!adoptCarried())
        return refresh();
    recompute();
    return true;
}

bool DenseDualSolver::adoptCarried()
{
    if (carried_ == nullptr || carried_->items.size() != static_cast<std::size_t>(n_) || !carried_->matrix
        || carried_->positions.size() != carried_->items.size())
        return false;
    // n distinct constraints, all of them active in the start: the same set.
    for (int k : carried_->items)
        if (k < 0 || k >= n_ + m_ || slotOf_[k] < 0)
            return false;
    const std::vector<Side> sides = side_;
    const std::vector<double> bounds = bound_;
    for (int s = 0; s < n_; ++s) {
        const int k = carried_->items[static_cast<std::size_t>(s)];
        side_[s] = sides[slotOf_[k]];
        bound_[s] = bounds[slotOf_[k]];
    }
    for (int s = 0; s < n_; ++s) {
        item_[s] = carried_->items[static_cast<std::size_t>(s)];
        slotOf_[item_[s]] = s;
    }
    inverse_.adopt(*carried_);
    return true;
}

bool DenseDualSolver::refresh()
{
    if (!inverse_.rebuild())
        return false;
    recompute();
    return true;
}

void DenseDualSolver::recompute()
{
    recomputePrimal();
    std::fill(positioned_.begin(), positioned_.end(), 0.0);
    for (int j = 0; j < n_; ++j)
        if (cost_[j] != 0.0)
            addScaled(positioned_.data(), cost_[j], inverseRow(j), n_);
    inverse_.toSlots(positioned_.data(), pi_.data());
}

int DenseDualSolver::flipWrongSigns()
{
    std::vector<int> wrong;
    for (int s = 0; s < n_; ++s) {
        if (!hasWrongSign(s))
            continue;
        if (side_[s] == Side::FreeAtZero || !isFinite(boundFor(item_[s], otherSide(s))))
            return -1;
        wrong.push_back(s);
    }
    for (int s : wrong) {
        side_[s] = otherSide(s);
        bound_[s] = boundFor(item_[s], side_[s]);
    }
    if (!wrong.empty())
        recomputePrimal();
    return static_cast<int>(wrong.size());
}

double DenseDualSolver::wrongness(int s) const
{
    switch (side_[s]) {
    case Side::Lower: return -pi_[s];
    case Side::Upper: return pi_[s];
    case Side::FreeAtZero: return std::abs(pi_[s]);
    case Side::Fixed: break;
    }
    return 0.0;
}

void DenseDualSolver::setInitialWeights()
{
    rowsUnchanged_ = false;
    for (int j = 0; j < n_; ++j)
        if (slotOf_[j] < 0)
            weight_[j] = std::max(kWeightFloor, dot(inverseRow(j), inverseRow(j), n_));
    for (int i = 0; i < m_; ++i)
        if (slotOf_[n_ + i] < 0)
            weight_[n_ + i] = std::max(kWeightFloor, dot(matrixRow(i), matrixRow(i), n_));
}

int DenseDualSolver::chooseEntering()
{
    const auto scan = [this](int from, int to, int& best, double& bestScore) {
        for (int k = from; k < to; ++k) {
            if (slotOf_[k] >= 0 || setAside_[k])
                continue;
            const double value = activity(k);
            const double violation = std::max(lower(k) - value, value - upper(k));
            if (violation <= settings_.primalTolerance)
                continue;
            const double score = violation * violation / weight_[k];
            if (score > bestScore) {
                bestScore = score;
                best = k;
            }
        }
    };
    int best = -1;
    double bestScore = 0.0;
    scan(0, n_, best, bestScore);
    if (!std::exchange(rowsUnchanged_, false)) {
        bestRow_ = -1;
        bestRowScore_ = 0.0;
        scan(n_, n_ + m_, bestRow_, bestRowScore_);
    }
    // The columns come first: a row wins a tie with none of them.
    return bestRowScore_ > bestScore ? bestRow_ : best;
}

std::optional<DenseStatus> DenseDualSolver::step(int k)
{
    if (iterations_ >= settings_.iterationLimit)
        return DenseStatus::GaveUp;
    const double sigma = activity(k) < lower(k) ? 1.0 : -1.0;
    inverse_.represent(k, alpha_.data());
    const double alphaNormSquared = dot(alpha_.data(), alpha_.data(), n_);
    weight_[k] = std::max(kWeightFloor, alphaNormSquared);
    const Leaving leaving = chooseLeaving(sigma);
    if (leaving.slot >= 0 && !leaving.tiny) {
        const bool stalling = std::abs(pi_[leaving.slot]) <= settings_.dualTolerance;
        if (stalling && stallingSteps_ + 1 >= kStallingSteps && !everPerturbed_) {
            perturbCosts();
            return std::nullopt; // the ratio test again, on the new multipliers
        }
        computeDirections(leaving.slot);
        if (inverse_.updates() > 0 && exchangeError(leaving.slot) > kResidualTolerance)
            return refreshed();
        pivot(k, sigma, leaving, alphaNormSquared);
        stallingSteps_ = stalling ? stallingSteps_ + 1 : 0;
        return inverse_.updates() >= kUpdatesPerRefactorisation ? refreshed() : std::nullopt;
    }
    if (inverse_.updates() > 0)
        return refreshed();
    if (leaving.slot >= 0) {
        setAside_[k] = 1;
        anySetAside_ = true;
        rowsUnchanged_ = false;
        return std::nullopt;
    }
    return proveInfeasible(k, sigma) ? DenseStatus::Infeasible : DenseStatus::GaveUp;
}

void DenseDualSolver::perturbCosts()
{
    for (int s = 0; s < n_; ++s) {
        if (side_[s] != Side::Lower && side_[s] != Side::Upper)
            continue;
        const int k = item_[s];
        const double size = kPerturbationInTolerances * settings_.dualTolerance
            + kPerturbationOfCost * (k < n_ ? std::abs(p_.cost[k]) : 0.0);
        const double delta = (side_[s] == Side::Lower ? 1.0 : -1.0) * (1.0 + spread(k)) * size;
        pi_[s] += delta;
        if (k < n_)
            cost_[k] += delta;
        else
            addScaled(cost_.data(), delta, matrixRow(k - n_), n_);
    }
    perturbed_ = everPerturbed_ = true;
}

Leaving DenseDualSolver::chooseLeaving(double sigma) const
{
    double largest = 0.0;
    for (double value : alpha_)
        largest = std::max(largest, std::abs(value));
    const double noise = kNoise * largest, tolerance = settings_.dualTolerance;
    const auto blocks = [&](int s, double g) {
        return std::abs(g) > noise
            && (side_[s] == Side::FreeAtZero || (side_[s] == Side::Lower && g > 0.0)
                || (side_[s] == Side::Upper && g < 0.0));
    };
    double limit = std::numeric_limits<double>::infinity();
    for (int s = 0; s < n_; ++s) {
        const double g = sigma * alpha_[s];
        if (blocks(s, g))
            limit = std::min(limit, (pi_[s] + (g > 0.0 ? tolerance : -tolerance)) / g);
    }
    Leaving leaving;
    if (limit == std::numeric_limits<double>::infinity())
        return leaving;
    double bestSize = 0.0;
    for (int s = 0; s < n_; ++s) {
        const double g = sigma * alpha_[s];
        if (blocks(s, g) && pi_[s] / g <= limit && std::abs(g) > bestSize) {
            bestSize = std::abs(g);
            leaving.slot = s;
        }
    }
    leaving.step = std::max(0.0, pi_[leaving.slot] / (sigma * alpha_[leaving.slot]));
    leaving.tiny = bestSize < kSmallPivot * largest;
    return leaving;
}

void DenseDualSolver::pivot(int k, double sigma, const Leaving& leaving, double alphaNormSquared)
{
    const int q = leaving.slot;
    const double pivotValue = alpha_[q];
    updateWeights(k, q, alphaNormSquared);

    const double target = sigma > 0.0 ? lower(k) : upper(k);
    const double primalStep = (target - activity(k)) / pivotValue;
    addScaled(x_.data(), primalStep, leavingDirection_.data(), n_);
    if (!rowsStay_)
        addScaled(r_.data(), primalStep, rowsAlongDirection_.data(), m_);
    addScaled(pi_.data(), -leaving.step * sigma, alpha_.data(), n_);

    const int left = item_[q];
    slotOf_[left] = -1;
    const double pivotSquared = pivotValue * pivotValue;
    weight_[left] = std::max(kWeightFloor, (1.0 + alphaNormSquared - pivotSquared) / pivotSquared);
    item_[q] = k;
    slotOf_[k] = q;
    inverse_.replace(q, left, alpha_.data(), leavingDirection_.data());
    side_[q] = lower(k) == upper(k) ? Side::Fixed : (sigma > 0.0 ? Side::Lower : Side::Upper);
    bound_[q] = target;
    pi_[q] = sigma * leaving.step;
    (k < n_ ? x_[k] : r_[k - n_]) = target;
    ++iterations_;
    stepsMovingNoRow_ += rowsStay_ ? 1 : 0;
    // The rows' part of the last scan holds as long as no row has moved and none set aside has
    // become a candidate again.
    rowsUnchanged_ = rowsStay_ && k < n_ && !anySetAside_;
    if (std::exchange(anySetAside_, false))
        std::fill(setAside_.begin(), setAside_.end(), 0);
}

void DenseDualSolver::computeDirections(int q)
{
    inverse_.directions(q, alpha_.data(), leavingDirection_.data(), alphaBack_.data());
    rowsStay_ = settings_.skipRowsThatStay && rowProducts_.cancelsInEveryRow(leavingDirection_.data());
    if (!rowsStay_) {
        rowProducts_.compute(leavingDirection_.data(), alphaBack_.data(), rowsAlongDirection_.data(),
                             rowsAlongAlphaBack_.data());
        return;
    }
    activeRows_.clear();
    for (int s = 0; s < n_; ++s) {
        if (item_[s] >= n_) {
            activeRows_.push_back(item_[s] - n_);
            rowsAlongDirection_[item_[s] - n_] = 0.0;
        }
    }
    rowProducts_.computeSecond(alphaBack_.data(), activeRows_, rowsAlongAlphaBack_.data());
}

double DenseDualSolver::exchangeError(int q) const
{
    double directionSize = 1.0, backSize = 1.0;
    for (int j = 0; j < n_; ++j) {
        directionSize += std::abs(leavingDirection_[j]);
        backSize += std::abs(alphaBack_[j]);
    }
    double worst = 0.0;
    for (int s = 0; s < n_; ++s) {
        if (item_[s] < n_)
            continue;
        const int i = item_[s] - n_;
        worst = std::max({worst, std::abs(rowsAlongDirection_[i] - (s == q ? 1.0 : 0.0)) / directionSize,
                          std::abs(rowsAlongAlphaBack_[i] - alpha_[s]) / backSize});
    }
    return worst;
}

void DenseDualSolver::updateWeights(int k, int q, double alphaNormSquared)
{
    const double pivotValue = alpha_[q];
    const double edge = alphaNormSquared - 2.0 * pivotValue + 1.0;
    const auto update = [&](int item, double alongDirection, double alongAlphaBack) {
        const double tau = alongDirection / pivotValue;
        const double weight = weight_[item] - 2.0 * tau * (alongAlphaBack - alongDirection) + tau * tau * edge;
        weight_[item] = std::max({weight, tau * tau, kWeightFloor});
    };
    for (int j = 0; j < n_; ++j)
        if (slotOf_[j] < 0 && j != k)
            update(j, leavingDirection_[j], alphaBack_[j]);
    if (rowsStay_)
        return; // τ = 0 for every row: the update would leave each weight as it is
    for (int i = 0; i < m_; ++i)
        if (slotOf_[n_ + i] < 0 && n_ + i != k)
            update(n_ + i, rowsAlongDirection_[i], rowsAlongAlphaBack_[i]);
}

std::optional<DenseStatus> DenseDualSolver::checkOptimum()
{
    if (perturbed_) {
        cost_ = p_.cost;
        perturbed_ = false;
        if (!refresh())
            return DenseStatus::GaveUp;
    } else if (inverse_.updates() > 0 && !refresh()) {
        return DenseStatus::GaveUp;
    }
    rowDuals_.assign(static_cast<std::size_t>(m_), 0.0);
    reducedCosts_.assign(cost_.begin(), cost_.end());
    for (int s = 0; s < n_; ++s)
        if (item_[s] >= n_)
            rowDuals_[item_[s] - n_] = pi_[s];
    for (int i = 0; i < m_; ++i)
        if (rowDuals_[i] != 0.0)
            addScaled(reducedCosts_.data(), -rowDuals_[i], matrixRow(i), n_);
    for (int j = 0; j < n_; ++j) {
        if (slotOf_[j] >= 0)
            pi_[slotOf_[j]] = reducedCosts_[j]; // the same number, with less rounding
        else if (std::abs(reducedCosts_[j]) > settings_.dualTolerance)
            return DenseStatus::GaveUp;
    }
    if (const int flipped = flipWrongSigns(); flipped != 0)
        return flipped < 0 ? primalSteps() : std::nullopt;
    for (int s = 0; s < n_; ++s)
        if (item_[s] >= n_ && std::abs(r_[item_[s] - n_] - bound_[s]) > settings_.primalTolerance)
            return DenseStatus::GaveUp;
    return chooseEntering() < 0 ? std::optional(DenseStatus::Optimal) : std::nullopt;
}

bool DenseDualSolver::proveInfeasible(int k, double sigma)
{
    inverse_.refine(k, alpha_.data(), residual_.data());
    ray_.assign(static_cast<std::size_t>(m_), 0.0);
    if (k >= n_)
        ray_[k - n_] = -sigma;
    for (int s = 0; s < n_; ++s)
        if (item_[s] >= n_)
            ray_[item_[s] - n_] = sigma * alpha_[s];
    double beta = 0.0, size = 0.0, terms = 0.0;
    std::fill(residual_.begin(), residual_.end(), 0.0);
    for (int i = 0; i < m_; ++i) {
        const double bound = ray_[i] < 0.0 ? p_.rowLower[i] : p_.rowUpper[i];
        if (ray_[i] == 0.0 || !isFinite(bound)) {
            ray_[i] = 0.0; // rounding noise on a side the row cannot offer
            continue;
        }
        addScaled(residual_.data(), ray_[i], matrixRow(i), n_);
        beta += ray_[i] * bound;
        size += std::abs(ray_[i]);
        terms += std::abs(ray_[i] * bound);
    }
    double least = 0.0; // min of g·x over the column box
    for (int j = 0; j < n_; ++j) {
        const double g = residual_[j];
        const double bound = g > 0.0 ? p_.columnLower[j] : p_.columnUpper[j];
        if (!isFinite(bound)) {
            if (std::abs(g) > kProofNoise * size)
                return false;
            continue;
        }
        least += g * bound;
        terms += std::abs(g * bound);
    }
    return least - beta > std::max(0.5 * settings_.primalTolerance, 1e-12 * terms);
}

DenseOutcome DenseDualSolver::finish(DenseStatus status)
{
    DenseOutcome outcome;
    outcome.status = status;
    outcome.iterations = iterations_;
    outcome.stepsMovingNoRow = stepsMovingNoRow_;
    if (carried_ != nullptr)
        carried_->clear();
    if (status == DenseStatus::GaveUp)
        return outcome;
    if (carried_ != nullptr)
        inverse_.handOver(*carried_);
    outcome.columnValues = x_;
    outcome.rowActivities = r_;
    outcome.basis.assign(static_cast<std::size_t>(n_ + m_), static_cast<unsigned char>(BasisStatus::Basic));
    for (int s = 0; s < n_; ++s) {
        const bool free = side_[s] == Side::FreeAtZero;
        outcome.basis[item_[s]] = static_cast<unsigned char>(
            side_[s] == Side::Upper ? BasisStatus::AtUpper : (free ? BasisStatus::Free : BasisStatus::AtLower));
    }
    if (status == DenseStatus::Infeasible) {
        outcome.ray = std::move(ray_);
    } else {
        outcome.rowDuals = std::move(rowDuals_);
        outcome.reducedCosts = std::move(reducedCosts_);
    }
    return outcome;
}

} // namespace dense

CarriedInverse::CarriedInverse(const CarriedInverse& other)
    : items(other.items), positions(other.positions), live(other.live), updates(other.updates)
{
    if (!other.matrix)
        return;
    const std::size_t size = items.size() * items.size();
    matrix = std::make_unique_for_overwrite<double[]>(size);
    std::copy_n(other.matrix.get(), size, matrix.get());
}

CarriedInverse& CarriedInverse::operator=(const CarriedInverse& other)
{
    if (this != &other)
        *this = CarriedInverse(other);
    return *this;
}

namespace {

bool isWellFormed(const DenseProgramme& p)
{
    const auto n = static_cast<std::size_t>(p.columns), m = static_cast<std::size_t>(p.rows);
    return p.columns >= 0 && p.rows >= 0 && p.matrix.size() == n * m && p.rowLower.size() == m
           && p.rowUpper.size() == m && p.columnLower.size() == n && p.columnUpper.size() == n && p.cost.size() == n;
}

} // namespace

DenseOutcome solveDenseDual(const DenseProgramme& programme, std::span<const unsigned char> start,
                            const DenseSettings& settings)
{
    if (!isWellFormed(programme))
        return {};
    return solveDenseDual(programme, parallelColumnsOf(programme), start, settings);
}

DenseOutcome solveDenseDual(const DenseProgramme& programme, const ParallelColumns& parallel,
                            std::span<const unsigned char> start, const DenseSettings& settings,
                            CarriedInverse* carried)
{
    const auto n = static_cast<std::size_t>(programme.columns);
    if (!isWellFormed(programme) || parallel.next.size() != n || parallel.sign.size() != n)
        return {};
    return dense::DenseDualSolver(programme, parallel, settings).solve(start, carried);
}

} // namespace vemra::module

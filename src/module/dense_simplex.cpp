// The dense dual simplex over the active set. Every column bound and every row bound is a
// constraint with a normal: e_j for column j, a_i for row i, numbered as the status array
// (columns first, then rows). The n active constraints' normals are the rows of B, so the
// vertex is x = B⁻¹ b (b: their bound values) and the multipliers π solve Bᵀ π = cost. The
// solver keeps B⁻¹ explicitly; column s of it is the direction that moves only the constraint
// in slot s off its bound, which is what a step needs.
//
// Where many multipliers sit at zero (zero costs, split coefficients) every ratio ties at zero
// and the steps can wander without end; a small random perturbation of the costs, taken off
// before the final check, gives every step some progress.
#include "module/dense_simplex.h"

#include "module/dense_inverse.h"
#include "module/dense_rows.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

namespace vemra::module {
namespace {

using dense::addScaled;
using dense::dot;

constexpr double kInfiniteBound = 1e30;
// Product-form updates lose accuracy slowly; after this many the inverse is built afresh.
constexpr int kUpdatesPerRefactorisation = 50;
// A leaving pivot this much below the largest entry of the entering normal's representation
// would blow rounding errors up past the tolerances.
constexpr double kSmallPivot = 1e-9;
// Entries of a representation this much below its largest are rounding noise, not blockers.
constexpr double kNoise = 1e-12;
// An infeasibility proof may leave this much of its combined normal (relative to its multipliers)
// on unbounded columns: near-parallel active rows leave that much rounding even after refining.
constexpr double kProofNoise = 1e-9;
// The inverse is trusted while B times the vectors an exchange takes from it gives them back
// to this, relative to their size.
constexpr double kResidualTolerance = 1e-9;
// Pricing weights stay above this, so that one bad update cannot make a constraint win every pricing.
constexpr double kWeightFloor = 1e-6;
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

// How an active constraint holds: at its lower or upper bound, fixed (both equal, multiplier
// of either sign), or a free column held at zero until it can leave (multiplier zero).
enum class Side : unsigned char { Lower, Upper, Fixed, FreeAtZero };

bool isFinite(double bound) { return std::abs(bound) < kInfiniteBound; }

struct Leaving {
    int slot = -1;       // -1: nothing blocks
    double step = 0.0;   // how far the entering constraint's multiplier grows
    bool tiny = false;   // the only candidates have pivots too small to divide by
};

class DenseDualSolver {
public:
    DenseDualSolver(const DenseProgramme& programme, const ParallelColumns& parallel, const DenseSettings& settings)
        : p_(programme), settings_(settings), n_(programme.columns), m_(programme.rows), item_(n_), side_(n_),
          bound_(n_), pi_(n_), slotOf_(n_ + m_, -1), inverse_(programme, parallel, item_, slotOf_),
          rowProducts_(programme, parallel), x_(n_), r_(m_),
          weight_(n_ + m_, 1.0), alpha_(n_), leavingDirection_(n_), alphaBack_(n_), residual_(n_),
          rowsAlongDirection_(m_), rowsAlongAlphaBack_(m_), cost_(programme.cost), setAside_(n_ + m_, 0)
    {
    }

    DenseOutcome solve(std::span<const unsigned char> start)
    {
        if (!takeStart(start) || !refresh())
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

private:
    double lower(int k) const { return k < n_ ? p_.columnLower[k] : p_.rowLower[k - n_]; }
    double upper(int k) const { return k < n_ ? p_.columnUpper[k] : p_.rowUpper[k - n_]; }
    double activity(int k) const { return k < n_ ? x_[k] : r_[k - n_]; }
    const double* matrixRow(int i) const { return p_.matrix.data() + static_cast<std::ptrdiff_t>(i) * n_; }
    const double* inverseRow(int j) const { return inverse_.row(j); }
    double boundFor(int k, Side side) const
    {
        return side == Side::Upper ? upper(k) : (side == Side::FreeAtZero ? 0.0 : lower(k));
    }

    // An empty start puts every column at the bound its cost prefers (the lower one for a zero
    // cost); sideFor then falls back to the other bound or to zero where that bound is infinite,
    // and the dual check rejects the start if the cost disagrees.
    bool takeStart(std::span<const unsigned char> start)
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

    Side sideFor(int k, BasisStatus status) const
    {
        const double lo = lower(k), up = upper(k);
        if (lo == up && isFinite(lo))
            return Side::Fixed;
        if (status == BasisStatus::Free || status == BasisStatus::SuperBasic || (!isFinite(lo) && !isFinite(up)))
            return Side::FreeAtZero;
        const bool atUpper = status == BasisStatus::AtUpper ? isFinite(up) : !isFinite(lo);
        return atUpper ? Side::Upper : Side::Lower;
    }

    void recomputePrimal()
    {
        for (int j = 0; j < n_; ++j)
            x_[j] = slotOf_[j] >= 0 ? bound_[slotOf_[j]] : dot(inverseRow(j), bound_.data(), n_);
        for (int i = 0; i < m_; ++i)
            r_[i] = dot(matrixRow(i), x_.data(), n_);
    }

    // A fresh inverse, and x, activities and multipliers recomputed from it (π = B⁻ᵀ cost).
    bool refresh()
    {
        if (!inverse_.rebuild())
            return false;
        recomputePrimal();
        std::fill(pi_.begin(), pi_.end(), 0.0);
        for (int j = 0; j < n_; ++j)
            if (cost_[j] != 0.0)
                addScaled(pi_.data(), cost_[j], inverseRow(j), n_);
        return true;
    }

    // A multiplier with the wrong sign for its bound says the other bound suits the constraint
    // better; where that bound is finite, moving there restores dual feasibility at no cost.
    // Returns how many moved, or -1 (and moves none) where one cannot.
    int flipWrongSigns()
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

    bool hasWrongSign(int s) const { return wrongness(s) > settings_.dualTolerance; }
    // How far slot s's multiplier lies on the wrong side of its sign limit (≤ 0: not at all).
    double wrongness(int s) const
    {
        switch (side_[s]) {
        case Side::Lower: return -pi_[s];
        case Side::Upper: return pi_[s];
        case Side::FreeAtZero: return std::abs(pi_[s]);
        case Side::Fixed: break;
        }
        return 0.0;
    }
    Side otherSide(int s) const { return side_[s] == Side::Lower ? Side::Upper : Side::Lower; }

    // ‖B⁻ᵀ v‖² exactly for the columns (a row of B⁻¹ each). For the rows it would take a product
    // of A with B⁻¹, more than a short warm run costs altogether, so they start from ‖a_i‖², exact
    // when no row is active, and get their exact value once they enter.
    void setInitialWeights()
    {
        for (int j = 0; j < n_; ++j)
            if (slotOf_[j] < 0)
                weight_[j] = std::max(kWeightFloor, dot(inverseRow(j), inverseRow(j), n_));
        for (int i = 0; i < m_; ++i)
            if (slotOf_[n_ + i] < 0)
                weight_[n_ + i] = std::max(kWeightFloor, dot(matrixRow(i), matrixRow(i), n_));
    }

    // Dual steepest edge: the inactive constraint violated most in proportion to the length of
    // its representation in the active normals.
    int chooseEntering() const
    {
        int best = -1;
        double bestScore = 0.0;
        for (int k = 0; k < n_ + m_; ++k) {
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
        return best;
    }

    std::optional<DenseStatus> refreshed() { return refresh() ? std::nullopt : std::optional(DenseStatus::GaveUp); }

    // One exchange with k entering, or the reason for none: an inverse too worn to trust (it is
    // rebuilt and the pricing runs again), pivots too small for k at this vertex (k waits), or
    // nothing blocking k's multiplier, which decides the run on a fresh inverse.
    std::optional<DenseStatus> step(int k)
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
            return std::nullopt;
        }
        return proveInfeasible(k, sigma) ? DenseStatus::Infeasible : DenseStatus::GaveUp;
    }

    // Changing the cost by δ v_s for the constraint in slot s changes its multiplier alone, by δ;
    // a δ of the sign its bound allows keeps every sign right. Only this run's copy of the
    // costs changes, once: removing it cannot start a stall that would perturb them again.
    void perturbCosts()
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

    // Harris's two passes: the first finds how far the entering multiplier may grow if every
    // active multiplier may overshoot its sign limit by the dual tolerance; the second takes,
    // among the constraints that reach their limit within that, the one with the largest pivot.
    // π_s falls at rate g = σ α_s; a constraint at its lower bound blocks when g > 0, one at its
    // upper bound when g < 0, a free one held at zero either way, a fixed one never.
    Leaving chooseLeaving(double sigma) const
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

    // Constraint k enters at the bound it violates and the constraint in slot q leaves: x moves
    // along column q of B⁻¹ until k reaches its bound, the multipliers along −σ α.
    void pivot(int k, double sigma, const Leaving& leaving, double alphaNormSquared)
    {
        const int q = leaving.slot;
        const double pivotValue = alpha_[q];
        updateWeights(k, q, alphaNormSquared);

        const double target = sigma > 0.0 ? lower(k) : upper(k);
        const double primalStep = (target - activity(k)) / pivotValue;
        addScaled(x_.data(), primalStep, leavingDirection_.data(), n_);
        addScaled(r_.data(), primalStep, rowsAlongDirection_.data(), m_);
        addScaled(pi_.data(), -leaving.step * sigma, alpha_.data(), n_);

        const int left = item_[q];
        slotOf_[left] = -1;
        const double pivotSquared = pivotValue * pivotValue;
        weight_[left] = std::max(kWeightFloor, (1.0 + alphaNormSquared - pivotSquared) / pivotSquared);
        item_[q] = k;
        slotOf_[k] = q;
        inverse_.replace(q, alpha_.data(), leavingDirection_.data());
        side_[q] = lower(k) == upper(k) ? Side::Fixed : (sigma > 0.0 ? Side::Lower : Side::Upper);
        bound_[q] = target;
        pi_[q] = sigma * leaving.step;
        (k < n_ ? x_[k] : r_[k - n_]) = target;
        ++iterations_;
        if (std::exchange(anySetAside_, false))
            std::fill(setAside_.begin(), setAside_.end(), 0);
    }

    // What an exchange at slot q needs: d_q (column q of B⁻¹), B⁻¹α and both times every row.
    void computeDirections(int q)
    {
        inverse_.directions(q, alpha_.data(), leavingDirection_.data(), alphaBack_.data());
        rowProducts_.compute(leavingDirection_.data(), alphaBack_.data(), rowsAlongDirection_.data(),
                             rowsAlongAlphaBack_.data());
    }

    // B d_q = e_q and B (B⁻¹α) = α hold as far as the inverse is accurate; the active rows'
    // entries of the products above say how far they miss, relative to the vectors' sizes, at
    // the cost of a pass over the slots. (Active columns' rows are exact.)
    double exchangeError(int q) const
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

    // After the exchange an inactive constraint's representation is α_k − τ (α_p − e_q) with
    // τ = α_k,q / α_p,q, so its squared length follows from three numbers per constraint: its old
    // weight, α_k,q = v_k·d_q and α_k·α_p = v_k·(B⁻¹ α_p). Its q-th entry alone is τ, a lower
    // bound that keeps rounding from driving the weight towards zero.
    void updateWeights(int k, int q, double alphaNormSquared)
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
        for (int i = 0; i < m_; ++i)
            if (slotOf_[n_ + i] < 0 && n_ + i != k)
                update(n_ + i, rowsAlongDirection_[i], rowsAlongAlphaBack_[i]);
    }

    // "No violated constraint" after updates may be an artefact of rounding, so it is checked on
    // a fresh inverse: x, activities and multipliers recomputed, every bound and sign within its
    // tolerance, and cost − Aᵀy zero on the inactive columns (which tests the inverse itself).
    // A perturbation comes off here: multipliers it leaves with the wrong sign are flipped where
    // the other bound is finite and the run goes on from there, with the true costs.
    std::optional<DenseStatus> checkOptimum()
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

    // Taking the perturbation off can leave multipliers of the wrong sign on constraints that
    // have no other bound to move to (a one-sided row, a free column). The vertex meets every
    // bound, so primal simplex steps go on from it: each moves one such constraint off its
    // bound, downhill, until another constraint blocks. Where the sparse solver took these
    // programmes over instead, it cost the run five times what the dense steps do.
    std::optional<DenseStatus> primalSteps()
    {
        if (chooseEntering() >= 0)
            return DenseStatus::GaveUp; // not a vertex that meets every bound after all
        for (;;) {
            int worst = -1;
            for (int s = 0; s < n_; ++s)
                if (hasWrongSign(s) && (worst < 0 || wrongness(s) > wrongness(worst)))
                    worst = s;
            if (worst < 0) {
                setInitialWeights(); // the dual steps' weights did not follow these steps
                return std::nullopt; // the optimum is checked again, on a fresh inverse
            }
            if (iterations_ >= settings_.iterationLimit)
                return DenseStatus::GaveUp;
            if (const auto end = primalStep(worst))
                return end;
        }
    }

    // The constraint in slot q leaves its bound along ±column q of B⁻¹ (the sign that lowers the
    // cost); the inactive constraint that blocks first enters, chosen by Harris's two passes, or
    // the leaving one reaches its own other bound first and only flips.
    std::optional<DenseStatus> primalStep(int q)
    {
        const double sign = side_[q] == Side::Upper || (side_[q] == Side::FreeAtZero && pi_[q] > 0.0) ? -1.0 : 1.0;
        inverse_.column(q, leavingDirection_.data());
        rowProducts_.compute(leavingDirection_.data(), rowsAlongDirection_.data());
        const auto rate = [&](int k) { return sign * (k < n_ ? leavingDirection_[k] : rowsAlongDirection_[k - n_]); };
        double largest = 0.0;
        for (int k = 0; k < n_ + m_; ++k)
            if (slotOf_[k] < 0)
                largest = std::max(largest, std::abs(rate(k)));
        const double noise = kNoise * largest, tolerance = settings_.primalTolerance;
        // How far constraint k may still move at rate r before it passes the bound it moves to.
        const auto room = [&](int k, double r) {
            return r > 0.0 ? upper(k) - activity(k) : activity(k) - lower(k);
        };
        const auto blocks = [&](int k, double r) {
            return slotOf_[k] < 0 && std::abs(r) > noise && isFinite(r > 0.0 ? upper(k) : lower(k));
        };
        double limit = std::numeric_limits<double>::infinity();
        for (int k = 0; k < n_ + m_; ++k)
            if (const double r = rate(k); blocks(k, r))
                limit = std::min(limit, (room(k, r) + tolerance) / std::abs(r));
        int entering = -1;
        double bestSize = 0.0;
        for (int k = 0; k < n_ + m_; ++k) {
            const double r = rate(k);
            if (blocks(k, r) && room(k, r) / std::abs(r) <= limit && std::abs(r) > bestSize) {
                bestSize = std::abs(r);
                entering = k;
            }
        }
        const double ownRange = side_[q] == Side::FreeAtZero ? std::numeric_limits<double>::infinity()
                                                              : upper(item_[q]) - lower(item_[q]);
        const double step = entering >= 0 ? std::max(0.0, room(entering, rate(entering)) / bestSize)
                                          : std::numeric_limits<double>::infinity();
        if (isFinite(ownRange) && ownRange <= step) {
            moveAlongDirection(sign * ownRange);
            side_[q] = otherSide(q);
            bound_[q] = boundFor(item_[q], side_[q]);
            ++iterations_;
            return std::nullopt;
        }
        if (entering < 0 || bestSize < kSmallPivot * largest)
            return DenseStatus::GaveUp; // unbounded, or only pivots too small to divide by
        inverse_.represent(entering, alpha_.data());
        // α_q = v_k·(column q of B⁻¹) is the rate found above, computed the other way round.
        if (std::abs(alpha_[q] - sign * rate(entering)) > kResidualTolerance * (1.0 + bestSize))
            return inverse_.updates() > 0 ? refreshed() : std::optional(DenseStatus::GaveUp);
        moveAlongDirection(sign * step);
        const double pivotValue = alpha_[q];
        const double theta = pi_[q] / pivotValue;
        addScaled(pi_.data(), -theta, alpha_.data(), n_);
        const double alphaNormSquared = dot(alpha_.data(), alpha_.data(), n_);
        const int left = item_[q];
        slotOf_[left] = -1;
        weight_[left] = std::max(kWeightFloor, (1.0 + alphaNormSquared - pivotValue * pivotValue) / (pivotValue * pivotValue));
        const bool atUpper = rate(entering) > 0.0;
        item_[q] = entering;
        slotOf_[entering] = q;
        inverse_.replace(q, alpha_.data(), leavingDirection_.data());
        side_[q] = lower(entering) == upper(entering) ? Side::Fixed : (atUpper ? Side::Upper : Side::Lower);
        bound_[q] = atUpper ? upper(entering) : lower(entering);
        pi_[q] = theta;
        (entering < n_ ? x_[entering] : r_[entering - n_]) = bound_[q];
        ++iterations_;
        return inverse_.updates() >= kUpdatesPerRefactorisation ? refreshed() : std::nullopt;
    }

    // x and the activities along column q of B⁻¹ (in leavingDirection_ and rowsAlongDirection_).
    void moveAlongDirection(double length)
    {
        addScaled(x_.data(), length, leavingDirection_.data(), n_);
        addScaled(r_.data(), length, rowsAlongDirection_.data(), m_);
    }

    // Nothing blocks: the entering constraint and the active ones combine with multipliers
    // λ_k = σ, λ_s = −σ α_s of the right signs to the zero normal, while their bounds combine to
    // the entering violation > 0. The rows' multipliers make the ray (ray = −λ); it is reported
    // only once it proves infeasibility when recomputed from the matrix.
    bool proveInfeasible(int k, double sigma)
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

    DenseOutcome finish(DenseStatus status)
    {
        DenseOutcome outcome;
        outcome.status = status;
        outcome.iterations = iterations_;
        if (status == DenseStatus::GaveUp)
            return outcome;
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

    const DenseProgramme& p_;
    const DenseSettings& settings_;
    const int n_;
    const int m_;
    // Per slot: the active constraint, how it holds, its bound value and its multiplier.
    std::vector<int> item_;
    std::vector<Side> side_;
    std::vector<double> bound_, pi_;
    std::vector<int> slotOf_; // per constraint: its slot, -1 when inactive
    dense::ActiveInverse inverse_;
    dense::RowProducts rowProducts_;
    std::vector<double> x_, r_;
    std::vector<double> weight_; // per constraint: ‖B⁻ᵀ v‖², meaningful while inactive
    // Work space, allocated once per call.
    std::vector<double> alpha_, leavingDirection_, alphaBack_, residual_;
    std::vector<double> rowsAlongDirection_, rowsAlongAlphaBack_;
    std::vector<double> cost_; // the programme's, perturbed while perturbed_
    std::vector<double> rowDuals_, reducedCosts_, ray_;
    // Violated constraints whose pivots were all too small at this vertex; they wait until a
    // step moves it.
    std::vector<unsigned char> setAside_;
    bool anySetAside_ = false;
    int stallingSteps_ = 0;
    bool perturbed_ = false, everPerturbed_ = false;
    int iterations_ = 0;
};

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
                            std::span<const unsigned char> start, const DenseSettings& settings)
{
    const auto n = static_cast<std::size_t>(programme.columns);
    if (!isWellFormed(programme) || parallel.next.size() != n || parallel.sign.size() != n)
        return {};
    return DenseDualSolver(programme, parallel, settings).solve(start);
}

} // namespace vemra::module

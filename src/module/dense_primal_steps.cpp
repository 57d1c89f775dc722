// The dense simplex's primal steps (see DenseDualSolver::primalSteps).
#include "module/dense_dual_solver.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace vemra::module::dense {

std::optional<DenseStatus> DenseDualSolver::primalSteps()
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

std::optional<DenseStatus> DenseDualSolver::primalStep(int q)
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
    inverse_.replace(q, left, alpha_.data(), leavingDirection_.data());
    side_[q] = lower(entering) == upper(entering) ? Side::Fixed : (atUpper ? Side::Upper : Side::Lower);
    bound_[q] = atUpper ? upper(entering) : lower(entering);
    pi_[q] = theta;
    (entering < n_ ? x_[entering] : r_[entering - n_]) = bound_[q];
    ++iterations_;
    return inverse_.updates() >= kUpdatesPerRefactorisation ? refreshed() : std::nullopt;
}

void DenseDualSolver::moveAlongDirection(double length)
{
    rowsUnchanged_ = false;
    addScaled(x_.data(), length, leavingDirection_.data(), n_);
    addScaled(r_.data(), length, rowsAlongDirection_.data(), m_);
}

} // namespace vemra::module::dense

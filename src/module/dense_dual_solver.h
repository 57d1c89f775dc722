// The dense dual simplex's solver (dense_simplex.h), shared by the files that implement it:
// dense_simplex.cpp the dual steps and the checks of their outcome, dense_primal_steps.cpp the
// primal steps that take a vertex meeting every bound on where no flip mends a multiplier.
//
// Every column bound and every row bound is a constraint with a normal: e_j for column j, a_i
// for row i, numbered as the status array (columns first, then rows). The n active
// constraints' normals are the rows of B, so the vertex is x = B⁻¹ b (b: their bound values)
// and the multipliers π solve Bᵀ π = cost. The solver keeps B⁻¹ explicitly; column s of it is
// the direction that moves only the constraint in slot s off its bound, which is what a step
// needs.
#pragma once

#include "module/dense_inverse.h"
#include "module/dense_rows.h"
#include "module/dense_simplex.h"

#include <cmath>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace vemra::module::dense {

inline constexpr double kInfiniteBound = 1e30;
// Product-form updates lose accuracy slowly; after this many the inverse is built afresh.
inline constexpr int kUpdatesPerRefactorisation = 100;
// A pivot this much below the largest entry it is chosen among would blow rounding errors up
// past the tolerances.
inline constexpr double kSmallPivot = 1e-9;
// Entries this much below the largest of their vector are rounding noise, not blockers.
inline constexpr double kNoise = 1e-12;
// The inverse is trusted while B times the vectors an exchange takes from it gives them back
// to this, relative to their size.
inline constexpr double kResidualTolerance = 1e-9;
// Pricing weights stay above this, so that one bad update cannot make a constraint win every pricing.
inline constexpr double kWeightFloor = 1e-6;

// How an active constraint holds: at its lower or upper bound, fixed (both equal, multiplier
// of either sign), or a free column held at zero until it can leave (multiplier zero).
enum class Side : unsigned char { Lower, Upper, Fixed, FreeAtZero };

inline bool isFinite(double bound) { return std::abs(bound) < kInfiniteBound; }

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
          weight_(n_ + m_, 1.0), alpha_(n_), leavingDirection_(n_), alphaBack_(n_), residual_(n_), positioned_(n_),
          rowsAlongDirection_(m_), rowsAlongAlphaBack_(m_), cost_(programme.cost), setAside_(n_ + m_, 0)
    {
    }

    // carried: see solveDenseDual.
    DenseOutcome solve(std::span<const unsigned char> start, CarriedInverse* carried);

private:
    double lower(int k) const { return k < n_ ? p_.columnLower[k] : p_.rowLower[k - n_]; }
    double upper(int k) const { return k < n_ ? p_.columnUpper[k] : p_.rowUpper[k - n_]; }
    double activity(int k) const { return k < n_ ? x_[k] : r_[k - n_]; }
    const double* matrixRow(int i) const { return p_.matrix.data() + static_cast<std::ptrdiff_t>(i) * n_; }
    // In the inverse's own order of slots (ActiveInverse::toPositions).
    const double* inverseRow(int j) const { return inverse_.row(j); }
    double boundFor(int k, Side side) const
    {
        return side == Side::Upper ? upper(k) : (side == Side::FreeAtZero ? 0.0 : lower(k));
    }

    // An empty start puts every column at the bound its cost prefers (the lower one for a zero
    // cost); sideFor then falls back to the other bound or to zero where that bound is infinite,
    // and the dual check rejects the start if the cost disagrees.
    bool takeStart(std::span<const unsigned char> start);
    Side sideFor(int k, BasisStatus status) const;
    void recomputePrimal();

    // The start's inverse: the carried one where it belongs to the start's active constraints
    // (their slots then take its order), else a fresh one; false when the start is singular.
    bool startInverse();
    bool adoptCarried();
    // A fresh inverse, and x, activities and multipliers recomputed from it (π = B⁻ᵀ cost).
    bool refresh();
    // x, activities and multipliers recomputed from the inverse as it is.
    void recompute();

    // A multiplier with the wrong sign for its bound says the other bound suits the constraint
    // better; where that bound is finite, moving there restores dual feasibility at no cost.
    // Returns how many moved, or -1 (and moves none) where one cannot.
    int flipWrongSigns();

    bool hasWrongSign(int s) const { return wrongness(s) > settings_.dualTolerance; }
    // How far slot s's multiplier lies on the wrong side of its sign limit (≤ 0: not at all).
    double wrongness(int s) const;
    Side otherSide(int s) const { return side_[s] == Side::Lower ? Side::Upper : Side::Lower; }

    // ‖B⁻ᵀ v‖² exactly for the columns (a row of B⁻¹ each). For the rows it would take a product
    // of A with B⁻¹, more than a short warm run costs altogether, so they start from ‖a_i‖², exact
    // when no row is active, and get their exact value once they enter.
    void setInitialWeights();

    // Dual steepest edge: the inactive constraint violated most in proportion to the length of
    // its representation in the active normals. The rows' part of the scan is kept for the next
    // call, which takes it over where nothing about the rows has changed in between.
    int chooseEntering();

    std::optional<DenseStatus> refreshed() { return refresh() ? std::nullopt : std::optional(DenseStatus::GaveUp); }

    // One exchange with k entering, or the reason for none: an inverse too worn to trust (it is
    // rebuilt and the pricing runs again), pivots too small for k at this vertex (k waits), or
    // nothing blocking k's multiplier, which decides the run on a fresh inverse.
    std::optional<DenseStatus> step(int k);

    // Changing the cost by δ v_s for the constraint in slot s changes its multiplier alone, by δ;
    // a δ of the sign its bound allows keeps every sign right. Only this run's copy of the
    // costs changes, once: removing it cannot start a stall that would perturb them again.
    void perturbCosts();

    // Harris's two passes: the first finds how far the entering multiplier may grow if every
    // active multiplier may overshoot its sign limit by the dual tolerance; the second takes,
    // among the constraints that reach their limit within that, the one with the largest pivot.
    // π_s falls at rate g = σ α_s; a constraint at its lower bound blocks when g > 0, one at its
    // upper bound when g < 0, a free one held at zero either way, a fixed one never.
    Leaving chooseLeaving(double sigma) const;

    // Constraint k enters at the bound it violates and the constraint in slot q leaves: x moves
    // along column q of B⁻¹ until k reaches its bound, the multipliers along −σ α.
    void pivot(int k, double sigma, const Leaving& leaving, double alphaNormSquared);

    // What an exchange at slot q needs: d_q (column q of B⁻¹), B⁻¹α and both times every row.
    // Where d_q moves the two halves of a split coefficient against each other (one half takes
    // over the value of the other, which leaves its bound), no row moves at all: no row's
    // activity or pricing weight changes, and only the active rows' products are worked out, for
    // the check of the inverse. In the programme that maximises λ every coefficient is free of
    // cost, and a fifth to a third of the dual steps are of that kind.
    void computeDirections(int q);

    // B d_q = e_q and B (B⁻¹α) = α hold as far as the inverse is accurate; the active rows'
    // entries of the products above say how far they miss, relative to the vectors' sizes, at
    // the cost of a pass over the slots. (Active columns' rows are exact.)
    double exchangeError(int q) const;

    // After the exchange an inactive constraint's representation is α_k − τ (α_p − e_q) with
    // τ = α_k,q / α_p,q, so its squared length follows from three numbers per constraint: its old
    // weight, α_k,q = v_k·d_q and α_k·α_p = v_k·(B⁻¹ α_p). Its q-th entry alone is τ, a lower
    // bound that keeps rounding from driving the weight towards zero.
    void updateWeights(int k, int q, double alphaNormSquared);

    // "No violated constraint" after updates may be an artefact of rounding, so it is checked on
    // a fresh inverse: x, activities and multipliers recomputed, every bound and sign within its
    // tolerance, and cost − Aᵀy zero on the inactive columns (which tests the inverse itself).
    // A perturbation comes off here: multipliers it leaves with the wrong sign are flipped where
    // the other bound is finite, or else taken on by primal steps, and the run goes on from
    // there with the true costs.
    std::optional<DenseStatus> checkOptimum();

    // Taking the perturbation off can leave multipliers of the wrong sign on constraints that
    // have no other bound to move to (a one-sided row, a free column). The vertex meets every
    // bound, so primal simplex steps go on from it: each moves one such constraint off its
    // bound, downhill, until another constraint blocks. Where the sparse solver took these
    // programmes over instead, it cost the run five times what the dense steps do.
    std::optional<DenseStatus> primalSteps();

    // The constraint in slot q leaves its bound along ±column q of B⁻¹ (the sign that lowers the
    // cost); the inactive constraint that blocks first enters, chosen by Harris's two passes, or
    // the leaving one reaches its own other bound first and only flips.
    std::optional<DenseStatus> primalStep(int q);

    // x and the activities along column q of B⁻¹ (in leavingDirection_ and rowsAlongDirection_).
    void moveAlongDirection(double length);

    // Nothing blocks: the entering constraint and the active ones combine with multipliers
    // λ_k = σ, λ_s = −σ α_s of the right signs to the zero normal, while their bounds combine to
    // the entering violation > 0. The rows' multipliers make the ray (ray = −λ); it is reported
    // only once it proves infeasibility when recomputed from the matrix.
    bool proveInfeasible(int k, double sigma);

    DenseOutcome finish(DenseStatus status);

    const DenseProgramme& p_;
    const DenseSettings& settings_;
    const int n_;
    const int m_;
    // Per slot: the active constraint, how it holds, its bound value and its multiplier.
    std::vector<int> item_;
    std::vector<Side> side_;
    std::vector<double> bound_, pi_;
    std::vector<int> slotOf_; // per constraint: its slot, -1 when inactive
    ActiveInverse inverse_;
    RowProducts rowProducts_;
    std::vector<double> x_, r_;
    std::vector<double> weight_; // per constraint: ‖B⁻ᵀ v‖², meaningful while inactive
    // Work space, allocated once per call.
    std::vector<double> alpha_, leavingDirection_, alphaBack_, residual_;
    std::vector<double> positioned_; // a vector over the slots in the inverse's order
    std::vector<double> rowsAlongDirection_, rowsAlongAlphaBack_;
    std::vector<int> activeRows_;
    bool rowsStay_ = false; // the exchange under way moves no row (computeDirections)
    // The best row of chooseEntering's last scan, and whether the rows' activities, weights and
    // the set-aside marks are the same since.
    int bestRow_ = -1;
    double bestRowScore_ = 0.0;
    bool rowsUnchanged_ = false;
    std::vector<double> cost_; // the programme's, perturbed while perturbed_
    std::vector<double> rowDuals_, reducedCosts_, ray_;
    // Violated constraints whose pivots were all too small at this vertex; they wait until a
    // step moves it.
    std::vector<unsigned char> setAside_;
    bool anySetAside_ = false;
    int stallingSteps_ = 0;
    bool perturbed_ = false, everPerturbed_ = false;
    int iterations_ = 0;
    int stepsMovingNoRow_ = 0;
    CarriedInverse* carried_ = nullptr;
};

} // namespace vemra::module::dense

// The exchange method's rounds: solve, check between the angles, add what is missing, solve
// again; at a fixed λ or up to the largest λ.
#include "module/exchange_solver.h"

#include "module/requirement_checker.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vemra::module {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// How far below the largest λ the smoothest coefficients are sought.
constexpr double kSmoothnessBackOff = 1e-7;
// What the final check of a solution accepts, relative to max(1, |bound|).
constexpr double kFinalTolerance = 1e-7;
// The dense steps a round's smoothness programme may take from the λ programme's optimum.
constexpr int kSmoothingStartSteps = 20;

} // namespace

ExchangeSolver::ExchangeSolver(const RequirementSet& set, SolveStats& stats, ExchangeSettings settings)
    : set_(set), stats_(stats), settings_(settings)
{
    int offset = 0;
    for (const HarmonicTransfer& motion : set_.motions) {
        motionOffset_.push_back(offset);
        offset += 1 + 4 * static_cast<int>(motion.f.size());
    }
    columnCount_ = offset;
    if (set_.lambdaVariable)
        lambdaColumn_ = columnCount_++;
    columnUnits_ = columnUnits();
}

bool ExchangeSolver::crossedAt(double lambda, bool onlyFixed) const
{
    // A ranged row whose lower bound lies above its upper one is not reliably reported
    // infeasible by the simplex. Bounds that move with a λ column sit in rows of their own.
    for (const Requirement& q : set_.requirements) {
        if (!q.lower.present || !q.upper.present)
            continue;
        if (onlyFixed && (q.lower.slope != 0.0 || q.upper.slope != 0.0))
            continue;
        if (q.lower.at(lambda) > q.upper.at(lambda))
            return true;
    }
    return false;
}

ExchangeResult ExchangeSolver::solveAt(double lambda, const std::vector<ExtraAngle>& extraAngles,
                                       const WarmStart* warmStart, double giveUpAt)
{
    return run(false, lambdaColumn_ >= 0 ? lambda : set_.lambda, extraAngles, warmStart, giveUpAt);
}

ExchangeResult ExchangeSolver::solveLargestLambda(const WarmStart* warmStart)
{
    if (lambdaColumn_ < 0)
        return run(false, set_.lambda, {}, warmStart, kInfinity);
    return run(true, 0.0, {}, warmStart, kInfinity);
}

ExchangeResult ExchangeSolver::run(bool largestLambda, double lambda, const std::vector<ExtraAngle>& extraAngles,
                                   const WarmStart* warmStart, double giveUpAt)
{
    if (crossedAt(lambda, largestLambda))
        return {};
    resetProgrammes(largestLambda, lambda);
    // A start without rows (nothing bound there) is no start.
    bool warm = warmStart != nullptr && warmStart->lambdaColumn == (lambdaColumn_ >= 0) && !warmStart->groups.empty();
    if (warm && !addRowsOf(*warmStart)) {
        warm = false;
        resetProgrammes(largestLambda, lambda);
    }
    if (!warm)
        addInitialRows();
    addExtraAngles(extraAngles);
    smoothHasBasis_ = warm;
    if (warm) {
        smooth_->startFrom(warmStart->smoothBasis);
        if (largest_ && !warmStart->lambdaBasis.empty())
            largest_->startFrom(warmStart->lambdaBasis);
    }

    ExchangeResult result;
    if (smooth_->rowCount() == 0) {
        // Nothing to meet: the motion laws stay at rest, at every λ. (The simplex does not
        // take programmes without rows.)
        result.lambda = result.lambdaUsed = largestLambda ? 1.0 : lambda;
        result.coefficients = readCoefficients(std::vector<double>(static_cast<std::size_t>(columnCount_), 0.0));
        return finish(std::move(result));
    }
    if (!largestLambda) {
        simplexFailed_ = provedInfeasible_ = false;
        if (!settle(lambda, result, giveUpAt)) {
            // A simplex that ended without a solution and without a proof of infeasibility
            // proves nothing. Its runs from a neighbour's rows and basis can end in a basis the
            // solver cannot factorise cleanly any more; from the initial angles the same λ takes
            // another path.
            if (simplexFailed_ && warm && settings_.retryFromInitialAngles)
                return run(largestLambda, lambda, extraAngles, nullptr, giveUpAt);
            ExchangeResult none;
            none.failedFromWarmStart = simplexFailed_ && warm;
            none.gaveUp = result.gaveUp;
            if (provedInfeasible_)
                none.proofRows = captureWarmStart(true);
            return none;
        }
        result.lambda = lambda;
        return finish(std::move(result));
    }
    if (!climbToTheTop(result, -kInfinity))
        return {};
    return finishLargest(std::move(result));
}

ExchangeResult ExchangeSolver::finishLargest(ExchangeResult result)
{
    // Right at λ* the least smoothness sum can climb steeply within 1e-9 of λ, and the
    // programme's answer there depends on round-off: the smoothest coefficients are sought a
    // little below (unless every maximum requirement is met), over the same angles, and the
    // coefficients at λ* itself are kept only when that fails.
    if (result.lambda < 1.0 && result.lambda > 0.0 && result.lambdaUsed == result.lambda) {
        ExchangeResult below;
        if (settle(std::max(0.0, result.lambda - kSmoothnessBackOff), below)) {
            below.lambda = result.lambda;
            below.fulfilmentRows = std::move(result.fulfilmentRows);
            result = std::move(below);
        }
    }
    return finish(std::move(result));
}

ExchangeResult ExchangeSolver::finish(ExchangeResult result)
{
    result.feasible = true;
    result.smoothness = smoothnessSum(result.coefficients);
    result.warmStart = captureWarmStart();
    return result;
}

std::optional<ExchangeResult> ExchangeSolver::largestLambdaAbove(double threshold)
{
    if (lambdaColumn_ < 0 || !smooth_)
        return std::nullopt;
    if (smooth_->rowCount() == 0) {
        ExchangeResult rest;
        rest.lambda = rest.lambdaUsed = 1.0;
        rest.coefficients = readCoefficients(std::vector<double>(static_cast<std::size_t>(columnCount_), 0.0));
        return rest.lambda > threshold ? std::optional(finish(std::move(rest))) : std::nullopt;
    }
    // The λ programme starts as a copy of the smoothness programme, whose solution stays
    // feasible once λ may move.
    largest_ = smooth_->copy();
    retiredAt_ = -kInfinity; // progress is measured in λ from here on
    layOutColumns(*largest_, false, 0.0);
    largest_->preferPrimalOnce();
    // Whether λ* gets above the threshold is settled with λ held just above it: a programme
    // that maximises λ wanders along the face of its optimum wherever that lies, and the
    // rounds then chase solutions far above the threshold.
    lambdaCap_ = threshold >= 0.0 ? threshold + kCapAboveThreshold : kInfinity;
    if (lambdaCap_ < 1.0)
        largest_->setColumn(lambdaColumn_, 0.0, lambdaCap_, -kLambdaWeight);
    ExchangeResult result;
    if (!climbToTheTop(result, threshold) || result.lambda <= threshold)
        return std::nullopt;
    return finishLargest(std::move(result));
}

std::vector<Violation> ExchangeSolver::violationsAt(const std::vector<MotionCoefficients>& coefficients,
                                                    double lambda) const
{
    // Exactly checkRefinement samples per grid interval, so every grid angle is among them.
    const SampleSpacing checkSpacing = [this](const Requirement& q) {
        return (q.phiTo - q.phiFrom) / lpGridIntervals(set_, q) / settings_.checkRefinement;
    };
    return findViolations(set_, coefficients, lambda, settings_.tolerance, checkSpacing, true);
}

bool ExchangeSolver::tightenOrAddAll(const std::vector<Violation>& violations)
{
    bool changed = false;
    for (const Violation& v : violations)
        changed = tightenOrAdd(v) || changed;
    if (changed)
        ++stats_.exchangeRounds;
    return changed;
}

bool ExchangeSolver::settle(double lambda, ExchangeResult& result, double giveUpAt)
{
    fixLambda(lambda);
    for (int round = 0;; ++round) {
        smoothHasBasis_ = true;
        const LpStatus status = smooth_->solve(settings_.method);
        if (status == LpStatus::Infeasible && settings_.releaseMargins && releaseMargins())
            continue;
        if (status != LpStatus::Optimal) {
            simplexFailed_ = status == LpStatus::Failed;
            provedInfeasible_ = status == LpStatus::Infeasible;
            return false; // infeasible, or hopeless numerically: no solution at this λ
        }
        result.lambdaUsed = lambda;
        result.coefficients = readCoefficients(*smooth_);
        const std::vector<Violation> violations = violationsAt(result.coefficients, lambda);
        if (violations.empty())
            return true;
        if (smoothnessSum(result.coefficients) >= giveUpAt) {
            result.gaveUp = true;
            return false;
        }
        roundLambda_ = lambda;
        if (round >= settings_.maxRounds || !tightenOrAddAll(violations))
            return closeEnough(violations);
    }
}

void ExchangeSolver::addExtraAngles(const std::vector<ExtraAngle>& extraAngles)
{
    for (const auto& [requirement, angle] : extraAngles) {
        const Requirement& q = set_.requirements[static_cast<std::size_t>(requirement)];
        if (q.shape == RequirementShape::Interval && angle >= q.phiFrom && angle <= q.phiTo
            && !hasCutNear(requirement, angle))
            addCut(requirement, angle);
        else if (q.shape == RequirementShape::Point && !hasCutNear(requirement, q.phiFrom))
            addCut(requirement, q.phiFrom, true);
    }
}

bool ExchangeSolver::closeEnough(const std::vector<Violation>& violations)
{
    // Out of rounds or margins: what is left may pass the final check, and anything larger is
    // no solution. Coefficients of a programme that held its angles only by growing huge and
    // would have needed many more end up here.
    for (const Violation& v : violations)
        if (v.excess > 0.5 * kFinalTolerance * v.scale)
            return false;
    return true;
}

bool ExchangeSolver::climb(ExchangeResult& result, double threshold)
{
    for (int round = 0;; ++round) {
        const LpStatus status = largest_->solve(SimplexMethod::Dual);
        if (status == LpStatus::Infeasible && settings_.releaseMargins && releaseMargins())
            continue;
        if (status != LpStatus::Optimal)
            return false; // even the angles held so far rule out every λ
        const double reached = lambdaOf(*largest_);
        result.lambda = reached;
        if (reached <= threshold)
            return true; // an upper bound already: λ* cannot get above the threshold
        result.lambda = result.lambdaUsed = reached;
        // The point checked is the smoothest at the λ reached: a solution that merely
        // maximises λ can wander over a whole face of equally good ones and break bounds
        // somewhere new every round. Only to push λ below a threshold, the cheaper λ
        // programme's own solution serves.
        //
        // That point is sought a little below the λ reached, where finishLargest would seek it
        // anyway. The λ programme keeps its rows only to the simplex's tolerance, and right at
        // the λ it reached the smoothness programme, which keeps them as strictly, often has
        // no solution at all: then the round had to check the λ programme's own wandering
        // solution, and took many more rounds (and failed simplex runs) to settle.
        bool smoothed = false;
        if (threshold == -kInfinity) {
            const double below = reached < 1.0 ? std::max(0.0, reached - kSmoothnessBackOff) : reached;
            // The smoothness programme starts from the λ programme's optimum: lowering λ only
            // loosens bounds, so that point is a solution already, and the simplex goes on from
            // it to the smoothest one, instead of starting from nothing (the first round) or
            // from the last round's smoothest point, which the new angles cut off (later ones).
            if (!smoothHasBasis_ || smoothFromTheTop_)
                smoothFromTheTop_ = startSmoothnessAtTheTop(reached);
            fixLambda(below);
            smoothed = smooth_->solve(settings_.method) == LpStatus::Optimal;
            if (smoothed)
                result.lambdaUsed = below;
        }
        result.coefficients = readCoefficients(smoothed ? *smooth_ : *largest_);
        const std::vector<Violation> violations = violationsAt(result.coefficients, result.lambdaUsed);
        if (violations.empty() && reached >= lambdaCap_) {
            // Above the threshold, checked: from here on the climb goes to λ* itself.
            lambdaCap_ = kInfinity;
            largest_->setColumn(lambdaColumn_, 0.0, 1.0, -kLambdaWeight);
            largest_->preferPrimalOnce();
            continue;
        }
        if (violations.empty())
            return true;
        if (smoothed)
            retireIdleCuts(-reached);
        roundLambda_ = result.lambdaUsed;
        if (round >= settings_.maxRounds || !tightenOrAddAll(violations))
            return closeEnough(violations);
    }
}

bool ExchangeSolver::startSmoothnessAtTheTop(double reached)
{
    // At the λ reached that optimum is a vertex that meets every bound, from which the dense
    // simplex takes primal steps to the smoothest one (4 at K = 40, where starting the sparse
    // primal cost 4 ms); λ then comes down in a dual step or a few dozen. In the rounds after
    // the first that replaced 200 to 270 dual steps from the last smoothest point at K = 40.
    // Where the dense steps stall on the degenerate vertex instead (at K = 30 they had not
    // settled after 2,000, and in the fourth round at K = 40), the programme starts where it
    // would have, and the later rounds of the solve do not try again: the sparse primal from
    // the optimum in the first round, the last smoothest point after that.
    const bool first = !smoothHasBasis_;
    smoothHasBasis_ = true;
    const std::vector<unsigned char> last = first ? std::vector<unsigned char>() : smooth_->basis();
    const std::vector<unsigned char> optimum = largest_->basis();
    smooth_->startFrom(optimum);
    fixLambda(reached);
    if (smooth_->solveDense(kSmoothingStartSteps) == LpStatus::Optimal)
        return true;
    smooth_->startFrom(first ? optimum : last);
    if (first)
        smooth_->preferPrimalOnce();
    return false;
}

bool ExchangeSolver::climbToTheTop(ExchangeResult& result, double threshold)
{
    const bool climbed = climb(result, threshold);
    lambdaCap_ = kInfinity; // a cap left in place lies above λ*: the rows hold λ below it
    if (!climbed)
        return false;
    // At or below the threshold the caller drops the result: no duals to read, nothing to check.
    if (result.lambda <= threshold)
        return true;
    result.fulfilmentRows = std::make_shared<const std::vector<RowReading>>(readRows(RowValues::FulfilmentDuals));
    // On projects whose coefficients are huge and cancel, the λ programme can stop "optimal"
    // well short of its optimum: one unit of λ takes so much of the coefficients that their
    // reduced costs fall below the simplex's tolerance (solved from other bases, the same
    // programme ended up to 1e-3 apart in λ). Whether the rows held allow λ a little higher
    // is a question of feasibility, which that tolerance does not blur; where they do, the
    // climb goes on from there. Its next stop can be short again, even below the λ* already
    // found, so the best result is kept and the question asked again above it.
    int idle = 0;
    for (int push = 0; push < kTopChecks && idle < kIdleTopClimbs && result.lambda < 1.0; ++push) {
        if (!pushLambdaTo(std::min(1.0, result.lambda + kTopCheckStep)))
            break;
        ExchangeResult pushed;
        if (!climb(pushed, threshold))
            break;
        ++idle;
        if (pushed.lambda > result.lambda) {
            idle = 0;
            pushed.fulfilmentRows =
                std::make_shared<const std::vector<RowReading>>(readRows(RowValues::FulfilmentDuals));
            result = std::move(pushed);
        }
    }
    return true;
}

bool ExchangeSolver::pushLambdaTo(double lambda)
{
    std::unique_ptr<LinearProgram> higher = largest_->copy();
    higher->setColumn(lambdaColumn_, lambda, 1.0, -kLambdaWeight);
    // A wrong "infeasible" would only keep the λ* found, so the dual's word goes unchecked.
    higher->confirmInfeasibility(false);
    if (higher->solve(higher->densePath() ? SimplexMethod::Dual : SimplexMethod::Primal) != LpStatus::Optimal)
        return false;
    higher->setColumn(lambdaColumn_, 0.0, 1.0, -kLambdaWeight);
    higher->confirmInfeasibility(settings_.confirmInfeasibility);
    largest_ = std::move(higher);
    return true;
}

std::vector<RowReading> ExchangeSolver::readRows(RowValues values) const
{
    std::vector<double> perRow;
    if (values == RowValues::FulfilmentDuals && largest_) {
        // That programme minimises -kLambdaWeight λ.
        perRow = largest_->rowDuals();
        for (double& v : perRow)
            v /= -kLambdaWeight;
    } else if (values == RowValues::SmoothnessDuals && smooth_) {
        perRow = smooth_->rowDuals();
    } else if (values == RowValues::InfeasibilityRay && smooth_) {
        perRow = smooth_->infeasibilityRay();
    }
    std::vector<RowReading> readings;
    for (const RowGroup& group : groups_) {
        const bool spectrum = group.cut < 0;
        const Cut* cut = spectrum ? nullptr : &cuts_[static_cast<std::size_t>(group.cut)];
        for (int r = 0; r < group.rowCount; ++r) {
            const auto row = static_cast<std::size_t>(group.firstRow + r);
            if (row < perRow.size())
                readings.push_back({spectrum ? -1 - group.cut : cut->requirement,
                                    spectrum ? std::numeric_limits<double>::quiet_NaN() : cut->angle, perRow[row]});
        }
    }
    return readings;
}

} // namespace vemra::module

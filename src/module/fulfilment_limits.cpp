#include "module/fulfilment_limits.h"

#include "module/limit_reading.h"
#include "module/requirement_checker.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace vemra::module {
namespace {

// How far above λ* the contradiction is read: far enough that it stands out from the
// solver's tolerances and from the precision of the bisection (2^-24), close enough that it
// grows linearly. The second, a single bisection level, is for a variable eta, whose
// feasibility need not shrink as λ grows.
constexpr double kStepsAbove[] = {0x1p-17, 0x1p-24};
// The same angle as an interval end.
constexpr double kSameAngleDeg = 1e-9;

// How far a solution misses a requirement's bound on one side (negative: by how much it keeps
// it), at the angles and eta of one requirement set.
class Misses {
public:
    Misses(const RequirementSet& set, const std::vector<MotionCoefficients>& coefficients)
        : set_(set), coefficients_(coefficients)
    {
    }

    double at(int requirement, double angleDeg, bool lowerSide)
    {
        const Requirement& q = set_.requirements[static_cast<std::size_t>(requirement)];
        double value = 0.0;
        if (q.shape == RequirementShape::Spectrum) {
            value = spectrumValue(q, coefficients_);
        } else {
            auto curve = curves_.find(requirement);
            if (curve == curves_.end())
                curve = curves_.emplace(requirement, requirementCurve(set_, q, coefficients_)).first;
            value = curve->second.value(angleDeg * kRadPerDeg);
        }
        return lowerSide ? q.lower.base - value : value - q.upper.base;
    }

private:
    const RequirementSet& set_;
    const std::vector<MotionCoefficients>& coefficients_;
    std::map<int, TrigSeries> curves_;
};

// The angle of a cut of `from` in the same requirement at another λ, `to`: an interval end
// stays the end, an angle inside stays where it is (as far as the interval reaches).
double sameCutIn(const Requirement& from, const Requirement& to, double angleDeg)
{
    if (from.shape != RequirementShape::Interval)
        return to.phiFrom;
    if (std::abs(angleDeg - from.phiTo) <= kSameAngleDeg)
        return to.phiTo;
    if (std::abs(angleDeg - from.phiFrom) <= kSameAngleDeg)
        return to.phiFrom;
    return std::clamp(angleDeg, to.phiFrom, to.phiTo);
}

// A row of a solution counts as binding where it comes this close to its bound, relative to
// the bound's size: the final solution sits 1e-7 of λ below λ*, and rows that hold λ* keep
// about that much room.
constexpr double kBindingCloseness = 1e-5;

// The rows to pose a programme with again around a known solution: every point and spectrum
// requirement, and every interval requirement at the angles where the solution comes close to
// a bound (its extrema there, refined). The exchange method adds whatever else it needs, which
// is little: what holds the solution is there from the start.
WarmStart rowsWhereSolutionBinds(const RequirementSet& set, const std::vector<MotionCoefficients>& coefficients,
                                 double lambda)
{
    WarmStart start;
    start.lambdaColumn = set.lambdaVariable;
    for (std::size_t i = 0; i < set.requirements.size(); ++i)
        if (set.requirements[i].shape != RequirementShape::Interval)
            start.groups.push_back({static_cast<int>(i)});
    const SampleSpacing spacing = [&set](const Requirement& q) { return lpGridStep(set, q) / 10.0; };
    for (const Violation& close : findViolations(set, coefficients, lambda, -kBindingCloseness, spacing)) {
        const Requirement& q = set.requirements[static_cast<std::size_t>(close.requirement)];
        if (q.shape == RequirementShape::Interval && q.phiTo > q.phiFrom)
            start.groups.push_back({close.requirement, (close.angle - q.phiFrom) / (q.phiTo - q.phiFrom)});
    }
    return start;
}

// The search's own start where it fits the programme, otherwise the rows where its solution binds.
class StartFor {
public:
    StartFor(const RequirementSet& set, const Evaluation& best, double lambda)
    {
        if (best.start && best.start->lambdaColumn == set.lambdaVariable) {
            start_ = best.start.get();
            return;
        }
        own_ = rowsWhereSolutionBinds(set, best.coefficients, lambda);
        start_ = &own_;
    }
    const WarmStart* get() const { return start_; }

private:
    WarmStart own_;
    const WarmStart* start_ = nullptr;
};

// Bands whose bounds meet (that close) as λ grows: bounds move linearly with λ, so each band
// closes at one λ if at all.
struct ClosingBands {
    double at = std::numeric_limits<double>::infinity(); // the least λ from λ* on where one closes
    std::vector<int> requirements;                       // the ones that close there
    std::vector<double> narrowing;                       // how fast each one narrows per unit of λ
};

ClosingBands closingBands(const RequirementSet& moving, double lambda)
{
    ClosingBands bands;
    for (std::size_t i = 0; i < moving.requirements.size(); ++i) {
        const Requirement& q = moving.requirements[i];
        const double narrowing = q.lower.slope - q.upper.slope;
        if (!q.lower.present || !q.upper.present || !(narrowing > 0.0))
            continue;
        const double at = (q.upper.base - q.lower.base) / narrowing;
        if (at < lambda || at > bands.at)
            continue;
        if (at < bands.at)
            bands = ClosingBands{at, {}, {}};
        bands.requirements.push_back(static_cast<int>(i));
        bands.narrowing.push_back(narrowing);
    }
    return bands;
}

// Where a requirement's curve comes closest to its bounds (degrees): its point, or on an
// interval the sample with the least room.
double tightestAngle(const RequirementSet& set, const Requirement& q, const std::vector<MotionCoefficients>& coefficients)
{
    if (q.shape != RequirementShape::Interval)
        return q.phiFrom;
    const TrigSeries curve = requirementCurve(set, q, coefficients);
    const int count = std::max(2, static_cast<int>(std::ceil((q.phiTo - q.phiFrom) / (lpGridStep(set, q) / 10.0))) + 1);
    const double step = (q.phiTo - q.phiFrom) / (count - 1);
    double best = q.phiFrom, least = std::numeric_limits<double>::infinity();
    for (int i = 0; i < count; ++i) {
        const double angle = q.phiFrom + step * i;
        const double v = curve.value(angle * kRadPerDeg);
        const double room = std::min(v - q.lower.base, q.upper.base - v);
        if (room < least) {
            least = room;
            best = angle;
        }
    }
    return best;
}

} // namespace

std::vector<LimitingRestriction> limitsOfLambdaProgramme(const ProblemModel& model, const Evaluation& best,
                                                         const Shifts& shifts, SolveStats& stats,
                                                         const ExchangeSettings& settings)
{
    const double lambda = best.lambda;
    // The search's own λ programme at these shifts already knows the answer.
    if (best.fulfilmentRows)
        return limitsFromRows(model, model.requirementsLinearInLambda(shifts), lambda, *best.fulfilmentRows, 1.0);
    // The bounds as they move with λ, around their values at lambda; angles and eta stay.
    RequirementSet set = model.requirementsAt(lambda, shifts);
    const RequirementSet moving = model.requirementsLinearInLambda(shifts);
    set.lambdaVariable = true;
    for (std::size_t i = 0; i < set.requirements.size(); ++i) {
        for (auto [bound, slope] : {std::pair{&set.requirements[i].lower, moving.requirements[i].lower.slope},
                                    std::pair{&set.requirements[i].upper, moving.requirements[i].upper.slope}}) {
            bound->base -= slope * lambda;
            bound->slope = slope;
        }
    }
    ExchangeSolver solver(set, stats, settings);
    if (!solver.solveLargestLambda(StartFor(set, best, best.lambdaUsed).get()).feasible)
        return {};
    return limitsFromRows(model, set, lambda, solver.readRows(RowValues::FulfilmentDuals), 1.0);
}

std::vector<LimitingRestriction> limitsAboveSearchedEdge(const ProblemModel& model, const Evaluation& best,
                                                         const Shifts& shifts, SolveStats& stats,
                                                         const ExchangeSettings& settings)
{
    const double lambda = best.lambda;
    const RequirementSet atEdge = model.requirementsAt(lambda, shifts);
    const ClosingBands closing = closingBands(model.requirementsLinearInLambda(shifts), lambda);
    for (const double step : kStepsAbove) {
        // Short of a band that closes: beyond it no programme can be posed, and up to it the
        // contradiction of the others, if any, shows as well.
        const double above = std::min({1.0, lambda + step, 0.5 * (lambda + closing.at)});
        if (!(above > lambda) || model.resonantAt(above))
            continue;
        const RequirementSet set = model.requirementsAt(above, shifts);
        // The dual simplex, which leaves its proof of infeasibility behind (the primal's phase
        // one does not).
        ExchangeSettings proving = settings;
        proving.method = SimplexMethod::Dual;
        ExchangeSolver solver(set, stats, proving);
        if (solver.solveAt(above, {}, StartFor(atEdge, best, lambda).get()).feasible)
            continue;
        const std::vector<RowReading> proof = solver.readRows(RowValues::InfeasibilityRay);
        // The multipliers weigh how far λ*'s solution misses each row's bound; from λ* (where
        // it just keeps them) to above, that weighted miss grows by `growth`. Loosening a
        // restriction's bounds by one unit takes its rows' multipliers off it.
        Misses missesAbove(set, best.coefficients);
        Misses missesAtEdge(atEdge, best.coefficients);
        double growth = 0.0;
        for (const RowReading& r : proof) {
            if (r.value == 0.0)
                continue;
            const bool lower = r.value < 0.0;
            const auto i = static_cast<std::size_t>(r.requirement);
            const double edgeAngle = sameCutIn(set.requirements[i], atEdge.requirements[i], r.angle);
            growth += std::abs(r.value)
                * (missesAbove.at(r.requirement, r.angle, lower) - missesAtEdge.at(r.requirement, edgeAngle, lower));
        }
        if (!(growth > 0.0))
            continue;
        return limitsFromRows(model, set, above, proof, (above - lambda) / growth);
    }
    // Nothing contradicts short of a band that closes right above λ*: that band holds λ* by
    // itself. Loosened by t each way, it stays open 2t / (its narrowing per unit of λ) longer.
    if (closing.at > lambda + kStepsAbove[0])
        return {};
    std::vector<LimitingRestriction> limits;
    for (std::size_t i = 0; i < closing.requirements.size(); ++i) {
        const Requirement& q = atEdge.requirements[static_cast<std::size_t>(closing.requirements[i])];
        const Restriction& r = model.problem().restrictions[static_cast<std::size_t>(q.restriction)];
        limits.push_back({r.record.intPar(9), 1.0 / static_cast<double>(closing.requirements.size()),
                          tightestAngle(atEdge, q, best.coefficients), 2.0 / closing.narrowing[i]});
    }
    return limits;
}

std::vector<LimitingRestriction> limitsOfSmoothness(const ProblemModel& model, const Evaluation& best,
                                                    const Shifts& shifts, SolveStats& stats,
                                                    const ExchangeSettings& settings)
{
    const RequirementSet set = model.lambdaMode() == LambdaMode::LinearBounds
                                   ? model.requirementsLinearInLambda(shifts)
                                   : model.requirementsAt(best.lambdaUsed, shifts);
    ExchangeSolver solver(set, stats, settings);
    if (!solver.solveAt(best.lambdaUsed, {}, StartFor(set, best, best.lambdaUsed).get()).feasible)
        return {};
    return limitsFromRows(model, set, best.lambdaUsed, solver.readRows(RowValues::SmoothnessDuals), 1.0);
}

} // namespace vemra::module

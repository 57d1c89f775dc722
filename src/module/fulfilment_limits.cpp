#include "module/fulfilment_limits.h"

#include "module/limit_reading.h"

#include <algorithm>
#include <cmath>
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

bool someBandCloses(const RequirementSet& set)
{
    for (const Requirement& q : set.requirements)
        if (q.lower.present && q.upper.present && q.lower.base > q.upper.base)
            return true;
    return false;
}

} // namespace

std::vector<LimitingRestriction> limitsOfLambdaProgramme(const ProblemModel& model, double lambda, const Shifts& shifts,
                                                         const WarmStart* start, SolveStats& stats,
                                                         const ExchangeSettings& settings)
{
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
    if (!solver.solveLargestLambda(start).feasible)
        return {};
    return limitsFromRows(model, set, lambda, solver.readRows(RowValues::FulfilmentDuals), 1.0);
}

std::vector<LimitingRestriction> limitsAboveSearchedEdge(const ProblemModel& model, const Evaluation& best,
                                                         const Shifts& shifts, SolveStats& stats,
                                                         const ExchangeSettings& settings)
{
    const double lambda = best.lambda;
    const RequirementSet atEdge = model.requirementsAt(lambda, shifts);
    for (const double step : kStepsAbove) {
        const double above = std::min(1.0, lambda + step);
        if (!(above > lambda) || model.resonantAt(above))
            continue;
        const RequirementSet set = model.requirementsAt(above, shifts);
        // A band that closes holds λ* by itself, through its bounds alone: the programme
        // maximising λ over them says how.
        if (someBandCloses(set))
            return limitsOfLambdaProgramme(model, lambda, shifts, nullptr, stats, settings);
        // The dual simplex, which leaves its proof of infeasibility behind (the primal's phase
        // one does not).
        ExchangeSettings proving = settings;
        proving.method = SimplexMethod::Dual;
        ExchangeSolver solver(set, stats, proving);
        if (solver.solveAt(above, {}, best.start.get()).feasible)
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
    return {};
}

std::vector<LimitingRestriction> limitsOfSmoothness(const ProblemModel& model, const Evaluation& best,
                                                    const Shifts& shifts, SolveStats& stats,
                                                    const ExchangeSettings& settings)
{
    const RequirementSet set = model.lambdaMode() == LambdaMode::LinearBounds
                                   ? model.requirementsLinearInLambda(shifts)
                                   : model.requirementsAt(best.lambdaUsed, shifts);
    ExchangeSolver solver(set, stats, settings);
    if (!solver.solveAt(best.lambdaUsed, {}, best.start.get()).feasible)
        return {};
    return limitsFromRows(model, set, best.lambdaUsed, solver.readRows(RowValues::SmoothnessDuals), 1.0);
}

} // namespace vemra::module

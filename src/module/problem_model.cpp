#include "module/problem_model.h"

#include "module/input_validator.h"

#include <algorithm>
#include <limits>
#include <tuple>

namespace vemra::module {
namespace {

bool isEnforced(const Restriction& r) { return !r.checkOnly; }

bool hasVariableBound(const Restriction& r)
{
    return r.lower == BoundMode::Variable || r.upper == BoundMode::Variable;
}

bool hasVariableAngle(const Restriction& r)
{
    return r.family == RestrictionFamily::Interval && (r.phiMinVariable || r.phiMaxVariable);
}

bool etaVaries(const Motion& m) { return m.etaVariable && m.etaLimit != m.eta; }

// bound(λ) for a point or interval restriction; the minimum requirement sits at λ = 0.
LinearBound lowerBoundOf(const Restriction& r)
{
    LinearBound b;
    b.present = r.lower != BoundMode::None;
    b.base = r.par(6);
    if (r.lower == BoundMode::Variable)
        b.slope = r.par(5) - r.par(6);
    return b;
}

LinearBound upperBoundOf(const Restriction& r)
{
    LinearBound b;
    if (r.isSpectrum()) {
        b.present = true;
        b.base = r.par(6);
        if (r.upper == BoundMode::Variable)
            b.slope = -(r.par(6) - r.par(5));
        return b;
    }
    b.present = r.upper != BoundMode::None;
    b.base = r.par(8);
    if (r.upper == BoundMode::Variable)
        b.slope = -(r.par(8) - r.par(7));
    return b;
}

LinearBound fixedAt(LinearBound b, double lambda)
{
    b.base = b.at(lambda);
    b.slope = 0.0;
    return b;
}

} // namespace

ProblemModel::ProblemModel(SynthesisProblem problem) : problem_(std::move(problem))
{
    bool boundsVary = false;
    bool nonLinear = false;
    for (const Motion& m : problem_.motions) {
        hasVariableItem_ = hasVariableItem_ || m.etaVariable;
        nonLinear = nonLinear || etaVaries(m);
    }
    for (const Restriction& r : problem_.restrictions) {
        if (!isEnforced(r))
            continue;
        const bool variableBound = hasVariableBound(r);
        const bool variableAngle = hasVariableAngle(r);
        hasVariableItem_ = hasVariableItem_ || variableBound || variableAngle;
        boundsVary = boundsVary || variableBound;
        nonLinear = nonLinear || variableAngle;
    }
    mode_ = nonLinear ? LambdaMode::Bisection : (boundsVary ? LambdaMode::LinearBounds : LambdaMode::None);

    // Objects without members never move; sizing by the members keeps a huge object count in
    // the file from costing memory.
    int objects = 0;
    for (const Restriction& r : problem_.restrictions)
        objects = std::max(objects, r.group);
    ranges_.assign(static_cast<std::size_t>(objects), ShiftRange{});
    std::vector<bool> hasMember(ranges_.size(), false);
    for (auto& range : ranges_) {
        range.lo = -std::numeric_limits<double>::infinity();
        range.hi = std::numeric_limits<double>::infinity();
    }
    for (const Restriction& r : problem_.restrictions) {
        if (r.group <= 0)
            continue;
        const auto g = static_cast<std::size_t>(r.group - 1);
        hasMember[g] = true;
        ShiftRange& range = ranges_[g];
        range.lo = std::max(range.lo, r.par(9) - r.par(2));
        range.hi = std::min(range.hi, r.par(10) - r.par(2));
        if (r.family == RestrictionFamily::Interval) {
            range.lo = std::max(range.lo, r.par(11) - r.par(4));
            range.hi = std::min(range.hi, r.par(12) - r.par(4));
        }
    }
    for (std::size_t g = 0; g < ranges_.size(); ++g) {
        ShiftRange& range = ranges_[g];
        if (!hasMember[g]) {
            range = ShiftRange{};
            continue;
        }
        // Every member's entered angle lies in its range, so 0 is always allowed.
        range.lo = std::min(range.lo, 0.0);
        range.hi = std::max(range.hi, 0.0);
        range.active = range.hi > range.lo;
    }
}

double ProblemModel::etaAt(const Motion& motion, double lambda) const
{
    if (!motion.etaVariable)
        return motion.eta;
    return motion.eta + lambda * (motion.etaLimit - motion.eta);
}

bool ProblemModel::resonantAt(double lambda) const
{
    for (const Motion& m : problem_.motions)
        if (isResonant(m.harmonics, etaAt(m, lambda), m.theta))
            return true;
    return false;
}

double ProblemModel::shiftOf(const Restriction& restriction, const Shifts& shifts) const
{
    if (restriction.group <= 0 || static_cast<std::size_t>(restriction.group) > shifts.size())
        return 0.0;
    return shifts[static_cast<std::size_t>(restriction.group - 1)];
}

std::pair<double, double> ProblemModel::anglesAt(const Restriction& r, double lambda, const Shifts& shifts) const
{
    const double delta = shiftOf(r, shifts);
    if (r.family != RestrictionFamily::Interval)
        return {r.par(2) + delta, r.par(2) + delta};
    double from = r.par(2);
    double to = r.par(4);
    if (r.phiMinVariable && !r.checkOnly)
        from = r.par(2) - lambda * (r.par(2) - r.par(1));
    if (r.phiMaxVariable && !r.checkOnly)
        to = r.par(4) + lambda * (r.par(3) - r.par(4));
    return {from + delta, to + delta};
}

std::array<double, kRealFieldCount> ProblemModel::effectiveReals(const Restriction& r, double lambda,
                                                                 const Shifts& shifts) const
{
    std::array<double, kRealFieldCount> reals = r.record.reals;
    if (r.checkOnly || r.isSpectrum())
        return reals;
    const double delta = shiftOf(r, shifts);
    for (int i = 0; i < 4; ++i)
        reals[static_cast<std::size_t>(i)] += delta;
    if (r.family == RestrictionFamily::Interval) {
        const auto [from, to] = anglesAt(r, lambda, shifts);
        reals[1] = from;
        reals[3] = to;
    }
    return reals;
}

RequirementSet ProblemModel::requirementsAt(double lambda, const Shifts& shifts) const
{
    return build(lambda, false, shifts);
}

RequirementSet ProblemModel::requirementsLinearInLambda(const Shifts& shifts) const
{
    return build(0.0, true, shifts);
}

RequirementSet ProblemModel::build(double lambda, bool lambdaVariable, const Shifts& shifts) const
{
    RequirementSet set;
    set.lambdaVariable = lambdaVariable;
    set.lambda = lambda;
    set.motions.reserve(problem_.motions.size());
    for (const Motion& m : problem_.motions)
        set.motions.push_back(makeTransfer(m.harmonics, etaAt(m, lambda), m.theta));

    for (std::size_t i = 0; i < problem_.restrictions.size(); ++i) {
        const Restriction& r = problem_.restrictions[i];
        if (!isEnforced(r))
            continue;
        Requirement q;
        q.restriction = static_cast<int>(i);
        q.motionA = r.motion - 1;
        q.motionB = r.isRelative() ? r.motion2 - 1 : -1;
        q.order = r.order;
        q.lower = lowerBoundOf(r);
        q.upper = upperBoundOf(r);
        if (r.isSpectrum()) {
            q.shape = RequirementShape::Spectrum;
            q.lower = LinearBound{};
            q.harmonic = r.family == RestrictionFamily::SpectrumHarmonic ? r.harmonic : 0;
        } else {
            if (!q.lower.present && !q.upper.present)
                continue; // no bound, no requirement
            q.shape = r.family == RestrictionFamily::Interval ? RequirementShape::Interval : RequirementShape::Point;
            std::tie(q.phiFrom, q.phiTo) = anglesAt(r, lambda, shifts);
            // The curves repeat every revolution; a longer interval asks for nothing more.
            q.phiTo = std::min(q.phiTo, q.phiFrom + 360.0);
        }
        if (!lambdaVariable) {
            q.lower = fixedAt(q.lower, lambda);
            q.upper = fixedAt(q.upper, lambda);
        }
        set.requirements.push_back(q);
    }
    return set;
}

} // namespace vemra::module

// The synthesis problem as functions of the fulfilment level λ and the shifts of the
// optimisation objects: which items vary, the eta and angles reached, and the concrete
// requirement set handed to the linear programmes.
#pragma once

#include "module/requirement_set.h"
#include "module/synthesis_problem.h"

#include <array>
#include <vector>

namespace vemra::module {

// How λ enters the requirements, which decides how λ* is found.
enum class LambdaMode {
    None,         // nothing varies: one smoothness programme
    LinearBounds, // only bounds vary: one programme maximising λ
    Bisection,    // angles or eta vary: bisection over λ
};

struct ShiftRange {
    double lo = 0.0;
    double hi = 0.0;
    bool active = false; // has enforced members and room to move

    double width() const { return hi - lo; }
};

using Shifts = std::vector<double>; // δ per optimisation object, index = object number - 1

class ProblemModel {
public:
    explicit ProblemModel(SynthesisProblem problem);

    const SynthesisProblem& problem() const { return problem_; }
    LambdaMode lambdaMode() const { return mode_; }
    // Code 1 needs at least one variable item of an enforced restriction or of a motion.
    bool hasVariableItem() const { return hasVariableItem_; }

    int objectCount() const { return static_cast<int>(ranges_.size()); }
    const ShiftRange& shiftRange(int objectIndex) const { return ranges_[static_cast<std::size_t>(objectIndex)]; }
    Shifts zeroShifts() const { return Shifts(ranges_.size(), 0.0); }

    double etaAt(const Motion& motion, double lambda) const;
    // Some undamped motion has a harmonic in resonance at the eta λ gives it.
    bool resonantAt(double lambda) const;

    // Everything fixed at λ.
    RequirementSet requirementsAt(double lambda, const Shifts& shifts) const;
    // Bounds linear in λ; angles and eta at their (then constant) values. Only meaningful
    // when lambdaMode() is not Bisection.
    RequirementSet requirementsLinearInLambda(const Shifts& shifts) const;

    // Lower and upper angle (degrees) of a point or interval restriction at λ, shift included.
    std::pair<double, double> anglesAt(const Restriction& restriction, double lambda, const Shifts& shifts) const;

    // The twelve reals echoed for a restriction in the result file.
    std::array<double, kRealFieldCount> effectiveReals(const Restriction& restriction, double lambda,
                                                       const Shifts& shifts) const;

private:
    RequirementSet build(double lambda, bool lambdaVariable, const Shifts& shifts) const;
    double shiftOf(const Restriction& restriction, const Shifts& shifts) const;

    SynthesisProblem problem_;
    LambdaMode mode_ = LambdaMode::None;
    bool hasVariableItem_ = false;
    std::vector<ShiftRange> ranges_;
};

} // namespace vemra::module

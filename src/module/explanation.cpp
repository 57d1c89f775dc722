#include "module/explanation.h"

#include "module/conflict_filter.h"
#include "module/fulfilment_limits.h"
#include "protocol/result_codes.h"

#include <set>

namespace vemra::module {
namespace {

// Every optimisation object with an enforced member, and its shift.
std::vector<std::pair<int, double>> objectShifts(const ProblemModel& model, const Shifts& shifts)
{
    std::set<int> objects;
    for (const Restriction& r : model.problem().restrictions)
        if (r.group > 0)
            objects.insert(r.group);
    std::vector<std::pair<int, double>> result;
    for (int object : objects) {
        const auto slot = static_cast<std::size_t>(object - 1);
        result.emplace_back(object, slot < shifts.size() ? shifts[slot] : 0.0);
    }
    return result;
}

} // namespace

Explanation explainSolution(const ProblemModel& model, const SearchOutcome& outcome, int code, SolveStats& stats,
                            const ExchangeSettings& settings)
{
    const Evaluation& best = outcome.best;
    Explanation e;
    e.code = code;
    e.lambda = best.lambda;
    e.smoothness = best.smoothness;
    e.shifts = objectShifts(model, outcome.shifts);
    if (code == ResultCodes::MaximumMet) {
        e.stage = ExplanationStage::Smoothness;
        e.limits = limitsOfSmoothness(model, best, outcome.shifts, stats, settings);
        return e;
    }
    e.stage = ExplanationStage::Fulfilment;
    switch (model.lambdaMode()) {
    case LambdaMode::None:
        break; // nothing varies, so nothing holds fulfilment down
    case LambdaMode::LinearBounds:
        e.limits = limitsOfLambdaProgramme(model, best, outcome.shifts, stats, settings);
        break;
    case LambdaMode::Bisection:
        e.limits = limitsAboveSearchedEdge(model, best, outcome.shifts, stats, settings);
        break;
    }
    return e;
}

std::optional<Explanation> explainConflict(const ProblemModel& model, const Shifts& shifts, SolveStats& stats,
                                           const ExchangeSettings& settings)
{
    const std::vector<int> conflict = findIrreducibleConflict(model, shifts, stats, settings);
    if (conflict.empty())
        return std::nullopt;
    Explanation e;
    e.stage = ExplanationStage::Conflict;
    e.code = ResultCodes::MinimumNotMet;
    e.shifts = objectShifts(model, shifts);
    for (int restriction : conflict)
        e.conflict.push_back(model.problem().restrictions[static_cast<std::size_t>(restriction)].record.intPar(9));
    return e;
}

} // namespace vemra::module

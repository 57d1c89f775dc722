#include "module/conflict_filter.h"

#include "module/limit_reading.h"

#include <algorithm>

namespace vemra::module {
namespace {

// The minimum requirements of chosen restrictions, solved at λ = 0 by the exchange method:
// "infeasible" is a proof for the restrictions on their whole intervals (the angles held are a
// part of them), "feasible" a solution checked between the angles.
class MinimumRequirements {
public:
    MinimumRequirements(const ProblemModel& model, const Shifts& shifts, SolveStats& stats,
                        const ExchangeSettings& settings)
        : all_(model.requirementsAt(0.0, shifts)), stats_(stats), settings_(settings)
    {
        // The dual simplex leaves its proof of infeasibility behind (the primal's phase one
        // does not).
        settings_.method = SimplexMethod::Dual;
    }

    std::vector<int> restrictions() const
    {
        std::vector<int> result;
        for (const Requirement& q : all_.requirements)
            result.push_back(q.restriction);
        std::sort(result.begin(), result.end());
        result.erase(std::unique(result.begin(), result.end()), result.end());
        return result;
    }

    struct Verdict {
        bool infeasible = false;
        std::vector<int> named; // the restrictions the proof of infeasibility uses, if it gave one
    };

    // The chosen restrictions are sorted.
    Verdict solve(const std::vector<int>& chosen) const
    {
        RequirementSet subset = all_;
        subset.requirements.clear();
        for (const Requirement& q : all_.requirements)
            if (std::binary_search(chosen.begin(), chosen.end(), q.restriction))
                subset.requirements.push_back(q);
        const long failedBefore = stats_.failedProgrammes;
        ExchangeSolver solver(subset, stats_, settings_);
        if (solver.solveAt(0.0).feasible)
            return {};
        // A programme the simplex could settle neither way proves nothing; taking it for
        // infeasible could drop a member the conflict needs.
        if (stats_.failedProgrammes != failedBefore)
            return {};
        return {true, restrictionsWithWeight(subset, 0.0, solver.readRows(RowValues::InfeasibilityRay))};
    }

private:
    RequirementSet all_;
    SolveStats& stats_;
    ExchangeSettings settings_;
};

std::vector<int> without(const std::vector<int>& set, int member)
{
    std::vector<int> rest;
    for (int r : set)
        if (r != member)
            rest.push_back(r);
    return rest;
}

} // namespace

std::vector<int> findIrreducibleConflict(const ProblemModel& model, const Shifts& shifts, SolveStats& stats,
                                         const ExchangeSettings& settings)
{
    const MinimumRequirements requirements(model, shifts, stats, settings);
    std::vector<int> candidates = requirements.restrictions();
    MinimumRequirements::Verdict verdict = requirements.solve(candidates);
    if (!verdict.infeasible)
        return {};
    // Whenever a proof names fewer restrictions than were solved, those alone are tried first:
    // with an exact proof they are infeasible by themselves, and the filter then has only a
    // handful left to go through.
    auto narrow = [&](std::vector<int>& set, const MinimumRequirements::Verdict& v) {
        if (v.named.empty() || v.named.size() >= set.size())
            return;
        if (requirements.solve(v.named).infeasible)
            set = v.named;
    };
    narrow(candidates, verdict);
    // The deletion filter, in input order: a member the rest stays infeasible without is not
    // needed. Each member kept was needed by a superset of the final set, and so by the final
    // set too (a part of a feasible set is feasible).
    for (std::size_t i = 0; i < candidates.size();) {
        const int member = candidates[i];
        std::vector<int> rest = without(candidates, member);
        const MinimumRequirements::Verdict v = requirements.solve(rest);
        if (!v.infeasible) {
            ++i;
            continue;
        }
        narrow(rest, v);
        candidates = std::move(rest);
        // The members before the one dropped have been tried already.
        i = static_cast<std::size_t>(std::lower_bound(candidates.begin(), candidates.end(), member) - candidates.begin());
    }
    return candidates;
}

} // namespace vemra::module

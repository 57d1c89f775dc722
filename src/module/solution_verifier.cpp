#include "module/solution_verifier.h"

namespace vemra::module {

std::vector<Violation> SolutionVerifier::check(const Evaluation& solution, const Shifts& shifts) const
{
    if (!solution.feasible)
        return {};
    const RequirementSet set = model_.requirementsAt(solution.lambdaUsed, shifts);
    return findViolations(set, solution.coefficients, solution.lambdaUsed, kTolerance,
                          [](const Requirement&) { return kStepDeg; });
}

} // namespace vemra::module

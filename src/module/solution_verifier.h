// The last check before results are written: every requirement at the λ the coefficients were
// solved at, on a 0.01° grid with local refinement of every extremum, tolerance 1e-7 of scale.
#pragma once

#include "module/lambda_search.h"
#include "module/problem_model.h"
#include "module/requirement_checker.h"

#include <vector>

namespace vemra::module {

class SolutionVerifier {
public:
    static constexpr double kStepDeg = 0.01;
    static constexpr double kTolerance = 1e-7;

    explicit SolutionVerifier(const ProblemModel& model) : model_(model) {}

    // Violations of the solution; empty when it passes. Requirement indices refer to
    // model.requirementsAt(solution.lambdaUsed, shifts).
    std::vector<Violation> check(const Evaluation& solution, const Shifts& shifts) const;

private:
    const ProblemModel& model_;
};

} // namespace vemra::module

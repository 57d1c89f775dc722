// Why the result is what it is: the restrictions that hold fulfilment (or, once every maximum
// requirement is met, smoothness) where it is, or a set of restrictions that cannot be met
// together. Worked out after the search, from the problem, the shifts and λ* it found, by
// posing the final programme once more and reading what its simplex knows.
#pragma once

#include "module/exchange_solver.h"
#include "module/problem_model.h"
#include "module/shift_search.h"
#include "module/solve_stats.h"

#include <optional>
#include <utility>
#include <vector>

namespace vemra::module {

enum class ExplanationStage {
    Fulfilment, // code 0: what holds λ* down
    Smoothness, // code 1: what costs smoothness
    Conflict,   // code -2: what cannot be met together
};

struct LimitingRestriction {
    int record = 0;              // the restriction's record number (its ninth integer)
    double share = 0.0;          // its part of the total dual weight
    std::optional<double> angle; // where its largest dual value sits (degrees); none for spectrum kinds
    // How much λ* rises (code 0), or the smoothness sum falls (code 1), per unit by which the
    // restriction's bounds are loosened, minimum and maximum requirement alike.
    double sensitivity = 0.0;
};

struct Explanation {
    ExplanationStage stage = ExplanationStage::Fulfilment;
    int code = 0;
    double lambda = 0.0;     // λ*; not for a conflict
    double smoothness = 0.0; // not for a conflict
    std::vector<std::pair<int, double>> shifts; // optimisation object number, its shift (degrees)
    std::vector<LimitingRestriction> limits;    // largest share first
    std::vector<int> conflict;                  // record numbers, in input order
};

// Codes 0 and 1: the restrictions whose rows carry dual value in the final fulfilment
// programme, or in the smoothness programme at λ* = 1.
Explanation explainSolution(const ProblemModel& model, const SearchOutcome& outcome, int code, SolveStats& stats,
                            const ExchangeSettings& settings);

// Code -2: an irreducible set of restrictions that cannot be met together at λ = 0 and the
// shifts given. Nothing when none can be named: the minimum requirements can be met after all,
// and only a solution's final check failed.
std::optional<Explanation> explainConflict(const ProblemModel& model, const Shifts& shifts, SolveStats& stats,
                                           const ExchangeSettings& settings);

} // namespace vemra::module

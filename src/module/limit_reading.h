// Turns what the simplex says about the rows of a programme (dual values, or the multipliers of
// a proof of infeasibility) into limiting restrictions: summed per restriction record, its
// share of the whole, the angle where its largest value sits and its sensitivity.
#pragma once

#include "module/exchange_solver.h"
#include "module/explanation.h"
#include "module/problem_model.h"

#include <vector>

namespace vemra::module {

// Rows whose value, measured against the size of the row's bounds, is below this part of the
// largest do not count. The simplex leaves round-off of 1e-8 of the largest on rows far from
// their bounds, and a restriction that moves λ* a millionth as fast as the main one, below
// what λ* is known to, is not worth naming.
inline constexpr double kNegligibleRowWeight = 1e-6;

// readings refer to set, whose bounds are taken at lambda. The sensitivity of a restriction is
// the sum of its rows' |value| times sensitivityPerUnit. Largest share first.
std::vector<LimitingRestriction> limitsFromRows(const ProblemModel& model, const RequirementSet& set, double lambda,
                                                const std::vector<RowReading>& readings, double sensitivityPerUnit);

// The restriction indices (into the problem's restrictions) of the rows that carry weight.
std::vector<int> restrictionsWithWeight(const RequirementSet& set, double lambda,
                                        const std::vector<RowReading>& readings);

} // namespace vemra::module

// The restrictions that hold λ* (or, at λ* = 1, the smoothness sum) where it is, from the
// final programme posed once more at the shifts and λ* the search found.
#pragma once

#include "module/explanation.h"
#include "module/lambda_search.h"

#include <vector>

namespace vemra::module {

// The programme maximising λ with the angles and eta as they are at λ* and every bound moving
// with λ as entered: its dual values. With only bounds variable this is the very programme λ*
// came from. It starts from the search's final rows and basis, or from the rows where the
// final solution binds, which saves most of the work.
std::vector<LimitingRestriction> limitsOfLambdaProgramme(const ProblemModel& model, const Evaluation& best,
                                                         const Shifts& shifts, SolveStats& stats,
                                                         const ExchangeSettings& settings);

// Where λ* came from a search over λ (variable angles or eta change the programme itself),
// the limits are read just above it: the proof that the requirements cannot be met there names
// the rows that contradict each other, and how fast that contradiction grows from λ* on,
// measured on the solution at λ*, turns their multipliers into sensitivities. Empty when λ*
// is held by resonance, not by a restriction.
std::vector<LimitingRestriction> limitsAboveSearchedEdge(const ProblemModel& model, const Evaluation& best,
                                                         const Shifts& shifts, SolveStats& stats,
                                                         const ExchangeSettings& settings);

// At λ* = 1: the dual values of the smoothness programme, per unit of smoothness sum.
std::vector<LimitingRestriction> limitsOfSmoothness(const ProblemModel& model, const Evaluation& best,
                                                    const Shifts& shifts, SolveStats& stats,
                                                    const ExchangeSettings& settings);

} // namespace vemra::module

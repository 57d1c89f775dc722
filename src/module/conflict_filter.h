// Names restrictions whose minimum requirements cannot be met together: a set that is
// infeasible at λ = 0 and irreducible, so that without any one of its members the rest can be
// met. The solver's proof of infeasibility (a Farkas certificate) gives a first, usually small
// set; a deletion filter then drops every member the rest stays infeasible without.
#pragma once

#include "module/exchange_solver.h"
#include "module/problem_model.h"
#include "module/solve_stats.h"

#include <vector>

namespace vemra::module {

// Indices into the problem's restrictions, in input order; empty when the minimum
// requirements can be met at these shifts after all.
std::vector<int> findIrreducibleConflict(const ProblemModel& model, const Shifts& shifts, SolveStats& stats,
                                         const ExchangeSettings& settings);

} // namespace vemra::module

// What the linear programmes do with a model of the sparse solver besides solving it: copying
// it safely, reading its rows densely, and finding multipliers that prove its rows
// contradictory where the solver left none.
#pragma once

#include <vector>

class ClpSimplex;

namespace vemra::module {

// Loads the programme, its settings, solution and basis into another solver. Not the solver's
// own copy: that shares working memory of its factorisation with the original, and whichever
// of the two outlived the other read freed memory in its next solve.
void copyProgramme(const ClpSimplex& from, ClpSimplex& to);

// The solver's scaled rows as the dense simplex takes them: rows × columns, row-major.
std::vector<double> denseMatrixOf(const ClpSimplex& clp);

// The dual values of the programme in which every row may miss its bounds at a cost of one per
// unit (of the scaled row), negated to read like the solver's ray: where the rows cannot all be
// met, they prove it just as well. Empty where the rows can be met or the solver runs out of
// steps (at least minimumSteps, more for large programmes).
std::vector<double> leastViolationMultipliers(const ClpSimplex& original, int minimumSteps);

} // namespace vemra::module

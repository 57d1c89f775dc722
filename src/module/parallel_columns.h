// Columns of a dense programme that are copies of one another or of one another's negatives,
// as a coefficient split into its positive and negative halves gives. The dense simplex must
// know them: two of them off their bounds at once make its active matrix singular, and its pass
// over the rows multiplies each class once (dense_rows.h).
#pragma once

#include "module/dense_simplex.h"

#include <vector>

namespace vemra::module {

// Each column's class is a ring: next[j] is the next member (j itself when alone); column j is
// sign[j] times a vector its class shares (sign 0: a column without entries, in no class).
struct ParallelColumns {
    std::vector<int> next;
    std::vector<signed char> sign;
};

ParallelColumns parallelColumnsOf(const DenseProgramme& programme);

// Whether the rows from firstRow on leave every class as it is, so that parallelColumnsOf the
// whole programme would give the same rings as for its rows before firstRow.
bool keepsParallelColumns(const DenseProgramme& programme, const ParallelColumns& parallel, int firstRow);

} // namespace vemra::module

// The programme as the dense simplex takes it (row-major, every entry stored), kept next to the
// sparse solver's own copy: rows are appended and deleted with it, so that a run copies only
// bounds and costs instead of scattering the whole matrix again, and the classes of parallel
// columns carry over for as long as new rows leave them as they are.
#pragma once

#include "module/dense_simplex.h"
#include "module/parallel_columns.h"

#include <span>
#include <vector>

namespace vemra::module {

class DenseMirror {
public:
    explicit DenseMirror(int columns);

    // Only programmes that run on the dense simplex pay for the mirror: it is kept from the
    // first such run on (rows × columns, row-major) until drop. Rows appended or deleted while
    // it is not kept are ignored.
    bool kept() const { return kept_; }
    void keep(int rows, std::vector<double> matrix);
    void drop();

    // count rows as the sparse solver gets them: row r has the entries starts[r] to
    // starts[r + 1] - 1 of columns and values.
    void appendRows(int count, const int* starts, const int* columns, const double* values);
    // rows in ascending order.
    void deleteRows(std::span<const int> rows);

    // The programme with these bounds and costs (the sparse solver's current ones, as many as
    // it has rows and columns).
    const DenseProgramme& programme(const double* rowLower, const double* rowUpper, const double* columnLower,
        const double* columnUpper, const double* cost);
    const ParallelColumns& parallelColumns();
    // The rows as kept (bounds and costs as the last programme call left them).
    const DenseProgramme& rows() const { return programme_; }
    // The inverse the last dense run ended with, its rows renumbered as rows are deleted (and
    // gone with any of its active rows).
    CarriedInverse& carriedInverse() { return carried_; }

private:
    void renumberCarriedRows(std::span<const int> deleted);

    DenseProgramme programme_;
    ParallelColumns parallel_;
    CarriedInverse carried_;
    int classifiedRows_ = -1; // the rows parallel_ holds for; -1 when it must be found afresh
    bool kept_ = false;
};

} // namespace vemra::module

#include "module/dense_mirror.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace vemra::module {

DenseMirror::DenseMirror(int columns) { programme_.columns = columns; }

void DenseMirror::keep(int rows, std::vector<double> matrix)
{
    programme_.rows = rows;
    programme_.matrix = std::move(matrix);
    classifiedRows_ = -1;
    carried_.clear();
    kept_ = true;
}

void DenseMirror::drop()
{
    *this = DenseMirror(programme_.columns);
}

void DenseMirror::appendRows(int count, const int* starts, const int* columns, const double* values)
{
    if (!kept_)
        return;
    const auto n = static_cast<std::size_t>(programme_.columns);
    programme_.matrix.resize(programme_.matrix.size() + static_cast<std::size_t>(count) * n, 0.0);
    for (int r = 0; r < count; ++r) {
        double* row = programme_.matrix.data() + static_cast<std::size_t>(programme_.rows + r) * n;
        for (int e = starts[r]; e < starts[r + 1]; ++e)
            row[columns[e]] = values[e];
    }
    programme_.rows += count;
}

void DenseMirror::deleteRows(std::span<const int> rows)
{
    if (!kept_ || rows.empty())
        return;
    const auto n = static_cast<std::size_t>(programme_.columns);
    std::size_t next = 0;
    int kept = 0;
    for (int i = 0; i < programme_.rows; ++i) {
        if (next < rows.size() && rows[next] == i) {
            ++next;
            continue;
        }
        if (kept != i)
            std::copy_n(programme_.matrix.data() + static_cast<std::size_t>(i) * n, n,
                programme_.matrix.data() + static_cast<std::size_t>(kept) * n);
        ++kept;
    }
    programme_.rows = kept;
    programme_.matrix.resize(static_cast<std::size_t>(kept) * n);
    renumberCarriedRows(rows);
    // Without some rows, columns that differed only there are parallel now.
    classifiedRows_ = -1;
}

void DenseMirror::renumberCarriedRows(std::span<const int> deleted)
{
    const int n = programme_.columns;
    for (int& item : carried_.items) {
        if (item < n)
            continue;
        const auto below = std::lower_bound(deleted.begin(), deleted.end(), item - n);
        if (below != deleted.end() && *below == item - n) {
            carried_.clear(); // an active row is gone: the inverse is of another matrix
            return;
        }
        item -= static_cast<int>(below - deleted.begin());
    }
}

const DenseProgramme& DenseMirror::programme(const double* rowLower, const double* rowUpper, const double* columnLower,
    const double* columnUpper, const double* cost)
{
    programme_.rowLower.assign(rowLower, rowLower + programme_.rows);
    programme_.rowUpper.assign(rowUpper, rowUpper + programme_.rows);
    programme_.columnLower.assign(columnLower, columnLower + programme_.columns);
    programme_.columnUpper.assign(columnUpper, columnUpper + programme_.columns);
    programme_.cost.assign(cost, cost + programme_.columns);
    return programme_;
}

const ParallelColumns& DenseMirror::parallelColumns()
{
    if (classifiedRows_ < 0 || !keepsParallelColumns(programme_, parallel_, classifiedRows_))
        parallel_ = parallelColumnsOf(programme_);
    classifiedRows_ = programme_.rows;
    return parallel_;
}

} // namespace vemra::module

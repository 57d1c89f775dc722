#include "module/parallel_columns.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace vemra::module {

// Columns are compared through a weighted sum of their entries, sign-normalised by the first
// nonzero one, so that equal sums pick the candidates; the entries themselves decide. Within a
// class the ring's order follows from the members' numbers alone, so the same classes always
// give the same rings.
ParallelColumns parallelColumnsOf(const DenseProgramme& p)
{
    const int n = p.columns, m = p.rows;
    ParallelColumns parallel{std::vector<int>(n), std::vector<signed char>(n, 0)};
    // Signs first (a column's entries above its first nonzero one add nothing to its key), so
    // that the sums below run over whole rows without a test per entry. Only the columns still
    // without a sign are looked at: most get theirs in the first rows.
    std::vector<int> unsignedColumns(n);
    for (int j = 0; j < n; ++j)
        unsignedColumns[j] = j;
    for (int i = 0; i < m && !unsignedColumns.empty(); ++i) {
        const double* row = p.matrix.data() + static_cast<std::ptrdiff_t>(i) * n;
        std::erase_if(unsignedColumns, [&](int j) {
            if (row[j] == 0.0)
                return false;
            parallel.sign[j] = row[j] > 0.0 ? 1 : -1;
            return true;
        });
    }
    std::vector<double> key(n, 0.0), sign(n);
    for (int j = 0; j < n; ++j)
        sign[j] = parallel.sign[j];
    double* __restrict keys = key.data();
    const double* __restrict signs = sign.data();
    for (int i = 0; i < m; ++i) {
        const double* __restrict row = p.matrix.data() + static_cast<std::ptrdiff_t>(i) * n;
        const double weight = 1.0 + 1.0 / (i + 1.0) + 1e-3 * (i % 7);
        for (int j = 0; j < n; ++j)
            keys[j] += weight * (signs[j] * row[j]);
    }
    std::vector<int> order(n);
    for (int j = 0; j < n; ++j)
        order[j] = parallel.next[j] = j;
    std::sort(order.begin(), order.end(), [&](int a, int b) { return key[a] < key[b] || (key[a] == key[b] && a < b); });
    const auto same = [&](int a, int b) {
        for (int i = 0; i < m; ++i) {
            const double* row = p.matrix.data() + static_cast<std::ptrdiff_t>(i) * n;
            if (parallel.sign[a] * row[a] != parallel.sign[b] * row[b])
                return false;
        }
        return true;
    };
    for (int first = 0; first < n;) {
        int last = first + 1;
        while (last < n && key[order[last]] == key[order[first]])
            ++last;
        // Within a run of equal keys, each column joins the ring of the first earlier one it matches.
        for (int b = first + 1; b < last; ++b)
            for (int a = first; a < b; ++a)
                if (parallel.sign[order[a]] != 0 && same(order[a], order[b])) {
                    std::swap(parallel.next[order[a]], parallel.next[order[b]]);
                    break;
                }
        first = last;
    }
    return parallel;
}

bool keepsParallelColumns(const DenseProgramme& p, const ParallelColumns& parallel, int firstRow)
{
    const int n = p.columns;
    for (int i = firstRow; i < p.rows; ++i) {
        const double* row = p.matrix.data() + static_cast<std::ptrdiff_t>(i) * n;
        for (int j = 0; j < n; ++j) {
            // A column without entries so far that gets one could now repeat another such column.
            if (parallel.sign[j] == 0) {
                if (row[j] != 0.0)
                    return false;
                continue;
            }
            const int other = parallel.next[j];
            if (parallel.sign[j] * row[j] != parallel.sign[other] * row[other])
                return false;
        }
    }
    return true;
}

} // namespace vemra::module

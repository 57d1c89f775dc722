#include "module/dense_inverse.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vemra::module::dense {
namespace {

// A pivot this much below the largest entry of the block being inverted means the active
// normals are dependent as far as double precision can tell.
constexpr double kSingularPivot = 1e-11;

// Gauss–Jordan with partial pivoting on the k×k row-major matrix, in place. The row swaps give
// the inverse of the permuted matrix; swapping columns back in reverse order undoes them.
bool invertInPlace(double* matrix, int k, int* swaps)
{
    double largest = 0.0;
    for (int e = 0; e < k * k; ++e)
        largest = std::max(largest, std::abs(matrix[e]));
    for (int c = 0; c < k; ++c) {
        int pivot = c;
        for (int i = c + 1; i < k; ++i)
            if (std::abs(matrix[i * k + c]) > std::abs(matrix[pivot * k + c]))
                pivot = i;
        if (!(std::abs(matrix[pivot * k + c]) > kSingularPivot * largest))
            return false;
        swaps[c] = pivot;
        if (pivot != c)
            std::swap_ranges(matrix + pivot * k, matrix + pivot * k + k, matrix + c * k);
        double* pivotRow = matrix + c * k;
        const double inverse = 1.0 / pivotRow[c];
        pivotRow[c] = 1.0;
        for (int j = 0; j < k; ++j)
            pivotRow[j] *= inverse;
        for (int i = 0; i < k; ++i) {
            double* row = matrix + i * k;
            const double factor = row[c];
            if (i == c || factor == 0.0)
                continue;
            row[c] = 0.0;
            addScaled(row, -factor, pivotRow, k);
        }
    }
    for (int c = k - 1; c >= 0; --c)
        if (swaps[c] != c)
            for (int i = 0; i < k; ++i)
                std::swap(matrix[i * k + c], matrix[i * k + swaps[c]]);
    return true;
}

} // namespace

// Columns are compared through a weighted sum of their entries, sign-normalised by the first
// nonzero one, so that equal sums pick the candidates; the entries themselves decide.
ParallelColumns findParallelColumns(const DenseProgramme& p)
{
    const int n = p.columns, m = p.rows;
    ParallelColumns parallel{std::vector<int>(n), std::vector<signed char>(n, 0)};
    std::vector<double> key(n, 0.0);
    for (int i = 0; i < m; ++i) {
        const double* row = p.matrix.data() + static_cast<std::ptrdiff_t>(i) * n;
        const double weight = 1.0 + 1.0 / (i + 1.0) + 1e-3 * (i % 7);
        for (int j = 0; j < n; ++j) {
            if (parallel.sign[j] == 0 && row[j] != 0.0)
                parallel.sign[j] = row[j] > 0.0 ? 1 : -1;
            key[j] += weight * (parallel.sign[j] * row[j]);
        }
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

ActiveInverse::ActiveInverse(const DenseProgramme& programme)
    : p_(programme), n_(programme.columns), inverse_(n_ * n_), block_(n_ * n_), movedColumns_(n_ * n_),
      columnPart_(n_), ratio_(n_), swaps_(n_)
{
    for (auto* list : {&rowSlots_, &columnSlots_, &freeColumns_})
        list->reserve(n_);
}

// Active columns give B rows of the identity, so only the k active rows against the k inactive
// columns (a block M) need inverting. With the active columns' values moved to the right-hand
// side, x_F = M⁻¹ (b_R − A_{R,C} b_C): an inactive column's row of B⁻¹ holds its row of M⁻¹ on
// the row slots and −(M⁻¹ A_{R,C}) on the column slots; an active column's row is the unit
// vector of its slot. That is k³ + k²(n − k) work, at most n³.
bool ActiveInverse::rebuild(const std::vector<int>& item, const std::vector<int>& slotOf)
{
    rowSlots_.clear();
    columnSlots_.clear();
    freeColumns_.clear();
    for (int s = 0; s < n_; ++s)
        (item[s] >= n_ ? rowSlots_ : columnSlots_).push_back(s);
    for (int j = 0; j < n_; ++j)
        if (slotOf[j] < 0)
            freeColumns_.push_back(j);
    const int k = static_cast<int>(rowSlots_.size()), c = n_ - k;
    for (int a = 0; a < k; ++a) {
        const double* row = p_.matrix.data() + static_cast<std::ptrdiff_t>(item[rowSlots_[a]] - n_) * n_;
        for (int b = 0; b < k; ++b)
            block_[a * k + b] = row[freeColumns_[b]];
        for (int e = 0; e < c; ++e)
            movedColumns_[a * c + e] = -row[item[columnSlots_[e]]];
    }
    if (!invertInPlace(block_.data(), k, swaps_.data()))
        return false;
    std::fill(inverse_.begin(), inverse_.end(), 0.0);
    for (int slot : columnSlots_)
        row(item[slot])[slot] = 1.0;
    for (int b = 0; b < k; ++b) {
        double* target = row(freeColumns_[b]);
        std::fill_n(columnPart_.begin(), c, 0.0);
        for (int a = 0; a < k; ++a) {
            target[rowSlots_[a]] = block_[b * k + a];
            addScaled(columnPart_.data(), block_[b * k + a], movedColumns_.data() + a * c, c);
        }
        for (int e = 0; e < c; ++e)
            target[columnSlots_[e]] = columnPart_[e];
    }
    updates_ = 0;
    return true;
}

// B⁻¹ ← B⁻¹ − d_q (α − e_q)ᵀ / α_q, where d_q is column q of B⁻¹. Column q becomes d_q / α_q;
// the ratio for slot q is chosen so that one pass does both.
void ActiveInverse::replace(int q, const double* alpha, const double* direction)
{
    const double pivotValue = alpha[q];
    for (int s = 0; s < n_; ++s)
        ratio_[s] = alpha[s] / pivotValue;
    ratio_[q] = 1.0 - 1.0 / pivotValue;
    for (int j = 0; j < n_; ++j)
        if (direction[j] != 0.0)
            addScaled(row(j), -direction[j], ratio_.data(), n_);
    ++updates_;
}

} // namespace vemra::module::dense

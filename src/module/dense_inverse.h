// The explicit inverse behind the dense dual simplex (dense_simplex.cpp) and the vector kernels
// both use. B is the square matrix whose rows are the normals of the active constraints, one per
// slot: e_j for a column at a bound, a_i for an active row. Row j of B⁻¹ gives column j of x in
// terms of the active bound values; column s of B⁻¹ is the direction that moves only the
// constraint in slot s off its bound.
#pragma once

#include "module/dense_simplex.h"

#include <cstddef>
#include <vector>

namespace vemra::module::dense {

// Four partial sums, so that the additions need not wait for one another; the order they take
// is fixed, so results repeat.
inline double dot(const double* a, const double* b, int size)
{
    double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
    int j = 0;
    for (; j + 4 <= size; j += 4) {
        s0 += a[j] * b[j];
        s1 += a[j + 1] * b[j + 1];
        s2 += a[j + 2] * b[j + 2];
        s3 += a[j + 3] * b[j + 3];
    }
    for (; j < size; ++j)
        s0 += a[j] * b[j];
    return (s0 + s1) + (s2 + s3);
}

// a·b and a·c in one pass over a.
inline void dotTwice(const double* a, const double* b, const double* c, int size, double& ab, double& ac)
{
    double b0 = 0.0, b1 = 0.0, c0 = 0.0, c1 = 0.0;
    int j = 0;
    for (; j + 2 <= size; j += 2) {
        b0 += a[j] * b[j];
        b1 += a[j + 1] * b[j + 1];
        c0 += a[j] * c[j];
        c1 += a[j + 1] * c[j + 1];
    }
    if (j < size) {
        b0 += a[j] * b[j];
        c0 += a[j] * c[j];
    }
    ab = b0 + b1;
    ac = c0 + c1;
}

// target and source never overlap.
inline void addScaled(double* __restrict target, double factor, const double* __restrict source, int size)
{
    int j = 0;
    for (; j + 4 <= size; j += 4) {
        target[j] += factor * source[j];
        target[j + 1] += factor * source[j + 1];
        target[j + 2] += factor * source[j + 2];
        target[j + 3] += factor * source[j + 3];
    }
    for (; j < size; ++j)
        target[j] += factor * source[j];
}

class ActiveInverse {
public:
    // item[s] is the constraint in slot s (columns numbered first, then rows), slotOf[k] the slot
    // of constraint k, -1 while it is inactive: the solver's own lists, read as they change.
    ActiveInverse(const DenseProgramme& programme, const std::vector<int>& item, const std::vector<int>& slotOf);

    // B⁻¹ afresh. False when the active normals are dependent as far as double precision can tell.
    bool rebuild();

    // alpha = B⁻ᵀ v_k, constraint k's normal in terms of the active ones.
    void represent(int k, double* alpha) const;
    // One step of iterative refinement of such an alpha; residual is work space of n entries.
    void refine(int k, double* alpha, double* residual) const;
    // direction = column q of B⁻¹ (the move of x that takes slot q off its bound) and back = B⁻¹ alpha.
    void directions(int q, const double* alpha, double* direction, double* back) const;

    // Row q of B replaced by the normal of the constraint now in slot q, whose representation
    // before the exchange is alpha; direction is column q of B⁻¹ before it.
    void replace(int q, const double* alpha, const double* direction);

    const double* row(int j) const { return inverse_.data() + static_cast<std::ptrdiff_t>(j) * n_; }
    // Exchanges since the last rebuild.
    int updates() const { return updates_; }

    // Columns of the matrix that are copies of one another or of one another's negatives, as a
    // coefficient split into its positive and negative halves gives. Two of them inactive at
    // once would make B singular. Each column's class is a ring: next[j] is the next member (j
    // itself when alone); column j is sign[j] times a vector its class shares.
    struct ParallelColumns {
        std::vector<int> next;
        std::vector<signed char> sign;
    };

private:
    double* row(int j) { return inverse_.data() + static_cast<std::ptrdiff_t>(j) * n_; }
    const double* matrixRow(int i) const { return p_.matrix.data() + static_cast<std::ptrdiff_t>(i) * n_; }
    void settleParallelColumns(int k, double* alpha) const;

    const DenseProgramme& p_;
    const int n_;
    const std::vector<int>& item_;
    const std::vector<int>& slotOf_;
    const ParallelColumns parallel_;
    // n×n row-major; inverse_[j][s]: column j of x, slot s. An active column's row is the unit
    // vector of its slot, exactly: rebuild makes it so and replace keeps it.
    std::vector<double> inverse_;
    std::vector<double> block_, movedColumns_, columnPart_, ratio_;
    std::vector<int> swaps_, rowSlots_, columnSlots_, freeColumns_;
    int updates_ = 0;
};

} // namespace vemra::module::dense

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

inline double dot(const double* a, const double* b, int size)
{
    double sum = 0.0;
    for (int j = 0; j < size; ++j)
        sum += a[j] * b[j];
    return sum;
}

inline void addScaled(double* target, double factor, const double* source, int size)
{
    for (int j = 0; j < size; ++j)
        target[j] += factor * source[j];
}

// Columns of the matrix that are copies of one another or of one another's negatives, as a
// coefficient split into its positive and negative parts gives. Two of them inactive at once
// would make B singular. Each column's class is a ring: next[j] is the next member (j itself
// when alone); column j is sign[j] times a vector its class shares.
struct ParallelColumns {
    std::vector<int> next;
    std::vector<signed char> sign;
};
ParallelColumns findParallelColumns(const DenseProgramme& programme);

class ActiveInverse {
public:
    explicit ActiveInverse(const DenseProgramme& programme);

    // B⁻¹ afresh for the constraints item[s] (columns numbered first, then rows); slotOf[k] is
    // the slot of constraint k, -1 when it is inactive. False when the active normals are
    // dependent as far as double precision can tell.
    bool rebuild(const std::vector<int>& item, const std::vector<int>& slotOf);

    // Row q of B replaced by a normal whose representation B⁻ᵀv is alpha; direction is column q
    // of B⁻¹ before the exchange.
    void replace(int q, const double* alpha, const double* direction);

    const double* row(int j) const { return inverse_.data() + static_cast<std::ptrdiff_t>(j) * n_; }
    // Exchanges since the last rebuild.
    int updates() const { return updates_; }

private:
    double* row(int j) { return inverse_.data() + static_cast<std::ptrdiff_t>(j) * n_; }

    const DenseProgramme& p_;
    const int n_;
    std::vector<double> inverse_; // n×n row-major; inverse_[j][s]: column j of x, slot s
    std::vector<double> block_, movedColumns_, columnPart_, ratio_;
    std::vector<int> swaps_, rowSlots_, columnSlots_, freeColumns_;
    int updates_ = 0;
};

} // namespace vemra::module::dense

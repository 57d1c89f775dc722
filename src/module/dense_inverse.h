// The explicit inverse behind the dense dual simplex (dense_simplex.cpp) and the vector kernels
// both use. B is the square matrix whose rows are the normals of the active constraints, one per
// slot: e_j for a column at a bound, a_i for an active row. Row j of B⁻¹ gives column j of x in
// terms of the active bound values; column s of B⁻¹ is the direction that moves only the
// constraint in slot s off its bound.
//
// A slot is pinned where it holds a column at its bound whose parallel twin is in use (the
// unused half of a split coefficient). Its column of B⁻¹ is ± the twin's unit vector and its entry
// in every representation is zero (settleParallelColumns), so no update changes it. Near half the
// slots are pinned in these programmes, so the inverse keeps its columns in an order of its own,
// the slots that can change first: the updates and products then run over that prefix alone.
#pragma once

#include "module/dense_simplex.h"
#include "module/parallel_columns.h"
#include "module/spare_core.h"

#include <cstddef>
#include <memory>
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

// Two doubles side by side: the even and the odd entries' partial sums of the kernels below, so
// that one instruction does the work of two without changing a single rounding.
using Pair = double __attribute__((vector_size(16)));

inline Pair loadPair(const double* p)
{
    Pair v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}

// a·b with the even and the odd entries summed apart: each product of dotTwice and the kernels
// below, to the last bit, on its own.
inline double dotInPairs(const double* a, const double* b, int size)
{
    Pair s = {0.0, 0.0};
    int j = 0;
    for (; j + 2 <= size; j += 2)
        s += loadPair(a + j) * loadPair(b + j);
    if (j < size)
        s[0] += a[j] * b[j];
    return s[0] + s[1];
}

// a·b and a·c in one pass over a, the even and the odd entries summed apart.
inline void dotTwice(const double* a, const double* b, const double* c, int size, double& ab, double& ac)
{
    Pair sb = {0.0, 0.0}, sc = {0.0, 0.0};
    int j = 0;
    for (; j + 2 <= size; j += 2) {
        const Pair aj = loadPair(a + j);
        sb += aj * loadPair(b + j);
        sc += aj * loadPair(c + j);
    }
    if (j < size) {
        sb[0] += a[j] * b[j];
        sc[0] += a[j] * c[j];
    }
    ab = sb[0] + sb[1];
    ac = sc[0] + sc[1];
}

// dotTwice for two rows a and a2 at once, each summed exactly as dotTwice sums it (results in
// ab[0], ac[0] and ab[1], ac[1]): the two rows' additions do not wait for one another, which is
// where a single row's pass loses its time.
inline void dotTwiceTwoRows(const double* a, const double* a2, const double* b, const double* c, int size,
                            double* ab, double* ac)
{
    Pair sb = {0.0, 0.0}, sc = {0.0, 0.0}, sb2 = {0.0, 0.0}, sc2 = {0.0, 0.0};
    int j = 0;
    for (; j + 2 <= size; j += 2) {
        const Pair bj = loadPair(b + j), cj = loadPair(c + j);
        const Pair aj = loadPair(a + j), a2j = loadPair(a2 + j);
        sb += aj * bj;
        sc += aj * cj;
        sb2 += a2j * bj;
        sc2 += a2j * cj;
    }
    if (j < size) {
        sb[0] += a[j] * b[j];
        sc[0] += a[j] * c[j];
        sb2[0] += a2[j] * b[j];
        sc2[0] += a2[j] * c[j];
    }
    ab[0] = sb[0] + sb[1];
    ac[0] = sc[0] + sc[1];
    ab[1] = sb2[0] + sb2[1];
    ac[1] = sc2[0] + sc2[1];
}

// a·b and a2·b, each summed exactly as dotTwice sums it.
inline void dotTwoRows(const double* a, const double* a2, const double* b, int size, double* ab)
{
    Pair s = {0.0, 0.0}, s2 = {0.0, 0.0};
    int j = 0;
    for (; j + 2 <= size; j += 2) {
        const Pair bj = loadPair(b + j);
        s += loadPair(a + j) * bj;
        s2 += loadPair(a2 + j) * bj;
    }
    if (j < size) {
        s[0] += a[j] * b[j];
        s2[0] += a2[j] * b[j];
    }
    ab[0] = s[0] + s[1];
    ab[1] = s2[0] + s2[1];
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
    ActiveInverse(const DenseProgramme& programme, const ParallelColumns& parallel, const std::vector<int>& item,
                  const std::vector<int>& slotOf);

    // B⁻¹ afresh. False when the active normals are dependent as far as double precision can tell.
    bool rebuild();

    // alpha = B⁻ᵀ v_k, constraint k's normal in terms of the active ones.
    void represent(int k, double* alpha);
    // One step of iterative refinement of such an alpha; residual is work space of n entries.
    void refine(int k, double* alpha, double* residual);
    // direction = column q of B⁻¹ (the move of x that takes slot q off its bound) and back = B⁻¹ alpha.
    void directions(int q, const double* alpha, double* direction, double* back);

    // direction = column q of B⁻¹ alone.
    void column(int q, double* direction) const;

    // Row q of B replaced by the normal of the constraint now in slot q, whose representation
    // before the exchange is alpha, in place of constraint left; direction is column q of B⁻¹
    // before it.
    void replace(int q, int left, const double* alpha, const double* direction);

    // Takes over an inverse of the active constraints as they stand now (the solver has put
    // them into the carried slots), with its count of updates; hands its own over in turn.
    void adopt(CarriedInverse& carried);
    void handOver(CarriedInverse& carried);

    // Row j of B⁻¹, its entries in the inverse's own order of slots (toPositions).
    const double* row(int j) const { return inverse_.get() + static_cast<std::ptrdiff_t>(j) * n_; }
    // A vector over the slots in that order, and back.
    void toPositions(const double* bySlot, double* byPosition) const;
    void toSlots(const double* byPosition, double* bySlot) const;
    // Row j of B⁻¹ times a vector over the slots, summed in slot order: where the slots sit in
    // the matrix depends on the order of the exchanges, and the vertex should not (on badly
    // scaled programmes a rounding changed there takes the rounds on another path). work is
    // space for n entries.
    double rowDot(int j, const double* bySlot, double* work) const;
    // Exchanges since the last rebuild.
    int updates() const { return updates_; }

private:
    double* row(int j) { return inverse_.get() + static_cast<std::ptrdiff_t>(j) * n_; }
    const double* matrixRow(int i) const { return p_.matrix.data() + static_cast<std::ptrdiff_t>(i) * n_; }
    void settleParallelColumns(int k, double* alpha) const;
    int planColumnPart();

    // The first column after column j in its class that is inactive, or -1.
    int inactiveParallelOf(int j) const;
    // Whether slot s is pinned (see above) as the constraints stand.
    bool pinned(int s) const;
    // Every slot in its place: those that can change first, in slot order, then the pinned ones.
    void arrangePositions();
    // Moves slot s into the prefix that the updates cover, or out of it, by swapping it with the
    // slot at the prefix's edge (a column swap of the matrix).
    void unpin(int s);
    void pin(int s);
    void swapPositions(int a, int b);
    // f(slot) for every active column parallel to column j, j itself included (none for a row).
    template <class F>
    void forActiveParallel(int j, F f) const;

    // How rebuild gets an active column's part of the inverse (see planColumnPart).
    enum class PartKind : unsigned char { Computed, Copy, Unit, Zero };
    struct ColumnPart {
        PartKind kind;
        int source;    // Computed, Copy: its place among the computed; Unit: the free column's place
        double factor; // times that
    };

    // Rows of the inverse per chunk of an update shared with a spare core.
    static constexpr int kRowsPerChunk = 32;

    const DenseProgramme& p_;
    SpareCore* spare_ = spareCore();
    const int n_;
    const std::vector<int>& item_;
    const std::vector<int>& slotOf_;
    const ParallelColumns& parallel_;
    // n×n row-major; inverse_[j][positionOf_[s]]: column j of x, slot s. An active column's row
    // is the unit vector of its slot, exactly: rebuild makes it so and replace keeps it. The three n×n
    // buffers are written in full by rebuild before anything reads them; a short run on a
    // programme of many columns would otherwise spend more time zeroing them than pivoting.
    std::unique_ptr<double[]> inverse_, block_, movedColumns_;
    std::vector<ColumnPart> partOf_; // per column slot, in the order of columnSlots_
    std::vector<int> freeIndexOf_, computedAs_; // per column: its place among the free / computed
    std::vector<double> columnPart_, ratio_, gathered_;
    std::vector<int> swaps_, rowSlots_, columnSlots_, freeColumns_;
    // positionOf_[s]: where slot s's entries sit in every row; slotAt_ the other way round. The
    // first live_ positions hold every slot that is not pinned (and may hold pinned ones).
    std::vector<int> positionOf_, slotAt_;
    int live_ = 0;
    int updates_ = 0;
};

} // namespace vemra::module::dense

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

ActiveInverse::ActiveInverse(const DenseProgramme& programme, const ParallelColumns& parallel,
                             const std::vector<int>& item, const std::vector<int>& slotOf)
    : p_(programme), n_(programme.columns), item_(item), slotOf_(slotOf), parallel_(parallel),
      inverse_(std::make_unique_for_overwrite<double[]>(n_ * n_)),
      block_(std::make_unique_for_overwrite<double[]>(n_ * n_)),
      movedColumns_(std::make_unique_for_overwrite<double[]>(n_ * n_)), partOf_(n_), freeIndexOf_(n_),
      computedAs_(n_), columnPart_(n_), ratio_(n_), gathered_(n_), swaps_(n_), positionOf_(n_), slotAt_(n_)
{
    for (auto* list : {&rowSlots_, &columnSlots_, &freeColumns_})
        list->reserve(n_);
}

// Active columns give B rows of the identity, so only the k active rows against the k inactive
// columns (a block M) need inverting. With the active columns' values moved to the right-hand
// side, x_F = M⁻¹ (b_R − A_{R,C} b_C): an inactive column's row of B⁻¹ holds its row of M⁻¹ on
// the row slots and −(M⁻¹ A_{R,C}) on the column slots; an active column's row is the unit
// vector of its slot. That is k³ + k²(n − k) work, at most n³ — less where active columns
// repeat others (see columnPartPlan).
bool ActiveInverse::rebuild()
{
    rowSlots_.clear();
    columnSlots_.clear();
    freeColumns_.clear();
    for (int s = 0; s < n_; ++s)
        (item_[s] >= n_ ? rowSlots_ : columnSlots_).push_back(s);
    for (int j = 0; j < n_; ++j)
        if (slotOf_[j] < 0)
            freeColumns_.push_back(j);
    const int k = static_cast<int>(rowSlots_.size()), c = n_ - k;
    const int computed = planColumnPart();
    arrangePositions();
    for (int a = 0; a < k; ++a) {
        const double* row = matrixRow(item_[rowSlots_[a]] - n_);
        for (int b = 0; b < k; ++b)
            block_[a * k + b] = row[freeColumns_[b]];
        for (int e = 0, u = 0; e < c; ++e)
            if (partOf_[e].kind == PartKind::Computed)
                movedColumns_[a * computed + u++] = -row[item_[columnSlots_[e]]];
    }
    if (!invertInPlace(block_.get(), k, swaps_.data()))
        return false;
    std::fill_n(inverse_.get(), n_ * n_, 0.0);
    for (int slot : columnSlots_)
        row(item_[slot])[positionOf_[slot]] = 1.0;
    for (int b = 0; b < k; ++b) {
        double* target = row(freeColumns_[b]);
        std::fill_n(columnPart_.begin(), computed, 0.0);
        for (int a = 0; a < k; ++a) {
            target[positionOf_[rowSlots_[a]]] = block_[b * k + a];
            addScaled(columnPart_.data(), block_[b * k + a], movedColumns_.get() + a * computed, computed);
        }
        for (int e = 0; e < c; ++e) {
            const ColumnPart& part = partOf_[e];
            double value = 0.0;
            if (part.kind == PartKind::Computed || part.kind == PartKind::Copy)
                value = part.factor * columnPart_[part.source];
            else if (part.kind == PartKind::Unit && part.source == b)
                value = part.factor;
            target[positionOf_[columnSlots_[e]]] = value;
        }
    }
    updates_ = 0;
    return true;
}

// An active column that repeats an inactive one (the other half of a split coefficient whose
// half in use is off its bound) has M⁻¹ A_{R,e} = ±(a unit vector), exactly; one that repeats an
// active column already computed is that column's part times ±1; a column without entries has
// none. Only the rest are multiplied out. Returns how many that is.
int ActiveInverse::planColumnPart()
{
    const int c = static_cast<int>(columnSlots_.size());
    std::fill(freeIndexOf_.begin(), freeIndexOf_.end(), -1);
    std::fill(computedAs_.begin(), computedAs_.end(), -1);
    for (int b = 0; b < static_cast<int>(freeColumns_.size()); ++b)
        freeIndexOf_[freeColumns_[b]] = b;
    int computed = 0;
    for (int e = 0; e < c; ++e) {
        const int j = item_[columnSlots_[e]];
        ColumnPart& part = partOf_[e];
        part = {PartKind::Zero, 0, 0.0};
        if (parallel_.sign[j] == 0)
            continue;
        for (int other = parallel_.next[j]; other != j && part.kind == PartKind::Zero; other = parallel_.next[other]) {
            const double relative = parallel_.sign[j] * parallel_.sign[other];
            if (freeIndexOf_[other] >= 0)
                part = {PartKind::Unit, freeIndexOf_[other], -relative};
            else if (computedAs_[other] >= 0)
                part = {PartKind::Copy, computedAs_[other], relative};
        }
        if (part.kind == PartKind::Zero) {
            part = {PartKind::Computed, computed, 1.0};
            computedAs_[j] = computed++;
        }
    }
    return computed;
}

void ActiveInverse::adopt(CarriedInverse& carried)
{
    std::swap(inverse_, carried.matrix);
    positionOf_ = carried.positions;
    for (int s = 0; s < n_; ++s)
        slotAt_[positionOf_[s]] = s;
    live_ = carried.live;
    updates_ = carried.updates;
    carried.clear();
}

// The run is over: its inverse goes as it is, without a copy.
void ActiveInverse::handOver(CarriedInverse& carried)
{
    carried.items = item_;
    carried.matrix = std::move(inverse_);
    carried.positions = positionOf_;
    carried.live = live_;
    carried.updates = updates_;
}

template <class F>
void ActiveInverse::forActiveParallel(int j, F f) const
{
    if (j >= n_ || parallel_.sign[j] == 0)
        return;
    int other = j;
    do {
        if (slotOf_[other] >= 0)
            f(slotOf_[other]);
        other = parallel_.next[other];
    } while (other != j);
}

int ActiveInverse::inactiveParallelOf(int j) const
{
    for (int other = parallel_.next[j]; other != j; other = parallel_.next[other])
        if (slotOf_[other] < 0)
            return other;
    return -1;
}

bool ActiveInverse::pinned(int s) const { return item_[s] < n_ && inactiveParallelOf(item_[s]) >= 0; }

void ActiveInverse::arrangePositions()
{
    live_ = 0;
    for (int s = 0; s < n_; ++s)
        if (!pinned(s))
            slotAt_[live_++] = s;
    for (int s = 0, p = live_; s < n_; ++s)
        if (pinned(s))
            slotAt_[p++] = s;
    for (int p = 0; p < n_; ++p)
        positionOf_[slotAt_[p]] = p;
}

void ActiveInverse::swapPositions(int a, int b)
{
    if (a == b)
        return;
    for (int j = 0; j < n_; ++j)
        std::swap(row(j)[a], row(j)[b]);
    std::swap(slotAt_[a], slotAt_[b]);
    positionOf_[slotAt_[a]] = a;
    positionOf_[slotAt_[b]] = b;
}

void ActiveInverse::unpin(int s)
{
    if (positionOf_[s] >= live_)
        swapPositions(positionOf_[s], live_++);
}

void ActiveInverse::pin(int s)
{
    if (positionOf_[s] < live_)
        swapPositions(positionOf_[s], --live_);
}

void ActiveInverse::toPositions(const double* bySlot, double* byPosition) const
{
    for (int p = 0; p < n_; ++p)
        byPosition[p] = bySlot[slotAt_[p]];
}

void ActiveInverse::toSlots(const double* byPosition, double* bySlot) const
{
    for (int p = 0; p < n_; ++p)
        bySlot[slotAt_[p]] = byPosition[p];
}

double ActiveInverse::rowDot(int j, const double* bySlot, double* work) const
{
    const double* entries = row(j);
    for (int s = 0; s < n_; ++s)
        work[s] = entries[positionOf_[s]];
    return dot(work, bySlot, n_);
}

// B⁻¹ ← B⁻¹ − d_q (α − e_q)ᵀ / α_q, where d_q is column q of B⁻¹. Column q becomes d_q / α_q;
// the ratio for slot q is chosen so that one pass does both.
// Only the slots in the prefix change: a pinned slot's entry of alpha is zero. The entering
// column's parallels stop being pinned now (their entries are not zero), and the leaving column's
// active parallels are pinned from now on.
void ActiveInverse::replace(int q, int left, const double* alpha, const double* direction)
{
    const int entering = item_[q];
    unpin(q);
    forActiveParallel(entering, [this](int s) { unpin(s); });
    const double pivotValue = alpha[q];
    for (int p = 0; p < live_; ++p)
        ratio_[p] = alpha[slotAt_[p]] / pivotValue;
    ratio_[positionOf_[q]] = 1.0 - 1.0 / pivotValue;
    auto update = [&](int begin, int end) {
        for (int j = begin; j < end; ++j)
            if (direction[j] != 0.0)
                addScaled(row(j), -direction[j], ratio_.data(), live_);
    };
    SpareCore::loop(spare_, n_, kRowsPerChunk, live_, update);
    if (entering < n_) {
        std::fill_n(row(entering), n_, 0.0);
        row(entering)[positionOf_[q]] = 1.0; // what the update gives, less its rounding
    }
    forActiveParallel(left, [this](int s) {
        if (pinned(s))
            pin(s);
    });
    ++updates_;
}

// An active column's row of B⁻¹ is the unit vector of its slot and adds one entry.
// A row's representation is summed over the prefix only, each entry in the order of the columns
// as over the whole row: the pinned slots' entries are settled below. A column's parallels are no
// longer pinned should it enter, so they join the prefix now.
void ActiveInverse::represent(int k, double* alpha)
{
    if (k < n_) {
        forActiveParallel(k, [this](int s) { unpin(s); });
        toSlots(row(k), alpha);
    } else {
        std::fill_n(gathered_.begin(), live_, 0.0);
        const double* normal = matrixRow(k - n_);
        for (int j = 0; j < n_; ++j) {
            if (normal[j] == 0.0)
                continue;
            if (slotOf_[j] < 0)
                addScaled(gathered_.data(), normal[j], row(j), live_);
            else if (const int at = positionOf_[slotOf_[j]]; at < live_)
                gathered_[at] += normal[j];
        }
        std::fill_n(alpha, n_, 0.0); // the pinned slots' entries are settled below
        for (int p = 0; p < live_; ++p)
            alpha[slotAt_[p]] = gathered_[p];
    }
    settleParallelColumns(k, alpha);
}

// Where column j is at a bound and a column parallel to it (column j' = ρ column j) is not,
// the exact entry of α at j's slot is v_k[j] − ρ v_k[j']: zero for a row, since Bᵀα = v_k at j
// and j' says it twice. Computed through B⁻¹ it is the difference of two large numbers, whose
// rounding the ratio test could take for a pivot; letting j leave would make B singular.
void ActiveInverse::settleParallelColumns(int k, double* alpha) const
{
    for (int s = 0; s < n_; ++s) {
        const int j = item_[s];
        if (j >= n_)
            continue;
        if (const int other = inactiveParallelOf(j); other >= 0)
            alpha[s] = k == other ? -parallel_.sign[j] * parallel_.sign[other] : 0.0; // k is not j: j is active
    }
}

// α ← α − B⁻ᵀ (Bᵀα − v_k).
void ActiveInverse::refine(int k, double* alpha, double* residual)
{
    std::fill_n(residual, n_, 0.0);
    if (k < n_)
        residual[k] = -1.0;
    else
        addScaled(residual, -1.0, matrixRow(k - n_), n_);
    for (int s = 0; s < n_; ++s) {
        if (item_[s] < n_)
            residual[item_[s]] += alpha[s];
        else
            addScaled(residual, alpha[s], matrixRow(item_[s] - n_), n_);
    }
    toPositions(alpha, gathered_.data());
    for (int j = 0; j < n_; ++j)
        if (residual[j] != 0.0)
            addScaled(gathered_.data(), -residual[j], row(j), n_);
    toSlots(gathered_.data(), alpha);
}

// Active columns' rows are unit vectors: their entries come without a product.
void ActiveInverse::column(int q, double* direction) const
{
    const int at = positionOf_[q];
    for (int j = 0; j < n_; ++j) {
        const int s = slotOf_[j];
        direction[j] = s >= 0 ? (s == q ? 1.0 : 0.0) : row(j)[at];
    }
}

// alpha is zero on the pinned slots (represent), so B⁻¹ alpha needs the prefix alone.
void ActiveInverse::directions(int q, const double* alpha, double* direction, double* back)
{
    const int at = positionOf_[q];
    for (int p = 0; p < live_; ++p)
        gathered_[p] = alpha[slotAt_[p]];
    auto rows = [&](int begin, int end) {
        for (int j = begin; j < end; ++j) {
            if (const int s = slotOf_[j]; s >= 0) {
                direction[j] = s == q ? 1.0 : 0.0;
                back[j] = alpha[s];
            } else {
                direction[j] = row(j)[at];
                back[j] = dot(row(j), gathered_.data(), live_);
            }
        }
    };
    SpareCore::loop(spare_, n_, kRowsPerChunk, live_, rows);
}

} // namespace vemra::module::dense

// Products of every row of a dense programme with two vectors at once, the pass over the rows
// that each step of the dense simplex makes (dense_simplex.cpp). Two kinds of repetition make
// the pass shorter without losing an entry:
// - Columns that repeat one another or one another's negatives (a coefficient split into its
//   positive and negative halves) have the same numbers in every row, so each row is kept once
//   per class of such columns and the vectors are summed over each class first:
//   a·v = Σ_classes u·(Σ ±v_j). With every coefficient split that halves the pass.
// - Two neighbouring rows that differ in one entry only (the lower and the upper bound of a
//   curve at one angle, each moving with λ at its own rate) share the product of the rest:
//   a·v = body·v + a_g v_g. Where most bounds move with λ, that halves the pass once more.
#pragma once

#include "module/dense_inverse.h"
#include "module/parallel_columns.h"
#include "module/spare_core.h"

#include <span>
#include <vector>

namespace vemra::module::dense {

class RowProducts {
public:
    RowProducts(const DenseProgramme& programme, const ParallelColumns& parallel);

    // alongB[i] = a_i·b and alongC[i] = a_i·c for every row i.
    void compute(const double* b, const double* c, double* alongB, double* alongC);
    // alongB[i] = a_i·b alone.
    void compute(const double* b, double* alongB);
    // alongC[i] = a_i·c for the rows listed, each to the last bit what the pass over every row
    // gives it as its second product.
    void computeSecond(const double* c, std::span<const int> rows, double* alongC);

    // Whether a_i·b is zero in every row, to the last bit, because b moves only two columns of
    // one class, by amounts that cancel (one half of a split coefficient taking over from the
    // other): their entries are each other's negatives, and so are their products.
    bool cancelsInEveryRow(const double* b) const;

private:
    // One row, or two neighbouring ones that differ at one place only: their common body is
    // stored once (with a zero there), their own entries at that place apart.
    struct Unit {
        int row;
        int place = -1; // -1: a single row
        double first = 0.0, second = 0.0;
    };

    // The classes of parallel columns; whether merging them pays (kept in classOf_ and signOf_).
    bool findClasses(const ParallelColumns& parallel, std::vector<int>& firstOfClass);
    // Row i as the pass sees it: merged over the classes or the programme's own, width_ entries.
    void readRow(int i, const std::vector<int>& firstOfClass, double* target) const;
    // The vector summed over each class, or the programme's own where nothing is merged.
    const double* classSums(const double* b, std::vector<double>& summed) const;
    // The products of the units' bodies, spread to their rows.
    void spread(const Unit& unit, double body, const double* v, double* along) const
    {
        if (unit.place < 0) {
            along[unit.row] = body;
        } else {
            along[unit.row] = body + unit.first * v[unit.place];
            along[unit.row + 1] = body + unit.second * v[unit.place];
        }
    }

    // Units per chunk of a pass shared with a spare core: even, so that the kernels pair the
    // same units as one thread alone does.
    static constexpr int kUnitsPerChunk = 32;

    const DenseProgramme& p_;
    SpareCore* spare_ = spareCore();
    int width_ = 0;              // entries per stored body: classes, or the programme's columns
    bool merged_ = false;        // whether the columns are merged into classes
    std::vector<int> classOf_;   // per column, -1 for a column without entries
    std::vector<double> signOf_; // per column, its entries over its class's
    std::vector<Unit> units_;
    std::vector<int> unitOf_;    // per row
    std::vector<double> bodies_; // units × width_, row-major
    std::vector<double> summedB_, summedC_, bodyB_, bodyC_;
};

} // namespace vemra::module::dense

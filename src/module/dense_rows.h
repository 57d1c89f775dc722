// Products of every row of a dense programme with two vectors at once, the pass over the rows
// that each step of the dense simplex makes (dense_simplex.cpp). Where columns repeat one
// another or one another's negatives — a coefficient split into its positive and negative
// halves — their entries are the same numbers in every row, so each row is kept once per class
// of such columns and the vectors are summed over each class first: a·v = Σ_classes u·(Σ ±v_j).
// With every coefficient split that halves the pass, and the sums lose nothing: the merged
// entries are exactly the row's own.
#pragma once

#include "module/dense_inverse.h"
#include "module/parallel_columns.h"

#include <vector>

namespace vemra::module::dense {

class RowProducts {
public:
    RowProducts(const DenseProgramme& programme, const ParallelColumns& parallel);

    // alongB[i] = a_i·b and alongC[i] = a_i·c for every row i.
    void compute(const double* b, const double* c, double* alongB, double* alongC);
    // alongB[i] = a_i·b alone.
    void compute(const double* b, double* alongB);

private:
    // The vector summed over each class, and the rows to multiply it with; the programme's own
    // where nothing is merged.
    const double* classSums(const double* b, std::vector<double>& summed) const;
    const double* rows() const { return merged_.empty() ? p_.matrix.data() : merged_.data(); }
    int width() const { return merged_.empty() ? p_.columns : classes_; }

    const DenseProgramme& p_;
    // Empty when merging would save too little to pay for the copy: the programme's own rows
    // are used then.
    std::vector<double> merged_; // rows × classes_, row-major
    std::vector<int> classOf_; // per column, -1 for a column without entries
    std::vector<double> signOf_; // per column, its entries over its class's
    int classes_ = 0;
    std::vector<double> summedB_, summedC_;
};

} // namespace vemra::module::dense

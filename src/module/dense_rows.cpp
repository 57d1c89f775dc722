#include "module/dense_rows.h"

#include <algorithm>
#include <cstddef>

namespace vemra::module::dense {
namespace {

// Merging costs one copy of the matrix per run, about one pass over the rows; below this share
// of columns saved the steps of a short run would not earn it back.
constexpr double kLeastShareSaved = 0.25;

} // namespace

RowProducts::RowProducts(const DenseProgramme& programme, const ParallelColumns& parallel) : p_(programme)
{
    const int n = programme.columns, m = programme.rows;
    classOf_.assign(static_cast<std::size_t>(n), -1);
    signOf_.assign(static_cast<std::size_t>(n), 0.0);
    std::vector<int> firstOfClass;
    for (int j = 0; j < n; ++j) {
        if (parallel.sign[j] == 0 || classOf_[j] >= 0)
            continue;
        firstOfClass.push_back(j);
        for (int member = j;;) {
            classOf_[member] = classes_;
            signOf_[member] = parallel.sign[member] * parallel.sign[j];
            member = parallel.next[member];
            if (member == j)
                break;
        }
        ++classes_;
    }
    if (classes_ > (1.0 - kLeastShareSaved) * n)
        return;
    merged_.resize(static_cast<std::size_t>(m) * classes_);
    for (int i = 0; i < m; ++i) {
        const double* row = programme.matrix.data() + static_cast<std::ptrdiff_t>(i) * n;
        double* target = merged_.data() + static_cast<std::ptrdiff_t>(i) * classes_;
        for (int g = 0; g < classes_; ++g)
            target[g] = row[firstOfClass[g]];
    }
    summedB_.resize(static_cast<std::size_t>(classes_));
    summedC_.resize(static_cast<std::size_t>(classes_));
}

const double* RowProducts::classSums(const double* b, std::vector<double>& summed) const
{
    if (merged_.empty())
        return b;
    std::fill(summed.begin(), summed.end(), 0.0);
    for (int j = 0; j < p_.columns; ++j)
        if (const int g = classOf_[j]; g >= 0)
            summed[g] += signOf_[j] * b[j];
    return summed.data();
}

void RowProducts::compute(const double* b, const double* c, double* alongB, double* alongC)
{
    const int m = p_.rows, w = width();
    b = classSums(b, summedB_);
    c = classSums(c, summedC_);
    const auto row = [&](int i) { return rows() + static_cast<std::ptrdiff_t>(i) * w; };
    int i = 0;
    for (; i + 2 <= m; i += 2)
        dotTwiceTwoRows(row(i), row(i + 1), b, c, w, alongB + i, alongC + i);
    if (i < m)
        dotTwice(row(i), b, c, w, alongB[i], alongC[i]);
}

void RowProducts::compute(const double* b, double* alongB)
{
    const int m = p_.rows, w = width();
    b = classSums(b, summedB_);
    const auto row = [&](int i) { return rows() + static_cast<std::ptrdiff_t>(i) * w; };
    int i = 0;
    for (; i + 2 <= m; i += 2)
        dotTwoRows(row(i), row(i + 1), b, w, alongB + i);
    if (i < m)
        alongB[i] = dot(row(i), b, w);
}

} // namespace vemra::module::dense

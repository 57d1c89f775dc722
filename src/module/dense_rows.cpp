#include "module/dense_rows.h"

#include <algorithm>
#include <cstddef>

namespace vemra::module::dense {
namespace {

// Merging costs one copy of the matrix per run, about one pass over the rows; below this share
// of columns saved the steps of a short run would not earn it back.
constexpr double kLeastShareSaved = 0.25;

// The one place where rows a and b (width entries each) differ, -1 where they are the same
// or differ at more than one.
int onlyDifference(const double* a, const double* b, int width)
{
    int place = -1;
    for (int g = 0; g < width; ++g) {
        if (a[g] == b[g])
            continue;
        if (place >= 0)
            return -1;
        place = g;
    }
    return place;
}

} // namespace

RowProducts::RowProducts(const DenseProgramme& programme, const ParallelColumns& parallel) : p_(programme)
{
    std::vector<int> firstOfClass;
    merged_ = findClasses(parallel, firstOfClass);
    width_ = merged_ ? static_cast<int>(firstOfClass.size()) : programme.columns;
    // The copy is made anyway: each unit's body once, in the order of the rows. Each row is read
    // once, into the slot after the current unit's: the next unit's body where it pairs with
    // nothing, overwritten where it does.
    const auto w = static_cast<std::size_t>(width_);
    bodies_.resize(static_cast<std::size_t>(programme.rows) * w);
    units_.reserve(static_cast<std::size_t>(programme.rows));
    unitOf_.resize(static_cast<std::size_t>(programme.rows));
    if (programme.rows > 0)
        readRow(0, firstOfClass, bodies_.data());
    for (int i = 0; i < programme.rows;) {
        double* body = bodies_.data() + units_.size() * w;
        double* next = body + w;
        Unit unit{i};
        if (i + 1 < programme.rows) {
            readRow(i + 1, firstOfClass, next);
            if (const int place = onlyDifference(body, next, width_); place >= 0) {
                unit = {i, place, body[place], next[place]};
                body[place] = 0.0;
                if (i + 2 < programme.rows)
                    readRow(i + 2, firstOfClass, next);
            }
        }
        unitOf_[i] = static_cast<int>(units_.size());
        if (unit.place >= 0)
            unitOf_[i + 1] = unitOf_[i];
        units_.push_back(unit);
        i += unit.place < 0 ? 1 : 2;
    }
    bodies_.resize(units_.size() * w);
    summedB_.resize(w);
    summedC_.resize(w);
    bodyB_.resize(units_.size());
    bodyC_.resize(units_.size());
}

bool RowProducts::findClasses(const ParallelColumns& parallel, std::vector<int>& firstOfClass)
{
    const int n = p_.columns;
    classOf_.assign(static_cast<std::size_t>(n), -1);
    signOf_.assign(static_cast<std::size_t>(n), 0.0);
    for (int j = 0; j < n; ++j) {
        if (parallel.sign[j] == 0 || classOf_[j] >= 0)
            continue;
        const int g = static_cast<int>(firstOfClass.size());
        firstOfClass.push_back(j);
        for (int member = j;;) {
            classOf_[member] = g;
            signOf_[member] = parallel.sign[member] * parallel.sign[j];
            member = parallel.next[member];
            if (member == j)
                break;
        }
    }
    return static_cast<double>(firstOfClass.size()) <= (1.0 - kLeastShareSaved) * n;
}

void RowProducts::readRow(int i, const std::vector<int>& firstOfClass, double* target) const
{
    const double* row = p_.matrix.data() + static_cast<std::ptrdiff_t>(i) * p_.columns;
    if (!merged_) {
        std::copy_n(row, p_.columns, target);
        return;
    }
    for (std::size_t g = 0; g < firstOfClass.size(); ++g)
        target[g] = row[firstOfClass[g]];
}

const double* RowProducts::classSums(const double* b, std::vector<double>& summed) const
{
    if (!merged_)
        return b;
    std::fill(summed.begin(), summed.end(), 0.0);
    for (int j = 0; j < p_.columns; ++j)
        if (const int g = classOf_[j]; g >= 0)
            summed[g] += signOf_[j] * b[j];
    return summed.data();
}

void RowProducts::compute(const double* b, const double* c, double* alongB, double* alongC)
{
    const int w = width_;
    b = classSums(b, summedB_);
    c = classSums(c, summedC_);
    const auto body = [&](int u) { return bodies_.data() + static_cast<std::ptrdiff_t>(u) * w; };
    auto pass = [&](int begin, int end) {
        int u = begin;
        for (; u + 2 <= end; u += 2)
            dotTwiceTwoRows(body(u), body(u + 1), b, c, w, bodyB_.data() + u, bodyC_.data() + u);
        if (u < end)
            dotTwice(body(u), b, c, w, bodyB_[u], bodyC_[u]);
        for (u = begin; u < end; ++u) {
            spread(units_[u], bodyB_[u], b, alongB);
            spread(units_[u], bodyC_[u], c, alongC);
        }
    };
    SpareCore::loop(spare_, static_cast<int>(units_.size()), kUnitsPerChunk, 2 * w, pass);
}

void RowProducts::compute(const double* b, double* alongB)
{
    const int units = static_cast<int>(units_.size()), w = width_;
    b = classSums(b, summedB_);
    const auto body = [&](int u) { return bodies_.data() + static_cast<std::ptrdiff_t>(u) * w; };
    int u = 0;
    for (; u + 2 <= units; u += 2)
        dotTwoRows(body(u), body(u + 1), b, w, bodyB_.data() + u);
    if (u < units)
        bodyB_[u] = dot(body(u), b, w);
    for (u = 0; u < units; ++u)
        spread(units_[u], bodyB_[u], b, alongB);
}

void RowProducts::computeSecond(const double* c, std::span<const int> rows, double* alongC)
{
    const auto w = static_cast<std::ptrdiff_t>(width_);
    c = classSums(c, summedC_);
    for (int i : rows) {
        const Unit& unit = units_[static_cast<std::size_t>(unitOf_[i])];
        const double body = dotInPairs(bodies_.data() + unitOf_[i] * w, c, width_);
        alongC[i] = unit.place < 0 ? body : body + (i == unit.row ? unit.first : unit.second) * c[unit.place];
    }
}

bool RowProducts::cancelsInEveryRow(const double* b) const
{
    int first = -1, second = -1;
    for (int j = 0; j < p_.columns; ++j) {
        if (b[j] == 0.0)
            continue;
        if (second >= 0)
            return false;
        (first < 0 ? first : second) = j;
    }
    return second >= 0 && classOf_[first] >= 0 && classOf_[first] == classOf_[second]
           && signOf_[first] * b[first] == -(signOf_[second] * b[second]);
}

} // namespace vemra::module::dense

// Coefficient vectors for tests, written as lists.
#pragma once

#include "model/tvector.h"

#include <initializer_list>

namespace vemra::test {

inline void fill(TVector& v, std::initializer_list<double> values)
{
    v.ReSize(static_cast<int32_t>(values.size()));
    int32_t i = 0;
    for (double x : values)
        v[i++] = x;
}

} // namespace vemra::test

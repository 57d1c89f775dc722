#include "tvector.h"

#include <algorithm>
#include <new>

namespace vemra {

namespace {
std::unique_ptr<double[]> allocate(int32_t count)
{
    const int32_t room = std::max<int32_t>(count, 1);
    return std::unique_ptr<double[]>(new (std::nothrow) double[static_cast<size_t>(room)]());
}
} // namespace

TVector::TVector(int32_t count) : data_(allocate(count))
{
    count_ = data_ ? count : -1;
}

void TVector::ReSize(int32_t count)
{
    auto block = allocate(count);
    if (!block)
        return;
    const int32_t keep = std::min(std::max(count_, 0), std::max(count, 0));
    if (data_)
        std::copy(data_.get(), data_.get() + keep, block.get());
    data_ = std::move(block);
    count_ = count;
}

void TVector::assign(const TVector& other)
{
    ReSize(other.Count());
    if (count_ != other.Count())
        return;
    for (int32_t i = 0; i < count_; ++i)
        data_[i] = other[i];
}

} // namespace vemra

// A resizable vector of doubles that never throws: the container of every
// coefficient series. A failed allocation shows up as Count() == -1.
#pragma once

#include <cstdint>
#include <memory>

namespace vemra {

class TVector {
public:
    explicit TVector(int32_t count = 0);
    TVector(const TVector&) = delete;
    TVector& operator=(const TVector&) = delete;

    // Keeps the old contents as far as they fit; new elements are zero.
    // A failed reallocation leaves the vector unchanged.
    void ReSize(int32_t count);

    int32_t Count() const { return count_; }
    // Callers check Count() first; there is no bounds check here, as in
    // every hot evaluation loop.
    double& operator[](int32_t i) { return data_[i]; }
    double operator[](int32_t i) const { return data_[i]; }
    const double* data() const { return data_.get(); }

    // Copies count and contents of other (used by the copy operations).
    void assign(const TVector& other);

private:
    int32_t count_ = 0;
    std::unique_ptr<double[]> data_;
};

} // namespace vemra

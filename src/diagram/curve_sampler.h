// Fast evaluation of one curve of a motion (s or q of a given derivative
// order, or the drive torque term) for drawing, where a curve is sampled at
// every device pixel. The exact evaluation of the model stays in use for
// tables, the report and the extremes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vemra {

class TPaintObj;

class CurveSampler {
public:
    enum class Curve { S, Q, M };

    CurveSampler(const TPaintObj& motion, Curve curve, uint8_t order);

    // The curve at phi degrees. Two trigonometric calls per angle; the
    // harmonics follow by angle addition in double precision, which stays
    // within a few units of the last place for any harmonic count a motion
    // has, far below a device pixel.
    double operator()(double phi) const;

    // The curve at first + i * step for i = 0..count-1 into values. The
    // angle itself is turned on by angle addition as well and taken afresh
    // from the library every few samples, which keeps the drift of the
    // angle far below the evaluation's own rounding.
    void sweep(double first, double step, size_t count, double* values) const;

private:
    // The series from sin x and cos x.
    double evaluate(double s1, double c1) const;

    double constant_ = 0;
    // Factors of sin kx and cos kx for k = 1..K, interleaved.
    std::vector<double> factors_;
};

} // namespace vemra

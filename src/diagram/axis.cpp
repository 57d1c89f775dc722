#include "axis.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vemra {

namespace {

// Beyond this an integer count no longer has a double of its own, so there
// is no finer multiple to find than the value itself.
constexpr double kExactCount = 4503599627370496.0; // 2^52

// Ranges beyond this lose their width in the subtraction; nothing we draw
// gets near it.
constexpr double kLargestValue = 1e300;

double clampFinite(double v)
{
    if (std::isnan(v))
        return 0.0;
    return std::clamp(v, -kLargestValue, kLargestValue);
}

} // namespace

double multipleAtOrAbove(double value, double step)
{
    if (!(step > 0) || !std::isfinite(value) || !std::isfinite(step))
        return value;
    double i = std::ceil(value / step);
    if (!(std::fabs(i) < kExactCount))
        return value;
    // The quotient is off by at most a unit in its last place, so the count
    // is off by at most one; the loops settle it as counting would have.
    for (int guard = 0; guard < 4 && i * step < value; ++guard)
        i += 1;
    for (int guard = 0; guard < 4 && (i - 1) * step >= value; ++guard)
        i -= 1;
    return i * step;
}

double multipleAtOrBelow(double value, double step)
{
    if (!(step > 0) || !std::isfinite(value) || !std::isfinite(step))
        return value;
    double i = std::floor(value / step);
    if (!(std::fabs(i) < kExactCount))
        return value;
    for (int guard = 0; guard < 4 && i * step > value; ++guard)
        i -= 1;
    for (int guard = 0; guard < 4 && (i + 1) * step <= value; ++guard)
        i += 1;
    return i * step;
}

void TAxis::SetMinMax(int divisions, double a, double b)
{
    // A range that is not a range (no values, or values beyond any
    // display) still gets a picture instead of a hang.
    a = clampFinite(a);
    b = clampFinite(b);
    if (a + 1e-20 > b)
        b = a + 1e-20;
    if (!(b > a)) // the minimal width vanished next to a large a
        b = std::nextafter(a, std::numeric_limits<double>::infinity());
    RawMin = a;
    RawMax = b;
    if (WithZero) {
        if (a > 0)
            a = 0;
        else if (b < 0)
            b = 0;
    }

    double d = (b - a) / std::max(divisions, 1);
    int e = 0;
    while (d > 10) {
        d *= 0.1;
        ++e;
    }
    while (d <= 1) {
        d *= 10;
        --e;
    }

    if (AngleAxis && b - a >= 120) {
        if (d > 4.5) {
            MajorStep = 9;
            MinorStep = 1;
        } else if (d > 3) {
            MajorStep = 4.5;
            MinorStep = 0.5;
        } else if (d > 1.8) {
            MajorStep = 3;
            MinorStep = 0.5;
        } else {
            MajorStep = 1.8;
            MinorStep = 0.2;
        }
    } else if (d > 5) {
        MajorStep = 10;
        MinorStep = 2;
    } else if (d > 2.5) {
        MajorStep = 5;
        MinorStep = 1;
    } else if (d > 2) {
        MajorStep = 2.5;
        MinorStep = 0.5;
    } else {
        MajorStep = 2;
        MinorStep = 0.2;
    }
    for (; e > 0; --e) {
        MajorStep *= 10;
        MinorStep *= 10;
    }
    for (; e < 0; ++e) {
        MajorStep *= 0.1;
        MinorStep *= 0.1;
    }

    const int mode = (b - a) / MajorStep < 2 ? 2 : EndsMode;
    if (mode == 1) {
        Max = multipleAtOrAbove(b, MinorStep);
        Min = multipleAtOrBelow(a, MinorStep);
    } else if (mode == 2) {
        Max = multipleAtOrAbove(b, MajorStep);
        Min = multipleAtOrBelow(a, MajorStep);
    } else {
        Min = a;
        Max = b;
    }
    FirstMinor = multipleAtOrAbove(Min, MinorStep);
    FirstMajor = multipleAtOrAbove(Min, MajorStep);
    updateFactor();
}

void TAxis::SetBorder(int32_t pixelStart, int32_t pixelEnd)
{
    PixelStart = pixelStart;
    PixelEnd = pixelEnd;
    updateFactor();
}

void TAxis::updateFactor()
{
    Factor = Max == Min ? 0.0 : (static_cast<double>(PixelEnd) - PixelStart) / (Max - Min);
    Offset = PixelStart - Min * Factor;
}

int32_t TAxis::Scale(double value) const
{
    const double p = std::nearbyint(Factor * value + Offset);
    if (!(p >= std::numeric_limits<int32_t>::min() && p <= std::numeric_limits<int32_t>::max()))
        return 0;
    return static_cast<int32_t>(p);
}

double TAxis::UnScale(int32_t pixel) const
{
    if (Factor == 0 || !std::isfinite(Factor))
        return 0.0;
    const double v = (pixel - Offset) / Factor;
    return std::isfinite(v) ? v : 0.0;
}

} // namespace vemra

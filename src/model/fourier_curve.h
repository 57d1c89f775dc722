// One derivative of a motion's Fourier series, prepared for the many
// evaluations of a search, and the search for its exact extremes.
#pragma once

#include "tvector.h"

#include <array>
#include <vector>

namespace vemra {

// The order-th derivative of the series in a coefficient vector (layout as in
// TPaintObj: pair k at elements 2k, 2k+1). The derivative's coefficients are
// formed once; an evaluation costs one sine and one cosine and turns them on
// harmonic by harmonic. Angles come in degrees, derivatives are by radians,
// as in Calc_s.
//
// The values agree with Calc_s / Calc_q of the same vector and order to
// within noise(); the bounds hold for every angle.
class FourierCurve {
public:
    FourierCurve(const TVector& v, unsigned order);

    // The curve and its first three derivatives at one angle.
    struct Jet {
        double f, d1, d2, d3;
    };

    double value(double phi) const;
    // Value and first derivative.
    void valueSlope(double phi, double& f, double& d1) const;
    Jet jet(double phi) const;

    // Highest harmonic with a coefficient other than zero.
    int harmonics() const { return static_cast<int>(a_.size()); }
    // Upper bound of the j-th derivative's magnitude over all angles, j = 0..6.
    double bound(int j) const { return bound_[j]; }
    // Upper bound of the difference between the value computed here and the
    // one of the product's own evaluation, for the j-th derivative, j = 0..6.
    double noise(int j) const { return noise_[j]; }
    // All coefficients are finite numbers.
    bool finite() const { return finite_; }

private:
    double constant_ = 0.0;
    // Factor of sin kx resp. cos kx at index k - 1.
    std::vector<double> a_, b_;
    std::array<double, 7> bound_{};
    std::array<double, 7> noise_{};
    bool finite_ = true;
};

// Minimum and maximum of a curve over from..to and where they are.
struct CurveExtremes {
    double min, atMin, max, atMax;
};

// The extremes of c over from..to (from < to, both finite), to the precision
// of the evaluation: every turning point inside is bracketed and solved for;
// the interval ends count as well. An interval of a revolution or more is
// searched over 0..360, which holds every value the curve takes.
CurveExtremes findExtremes(const FourierCurve& c, double from, double to);

} // namespace vemra

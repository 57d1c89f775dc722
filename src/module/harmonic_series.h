// Fourier series of the motion law s and the output motion q: the damped elastic transfer,
// derivatives, fast sampling and the local refinement of extrema.
#pragma once

#include <array>
#include <numbers>
#include <vector>

namespace vemra::module {

inline constexpr double kRadPerDeg = std::numbers::pi / 180.0;

// Coefficients of s for one motion: s(x) = b0 + sum_k a_k sin(kx) + b_k cos(kx), k = 1..K
// stored at index k - 1.
struct MotionCoefficients {
    double b0 = 0.0;
    std::vector<double> a;
    std::vector<double> b;

    int harmonics() const { return static_cast<int>(a.size()); }
};

// The elastic transfer s -> q per harmonic: q_sin = F a + G b, q_cos = -G a + F b.
struct HarmonicTransfer {
    double eta = 0.0;
    std::vector<double> f; // index k - 1
    std::vector<double> g;
};

// F and G for k = 1..harmonics; with eta = 0 the output follows s (F = 1, G = 0).
// The caller must rule out undamped resonance, where the transfer is undefined.
HarmonicTransfer makeTransfer(int harmonics, double eta, double theta);

// Factor of A and of B in the d-th derivative of A sin(kx) + B cos(kx) at x,
// given sin(kx) and cos(kx).
struct DerivativeFactors {
    double onA;
    double onB;
};
DerivativeFactors derivativeFactors(int k, int order, double sinKx, double cosKx);

// c0 + sum_k s_k sin(kx) + c_k cos(kx), x in radians.
class TrigSeries {
public:
    TrigSeries() = default;
    TrigSeries(double constant, std::vector<double> sine, std::vector<double> cosine);

    // The d-th derivative of the output motion q of one motion.
    static TrigSeries outputDerivative(const MotionCoefficients& s, const HarmonicTransfer& transfer, int order);

    TrigSeries& operator-=(const TrigSeries& other);

    struct Jet {
        double value;
        double slope;
        double curvature;
    };
    double value(double x) const;
    Jet jet(double x) const;
    int harmonics() const { return static_cast<int>(sine_.size()); }

    // Bound of |second derivative| over all x; tells how far a sampled extremum can be off.
    double curvatureBound() const;
    // Bound of the round-off in value(): below it a bound cannot be told from a violation.
    double roundOffBound() const;

    // Values at from + i * step, i = 0..count-1.
    void sample(double from, double step, int count, std::vector<double>& out) const;
    // The same values for i = first..first+count-1 only, bit for bit, when first is a multiple
    // of kSampleRun (each run of samples starts afresh from sin and cos there).
    static constexpr int kSampleRun = 16;
    void sample(double from, double step, int first, int count, double* out) const;
    // The values at the start of the first `runs` runs: i = 0, kSampleRun, 2 kSampleRun, ...
    void sampleRunStarts(double from, double step, int runs, double* out) const;

private:
    static constexpr int kLanes = 8;
    using Lanes = std::array<double, kLanes>;
    // The series at the angles whose sin and cos are given, lanes of them.
    void sumLanes(const Lanes& sin1, const Lanes& cos1, int lanes, double* out) const;

    double constant_ = 0.0;
    std::vector<double> sine_;
    std::vector<double> cosine_;
};

struct Extremum {
    double x;
    double value;
};

// The maximum (or minimum) of the series on [lo, hi] near the sample at `guess`, found by
// safeguarded Newton steps on the slope. Never worse than the value at `guess`.
Extremum refineExtremum(const TrigSeries& series, double lo, double hi, double guess, bool maximum);

} // namespace vemra::module

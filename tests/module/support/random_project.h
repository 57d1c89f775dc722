// Random projects that are feasible by construction: a random smooth motion law is drawn for
// every motion and each restriction is placed around what that motion law does, so the
// minimum requirements hold for it. Maximum requirements may or may not be reachable.
#pragma once

#include "input_builder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vemra::module::testing {

struct TrueMotion {
    double eta = 0.0;   // the minimum-requirement eta the curves were computed with
    double theta = 0.0;
    double b0 = 0.0;
    std::vector<double> a, b; // index k - 1
};

// Independent of the module's own evaluation: q^(d)(φ) from the transfer written out again.
double outputValue(const TrueMotion& motion, double eta, int order, double phiDeg);
// The curve a restriction bounds: q^(order) of motion a at its own eta, minus that of motion b
// when b >= 0 (indices from 0).
double curve(const std::vector<TrueMotion>& motions, int a, int b, int order, double phiDeg);
// The same in long double, for checks of coefficients that are huge and cancel: in double, the
// rounding of a third derivative's terms at coefficients of 1e8 alone exceeds 1e-7 of a bound.
long double curveExactly(const std::vector<TrueMotion>& motions, int a, int b, int order, double phiDeg);
// sum k^power (|a_k| + |b_k|) over the harmonics.
double spectrumSize(const TrueMotion& motion, int power);

struct RandomProjectConfig {
    std::vector<int> harmonics{3};  // K per motion
    int restrictions = 6;
    int objects = 0;                // optimisation objects to create (members are drawn)
    bool relative = false;          // also relative restrictions (needs two motions)
    bool variableBounds = true;
    bool variableAngles = false;
    bool variableEta = false;       // motion 1 gets a variable eta
    int highestOrder = 2;           // derivative orders of point and interval restrictions: 0..this
    // How far a single variable bound reaches beyond what the truth does. Far-reaching
    // maximum requirements end where only huge, nearly cancelling coefficients meet them.
    double ambition = 1.0;
    bool checkOnly = false;         // add one check-only restriction that the truth breaks
    // Motions of sizes from 1e-2 to 1e3 and point bands a thousandth of the curve's size wide.
    bool badlyScaled = false;
    int samples = 8, steps = 20;    // shift search settings (advanced settings on)
    double width = 0.25;
    std::uint32_t seed = 1;
};

struct RandomProject {
    InputBuilder builder;
    std::vector<TrueMotion> truth;
    std::string text() const { return builder.text(); }
};

RandomProject makeRandomProject(const RandomProjectConfig& config);

} // namespace vemra::module::testing

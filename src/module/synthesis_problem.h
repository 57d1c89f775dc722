// The validated content of one module input file: project settings, motions, restrictions.
#pragma once

#include "module/input_reader.h"

#include <vector>

namespace vemra::module {

struct ProjectSettings {
    int motionCount = 0;   // n
    int objectCount = 0;   // g, optimisation objects 1..g
    int steps = 20;        // S
    int samples = 8;       // P
    double stepWidth = 0.25; // w
};

struct Motion {
    int number = 0;        // 1..n
    int recordNumber = 0;
    int harmonics = 0;     // K
    double eta = 0.0;      // the minimum-requirement eta (RealPar[2])
    bool etaVariable = false;
    double etaLimit = 0.0; // the maximum-requirement eta when variable (RealPar[1])
    double theta = 0.0;
};

enum class RestrictionFamily { Point, Interval, SpectrumSum, SpectrumHarmonic };
enum class BoundMode { None, Fixed, Variable };

struct Restriction {
    int recordNumber = 0;   // position in the file
    RawRecord record;       // echoed unchanged in the result file
    RestrictionFamily family = RestrictionFamily::Point;
    int kind = 0;
    int order = 0;          // derivative order (point, interval) or exponent p (sum kinds)
    int motion = 0;         // |Motion|
    int motion2 = 0;        // second motion of relative kinds, else 0
    int harmonic = 0;       // kind 24
    bool checkOnly = false; // negative Motion: validated and echoed, never enforced
    int group = 0;          // optimisation object of an enforced point/interval restriction, else 0
    BoundMode lower = BoundMode::None;
    BoundMode upper = BoundMode::None; // spectrum kinds: the bound c, Fixed or Variable
    bool phiMinVariable = false;
    bool phiMaxVariable = false;

    double par(int i) const { return record.realPar(i); }
    bool isRelative() const { return motion2 != 0; }
    bool isSpectrum() const
    {
        return family == RestrictionFamily::SpectrumSum || family == RestrictionFamily::SpectrumHarmonic;
    }
};

struct SynthesisProblem {
    ProjectSettings settings;
    std::vector<Motion> motions;            // index = number - 1
    std::vector<Restriction> restrictions;  // in input order
};

} // namespace vemra::module

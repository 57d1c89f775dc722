// Turns raw records into a SynthesisProblem, or reports why the input cannot be computed:
// input errors (-3), a system that is too large (-4) and resonance (-5), checked in that order.
#pragma once

#include "module/input_reader.h"
#include "module/synthesis_problem.h"

#include <string>
#include <vector>

namespace vemra::module {

inline constexpr int kMaxMotions = 10;
inline constexpr int kMaxRestrictions = 500;
inline constexpr double kResonanceTolerance = 1e-9;

struct ValidationResult {
    int code = 0;          // 0 = valid, otherwise the result code
    std::string message;   // names record and field for input errors
    SynthesisProblem problem;
};

ValidationResult validateRecords(const std::vector<RawRecord>& records);

// True when an undamped motion has a harmonic k <= harmonics with k * eta = 1.
bool isResonant(int harmonics, double eta, double theta);

} // namespace vemra::module

// One run of the synthesis from the records of an input file to the result code and the
// values the result files carry.
#pragma once

#include "module/exchange_solver.h"
#include "module/explanation.h"
#include "module/input_reader.h"
#include "module/shift_search.h"
#include "module/solve_stats.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace vemra::module {

struct MotionResult {
    int number = 0;
    double eta = 0.0; // the eta reached
    MotionCoefficients coefficients;
};

// A restriction record as it goes back to the application: its integers unchanged, the reals
// with shifted and reached angles.
struct RestrictionEcho {
    std::array<int, kIntFieldCount> ints{};
    std::array<double, kRealFieldCount> reals{};
};

struct SynthesisResult {
    int code = 0;
    std::string message;       // diagnostic for codes other than 0 and 1
    double lambda = 0.0;       // λ*
    double lambdaUsed = 0.0;
    std::vector<double> shifts;
    std::vector<MotionResult> motions;         // codes 0 and 1 only
    std::vector<RestrictionEcho> restrictions; // codes 0 and 1 only, input order
    std::optional<Explanation> explanation;    // codes 0, 1 and -2
    SolveStats stats;

    static SynthesisResult failed(int code, std::string message)
    {
        SynthesisResult result;
        result.code = code;
        result.message = std::move(message);
        return result;
    }
};

struct SynthesisOptions {
    ProgressSink progress;
    ExchangeSettings exchange;
    // Samples of the shift search, or levels of a bisection, evaluated at once; 0 for one per
    // core. The outcome does not depend on it.
    int threads = 0;
    bool explain = true; // work out why the result is what it is
};

SynthesisResult synthesise(const ReadResult& input, const SynthesisOptions& options = {});
SynthesisResult synthesiseText(std::string_view inputText, const SynthesisOptions& options = {});

} // namespace vemra::module

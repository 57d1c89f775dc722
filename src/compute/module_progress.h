// What the synthesis module's progress lines say: the stage or step of the
// shift search it has reached and the fulfilment found so far. Read
// tolerantly, in German and in the module's earlier English; any other line
// only shows that the module is still at work.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vemra {

struct ProgressLine {
    // 0 for the stage without shift, else the step reached of steps.
    int32_t step = 0;
    int32_t steps = 0;
    // Absent when the line reports no solution so far.
    std::optional<double> fulfilment;
    std::optional<double> smoothness;
};

// "Stufe 0 (ohne Verschiebung): Erfüllungsgrad 0.5342, Glattheit 123.4",
// "Schritt 3 von 20: Erfüllungsgrad 0.5342, Glattheit 120.1" (or "stage 0
// (no shift): fulfilment ..., smoothness ...", "step 3 of 20: ..."); nothing
// for any other line.
std::optional<ProgressLine> parseProgressLine(std::string_view line);

// The progress of one run, line by line.
class ModuleProgress {
public:
    // Takes one line of the module; true when describe() has changed.
    bool take(std::string_view line);
    // "Stufe 0, Erfüllungsgrad 0.5342" or "Schritt 3 von 20, Erfüllungsgrad
    // 0.5342"; empty until the first progress line.
    std::string describe() const;
    const std::optional<ProgressLine>& latest() const { return latest_; }
    // Every line taken, progress or not.
    int64_t lines() const { return lines_; }

private:
    std::optional<ProgressLine> latest_;
    int64_t lines_ = 0;
};

// Running time as a clock shows it: "0:04", "12:31", "1:02:05".
std::string formatElapsed(int64_t seconds);

} // namespace vemra

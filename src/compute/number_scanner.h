// Reads the module's result files as a stream of numbers separated by blanks
// and line ends. Anything that is not a clean number ends the reading with a
// failure instead of a guess: the callers have a fallback for every failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vemra {

class NumberScanner {
public:
    explicit NumberScanner(std::string_view text) : text_(text) {}

    // Only white space is left.
    bool atEnd();
    // A decimal integer that fits 32 bits, with an optional sign.
    std::optional<int32_t> readInt();
    // A finite real in "." notation ("1.5", "-0.25E+03", "7"). NaN, infinity
    // and values beyond the double range are refused: no result may carry
    // them into the derived series.
    std::optional<double> readReal();

private:
    std::string_view token();

    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace vemra

// The value behind a numeric entry field: a number kept in extended precision
// next to the text the user sees, optional limits, parsing that expects a
// decimal point whatever the user's locale, and the short significant-digit
// text the field writes (" .25", " 1.0", " .15E+13").
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vemra {

// value with at most `digits` significant digits as a field writes it: like
// FormatSig, but a number below one starts with "." instead of "0.".
// digits = 0 gives the plain general notation.
std::string formatFieldNumber(int digits, long double value);

// The number in text, blanks around it ignored, read with "." as the decimal
// separator; nothing when text is not a finite number.
std::optional<long double> parseFieldNumber(std::string_view text);

// What a typed character becomes in a field: "e" turns into the exponent
// mark "E" and "," into the decimal point, so that a German keyboard's
// decimal key types what the parser expects.
char32_t fieldCharacter(char32_t typed);

class RealValue {
public:
    // The limits count only while ValueMin < ValueMax; equal limits (the
    // default) accept every value.
    long double ValueMin() const { return min_; }
    long double ValueMax() const { return max_; }
    bool limitsActive() const { return min_ < max_; }
    // A minimum not below the maximum collapses onto it (limits off); a
    // value below a new minimum is raised to it.
    void setValueMin(long double v);
    void setValueMax(long double v);

    // The value as the text last validated or set it.
    long double storedValue() const { return value_; }
    // Reads the text first: the value when it is a number, 0 otherwise.
    long double readValue();
    // Clamps into the limits and writes the value's text.
    void setValue(long double v);

    // Parses the text. A number outside the limits is replaced by the nearer
    // limit and its text rewritten; any other number is taken and the text
    // left as typed. False (value unchanged) when the text is not a number.
    bool Validate();

    const std::string& text() const { return text_; }
    void setText(std::string text) { text_ = std::move(text); }

    // Text length limit of the field, also the digits the field writes.
    int MaxLength = 10;

private:
    long double clamp(long double v) const;

    long double min_ = 0;
    long double max_ = 0;
    long double value_ = 0;
    std::string text_ = "0";
};

} // namespace vemra

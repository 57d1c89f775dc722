// Lines and numbers of the input files of older programs (".rx4", ".rxe",
// ".rxw"). Lines are counted as an editor shows them, so that an error names
// the line the user finds; numbers are read with "." whatever the locale.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vemra {

// The most harmonics a motion definition can carry: its result holds
// 2 (K + 1) coefficients, and that count is a 32-bit number.
inline constexpr int32_t MaxHarmonicCount = std::numeric_limits<int32_t>::max() / 2 - 1;

struct InputLine {
    std::string_view text; // without its line end
    int number = 0;        // 1-based
    bool ended = false;    // a line end follows (the last line of a cut file has none)
};

class InputText {
public:
    // LF, CR LF and a lone CR each end a line. A UTF-8 byte-order mark (a file
    // saved by a newer editor) is dropped and makes the texts UTF-8;
    // otherwise they are Windows-1252.
    explicit InputText(std::string bytes);
    InputText(const InputText&) = delete;
    InputText& operator=(const InputText&) = delete;

    const std::vector<InputLine>& lines() const { return lines_; }
    // A description or short name as the model keeps it: UTF-8, at most 255
    // characters, without leading and trailing blanks.
    std::string toText(std::string_view text) const;

private:
    std::string bytes_;
    bool utf8_ = false;
    std::vector<InputLine> lines_;
};

// A line of numbers that the end of the file cuts off may have lost digits of
// its last number; taking it would import a wrong value without a word.
void requireLineEnd(const InputLine& line);

bool isBlankLine(std::string_view text);

// Numbers out of one line. Every failure is a ReadError with the line's
// number.
class LineScanner {
public:
    // from beyond the end of the line: the line has run out.
    explicit LineScanner(const InputLine& line, std::size_t from = 0)
        : line_(line), pos_(std::min(from, line.text.size()))
    {
    }

    // Tolerant reading: characters that cannot start a number are skipped,
    // then the longest number that the run of number characters begins with
    // is taken, so that glued numbers ("0.5-0.25", "12-100") come apart.
    // Nothing when the line has run out. A run that does not begin with a
    // number ("-", "+-3"), or a value that does not fit (an integer beyond
    // 32 bits, a real beyond the double range), is an error.
    std::optional<int32_t> findInt();
    std::optional<double> findReal();

    // Strict reading of blank-separated numbers: the next token must be a
    // number as a whole (a sign right after a digit or point starts the next
    // one). Nothing when the line has run out.
    std::optional<int32_t> nextInt();
    std::optional<double> nextReal();

    // The next blank-separated number of either kind, or an error naming what
    // was expected when the line has run out.
    int32_t requireInt(const char* what);
    double requireReal(const char* what);

    bool atEnd() const;
    const InputLine& line() const { return line_; }

private:
    std::string_view strictToken();
    [[noreturn]] void fail(const std::string& what) const;

    const InputLine& line_;
    std::size_t pos_;
};

// extension equals lowerCase apart from the case of its letters: files from
// Windows machines often carry upper-case names (".RX4").
bool sameExtension(const std::string& extension, const char* lowerCase);

// The integer that token (a whole blank-separated token) begins with and how
// many characters it takes; 0 characters when it begins with none. Throws
// ReadError (line) when the integer does not fit 32 bits.
std::size_t leadingInt(std::string_view token, int line, int32_t& value);

} // namespace vemra

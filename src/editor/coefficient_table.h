// The coefficient grid of a computed motion: the texts of its cells aligned
// on the decimal point, the headline value of eta, and the full-precision
// lines that "Werte kopieren" and "Werte sichern..." hand on.
#pragma once

#include "model/nodes.h"

#include <array>
#include <string>
#include <vector>

namespace vemra {

enum class CoefficientSource { S, Q, M };
enum class Magnitude { AbsSum, Euclid };

struct CoefficientTable {
    // "k", "s_k", "c_k" and the magnitude's caption.
    std::array<std::string, 4> headers;
    // Rows k = 0..N, then "Sum" with the sum magnitude; column 0 holds k.
    // Number cells share the position of their decimal point.
    std::vector<std::array<std::string, 4>> rows;
    // One line per harmonic row, tab-separated, 15 significant digits.
    std::vector<std::string> lines;
    // FormatSig(8, eta) of the result.
    std::string eta;
};

// The grid of motion's stored result for derivative `order` (ignored for M,
// which has none).
CoefficientTable coefficientTable(const TPaintObj& motion, CoefficientSource source, int order, Magnitude magnitude);

// text with leading blanks that centre it in a column of columnWidth pixels
// when every character is charWidth pixels wide.
std::string centredText(const std::string& text, int columnWidth, int charWidth);

// x with up to 15 significant digits, "." as decimal point, and an exponent
// only for very large or small numbers ("1E-7", "1.5E20").
std::string generalNumber(double x);

// The lines joined by single carriage returns, without a trailing one: the
// clipboard text of the grid.
std::string clipboardText(const std::vector<std::string>& lines);
// The lines of a coefficient table file, each ended by CR LF.
std::string tableFileText(const std::vector<std::string>& lines);

inline constexpr const char* CoefficientSaveTitle = "Forierkoeffizienten sichern";

} // namespace vemra

// The data set of one motion definition as the single-motion files of older
// programs (".rxe", ".rxw") hold it: harmonic count, eta, theta, a
// description and up to 40 restriction lines in their own coding. The
// import's converter turns it into a motion definition with restrictions.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vemra {

struct InputLine;

// One restriction line: the kind code, the bound code B (which bounds an
// interval has; for spectrum kinds the harmonic order), the variability code
// V (hundreds: variable angles or c, tens: variable lower bound, units:
// variable upper bound) and the reals r1..r8 (index 0 unused).
struct TRXRestriction {
    int32_t Kind = 0;
    int32_t B = 0;
    int32_t V = 0;
    std::array<double, 9> r{};
};

struct TRXSet {
    // More restriction lines do not make a valid data set.
    static constexpr int MaxRestrictions = 40;

    int32_t Harmonics = 1;
    // The file's E: 1 = eta is variable between EtaMax and EtaLimit.
    int32_t EtaVariable = 0;
    // The third number of the first line; no program reads it.
    int32_t Unused = 0;
    double EtaMax = 0;
    double EtaLimit = 0;
    double Theta = 0;
    std::string Description;
    // A result table (pairs for k = 0..K) was in the file; it is read but
    // not imported.
    bool HasResult = false;
    std::vector<std::pair<double, double>> Result;
    std::vector<TRXRestriction> Restrictions;
};

// The two motion lines: "K E x", then "EtaMax EtaLimit Theta" when E is 1,
// else "EtaMax Theta". Throws ReadError with the line's number.
void readMotionLine1(const InputLine& line, TRXSet& set);
void readMotionLine2(const InputLine& line, TRXSet& set);

// A line that ends the restriction lines: "ccc" in its first three
// characters.
bool isEndOfRestrictions(const InputLine& line);

// Appends one restriction line: the three codes in columns 1-3, 4-6 and 7-9,
// then eight blank-separated reals. A 41st line, a kind the model does not
// know, a relative kind (these files name one motion only) and a negative
// harmonic order are errors of the line.
void readRestrictionLine(const InputLine& line, TRXSet& set);

} // namespace vemra

// What the two restriction pages show for a restriction: which controls are
// enabled, checked or visible and which value each field shows. The widgets
// only copy these states, so the rules of the pages are tested without them.
#pragma once

#include "model/nodes.h"

#include <string>

namespace vemra {

// A numeric field: a disabled field shows 0.
struct FieldState {
    bool enabled = false;
    double value = 0;
};

struct CheckState {
    bool enabled = false;
    bool checked = false;
};

// The "BG" page (absolute and relative point and interval restrictions).
struct BgPageState {
    int order = 0;
    // "Punkt" checked; "Bereich" is its opposite.
    bool point = true;

    // The angle row, left to right.
    FieldState phiLowerVar;
    FieldState phiLower;
    FieldState phiUpper;
    FieldState phiUpperVar;
    CheckState phiLowerVarCheck; // "untere Schranke variabel" of the angle
    CheckState phiUpperVarCheck; // "obere Schranke variabel" of the angle
    // "≤ φ ≤" between the angles, else "φ =".
    bool rangeLabel = false;

    // "Verschiebung zulassen" and the shift rows.
    bool shift = false;
    bool shiftRow1 = false;
    bool shiftRow2 = false;
    // The "u" index of the first shift row (the lower end of an interval).
    bool shiftLowerIndex = false;
    FieldState shift1, shift2, shift3, shift4;

    // The bound row.
    CheckState withLower; // "mit unterer Schranke"
    CheckState lowerVar;  // "untere Schranke variabel" of the bound
    FieldState lower;
    FieldState lowerVarValue;
    CheckState withUpper; // "mit oberer Schranke"
    CheckState upperVar;  // "obere Schranke variabel" of the bound
    FieldState upper;
    FieldState upperVarValue;
    bool lowerSign = false; // "≤" left of s
    bool upperSign = false; // "≤" right of s
    std::string quantity;   // "s", "s'", "s''", "s'''"
};

BgPageState bgPageState(const TRestr& r);

// The "Harm" page (spectrum restrictions).
struct HarmPageState {
    bool sumForm = true; // else the single-harmonic form
    int p = 0;           // exponent of the sum form
    int k = 1;           // harmonic of the single form
    int kMax = 1;        // K of the motion above
    FieldState c;
    CheckState cVar; // "variabel"
    FieldState cVarValue;
};

// harmonics: K of the motion the restriction belongs to.
HarmPageState harmPageState(const TRestr& r, int32_t harmonics);

} // namespace vemra

#include "restriction_pages.h"

#include "editor_rules.h"

#include <algorithm>

namespace vemra {

namespace {

FieldState shown(double value)
{
    return {true, value};
}

FieldState off()
{
    return {};
}

FieldState shownIf(bool enabled, double value)
{
    return enabled ? shown(value) : off();
}

} // namespace

BgPageState bgPageState(const TRestr& r)
{
    BgPageState s;
    const int32_t kind = r.Kind();
    s.order = ((kind % 10) + 10) % 10;
    s.point = isPointKind(kind);
    s.shift = r.IsGlobal;

    if (s.point) {
        // A point restriction has one angle; it is shown in the upper field.
        s.phiUpper = shown(r.Phi());
        s.rangeLabel = false;
        s.shiftRow1 = r.IsGlobal;
        s.shiftRow2 = false;
        s.shiftLowerIndex = false;
    } else {
        s.phiLowerVarCheck = {true, r.PhiMinVar() != 0};
        s.phiUpperVarCheck = {true, r.PhiMaxVar() != 0};
        s.phiLower = shown(r.PhiMin());
        s.phiLowerVar = shownIf(r.PhiMinVar() != 0, r.PhiMinLimit());
        s.phiUpper = shown(r.PhiMax());
        s.phiUpperVar = shownIf(r.PhiMaxVar() != 0, r.PhiMaxLimit());
        s.rangeLabel = true;
        s.shiftRow1 = s.shiftRow2 = r.IsGlobal;
        s.shiftLowerIndex = true;
    }
    s.shift1 = shownIf(s.shiftRow1, r.ShiftMinFrom());
    s.shift2 = shownIf(s.shiftRow1, r.ShiftMinTo());
    s.shift3 = shownIf(s.shiftRow2, r.ShiftMaxFrom());
    s.shift4 = shownIf(s.shiftRow2, r.ShiftMaxTo());

    // A restriction keeps at least one bound: the box of one bound is
    // disabled while the other bound is absent.
    const bool hasLower = r.LowerMode() > -1;
    const bool hasUpper = r.UpperMode() > -1;
    s.withLower = {hasUpper, hasLower};
    s.withUpper = {hasLower, hasUpper};
    s.lowerVar = {hasLower, r.LowerMode() >= 1};
    s.upperVar = {hasUpper, r.UpperMode() >= 1};
    s.lower = shownIf(hasLower, r.Lower());
    s.lowerVarValue = shownIf(r.LowerMode() >= 1, r.LowerLimit());
    s.upper = shownIf(hasUpper, r.Upper());
    s.upperVarValue = shownIf(r.UpperMode() >= 1, r.UpperLimit());
    s.lowerSign = hasLower;
    s.upperSign = hasUpper;
    s.quantity = derivativeLabel(kind);
    return s;
}

HarmPageState harmPageState(const TRestr& r, int32_t harmonics)
{
    HarmPageState s;
    s.kMax = std::max<int32_t>(harmonics, 1);
    s.sumForm = isSumKind(r.Kind());
    s.p = s.sumForm ? r.Kind() - 20 : 0;
    s.k = s.sumForm ? 1 : std::clamp<int32_t>(r.Harmonic(), 1, s.kMax);
    s.c = shown(r.SpectrumBound());
    s.cVar = {true, r.LowerMode() != 0};
    s.cVarValue = shownIf(r.LowerMode() != 0, r.SpectrumLimit());
    return s;
}

} // namespace vemra

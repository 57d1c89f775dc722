// The tooltips and the added captions of the editor's fields: what each
// field holds, in which unit and on which basis. Angles are degrees; s is in
// the project's length unit; s′, s″, s‴ are derivatives by the drive angle
// in radians, as the series are evaluated; the module bounds the output
// motion q, which is s itself without an elastic output. Texts that depend
// on the restriction shown (its derivative order, absolute or relative,
// point or interval, the exponent of a spectrum sum) are built for it.
#pragma once

#include "model/nodes.h"

#include <string>
#include <vector>

namespace vemra {

// The tooltip of the editor control with this name. r is the restriction
// shown, for the controls whose text depends on it (nullptr gives their
// general text). Empty for a name the editor does not have.
std::string fieldHelp(const std::string& controlName, const TRestr* r = nullptr);

// The controls whose tooltip depends on the restriction shown.
const std::vector<std::string>& restrictionDependentFields();

// The unit of a quantity of derivative order 0..3: "Längeneinheit",
// "Längeneinheit/rad", "Längeneinheit/rad²", "Längeneinheit/rad³".
std::string lengthUnitPerRadian(int order);

// Title of the bound group of the "BG" page: the quantity the restriction
// bounds, with its unit.
std::string boundsTitle(int32_t kind);

// Captions under the fields that have none of their own: a fixed or lower
// value is the minimum requirement, the value a variable item reaches at
// full fulfilment the maximum requirement; a point restriction's one angle
// is just its angle.
inline constexpr const char* MinimumCaption = "Minimalforderung";
inline constexpr const char* MaximumCaption = "Maximalforderung";
inline constexpr const char* PointAngleCaption = "Winkel φ";
inline constexpr const char* AnglesTitle = "Antriebswinkel φ in Grad";

} // namespace vemra

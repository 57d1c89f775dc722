// The text of remote$.why: one line per fact, CR LF line ends, "." decimals, ASCII only.
//   Stufe STAGE CODE LAMBDA SMOOTHNESS      erfuellung (0), glattheit (1), konflikt (-2, then "-" "-")
//   Verschiebung OBJECT PHI                 every optimisation object and its shift in degrees
//   Grenze RECORD SHARE ANGLE SENSITIVITY   stages erfuellung and glattheit, largest share first
//   Konflikt RECORD                         stage konflikt
#pragma once

#include "module/explanation.h"

#include <string>

namespace vemra::module {

std::string explanationText(const Explanation& explanation);

} // namespace vemra::module

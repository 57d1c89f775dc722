// A one-motion double dwell, the classic cam task: rest at 0, a rise of 50 over 90°, rest at
// the top, the return over 90°, rest again. The dwells are held to 0.01 % of the rise, the
// motion is at rest at the four dwell ends, and a variable acceleration bound over the whole
// revolution (from ±1000 needed down to 0 wanted) makes λ* find the least peak acceleration.
#pragma once

#include <string>

namespace vemra::module::testing {

std::string doubleDwellProject(int harmonics);

} // namespace vemra::module::testing

// Where a module result's curves touch the bounds of its interval restrictions, found by the
// test's own evaluation: the angles that hold λ* down, for programmes that must hold them.
#pragma once

#include "module/input_reader.h"
#include "module/synthesis.h"
#include "random_project.h"

#include <utility>
#include <vector>

namespace vemra::module::testing {

// The result as motions of the test's own evaluation (theta as in the truth).
std::vector<TrueMotion> solvedMotions(const SynthesisResult& result, std::vector<TrueMotion> truth);

// (index of the restriction record in the input, angle in degrees) of every local extremum of
// an interval restriction's curve: sampled at 0.01° and refined by golden sections.
std::vector<std::pair<std::size_t, double>> touchingAngles(const std::vector<RawRecord>& input,
                                                           const SynthesisResult& result,
                                                           const std::vector<TrueMotion>& truth);

} // namespace vemra::module::testing

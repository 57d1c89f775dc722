// Contradictions planted into a random project around what its motion law does, so that its
// minimum requirements cannot be met: a point wanting more than an interval band around it
// allows, or a rise too steep for a velocity or, from rest to rest, for an acceleration bound
// (by half to nine tenths of what the rise needs).
#pragma once

#include "random_project.h"

#include <cstdint>

namespace vemra::module::testing {

enum class Contradiction { PointBeyondBand, RiseTooSteepForVelocity, RiseTooSteepForAcceleration };

void plantContradiction(RandomProject& project, Contradiction kind, std::uint32_t seed);

} // namespace vemra::module::testing

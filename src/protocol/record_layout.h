// The generic record that project files, module input and result files share:
// a line of integers, then a line of reals.
#pragma once

namespace vemra::protocol {

// IntPar[1..9] and RealPar[1..12]; index 0 is unused everywhere.
inline constexpr int IntFieldCount = 9;
inline constexpr int RealFieldCount = 12;

// Widths in the module input: integers right-aligned in 4 characters, reals
// in 12; a value that fills its field gets a blank in front.
inline constexpr int ModuleIntWidth = 4;
inline constexpr int ModuleRealWidth = 12;

// The integer field that numbers a record, so that results find their way
// back to the restriction they belong to.
inline constexpr int IdentField = 9;

} // namespace vemra::protocol

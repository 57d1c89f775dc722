// The files through which the application and the synthesis module talk.
// Both sides, and the remote run that carries them to another host, take the
// names from here, so a renamed file cannot go out of step.
#pragma once

#include <cstdint>
#include <string>

namespace vemra::protocol {

// The module's input, written by the application.
inline constexpr const char* ModuleInputFileName = "remote$.rx4";
// The result code on the first line, an explanation on the second.
inline constexpr const char* ResultCodeFileName = "rx4.err";
// Every restriction record as the module used it (shifted angles included).
inline constexpr const char* EffectiveParamsFileName = "remote$.rx5";
// Followed by the motion number in decimal, without padding.
inline constexpr const char* CoefficientFilePrefix = "remote$.fk";
// Why the result is what it is: the restrictions that limit fulfilment or
// smoothness, or a conflicting set. Optional: older modules and compute
// hosts do not write it.
inline constexpr const char* ExplanationFileName = "remote$.why";

// A project holds at most this many absolute motion definitions, so no
// coefficient file beyond this number is ever written.
inline constexpr int32_t MaxMotionNumber = 10;

inline std::string coefficientFileName(int32_t motionNumber)
{
    return CoefficientFilePrefix + std::to_string(motionNumber);
}

// The flag after the input file on the module's command line; the module
// accepts and ignores it.
inline constexpr const char* ModuleCallFlag = "0";

} // namespace vemra::protocol

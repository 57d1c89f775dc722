// The outcome of one computation as a number. Codes 1 to -5 are the module's
// (written to the result-code file), the others the application's own (local
// start, computation lock, stop, remote run). One set of names for everyone.
#pragma once

#include <cstdint>

namespace vemra::ResultCodes {

inline constexpr int32_t MaximumMet = 1;     // every maximum requirement met
inline constexpr int32_t Solved = 0;         // every minimum requirement met
inline constexpr int32_t Aborted = -1;       // the module was interrupted
inline constexpr int32_t MinimumNotMet = -2; // the minimum requirements cannot all be met
inline constexpr int32_t InputError = -3;
inline constexpr int32_t TooLarge = -4;
inline constexpr int32_t Resonance = -5;
inline constexpr int32_t ModuleNotStarted = -10;
inline constexpr int32_t AlreadyRunning = -20;
inline constexpr int32_t NoFeedback = -30;
inline constexpr int32_t StoppedByUser = -100;
inline constexpr int32_t TransferTimeout = -201;
inline constexpr int32_t HostConnectionFailed = -202;

// Codes after which the coefficient files are read.
inline constexpr bool resultsExpected(int32_t code)
{
    return code == Solved || code == MaximumMet;
}

} // namespace vemra::ResultCodes

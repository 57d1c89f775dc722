// The outcome of one computation as a number, and what the user is told
// about it. Codes 1 to -5 come from the module, the others from the
// application itself (local start, lock, stop) or the remote run.
#pragma once

#include "model/user_dialogs.h"

#include <cstdint>
#include <string>

namespace vemra {

namespace ResultCodes {
inline constexpr int32_t MaximumMet = 1;
inline constexpr int32_t Solved = 0;
inline constexpr int32_t Aborted = -1;
inline constexpr int32_t MinimumNotMet = -2;
inline constexpr int32_t InputError = -3;
inline constexpr int32_t TooLarge = -4;
inline constexpr int32_t Resonance = -5;
inline constexpr int32_t ModuleNotStarted = -10;
inline constexpr int32_t AlreadyRunning = -20;
inline constexpr int32_t NoFeedback = -30;
inline constexpr int32_t StoppedByUser = -100;
inline constexpr int32_t TransferTimeout = -201;
inline constexpr int32_t HostConnectionFailed = -202;
} // namespace ResultCodes

struct ResultMessage {
    std::string text; // "\r" is a line break
    DialogKind kind;
};

// The message box of a ResultCode (every box has a single OK button).
ResultMessage resultCodeMessage(int32_t code);

// Codes after which the coefficient files are read.
inline bool resultsExpected(int32_t code)
{
    return code == ResultCodes::Solved || code == ResultCodes::MaximumMet;
}

} // namespace vemra

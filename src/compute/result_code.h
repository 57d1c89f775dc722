// What the user is told about the outcome of a computation (the codes
// themselves are shared with the module).
#pragma once

#include "model/user_dialogs.h"
#include "protocol/result_codes.h"

#include <cstdint>
#include <string>

namespace vemra {

struct ResultMessage {
    std::string text; // "\r" is a line break
    DialogKind kind;
};

// The message box of a ResultCode (every box has a single OK button).
ResultMessage resultCodeMessage(int32_t code);

using ResultCodes::resultsExpected;

} // namespace vemra

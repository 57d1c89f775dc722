// Reading "remote$.why", in which the module says why its result is what it
// is. The file is optional (older modules and compute hosts do not write
// it), so every problem with it only means there is no explanation; the
// reader names the problem and never crashes, whatever the bytes.
//
// One record a line, fields separated by blanks, "." decimals, "-" for a
// missing value, ASCII, lines ended by CR LF (a bare LF is taken too):
//   Stufe STAGE CODE LAMBDA SMOOTHNESS      first line; erfuellung 0,
//                                           glattheit 1, konflikt -2 (then
//                                           LAMBDA and SMOOTHNESS are "-")
//   Verschiebung OBJECT PHI                 the shift of an optimisation object
//   Grenze RECORD SHARE ANGLE SENSITIVITY   erfuellung and glattheit; ANGLE
//                                           may be "-"
//   Konflikt RECORD                         konflikt, at least one
#pragma once

#include "model/result_outcome.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <variant>

namespace vemra {

class TreeItem;

// Why a file was not taken: what is wrong, and on which line (0 when it
// concerns the whole file).
struct ExplanationError {
    int line = 0;
    std::string reason;

    // "Zeile 3: ..." or just the reason.
    std::string text() const;
};

using ExplanationParse = std::variant<ResultExplanation, ExplanationError>;

// An explanation file larger than this is garbage: a project holds at most a
// few hundred restrictions and optimisation objects.
inline constexpr std::size_t MaxExplanationFileBytes = 1u << 20;

// Parses the bytes of an explanation file.
ExplanationParse parseExplanation(std::string_view bytes);

// What reading the file of a finished run gave.
struct ExplanationRead {
    std::optional<ResultExplanation> explanation;
    // Empty when the file was taken or was not there.
    std::string problem;
};

// Reads the explanation file of directory for a run that ended with
// resultCode, and checks it against project: the stage must belong to the
// code and every record must name a restriction of the project. A missing
// file is no problem.
ExplanationRead readExplanationFile(const std::filesystem::path& directory, int32_t resultCode, TreeItem* project);

} // namespace vemra

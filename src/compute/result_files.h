// Reading what the module leaves in the computation directory: the result
// code, the effective parameters of shiftable restrictions and the Fourier
// coefficients of each motion. Every reader takes any content: a file it
// cannot make sense of is a failure with a defined fallback, never a crash
// and never a half-applied result.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace vemra {

class TreeItem;
class TRXHeader;

// Largest harmonic count whose coefficients are read; beyond it a project
// value is corrupt, not a motion.
inline constexpr int32_t MaxReadableHarmonics = 100000;

// The integer on the first line of file ("rx4.err"), blanks around it
// allowed. Nothing when the file is missing or the line is not an integer
// that fits 32 bits.
std::optional<int32_t> readResultCodeFile(const std::filesystem::path& file);
// The same for the file's content.
std::optional<int32_t> parseResultCode(std::string_view text);

// Reads "remote$.rx5" (file): records of 9 integers and 12 reals. A record
// whose Motion, GroupNo and record number are all at least 1 gives its reals
// to EffPar of the restriction with that number in project; other records
// are skipped. When the file is missing or anything in it does not read,
// every restriction below every motion definition of the project gets
// EffPar := RealPar again and false is returned; the computation goes on.
bool ReadEffectiveParams(TreeItem* project, const std::filesystem::path& file);
// The same for the file's content; nothing stands for a missing file.
bool ApplyEffectiveParams(TreeItem* project, std::optional<std::string_view> text);

// Reads "remote$.fk" + n from directory into motion.sSC: 2K + 2 reals, a
// (cosine, sine) pair for each harmonic 0..K, pair 0 being (b0, eta). On
// success sets ResultValid; on failure returns false and leaves sSC as it was.
bool ReadCoefficientFile(TRXHeader& motion, const std::filesystem::path& directory);
// The same for the content of the motion's coefficient file.
bool ReadCoefficients(TRXHeader& motion, std::string_view text);

} // namespace vemra

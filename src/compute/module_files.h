// The module's files in one computation directory: removing what an earlier
// run left, and small whole-file helpers for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace vemra {

// Removes what an earlier run may have left: the effective parameters, every
// coefficient file, the result-code file and the explanation. A stale file would otherwise be
// read as if the new run had written it. Missing files are no error.
void removeStaleResultFiles(const std::filesystem::path& directory);

// The bytes of a file, or nothing when it cannot be read or is larger than
// maxBytes (module files are small; a huge file is garbage, not data).
std::optional<std::string> readWholeFile(const std::filesystem::path& file, std::size_t maxBytes);

// Creates or replaces file with bytes: written beside it under a temporary
// name, then renamed over it, so a failed write leaves the old file intact.
// Returns the reason on failure.
std::optional<std::string> writeWholeFile(const std::filesystem::path& file, const std::string& bytes);

} // namespace vemra

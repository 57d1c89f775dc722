// Whole files in and out: reading what a reader will parse, and replacing a
// file so that a failed write never destroys the previous one.
#pragma once

#include <optional>
#include <string>

namespace vemra {

// The bytes of fileName, or nothing when it cannot be opened or read (a
// folder, no permission, an I/O error).
std::optional<std::string> loadFile(const std::string& fileName);

// Replaces fileName by bytes so that a reader sees either the old or the new
// file, never a half-written one. Returns the message for the user on
// failure: "Die Datei " + name + " konnte nicht geschrieben werden:\r" + the
// reason.
std::optional<std::string> replaceFile(const std::string& fileName, const std::string& bytes);

} // namespace vemra

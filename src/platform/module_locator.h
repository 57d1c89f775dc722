// Finding the synthesis module program: beside the running program first
// (where an installation puts it), then along PATH.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace vemra {

inline constexpr const char* ModuleProgramName = "rx-10-L";

// The folder of the running program (from /proc/self/exe), if known.
std::optional<std::filesystem::path> ownProgramFolder();

// The first executable file called name along the PATH entries (an empty
// entry is the current directory).
std::optional<std::filesystem::path> searchPath(const std::string& name, const std::string& pathVariable);

// The module as the computation starts it: name in the program's own folder,
// else along $PATH.
std::optional<std::filesystem::path> findModuleProgram(const std::string& name = ModuleProgramName);

// An explicitly chosen program: a path with a folder part is taken as it
// is (whether it exists shows when it is started); a bare name is searched
// along $PATH.
std::optional<std::filesystem::path> resolveModuleProgram(const std::filesystem::path& chosen);

} // namespace vemra

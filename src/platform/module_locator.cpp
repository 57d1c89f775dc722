#include "module_locator.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace vemra {

namespace {

bool isExecutableFile(const std::filesystem::path& p)
{
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(p.c_str(), X_OK) == 0;
}

std::string environmentPath()
{
    const char* path = std::getenv("PATH");
    return path ? path : "";
}

} // namespace

std::optional<std::filesystem::path> ownProgramFolder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty())
        return std::nullopt;
    return exe.parent_path();
}

std::optional<std::filesystem::path> searchPath(const std::string& name, const std::string& pathVariable)
{
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = pathVariable.find(':', start);
        const std::string entry = pathVariable.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        const std::filesystem::path candidate = std::filesystem::path(entry.empty() ? "." : entry) / name;
        if (isExecutableFile(candidate))
            return candidate;
        if (colon == std::string::npos)
            return std::nullopt;
        start = colon + 1;
    }
}

std::optional<std::filesystem::path> findModuleProgram(const std::string& name)
{
    if (const auto folder = ownProgramFolder())
        if (isExecutableFile(*folder / name))
            return *folder / name;
    return searchPath(name, environmentPath());
}

std::optional<std::filesystem::path> resolveModuleProgram(const std::filesystem::path& chosen)
{
    if (chosen.empty())
        return std::nullopt;
    if (chosen.has_parent_path())
        return chosen;
    return searchPath(chosen.string(), environmentPath());
}

} // namespace vemra

// Files committed under tests/data/<format>/, each named after the case it
// shows, and the bundled example projects.
#pragma once

#include <filesystem>
#include <string>

namespace vemra::test {

inline std::filesystem::path testDataPath(const std::string& relative)
{
    return std::filesystem::path(VEMRA_TEST_DATA) / relative;
}

inline std::filesystem::path examplePath(const std::string& name)
{
    return std::filesystem::path(VEMRA_EXAMPLES) / name;
}

// The whole file as bytes; empty when it cannot be read.
std::string readTestFile(const std::filesystem::path& file);

} // namespace vemra::test

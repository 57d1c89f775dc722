// A fresh folder below the system's temporary folder, removed with
// everything in it when the test ends.
#pragma once

#include <filesystem>
#include <string>

namespace vemra::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    void write(const std::string& name, const std::string& content) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;

private:
    std::filesystem::path path_;
};

} // namespace vemra::test

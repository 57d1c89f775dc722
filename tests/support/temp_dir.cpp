#include "temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace vemra::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vemra-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        std::abort();
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void TempDir::write(const std::string& name, const std::string& content) const
{
    std::ofstream(path_ / name, std::ios::binary) << content;
}

std::string TempDir::read(const std::string& name) const
{
    std::ifstream in(path_ / name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool TempDir::exists(const std::string& name) const
{
    return std::filesystem::exists(path_ / name);
}

} // namespace vemra::test

#include "test_data.h"

#include <fstream>
#include <sstream>

namespace vemra::test {

std::string readTestFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace vemra::test

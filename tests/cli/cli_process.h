// Runs vemra-cli as a user would: in a folder of the test's choosing, its
// output on pipes or on a pseudo-terminal, with a computation lock of the
// test's own.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vemra::test {

struct CliOutcome {
    std::string out;
    // On a terminal everything (standard output and error) is in out.
    std::string err;
    int status = -1;
};

// Standard output and error on pipes of their own.
CliOutcome runCli(const std::vector<std::string>& args, const std::filesystem::path& folder);
// Both on one pseudo-terminal of 100 columns.
CliOutcome runCliOnTerminal(const std::vector<std::string>& args, const std::filesystem::path& folder);

} // namespace vemra::test

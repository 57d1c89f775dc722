// vemra-cli: the headless companion of the desktop application, over the
// same core.
#include "commands.h"

#include <clocale>
#include <cstring>
#include <iostream>

namespace {

int usage()
{
    std::cerr << "Aufruf: vemra-cli BEFEHL [ARGUMENTE]\n\nBefehle:\n";
    for (const auto& c : vemra::cli::commands())
        std::cerr << "  " << c.usage << "\n      " << c.summary << '\n';
    return vemra::cli::ExitUsage;
}

} // namespace

int main(int argc, char** argv)
{
    // Honour the user's locale like any program; files and printed numbers
    // must not depend on it, and the tests run under a German one to prove it.
    std::setlocale(LC_ALL, "");
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)
        return usage();
    for (const auto& c : vemra::cli::commands())
        if (c.name == std::string(argv[1]))
            return c.run(vemra::cli::Args(argv + 2, argv + argc));
    std::cerr << "Unbekannter Befehl: " << argv[1] << "\n\n";
    return usage();
}

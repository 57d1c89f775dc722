// vemra-cli: the headless companion of the desktop application, over the
// same core.
#include "commands.h"

#include <algorithm>
#include <clocale>
#include <iostream>
#include <string>

namespace {

void overview(std::ostream& out)
{
    out << "vemra-cli " << VEMRA_VERSION << ": Vemra-Projekte ohne Oberfläche prüfen, auswerten und berechnen.\n\n"
        << "Aufruf: vemra-cli BEFEHL [ARGUMENTE]\n"
           "       vemra-cli BEFEHL --help   zeigt die Hilfe eines Befehls\n"
           "       vemra-cli --version\n\nBefehle:\n";
    for (const auto& c : vemra::cli::commands())
        out << "  " << c.usage << "\n      " << c.summary << '\n';
}

bool isHelp(const std::string& arg)
{
    return arg == "--help" || arg == "-h";
}

} // namespace

int main(int argc, char** argv)
{
    // Honour the user's locale like any program; files and printed numbers
    // must not depend on it, and the tests run under a German one to prove it.
    std::setlocale(LC_ALL, "");
    const vemra::cli::Args args(argv + 1, argv + argc);
    if (args.empty()) {
        overview(std::cerr);
        return vemra::cli::ExitUsage;
    }
    if (isHelp(args[0])) {
        overview(std::cout);
        return vemra::cli::ExitOk;
    }
    if (args[0] == "--version") {
        std::cout << "vemra-cli " << VEMRA_VERSION << '\n';
        return vemra::cli::ExitOk;
    }
    for (const auto& c : vemra::cli::commands()) {
        if (c.name != args[0])
            continue;
        // Asking for help never runs the command, wherever it is asked.
        if (std::any_of(args.begin() + 1, args.end(), isHelp)) {
            if (c.help)
                std::cout << c.help;
            else
                std::cout << "Aufruf: vemra-cli " << c.usage << "\n    " << c.summary << '\n';
            return vemra::cli::ExitOk;
        }
        return c.run(vemra::cli::Args(args.begin() + 1, args.end()));
    }
    std::cerr << "Unbekannter Befehl: " << args[0] << "\n\n";
    overview(std::cerr);
    return vemra::cli::ExitUsage;
}

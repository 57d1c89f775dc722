// vemra-cli import: turns an input file of an older program into a project
// file with the same readers and converter as "&Import..." (a single-motion
// file always into a new project, as no project is selected here).
#include "commands.h"
#include "console_dialogs.h"

#include "commands/import_command.h"
#include "formats/project_file.h"

#include <iostream>

namespace vemra::cli {

int runImport(const Args& args)
{
    if (args.size() != 2) {
        std::cerr << "Aufruf: vemra-cli import DATEI.rx4|DATEI.rxe|DATEI.rxw AUSGABE.r4p\n";
        return ExitUsage;
    }
    ConsoleDialogs dialogs;
    Workspace ws(dialogs);
    ImportSettings settings;
    std::string detail;
    TreeItem* project = ImportCommand(ws, settings, args[0], &detail);
    if (!project) {
        if (!detail.empty())
            std::cerr << detail << '\n';
        return ExitBadInput;
    }
    if (auto error = writeProjectFile(project, args[1])) {
        std::cerr << "Fehler: " << *error << '\n';
        return ExitBadInput;
    }
    return ExitOk;
}

} // namespace vemra::cli

// vemra-cli module-input: writes the module's input file for a project
// exactly as a computation would, to inspect it or to run the module by hand.
#include "commands.h"
#include "project_loading.h"
#include "console_dialogs.h"

#include "compute/computation.h"
#include "compute/module_files.h"
#include "compute/module_input.h"

#include "model/tree_ops.h"

#include <iostream>

namespace vemra::cli {

int runModuleInput(const Args& args)
{
    if (args.size() != 2) {
        std::cerr << "Aufruf: vemra-cli module-input DATEI.r4p AUSGABE.rx4\n";
        return ExitUsage;
    }
    ConsoleDialogs dialogs;
    Workspace ws(dialogs);
    TreeItem* project = loadProject(ws, args[0]);
    if (!project)
        return ExitBadInput;
    // The computation refuses such a project before it writes anything.
    if (!CanCalc(ws, project)) {
        dialogs.error(InconsistentProjectText);
        return ExitBadInput;
    }
    std::string input;
    WriteModuleInput(project, input);
    if (auto error = writeWholeFile(args[1], input)) {
        std::cerr << "Fehler: " << *error << '\n';
        return ExitBadInput;
    }
    return ExitOk;
}

} // namespace vemra::cli

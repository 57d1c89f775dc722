// vemra-cli check: reads projects the way the desktop opens them and shows
// the tree with the validity marks, so a file can be inspected headless.
#include "commands.h"
#include "console_dialogs.h"

#include "model/numeric.h"
#include "model/project_file.h"
#include "model/tree_ops.h"

#include <iostream>

namespace vemra::cli {

namespace {

// The actual values of a restriction against the output motion, as the
// report shows them: where the curve keeps the bounds and its extremes.
std::string actualValues(const TRestr& r)
{
    const auto v = [](double x) {
        const std::string text = FormatSig(6, x);
        return " " + text.substr(text.front() == ' ' ? 1 : 0);
    };
    if (isSpectrumKind(r.Kind()))
        return "  ist:" + v(r.ActQ[4]);
    if (isIntervalKind(r.Kind()))
        return "  ist: eingehalten" + v(r.ActQ[1]) + " ..." + v(r.ActQ[2]) + ", min" + v(r.ActQ[3]) + ", max" +
               v(r.ActQ[4]);
    if (isPointKind(r.Kind()))
        return "  ist:" + v(r.ActQ[3]);
    return {};
}

void printItem(const TreeItem* item, int depth, int& invalid, bool withResults)
{
    const TNLMember* node = item->Node();
    if (!node->Valid)
        ++invalid;
    std::cout << std::string(static_cast<size_t>(2 * depth), ' ') << item->Text();
    if (auto* rx = item->NodeAs<TRXHeader>()) {
        if (!rx->ShortName.empty())
            std::cout << "  \"" << rx->ShortName << '"';
        std::cout << "  K=" << rx->Harmonics();
        if (rx->HasResult)
            std::cout << (rx->ResultValid ? "  (Ergebnis aktuell)" : "  (Ergebnis veraltet)");
    }
    if (auto* r = item->NodeAs<TRestr>(); r && withResults)
        std::cout << actualValues(*r);
    std::cout << '\n';
    for (int i = 0; i < item->ChildCount(); ++i)
        printItem(item->Child(i), depth + 1, invalid, withResults);
}

} // namespace

int runCheck(const Args& args)
{
    if (args.empty()) {
        std::cerr << "Aufruf: vemra-cli check DATEI.r4p...\n";
        return ExitUsage;
    }
    ConsoleDialogs dialogs;
    Workspace ws(dialogs);
    int status = ExitOk;
    for (const auto& file : args) {
        TreeItem* project = readProjectFile(ws, file);
        if (!project) {
            status = ExitBadInput;
            continue;
        }
        const auto* p = project->NodeAs<TProject>();
        std::cout << file << ": " << (p->Description.empty() ? "(ohne Beschreibung)" : p->Description) << '\n';
        int invalid = 0;
        printItem(project, 1, invalid, p->HasResults);
        std::cout << "  " << invalid << " ungültige Knoten; "
                  << (CanCalc(ws, project) ? "berechenbar" : "nicht berechenbar") << '\n';
        if (invalid > 0)
            status = ExitBadInput;
    }
    return status;
}

} // namespace vemra::cli

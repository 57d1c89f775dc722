#include "cli_projects.h"

#include "support/compute_doubles.h"

#include "formats/project_file.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace vemra::test {

std::string moduleScript(const std::vector<ModuleAnswer>& answers)
{
    std::string script;
    for (const ModuleAnswer& a : answers) {
        script += "if-input " + std::to_string(10 * a.key + 1) + ".0\n";
        for (const std::string& line : a.lines)
            script += line + "\n";
        if (a.sleepMs > 0)
            script += "sleep " + std::to_string(a.sleepMs) + "\n";
        script += "write rx4.err\n" + a.code + "\nend\n";
        if (a.code == "0" || a.code == "1")
            script += "write remote$.fk1\n1\n0\n0\n2\nend\n";
        script += "fi\n";
    }
    return script;
}

void saveProject(const TempDir& folder, const std::string& name, int key, bool consistent)
{
    ScriptedDialogs dialogs;
    Workspace ws(dialogs);
    TreeItem* project = simpleProject(ws);
    auto* r = project->Child(0)->Child(0)->NodeAs<TRestr>();
    r->RealPar[2] = 10 * key + 1;
    if (!consistent)
        r->RealPar[8] = -1;
    r->MakeCaption();
    ASSERT_FALSE(writeProjectFile(project, (folder.path() / name).string()));
}

std::vector<std::pair<std::string, std::string>> filesIn(const TempDir& folder)
{
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        if (entry.is_regular_file() && entry.path().extension() == ".r4p")
            files.emplace_back(entry.path().filename().string(), folder.read(entry.path().filename().string()));
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace vemra::test

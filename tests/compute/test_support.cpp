#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vemra::test {

DialogButton ScriptedDialogs::message(DialogKind kind, const std::string& text, unsigned buttons)
{
    shown.push_back({kind, text});
    if (buttons == ButtonOk)
        return ButtonOk;
    if (answers.empty())
        return ButtonNo;
    const DialogButton answer = answers.front();
    answers.pop_front();
    return answer;
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vemra-compute-XXXXXX").string();
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

ModuleRunOutcome FakeRunner::run(const ModuleRunRequest& request, RunControl& control)
{
    requests.push_back(request);
    for (int i = 0; i < pumps && !control.stopRequested(); ++i)
        control.pump();
    if (control.stopRequested())
        return {ModuleRunOutcome::Kind::Stopped, 0, {}};
    if (during)
        during(request);
    return outcome;
}

Bench::Bench()
    : computation(ws, ComputationServices{&runner, &remoteRunner, &lock, &screenSaver, &pump, &clock}, &hooks)
{
    computation.setWorkDir(dir.path());
}

TreeItem* addProject(Workspace& ws)
{
    auto project = std::make_unique<TProject>();
    project->MakeCaption();
    return ws.tree.AddTopLevel(std::move(project));
}

TreeItem* addMotion(Workspace& ws, TreeItem* project, int32_t harmonics, double theta)
{
    int n = 0;
    TreeItem* item = EnsureMotion(ws.tree, n, project);
    auto* motion = item->NodeAs<TRXHeader>();
    motion->IntPar[3] = harmonics;
    motion->RealPar[3] = theta;
    SortProject(ws.tree);
    return item;
}

TreeItem* addRestriction(Workspace& ws, TreeItem* header, int32_t kind)
{
    auto r = std::make_unique<TRestr>();
    if (auto* motion = header->NodeAs<TRXHeader>()) {
        r->Motion() = motion->Number();
    } else {
        r->Motion() = header->Node()->IntPar[1];
        r->Motion2() = header->Node()->IntPar[2];
    }
    r->Kind() = kind;
    r->RealPar[2] = 90;
    r->MakeCaption();
    TreeItem* item = ws.tree.AddChild(header, std::move(r));
    SortProject(ws.tree);
    return item;
}

TreeItem* simpleProject(Workspace& ws, int32_t harmonics)
{
    TreeItem* project = addProject(ws);
    addRestriction(ws, addMotion(ws, project, harmonics));
    return project;
}

std::string coefficientText(const std::vector<double>& values)
{
    std::ostringstream s;
    s.precision(17);
    for (double v : values)
        s << v << '\n';
    return s.str();
}

} // namespace vemra::test

#include "compute_doubles.h"

#include "model/tree_ops.h"

#include <sstream>

namespace vemra::test {

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

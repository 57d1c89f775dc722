#include "sample_project.h"

#include "support/compute_doubles.h"
#include "support/test_data.h"

#include "commands/file_commands.h"
#include "formats/project_file.h"
#include "model/tree_ops.h"

#include <cstdlib>
#include <fstream>
#include <initializer_list>

namespace vemra::test {

namespace {

void fill(TVector& v, std::initializer_list<double> values)
{
    v.ReSize(static_cast<int32_t>(values.size()));
    int32_t i = 0;
    for (double x : values)
        v[i++] = x;
}

struct RestrictionSpec {
    int kind;
    double phi;
    double phiMax = 0;
    int lowerMode = -1;
    double lower = 0;
    int upperMode = -1;
    double upper = 0;
};

TRestr& restriction(Workspace& ws, TreeItem* motion, const RestrictionSpec& spec)
{
    TreeItem* item = addRestriction(ws, motion, spec.kind);
    auto& r = *item->NodeAs<TRestr>();
    r.Phi() = spec.phi;
    r.PhiMax() = spec.phiMax;
    r.LowerMode() = spec.lowerMode;
    r.Lower() = spec.lower;
    r.UpperMode() = spec.upperMode;
    r.Upper() = spec.upper;
    r.EffPar = r.RealPar;
    return r;
}

void makeShiftable(TRestr& r, int group)
{
    r.GroupNo() = group;
    r.IsGlobal = true;
}

} // namespace

SampleProject::SampleProject(SampleOptions options)
{
    // Built in a workspace of its own, saved, and read back into ws.
    ScriptedDialogs buildDialogs;
    Workspace build(buildDialogs);
    TreeItem* project = addProject(build);
    auto& p = *project->NodeAs<TProject>();
    p.Description = "Variante {2} aus C:\\Daten\\Kurven \xE2\x80\x93 Stößel";

    TreeItem* m1 = addMotion(build, project, 3, 0.1);
    auto& hub = *m1->NodeAs<TRXHeader>();
    hub.ShortName = "Hub für Stößel";
    hub.EtaVariable() = 1;
    hub.EtaMax() = 0.5;
    hub.EtaLimit() = 0.8;
    TreeItem* m2 = addMotion(build, project, 1, 0);

    restriction(build, m1, {0, 0, 0, 0, 10, 0, 40});
    restriction(build, m1, {2, 90, 0, 0, 0.5, -1, 0});
    TRestr& window = restriction(build, m1, {10, 30, 150, 1, 5, 0, 45});
    window.LowerLimit() = 8;
    window.PhiMinVar() = 1;
    window.PhiMinLimit() = 20;
    makeShiftable(window, 1);
    window.ShiftMinFrom() = -10;
    window.ShiftMinTo() = 40;
    window.ShiftMaxFrom() = 100;
    window.ShiftMaxTo() = 170;
    window.EffPar = window.RealPar;
    window.EffPar[2] = -5.5;
    window.EffPar[4] = 160;
    TRestr& jerk = restriction(build, m1, {13, 200, 300, -1, 0, 0, 500});
    jerk.PhiMaxVar() = 1;
    jerk.PhiMaxLimit() = 320;
    jerk.EffPar = jerk.RealPar;
    restriction(build, m1, {21, 0, 0, 0, 100});
    TRestr& harmonic = restriction(build, m1, {24, 0, 0, 1, 5});
    harmonic.Harmonic() = 2;
    harmonic.SpectrumLimit() = 3;
    harmonic.EffPar = harmonic.RealPar;
    restriction(build, m1, {7, 45});
    TRestr& moved = restriction(build, m1, {1, 180, 0, -1, 0, 1, 30});
    moved.UpperLimit() = 25;
    makeShiftable(moved, 1);
    moved.ShiftMinFrom() = 170;
    moved.ShiftMinTo() = 190;
    moved.EffPar = moved.RealPar;
    moved.EffPar[2] = 185;

    restriction(build, m2, {11, 0, 90, 0, -5, 0, 5});

    TreeItem* rel = nullptr;
    for (int i = 0; i < project->ChildCount(); ++i)
        if (project->Child(i)->NodeAs<TRelHeader>())
            rel = project->Child(i);
    TRestr& apart = restriction(build, rel, {50, 10, 20, 0, -100, 0, 100});
    makeShiftable(apart, 1);
    apart.ShiftMinFrom() = 0;
    apart.ShiftMinTo() = 15;
    apart.ShiftMaxFrom() = 15;
    apart.ShiftMaxTo() = 30;
    apart.EffPar = apart.RealPar;
    apart.EffPar[2] = 12.5;
    apart.EffPar[4] = 22.5;
    restriction(build, rel, {41, 45, 0, -1, 0, 0, 50});
    restriction(build, rel, {3, 45});

    if (options.withResults) {
        // Coefficients that the project file stores exactly, so that the
        // values read back are the values written here.
        fill(hub.sSC, {0.5, 10, 20, -5, 0, 2.5, 0.75, 0});
        fill(hub.qSC, {0.5, 10, 19, -4.5, 0.125, 2.25, 0.5, 0.125});
        fill(hub.mSC, {0, 0, 1.5, -2, 0.25, 0, 0, 0.5, 0, 0, 0, 0, 0, 0});
        auto& two = *m2->NodeAs<TRXHeader>();
        fill(two.sSC, {0, 1, 2, 0});
        fill(two.qSC, {0, 1, 2, 0});
        fill(two.mSC, {0, 0, 0, 0, 0, 0});
        for (TRXHeader* m : {&hub, &two}) {
            m->HasResult = m->ResultValid = true;
            m->ResultHarm = m->Harmonics();
        }
        p.HasResults = p.AllValid = true;
    }
    if (options.motionAddedLater)
        addMotion(build, project, 2, 0);
    SortProject(build.tree);

    fileName_ = (dir.path() / "Lösung.r4p").string();
    if (const auto failure = writeProjectFile(project, fileName_))
        ADD_FAILURE() << *failure;
    project_ = readProjectFile(ws, fileName_);
    if (!project_)
        ADD_FAILURE() << "the sample project could not be read back";
}

TreeItem* SampleProject::motion(int n) const
{
    for (int i = 0; project_ && i < project_->ChildCount(); ++i)
        if (auto* m = project_->Child(i)->NodeAs<TRXHeader>(); m && m->Number() == n)
            return project_->Child(i);
    return nullptr;
}

std::string golden(const std::string& relative, const std::string& actual)
{
    const auto path = testDataPath(relative);
    if (std::getenv("VEMRA_UPDATE_GOLDEN")) {
        std::ofstream(path, std::ios::binary) << actual;
        return actual;
    }
    return readTestFile(path);
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

} // namespace vemra::test

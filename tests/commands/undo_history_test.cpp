// The project history: every kind of change is taken back and brought
// again byte for byte (the saved files are identical), results included,
// with the nodes the windows show kept where they survive; a long random
// session undone and redone ends where it was; the history keeps at least
// its steps per project, leaves a project being computed alone and forgets
// a closed project.
#include "commands/file_commands.h"
#include "commands/import_command.h"
#include "commands/undo_history.h"

#include "formats/project_file.h"

#include "support/temp_dir.h"
#include "support/test_data.h"
#include "support/tree_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace vemra {
namespace {

using namespace test;

class UndoHistoryTest : public ::testing::Test {
protected:
    TreeItem* open(const std::string& example)
    {
        TreeItem* p = OpenProjectCommand(ws, examplePath(example).string());
        EXPECT_NE(p, nullptr) << example;
        return p;
    }

    // The files a save of every open project writes, in tree order.
    std::vector<std::string> files()
    {
        std::vector<std::string> all;
        for (int i = 0; i < ws.tree.TopLevelCount(); ++i) {
            const auto file = dir.path() / ("p" + std::to_string(i) + ".r4p");
            EXPECT_FALSE(writeProjectFile(ws.tree.TopLevel(i), file.string()));
            all.push_back(readTestFile(file));
        }
        return all;
    }

    // What the editor does when the user types a new upper bound.
    void editBound(TreeItem* restriction, double delta)
    {
        auto* r = restriction->NodeAs<TRestr>();
        r->RealPar[8] += delta;
        r->Modified = true;
        r->MakeCaption();
        ws.tree.SetText(restriction, r->Caption);
        SortProject(ws.tree);
        UpdateResultState(ws, restriction);
        ws.events().changeCommitted({ProjectOf(restriction), "Änderung", ProjectChange::Kind::Edited});
    }

    // What a computation does to the project: new coefficients.
    void newResults(TreeItem* project, double shift)
    {
        for (int i = 0; i < project->ChildCount(); ++i)
            if (auto* m = project->Child(i)->NodeAs<TRXHeader>(); m && m->sSC.Count() > 1) {
                m->sSC[1] += shift;
                m->ResultValid = true;
                m->HasResult = true;
            }
        ws.events().resultsChanged(project);
    }

    ScriptedDialogs dialogs;
    Workspace ws{dialogs};
    UndoHistory history{ws};
    TempDir dir;
};

// --- every kind of change ------------------------------------------------------------

struct ChangeCase {
    const char* name;
    const char* example;
    // Makes the change on the selected project; returns false when it did nothing.
    std::function<bool(Workspace&, TreeItem* project)> change;
    const char* caption;
};

TreeItem* firstRestriction(TreeItem* project, int motion = 1)
{
    return motionItem(project, motion)->Child(0);
}

// Selects what pick finds in the project and gives the command.
template <class Command> std::function<bool(Workspace&, TreeItem*)> on(TreeItem* (*pick)(TreeItem*), Command command)
{
    return [pick, command](Workspace& ws, TreeItem* p) {
        ws.tree.SetSelected(pick(p));
        return static_cast<bool>(command(ws));
    };
}

const std::vector<ChangeCase>& changeCases()
{
    static const std::vector<ChangeCase> cases = {
        {"new absolute restriction", "hubkurve.r4p",
         on([](TreeItem* p) { return motionItem(p, 1); }, NewAbsRestrictionCommand),
         "Rückgängig: Neue Restriktion (absolut)"},
        {"new spectrum restriction", "greifer.r4p",
         on([](TreeItem* p) { return motionItem(p, 2); }, NewSpectrumRestrictionCommand),
         "Rückgängig: Neue Restriktion (Spektrum)"},
        {"new relative restriction", "greifer.r4p",
         on([](TreeItem* p) { return relItem(p, 1, 2); }, NewRelRestrictionCommand),
         "Rückgängig: Neue Restriktion (relativ)"},
        {"new motion with its relative motions", "greifer.r4p", on([](TreeItem* p) { return p; }, NewMotionCommand),
         "Rückgängig: Neue Bewegungsvorgabe"},
        {"delete a restriction", "hubkurve.r4p",
         on([](TreeItem* p) { return firstRestriction(p); }, DeleteCommand), "Rückgängig: Löschen"},
        {"delete a shiftable restriction", "foerderer.r4p",
         on([](TreeItem* p) { return groupItem(p, 1)->Child(0); }, DeleteCommand), "Rückgängig: Löschen"},
        {"delete an optimisation object", "foerderer.r4p",
         on([](TreeItem* p) { return groupItem(p, 1); }, DeleteCommand), "Rückgängig: Löschen"},
        {"delete motion 1 (renumbers motion 2)", "greifer.r4p",
         on([](TreeItem* p) { return motionItem(p, 1); }, DeleteCommand), "Rückgängig: Löschen"},
        {"delete the whole project", "foerderer.r4p", on([](TreeItem* p) { return p; }, DeleteCommand),
         "Rückgängig: Löschen"},
        {"new project", "hubkurve.r4p", [](Workspace& ws, TreeItem*) { return NewProjectCommand(ws) != nullptr; },
         "Rückgängig: Neues Projekt"},
        {"copy by drop", "greifer.r4p", [](Workspace& ws, TreeItem* p) { return DropProject(ws, p, nullptr) != nullptr; },
         "Rückgängig: Projekt kopieren"},
        {"import a motion into the project", "hubkurve.r4p",
         [](Workspace& ws, TreeItem*) {
             ImportSettings settings;
             static_cast<ScriptedDialogs&>(ws.dialogs()).answerNo(); // no new project
             return ImportCommand(ws, settings, testDataPath("rxe/variable-eta.rxe").string()) != nullptr;
         },
         "Rückgängig: Import"},
        {"import an input file as a new project", "hubkurve.r4p",
         [](Workspace& ws, TreeItem* p) {
             ImportSettings settings;
             ws.tree.SetSelected(p);
             return ImportCommand(ws, settings, testDataPath("rx4/comment-line.rx4").string()) != nullptr;
         },
         "Rückgängig: Import"},
    };
    return cases;
}

TEST_F(UndoHistoryTest, EveryKindOfChangeGoesBackAndComesAgainByteForByte)
{
    for (const ChangeCase& c : changeCases()) {
        SCOPED_TRACE(c.name);
        ws.tree.Clear();
        TreeItem* project = open(c.example);
        const std::vector<std::string> before = files();
        ASSERT_TRUE(c.change(ws, project));
        const std::vector<std::string> after = files();
        ASSERT_NE(after, before);
        EXPECT_EQ(history.undoText(), c.caption);

        ASSERT_EQ(history.undo(), UndoHistory::Outcome::Done);
        EXPECT_EQ(files(), before);
        const std::string caption = c.caption;
        EXPECT_EQ(history.redoText(), "Wiederholen" + caption.substr(caption.find(':')));
        for (int i = 0; i < ws.tree.TopLevelCount(); ++i)
            EXPECT_TRUE(consistent(ws.tree, ws.tree.TopLevel(i)));

        ASSERT_EQ(history.redo(), UndoHistory::Outcome::Done);
        EXPECT_EQ(files(), after);
        ASSERT_EQ(history.undo(), UndoHistory::Outcome::Done);
        EXPECT_EQ(files(), before);
        EXPECT_FALSE(history.canUndo());
        EXPECT_EQ(history.undoText(), "Rückgängig");
    }
}

// --- what survives a restore ------------------------------------------------------------

TEST_F(UndoHistoryTest, AnUndoneDeleteBringsTheNodesBackWithTheirResultsAndSelectsThem)
{
    TreeItem* project = open("greifer.r4p");
    TreeItem* motion2 = motionItem(project, 2);
    auto* m2 = motion2->NodeAs<TRXHeader>();
    ASSERT_TRUE(m2->HasResult && m2->ResultValid);
    const std::vector<double> coefficients(m2->sSC.data(), m2->sSC.data() + m2->sSC.Count());
    TreeItem* motion1 = motionItem(project, 1);
    ws.tree.SetSelected(motion1);
    ASSERT_TRUE(DeleteCommand(ws));
    ASSERT_EQ(motionItem(project, 2), nullptr);

    ASSERT_EQ(history.undo(), UndoHistory::Outcome::Done);
    TreeItem* back = motionItem(project, 2);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back, motion2) << "a motion that never went keeps its item (diagram windows show items)";
    auto* restored = back->NodeAs<TRXHeader>();
    EXPECT_TRUE(restored->HasResult && restored->ResultValid);
    EXPECT_EQ(std::vector<double>(restored->sSC.data(), restored->sSC.data() + restored->sSC.Count()), coefficients);
    EXPECT_EQ(ws.tree.Selected(), motionItem(project, 1)) << "the deleted node is selected again";
    EXPECT_TRUE(project->NodeAs<TProject>()->Unsaved);
}

TEST_F(UndoHistoryTest, OutdatedResultsStayOutdatedAndResultsComputedLaterWaitForTheRedo)
{
    TreeItem* project = open("hubkurve.r4p");
    TreeItem* restriction = firstRestriction(project);
    editBound(restriction, 0.5);
    auto* motion = motionItem(project, 1)->NodeAs<TRXHeader>();
    ASSERT_FALSE(motion->ResultValid) << "the change outdated the result";

    // A second change, then a computation: its results are no step, but an
    // undo must not lose them.
    editBound(firstRestriction(project), 0.25);
    newResults(project, 1.0);
    const std::vector<std::string> computed = files();

    ASSERT_EQ(history.undo(), UndoHistory::Outcome::Done);
    EXPECT_FALSE(motionItem(project, 1)->NodeAs<TRXHeader>()->ResultValid);
    EXPECT_TRUE(firstRestriction(project)->NodeAs<TRestr>()->Modified)
        << "what is modified stays modified: the next edit elsewhere must not revive the old result";
    ASSERT_EQ(history.redo(), UndoHistory::Outcome::Done);
    EXPECT_EQ(files(), computed);
    EXPECT_TRUE(motionItem(project, 1)->NodeAs<TRXHeader>()->ResultValid);
}

TEST_F(UndoHistoryTest, TakingASnapshotLeavesTheProjectAsItIs)
{
    TreeItem* project = open("foerderer.r4p");
    editBound(firstRestriction(project), 1);
    auto* p = project->NodeAs<TProject>();
    p->AdvancedSettings() = 0;
    p->SamplesPerStep() = 8;
    std::vector<std::pair<std::array<int32_t, 10>, bool>> state;
    ws.tree.ForEach([&](TreeItem* i) { state.emplace_back(i->Node()->IntPar, i->Node()->Modified); });

    const ProjectSnapshot s = takeSnapshot(project);
    EXPECT_FALSE(s.bytes.empty());
    std::vector<std::pair<std::array<int32_t, 10>, bool>> after;
    ws.tree.ForEach([&](TreeItem* i) { after.emplace_back(i->Node()->IntPar, i->Node()->Modified); });
    EXPECT_EQ(after, state);
    EXPECT_TRUE(p->Unsaved);
    EXPECT_EQ(p->SamplesPerStep(), 8) << "the editor shows 8 with the advanced settings off";
}

TEST_F(UndoHistoryTest, ADeletedProjectComesBackInItsPlaceAndANewOneGoesAgain)
{
    open("hubkurve.r4p");
    TreeItem* middle = open("greifer.r4p");
    open("foerderer.r4p");
    const std::vector<std::string> before = files();
    ws.tree.SetSelected(middle);
    ASSERT_TRUE(DeleteCommand(ws));
    ASSERT_EQ(history.undo(), UndoHistory::Outcome::Done);
    EXPECT_EQ(files(), before);
    EXPECT_EQ(ws.tree.TopLevel(1)->Text(), "greifer.r4p");
    EXPECT_EQ(ws.tree.Selected(), ws.tree.TopLevel(1));

    // Closed without a question, as nothing of it was ever saved.
    NewProjectCommand(ws);
    ASSERT_EQ(history.undo(), UndoHistory::Outcome::Done);
    EXPECT_EQ(files(), before);
    EXPECT_TRUE(dialogs.messages.empty());
}

// --- a long session ----------------------------------------------------------------------

// One random change of the kinds the user makes; false when it did nothing.
bool randomChange(Workspace& ws, TreeItem* project, std::mt19937& rng, const std::function<void(TreeItem*, double)>& edit)
{
    std::vector<TreeItem*> restrictions;
    ws.tree.ForEach([&](TreeItem* i) {
        if (ProjectOf(i) == project && i->NodeAs<TRestr>())
            restrictions.push_back(i);
    });
    const auto pick = [&](const std::vector<TreeItem*>& v) { return v[rng() % v.size()]; };
    switch (rng() % 6) {
    case 0:
        if (restrictions.empty())
            return false;
        edit(pick(restrictions), 0.125 * double(1 + rng() % 8));
        return true;
    case 1:
        if (restrictions.size() < 2)
            return false;
        ws.tree.SetSelected(pick(restrictions));
        return DeleteCommand(ws);
    case 2: {
        int n = 1 + int(rng() % 2);
        if (!motionItem(project, n))
            return false;
        ws.tree.SetSelected(motionItem(project, n));
        return (rng() % 2 ? NewAbsRestrictionCommand(ws) : NewSpectrumRestrictionCommand(ws)) != nullptr;
    }
    case 3:
        if (project->NodeAs<TProject>()->MotionCount() >= 3)
            return false;
        ws.tree.SetSelected(project);
        return NewMotionCommand(ws) != nullptr;
    case 4:
        if (!relItem(project, 1, 2))
            return false;
        ws.tree.SetSelected(relItem(project, 1, 2));
        return NewRelRestrictionCommand(ws) != nullptr;
    default: {
        // The motion page: K and eta.
        TreeItem* motion = motionItem(project, 1);
        if (!motion)
            return false;
        auto* m = motion->NodeAs<TRXHeader>();
        m->Harmonics() = 8 + int(rng() % 8);
        m->EtaMax() = 0.01 * double(rng() % 5);
        m->Modified = true;
        UpdateResultState(ws, motion);
        ws.events().changeCommitted({project, "Änderung", ProjectChange::Kind::Edited});
        return true;
    }
    }
}

TEST_F(UndoHistoryTest, ThirtyRandomChangesUndoneAndRedoneReproduceTheSavedFile)
{
    for (const char* example : {"hubkurve.r4p", "greifer.r4p", "foerderer.r4p"}) {
        SCOPED_TRACE(example);
        ws.tree.Clear();
        TreeItem* project = open(example);
        const std::vector<std::string> original = files();
        std::mt19937 rng(20240521u + static_cast<unsigned>(std::string(example).size()));
        int changes = 0;
        for (int attempts = 0; changes < 30 && attempts < 200; ++attempts) {
            if (randomChange(ws, project, rng, [this](TreeItem* r, double d) { editBound(r, d); }))
                ++changes;
            // Now and then a computation in between: no step of its own.
            if (attempts % 7 == 3)
                newResults(project, 0.5);
        }
        ASSERT_EQ(changes, 30);
        ASSERT_TRUE(consistent(ws.tree, project));
        const std::vector<std::string> saved = files();

        int undone = 0;
        while (history.canUndo()) {
            ASSERT_EQ(history.undo(), UndoHistory::Outcome::Done);
            ++undone;
        }
        EXPECT_EQ(undone, 30);
        EXPECT_EQ(files(), original);
        while (history.canRedo())
            ASSERT_EQ(history.redo(), UndoHistory::Outcome::Done);
        EXPECT_EQ(files(), saved);
        EXPECT_TRUE(consistent(ws.tree, project));
    }
}

// --- how many, when not, and what is forgotten ---------------------------------------------

TEST_F(UndoHistoryTest, KeepsItsStepsPerProjectAndAValueTypedAgainIsNoStep)
{
    TreeItem* busy = open("hubkurve.r4p");
    TreeItem* quiet = open("greifer.r4p");
    editBound(firstRestriction(quiet), 1);
    for (int i = 0; i < 120; ++i)
        editBound(firstRestriction(busy), 0.001);
    EXPECT_EQ(history.undoSteps(busy), UndoHistory::StepsPerProject);
    EXPECT_EQ(history.undoSteps(quiet), 1u) << "a busy project does not push out another's steps";

    // Committing without a change of the project records nothing.
    ws.events().changeCommitted({busy, "Änderung", ProjectChange::Kind::Edited});
    EXPECT_EQ(history.undoSteps(busy), UndoHistory::StepsPerProject);
}

TEST_F(UndoHistoryTest, AProjectBeingComputedIsLeftAloneAndAClosedOneIsForgotten)
{
    TreeItem* project = open("hubkurve.r4p");
    TreeItem* other = open("greifer.r4p");
    editBound(firstRestriction(other), 1);
    editBound(firstRestriction(project), 1);
    const std::vector<std::string> now = files();

    project->NodeAs<TProject>()->Computing = true;
    EXPECT_EQ(history.undo(), UndoHistory::Outcome::ProjectComputing);
    EXPECT_EQ(files(), now);
    project->NodeAs<TProject>()->Computing = false;

    dialogs.answerNo(); // unsaved: close without saving
    ws.tree.SetSelected(project);
    ASSERT_TRUE(CloseProjectCommand(ws));
    EXPECT_EQ(history.undoText(), "Rückgängig: Änderung") << "the other project's step is left";
    ASSERT_EQ(history.undo(), UndoHistory::Outcome::Done);
    EXPECT_FALSE(history.canUndo());
    EXPECT_EQ(ws.tree.TopLevelCount(), 1);
}

} // namespace
} // namespace vemra

// The editor's hold on a node: member selection, change detection and what a
// change tells the program, the link to optimisation objects and the
// restriction undo with its membership.
#include "editor/editor_session.h"

#include "model/tree_ops.h"
#include "support/compute_doubles.h"
#include "support/scripted_chooser.h"

#include <gtest/gtest.h>

namespace vemra {
namespace {

struct RecordingHost : EditorHost {
    void redrawDiagramsOf(TreeItem* item) override { redraws.push_back(item); }
    void regenerateReportsOf(TreeItem* item) override { reports.push_back(item); }
    void setCalcEnabled(bool on) override { calc = on; }
    std::vector<TreeItem*> redraws, reports;
    bool calc = false;
};

class EditorSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        project = test::addProject(ws);
        motion = test::addMotion(ws, project, 4);
        first = test::addRestriction(ws, motion, 0);
        second = test::addRestriction(ws, motion, 10);
        restr(second)->PhiMax() = 180;
        restr(second)->Upper() = 1;
        restr(second)->MakeCaption();
        ws.tree.SetSelected(project);
        // As read from a file: nothing modified, results current.
        ws.tree.ForEach([](TreeItem* i) { i->Node()->Modified = false; });
        motion->NodeAs<TRXHeader>()->HasResult = motion->NodeAs<TRXHeader>()->ResultValid = true;
    }
    static TRestr* restr(TreeItem* i) { return i->NodeAs<TRestr>(); }
    // One editing step as the editor window runs it.
    EditorSession::Outcome update()
    {
        const ChangeState c = session.detectChange();
        return session.finishUpdate(c);
    }
    int groupCount() const
    {
        int n = 0;
        for (int i = 0; i < project->ChildCount(); ++i)
            n += project->Child(i)->NodeAs<TGroupHeader>() ? 1 : 0;
        return n;
    }

    test::ScriptedDialogs dialogs;
    Workspace ws{dialogs};
    RecordingHost host;
    test::ScriptedChooser chooser;
    EditorSession session{ws, host};
    TreeItem* project = nullptr;
    TreeItem* motion = nullptr;
    TreeItem* first = nullptr;
    TreeItem* second = nullptr;
};

TEST_F(EditorSessionTest, TheFirstChangeOutdatesResultsAndEveryChangeRegeneratesReports)
{
    session.setObject(first);
    session.Loading = true;
    update();
    EXPECT_TRUE(host.reports.empty()) << "showing an unmodified node changes nothing";
    EXPECT_TRUE(host.redraws.empty());
    EXPECT_TRUE(host.calc);
    session.Loading = false;

    restr(first)->Lower() = -1;
    ChangeState c = session.detectChange();
    EXPECT_TRUE(c.changed && c.dirty && c.toggled);
    session.finishUpdate(c);
    EXPECT_TRUE(first->Node()->Modified);
    EXPECT_FALSE(motion->NodeAs<TRXHeader>()->ResultValid);
    EXPECT_EQ(host.reports.size(), 1u);
    EXPECT_EQ(host.redraws.size(), 1u);
    EXPECT_EQ(first->Text(), first->Node()->Caption) << "the tree shows the new caption";

    restr(first)->Lower() = -2;
    c = session.detectChange();
    EXPECT_FALSE(c.toggled);
    session.finishUpdate(c);
    EXPECT_EQ(host.reports.size(), 2u);
    EXPECT_EQ(host.redraws.size(), 2u);

    session.setObject(motion);
    EXPECT_FALSE(update().fillGrid);
    motion->NodeAs<TRXHeader>()->Theta() = 0.2;
    EXPECT_TRUE(update().fillGrid) << "a changed motion fills its grid again";
}

TEST_F(EditorSessionTest, UndoJoinsTheObjectAgainThatTheRestrictionLeft)
{
    session.setObject(first);
    ASSERT_TRUE(session.linkRestriction(chooser));
    session.setObject(second);
    chooser.answers = {0};
    ASSERT_TRUE(session.linkRestriction(chooser)); // object 2

    // Selected while in object 2, moved to object 1, then undone.
    session.setObject(second);
    session.unlinkRestriction();
    chooser.answers = {1};
    ASSERT_TRUE(session.linkRestriction(chooser));
    EXPECT_EQ(groupCount(), 1);
    session.undoRestriction();
    EXPECT_TRUE(restr(second)->IsGlobal);
    EXPECT_EQ(restr(second)->GroupNo(), 2);
    EXPECT_EQ(groupCount(), 2);
    int members = 0;
    ws.tree.ForEach([&](TreeItem* i) {
        if (auto* m = i->NodeAs<TGroupMember>(); m && m->RefTNR == second) {
            ++members;
            EXPECT_EQ(i->Parent()->NodeAs<TGroupHeader>()->Number(), 2);
        }
    });
    EXPECT_EQ(members, 1);
}

TEST_F(EditorSessionTest, UnlinkingTheSelectedMemberKeepsTheRestrictionSelected)
{
    session.setObject(first);
    ASSERT_TRUE(session.linkRestriction(chooser));
    TreeItem* member = nullptr;
    ws.tree.ForEach([&](TreeItem* i) {
        if (i->NodeAs<TGroupMember>())
            member = i;
    });
    ws.tree.SetSelected(member);
    session.setObject(member);
    session.unlinkRestriction();
    EXPECT_EQ(ws.tree.Selected(), first);
    EXPECT_EQ(groupCount(), 0);
}

} // namespace
} // namespace vemra

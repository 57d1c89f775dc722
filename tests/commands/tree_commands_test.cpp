// The commands that change the tree: new nodes, the delete command with its
// questions and selection, and copying a project by drag and drop.
#include "support/tree_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace vemra {
namespace {

using namespace test;

// --- creating nodes --------------------------------------------------------------------

TEST_F(TreeOpsTest, NewProjectIsEmptySelectedAndShown)
{
    TreeItem* p = NewProjectCommand(ws);
    EXPECT_EQ(p->Text(), "neues Projekt");
    EXPECT_EQ(p->ChildCount(), 0);
    EXPECT_EQ(ws.tree.Selected(), p);
    EXPECT_EQ(hooks.shown, std::vector<TreeItem*>{p});
    EXPECT_EQ(hooks.refreshes, 1);
    EXPECT_TRUE(p->NodeAs<TProject>()->Unsaved);
}

TEST_F(TreeOpsTest, NewMotionStartsWithOneRestriction)
{
    TreeItem* p = newProject();
    TreeItem* r = NewMotionCommand(ws);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(ws.tree.Selected(), r);
    EXPECT_EQ(hooks.shown.back(), r);
    EXPECT_EQ(r->Parent(), motionItem(p, 1));
    EXPECT_EQ(restr(r)->Motion(), 1);
    EXPECT_EQ(restr(r)->Kind(), 0);
    EXPECT_EQ(r->Text(), "[s0]: 0.0 -> (0.0 ... 0.0)");

    // From a restriction the new motion still goes into the same project.
    TreeItem* r2 = NewMotionCommand(ws);
    EXPECT_EQ(r2->Parent(), motionItem(p, 2));
    EXPECT_NE(relItem(p, 1, 2), nullptr);
    EXPECT_TRUE(consistent(ws.tree, p));
    EXPECT_EQ(hooks.refreshes, 3);
}

TEST_F(TreeOpsTest, NewAbsoluteRestrictionGoesBelowTheSelectedMotion)
{
    EXPECT_EQ(NewAbsRestrictionCommand(ws), nullptr);
    TreeItem* p = projectWithMotions(2);
    TreeItem* m1 = motionItem(p, 1);
    ws.tree.SetSelected(m1->Child(0));
    TreeItem* r = NewAbsRestrictionCommand(ws);
    EXPECT_EQ(r->Parent(), m1);
    EXPECT_EQ(m1->ChildCount(), 2);
    EXPECT_EQ(p->Node()->IntPar[3], 2);

    // On the project it creates the next motion.
    ws.tree.SetSelected(p);
    r = NewAbsRestrictionCommand(ws);
    EXPECT_EQ(r->Parent(), motionItem(p, 3));
    EXPECT_TRUE(consistent(ws.tree, p));
}

TEST_F(TreeOpsTest, TenthMotionCompletesThePairsEleventhIsRefused)
{
    TreeItem* p = projectWithMotions(9);
    ws.tree.SetSelected(p);
    TreeItem* r = NewMotionCommand(ws);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->Parent(), motionItem(p, 10));
    for (int i = 1; i <= 9; ++i)
        EXPECT_NE(relItem(p, i, 10), nullptr) << i;
    EXPECT_EQ(countOf(p, isRel), 45);
    EXPECT_TRUE(consistent(ws.tree, p));
    EXPECT_TRUE(dialogs.messages.empty());

    const auto before = texts();
    EXPECT_EQ(NewMotionCommand(ws), nullptr);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.last().kind, DialogKind::Error);
    EXPECT_EQ(dialogs.last().text, "Ein Projekt kann maximal 10 Bewegungsvorgaben enthalten.");
    EXPECT_EQ(dialogs.last().buttons, unsigned(ButtonOk));
    EXPECT_EQ(texts(), before);
    EXPECT_EQ(p->Node()->IntPar[3], 10);
}

TEST_F(TreeOpsTest, NewSpectrumRestrictionOnlyBelowAnAbsoluteMotion)
{
    TreeItem* p = projectWithMotions(2);
    ws.tree.SetSelected(p);
    EXPECT_EQ(NewSpectrumRestrictionCommand(ws), nullptr);
    ws.tree.SetSelected(relItem(p, 1, 2));
    EXPECT_EQ(NewSpectrumRestrictionCommand(ws), nullptr);

    ws.tree.SetSelected(motionItem(p, 2)->Child(0));
    TreeItem* r = NewSpectrumRestrictionCommand(ws);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->Parent(), motionItem(p, 2));
    EXPECT_EQ(restr(r)->Kind(), 20);
    EXPECT_EQ(restr(r)->Motion(), 2);
    EXPECT_EQ(restr(r)->IntPar[2], 1);
    EXPECT_EQ(restr(r)->LowerMode(), 0);
    EXPECT_EQ(r->Text(), "[S0]: Sum -> ... 0.0");
    // Spectrum restrictions sort after the band restrictions.
    EXPECT_EQ(motionItem(p, 2)->LastChild(), r);
    EXPECT_EQ(ws.tree.Selected(), r);
}

TEST_F(TreeOpsTest, NewRelativeRestrictionNeedsARelativeMotion)
{
    TreeItem* p = projectWithMotions(3);
    ws.tree.SetSelected(motionItem(p, 1));
    EXPECT_EQ(NewRelRestrictionCommand(ws), nullptr);

    ws.tree.SetSelected(relItem(p, 2, 3));
    TreeItem* r = NewRelRestrictionCommand(ws);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(restr(r)->Kind(), 40);
    EXPECT_EQ(restr(r)->Motion(), 2);
    EXPECT_EQ(restr(r)->Motion2(), 3);
    // From that restriction the next one joins it.
    TreeItem* r2 = NewRelRestrictionCommand(ws);
    EXPECT_EQ(r2->Parent(), relItem(p, 2, 3));
    EXPECT_EQ(r2->Parent()->ChildCount(), 2);
}

// --- the delete command ------------------------------------------------------------------

TEST_F(TreeOpsTest, DeleteQuestionsAndNoLeavesEverythingAsItWas)
{
    TreeItem* p = projectWithMotions(2);
    TreeItem* r = addRestriction(motionItem(p, 1), 1, 30);
    TreeItem* member = makeGlobal(r, 0);
    SortProject(ws.tree);
    ws.DelConfirm = true;
    p->NodeAs<TProject>()->Unsaved = false;
    const auto before = texts();

    const std::vector<std::pair<TreeItem*, std::string>> cases = {
        {p, "Gesamtes Projekt neues Projekt löschen?"},
        {motionItem(p, 1), "Bewegungsvorgabe (abs) 1 und alle Einträge,\rdie Bezüge darauf enthalten, löschen?"},
        {r, "Restriktion [s1]: 30.0 -> (0.0 ... 1.0) löschen?"},
        {groupItem(p, 1), "Optimierungsobjekt 1 löschen?"},
        {member, "Restriktion für globale Optimierung:\r löschen?"},
    };
    for (const auto& [item, question] : cases) {
        dialogs.clear();
        dialogs.answerNo();
        ws.tree.SetSelected(item);
        EXPECT_FALSE(DeleteCommand(ws));
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.last().kind, DialogKind::Confirmation);
        EXPECT_EQ(dialogs.last().text, question);
        EXPECT_EQ(dialogs.last().buttons, unsigned(ButtonYes | ButtonNo));
        EXPECT_FALSE(ws.Locked);
        EXPECT_EQ(ws.tree.Selected(), item);
    }
    EXPECT_EQ(texts(), before);
    EXPECT_FALSE(p->NodeAs<TProject>()->Unsaved);
    EXPECT_TRUE(hooks.removed.empty());
    EXPECT_TRUE(hooks.selectionHandled.empty());
}

TEST_F(TreeOpsTest, DeleteCommandLocksAndSelectsTheParent)
{
    TreeItem* p = projectWithMotions(1);
    TreeItem* m1 = motionItem(p, 1);
    TreeItem* keep = addRestriction(m1, 1, 30);
    TreeItem* gone = m1->Child(0) == keep ? m1->Child(1) : m1->Child(0);
    p->NodeAs<TProject>()->Unsaved = false;
    ws.DelConfirm = true;
    dialogs.answerYes();
    ws.tree.SetSelected(gone);

    EXPECT_TRUE(DeleteCommand(ws));
    EXPECT_TRUE(dialogs.exhausted());
    EXPECT_EQ(m1->ChildCount(), 1);
    EXPECT_EQ(ws.tree.Selected(), m1);
    EXPECT_EQ(hooks.selectionHandled, std::vector<TreeItem*>{m1});
    EXPECT_FALSE(hooks.lockedAtSelectionHandling);
    EXPECT_FALSE(ws.Locked);
    EXPECT_TRUE(p->NodeAs<TProject>()->Unsaved);
    EXPECT_EQ(hooks.redraws, 1);
    EXPECT_EQ(hooks.rebuiltReports, std::vector<TreeItem*>{p});
    EXPECT_TRUE(hooks.closedReports.empty());
}

TEST_F(TreeOpsTest, DeleteCommandWithoutConfirmationSkipsToSurvivingAncestor)
{
    TreeItem* p = projectWithMotions(2);
    ws.tree.SetSelected(motionItem(p, 2)->Child(0));
    hooks.removed.clear();
    EXPECT_TRUE(DeleteCommand(ws));
    EXPECT_TRUE(dialogs.messages.empty());
    // The motion went with its only restriction.
    EXPECT_EQ(ws.tree.Selected(), p);
    EXPECT_TRUE(hooks.lockedWhileRemoving);
    EXPECT_EQ(hooks.removed.size(), 2u); // motion 2 and 1-2
    EXPECT_TRUE(consistent(ws.tree, p));
}

TEST_F(TreeOpsTest, DeleteCommandOnProjectsAndRelativeMotions)
{
    TreeItem* first = projectWithMotions(2);
    TreeItem* second = projectWithMotions(1);

    ws.tree.SetSelected(relItem(first, 1, 2));
    EXPECT_FALSE(DeleteCommand(ws));
    EXPECT_NE(relItem(first, 1, 2), nullptr);
    EXPECT_FALSE(ws.Locked);

    ws.tree.SetSelected(second);
    EXPECT_TRUE(DeleteCommand(ws));
    EXPECT_EQ(hooks.closedReports, std::vector<TreeItem*>{second});
    EXPECT_TRUE(hooks.rebuiltReports.empty());
    EXPECT_EQ(ws.tree.Selected(), first);

    ws.tree.SetSelected(first);
    EXPECT_TRUE(DeleteCommand(ws));
    EXPECT_EQ(ws.tree.TopLevelCount(), 0);
    EXPECT_EQ(ws.tree.Selected(), nullptr);
    EXPECT_EQ(hooks.selectionHandled.back(), nullptr);

    EXPECT_FALSE(DeleteCommand(ws));
}

// --- drag and drop -------------------------------------------------------------------------

TEST_F(TreeOpsTest, OnlyAProjectOnFreeSpaceIsCopied)
{
    TreeItem* p = projectWithMotions(2);
    TreeItem* other = newProject();
    EXPECT_TRUE(CanDropProject(p, nullptr));
    EXPECT_FALSE(CanDropProject(p, other));
    EXPECT_FALSE(CanDropProject(p, p));
    EXPECT_FALSE(CanDropProject(motionItem(p, 1), nullptr));
    EXPECT_FALSE(CanDropProject(nullptr, nullptr));

    const auto before = texts();
    EXPECT_EQ(DropProject(ws, p, other), nullptr);
    EXPECT_EQ(DropProject(ws, p, motionItem(p, 1)), nullptr);
    EXPECT_EQ(DropProject(ws, motionItem(p, 1), nullptr), nullptr);
    EXPECT_EQ(texts(), before);
}

TEST_F(TreeOpsTest, DroppedProjectIsCopiedWithItsObjects)
{
    TreeItem* p = projectWithMotions(2);
    auto* source = p->NodeAs<TProject>();
    source->FileName = "C:\\work\\cam.r4p";
    source->Description = "Nocken";
    source->MakeCaption();
    ws.tree.SetText(p, source->Caption);
    ws.tree.SetSelected(p);
    auto* m1 = motionItem(p, 1)->NodeAs<TRXHeader>();
    m1->ShortName = "Hub";
    m1->sSC.ReSize(4);
    m1->sSC[2] = 0.25;
    m1->HasResult = m1->ResultValid = true;
    TreeItem* rel = addRestriction(relItem(p, 1, 2), 40, 15);
    makeGlobal(rel, 0);
    makeGlobal(addRestriction(motionItem(p, 2), 1, 60), 2);
    SortProject(ws.tree);

    TreeItem* copy = DropProject(ws, p, nullptr);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(ws.tree.TopLevelCount(), 2);
    EXPECT_EQ(copy->Text(), "neues Projekt");
    EXPECT_TRUE(copy->NodeAs<TProject>()->FileName.empty());
    EXPECT_EQ(copy->Node()->IntPar[3], 2);
    EXPECT_EQ(ws.tree.Selected(), p);

    auto* c1 = motionItem(copy, 1)->NodeAs<TRXHeader>();
    EXPECT_EQ(c1->ShortName, "Hub (Kopie)");
    EXPECT_EQ(motionItem(copy, 2)->NodeAs<TRXHeader>()->ShortName, " (Kopie)");
    ASSERT_EQ(c1->sSC.Count(), 4);
    EXPECT_EQ(c1->sSC[2], 0.25);
    EXPECT_FALSE(c1->HasResult);
    EXPECT_FALSE(c1->ResultValid);
    EXPECT_EQ(relItem(copy, 1, 2)->ChildCount(), 1);

    // The objects are rebuilt with their numbers, pointing into the copy.
    EXPECT_EQ(countOf(copy, isGroup), 2);
    ws.tree.ForEach([&](TreeItem* i) {
        if (auto* m = i->NodeAs<TGroupMember>()) {
            EXPECT_EQ(ProjectOf(m->RefTNR), ProjectOf(i));
        }
    });
    EXPECT_EQ(groupItem(copy, 2)->Child(0)->Text(), groupItem(p, 2)->Child(0)->Text());
    EXPECT_TRUE(consistent(ws.tree, copy));
    EXPECT_TRUE(consistent(ws.tree, p));
}

} // namespace
} // namespace vemra

// The tree operations: captions and checks of the nodes, lookups and
// find-or-create, deletion with renumbering, highlight.
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

// --- captions and validity of the nodes --------------------------------------------

TEST(NodeCaptions, ProjectAndRelativeMotion)
{
    TProject p;
    p.MakeCaption();
    EXPECT_EQ(p.Caption, "neues Projekt");
    p.FileName = "C:\\dir\\a.r4p";
    p.MakeCaption();
    EXPECT_EQ(p.Caption, "a.r4p");
    EXPECT_EQ(p.SortKey, 0);

    // A negative first number sorts like the positive.
    TRelHeader marked, plain;
    marked.IntPar[1] = -2;
    marked.IntPar[2] = 3;
    plain.IntPar[1] = 2;
    plain.IntPar[2] = 3;
    marked.MakeCaption();
    plain.MakeCaption();
    EXPECT_EQ(marked.Caption, "Bewegungsvorgabe (rel) 2-3");
    EXPECT_EQ(marked.SortKey, 203);
    EXPECT_EQ(plain.SortKey, 203);
}

TEST(NodeCaptions, RestrictionTexts)
{
    // kind, motion, harmonic, lower mode, angles (R[2], R[4]), bounds (R[6], R[8]), caption,
    // key (0: not checked)
    const struct {
        int kind, motion, harmonic, lowerMode;
        double from, to, lower, upper;
        const char* caption;
        int32_t key;
    } cases[] = {
        {1, 1, 0, 0, 90, 0, -1, 2, "[s1]: 90.0 -> (-1.0 ... 2.0)", 100000 + 2500},
        {12, 1, 0, -1, 10, 20, 0, 5, "[s2]: (10.0 ... 20.0) -> ( ... 5.0)", 0},
        {22, 0, 0, 0, 0, 0, 3, 0, "[S2]: Sum -> ... 3.0", 22 * 100000 + 10000},
        {24, 0, 7, 0, 0, 0, 0.5, 0, "[h7]: nrm -> ... 0.5", 0},
        {35, 0, 0, 0, 0, 0, 0, 0, "", 0}, // unknown kind: no caption, never invalid
    };
    for (const auto& c : cases) {
        TRestr r;
        r.Kind() = c.kind;
        r.Motion() = c.motion;
        r.Harmonic() = c.harmonic;
        r.LowerMode() = c.lowerMode;
        r.RealPar[2] = c.from;
        r.RealPar[4] = c.to;
        r.RealPar[6] = c.lower;
        r.RealPar[8] = c.upper;
        r.MakeCaption();
        EXPECT_EQ(r.Caption, c.caption);
        if (c.key != 0) {
            EXPECT_EQ(r.SortKey, c.key) << c.caption;
        }
        if (c.kind == 35) {
            EXPECT_TRUE(r.Valid);
        }
    }
}

TEST(NodeCaptions, NegativeMotionIsMarkedKAndNeverInvalid)
{
    TRestr r;
    r.Motion() = -1;
    r.Kind() = 0;
    r.RealPar[6] = 5; // lower bound above the upper one
    r.RealPar[8] = 1;
    r.MakeCaption();
    EXPECT_FALSE(r.Valid);
    EXPECT_EQ(r.Caption.substr(0, 2), "K ");
    EXPECT_EQ(r.Caption.find("! "), std::string::npos);

    r.Motion() = 1;
    r.MakeCaption();
    EXPECT_EQ(r.Caption.substr(0, 2), "! ");
}

TEST(NodeCaptions, CheckOfEqualAnglesAndBounds)
{
    const struct {
        const char* name;
        int kind, motion, motion2, lowerMode;
        double r2, r4, r5, r6, r8;
        bool valid;
    } cases[] = {
        {"interval of equal angles", 10, 0, 0, 0, 30, 30, 0, 0, 1, false},
        {"interval", 10, 0, 0, 0, 30, 40, 0, 0, 1, true},
        {"interval of equal bounds", 10, 0, 0, 0, 30, 40, 0, 0, 0, false},
        {"point of equal bounds", 0, 0, 0, 0, 0, 0, 0, 2, 2, true},
        {"spectrum of equal bounds", 20, 0, 0, 1, 0, 0, 4, 4, 0, false},
        {"spectrum", 20, 0, 0, 1, 0, 0, 4, 5, 0, true},
        {"relative to its own motion", 40, 2, 2, 0, 0, 0, 0, 0, 0, false},
    };
    for (const auto& c : cases) {
        TRestr r;
        r.Kind() = c.kind;
        r.Motion() = c.motion;
        r.Motion2() = c.motion2;
        r.LowerMode() = c.lowerMode;
        r.RealPar[2] = c.r2;
        r.RealPar[4] = c.r4;
        r.RealPar[5] = c.r5;
        r.RealPar[6] = c.r6;
        r.RealPar[8] = c.r8;
        EXPECT_EQ(r.Check(), c.valid) << c.name;
    }
}

TEST(NodeCaptions, DuplicateCutsLongShortName)
{
    TRXHeader source, copy;
    source.ShortName = std::string(250, 'x');
    source.Duplicate(copy);
    EXPECT_EQ(copy.ShortName, std::string(250, 'x') + " (Kop");
}

TEST_F(TreeOpsTest, MemberCaptionNamesTheMotion)
{
    TreeItem* p = projectWithMotions(1);
    TreeItem* r = addRestriction(motionItem(p, 1), 1, 90);
    TreeItem* member = makeGlobal(r, 0);
    restr(r)->MakeCaption();
    member->Node()->MakeCaption();
    EXPECT_EQ(member->Node()->Caption, "[s1](1): 90.0 -> (0.0 ... 1.0)");
    EXPECT_EQ(member->Node()->SortKey, 10000000 - 0 + 1000000 * 1 + restr(r)->SortKey);

    restr(r)->RealPar[10] = 0; // shift range no longer contains the angle
    restr(r)->MakeCaption();
    member->Node()->MakeCaption();
    EXPECT_EQ(member->Node()->Caption, "! [s1](1): 90.0 -> (0.0 ... 1.0)");
}

// --- lookups and find-or-create ------------------------------------------------------

TEST_F(TreeOpsTest, EnsureMotionNumbersAndPairs)
{
    TreeItem* p = newProject();
    EXPECT_EQ(ProjectOf(nullptr), nullptr);
    EXPECT_EQ(ProjectOf(p), p);
    for (int expected = 1; expected <= 3; ++expected) {
        int n = 0;
        TreeItem* m = EnsureMotion(ws.tree, n, p);
        EXPECT_EQ(n, expected);
        EXPECT_EQ(m->Text(), "Bewegungsvorgabe (abs) " + std::to_string(expected));
        EXPECT_EQ(ProjectOf(m), p);
    }
    EXPECT_EQ(p->Node()->IntPar[3], 3);
    EXPECT_TRUE(MotionExists(2, p));
    EXPECT_FALSE(MotionExists(4, p));
    EXPECT_EQ(countOf(p, isRel), 3);
    ASSERT_NE(relItem(p, 1, 3), nullptr);
    EXPECT_EQ(relItem(p, 1, 3)->Text(), "Bewegungsvorgabe (rel) 1-3");

    int two = 2;
    EXPECT_EQ(EnsureMotion(ws.tree, two, p), motionItem(p, 2));
    int marked = -3;
    EXPECT_EQ(EnsureMotion(ws.tree, marked, p), motionItem(p, 3));
    EXPECT_EQ(marked, -3);
    EXPECT_EQ(p->ChildCount(), 6);
    EXPECT_EQ(EnsureRelMotion(ws.tree, 1, 2, p), relItem(p, 1, 2));
    EXPECT_EQ(p->ChildCount(), 6);
    EXPECT_NE(EnsureRelMotion(ws.tree, -1, 2, p), relItem(p, 1, 2));
}

TEST_F(TreeOpsTest, EnsureGroupGrowsTheCounterAndAddGroupMemberIsIdempotent)
{
    TreeItem* p = projectWithMotions(1);
    int g = 0;
    TreeItem* first = EnsureGroup(ws.tree, g, p);
    EXPECT_EQ(g, 1);
    EXPECT_EQ(first->Text(), "Optimierungsobjekt 1");
    g = 3;
    TreeItem* third = EnsureGroup(ws.tree, g, p);
    EXPECT_EQ(p->Node()->IntPar[8], 3);
    EXPECT_EQ(third->Node()->SortKey, 1003);
    g = 1;
    EXPECT_EQ(EnsureGroup(ws.tree, g, p), first);

    TreeItem* r = motionItem(p, 1)->Child(0);
    TreeItem* member = AddGroupMember(ws.tree, first, r);
    EXPECT_EQ(member->NodeAs<TGroupMember>()->RefTNR, r);
    EXPECT_EQ(AddGroupMember(ws.tree, first, r), member);
    EXPECT_EQ(first->ChildCount(), 1);
}

TEST_F(TreeOpsTest, FindByIdentSearchesEachChildThenItsChildren)
{
    TreeItem* p = projectWithMotions(2);
    TreeItem* m1 = motionItem(p, 1);
    TreeItem* r1 = m1->Child(0);
    TreeItem* m2 = motionItem(p, 2);
    restr(r1)->Ident() = 7;
    m2->Node()->IntPar[9] = 7;
    EXPECT_EQ(FindByIdent(7, p), r1);
    restr(r1)->Ident() = 8;
    EXPECT_EQ(FindByIdent(7, p), m2);
    EXPECT_EQ(FindByIdent(8, p), r1);
    EXPECT_EQ(FindByIdent(99, p), nullptr);
}

TEST_F(TreeOpsTest, SortProjectOrdersEveryLevelByKey)
{
    TreeItem* p = newProject();
    int n = 2;
    EnsureMotion(ws.tree, n, p);
    n = 1;
    EnsureMotion(ws.tree, n, p);
    int g = 0;
    EnsureGroup(ws.tree, g, p);
    TreeItem* m1 = motionItem(p, 1);
    addRestriction(m1, 0, 200);
    addRestriction(m1, 20, 0);
    addRestriction(m1, 0, 10);
    // Created in the order motion 2, motion 1, relative motion 1-2, object 1.
    SortProject(ws.tree);
    std::vector<std::string> order;
    for (int i = 0; i < p->ChildCount(); ++i)
        order.push_back(p->Child(i)->Text());
    EXPECT_EQ(order, (std::vector<std::string>{"Bewegungsvorgabe (abs) 1", "Bewegungsvorgabe (abs) 2",
                                               "Bewegungsvorgabe (rel) 1-2", "Optimierungsobjekt 1"}));
    EXPECT_EQ(m1->Child(0)->Node()->RealPar[2], 10);
    EXPECT_EQ(m1->Child(1)->Node()->RealPar[2], 200);
    EXPECT_EQ(restr(m1->Child(2))->Kind(), 20);
}

TEST_F(TreeOpsTest, CanCalcNeedsAValidNonEmptyIdleProject)
{
    EXPECT_FALSE(CanCalc(ws, nullptr));
    TreeItem* p = newProject();
    EXPECT_FALSE(CanCalc(ws, p));
    ws.tree.SetSelected(p);
    TreeItem* r = NewMotionCommand(ws);
    EXPECT_TRUE(CanCalc(ws, r));
    EXPECT_TRUE(CanCalc(ws, p));

    ws.Calculating = true;
    EXPECT_FALSE(CanCalc(ws, r));
    ws.Calculating = false;

    restr(r)->RealPar[6] = 3; // lower bound above upper bound
    restr(r)->MakeCaption();
    EXPECT_FALSE(SubtreeValid(p));
    EXPECT_FALSE(CanCalc(ws, p));
}

// --- deleting nodes ---------------------------------------------------------------------

TEST_F(TreeOpsTest, DeletingMiddleMotionRenumbersEverythingAfterIt)
{
    TreeItem* p = projectWithMotions(3);
    addRestriction(relItem(p, 1, 2), 40, 10);
    addRestriction(relItem(p, 2, 3), 40, 20);
    TreeItem* r13 = addRestriction(relItem(p, 1, 3), 50, 30);
    TreeItem* global3 = addRestriction(motionItem(p, 3), 1, 90);
    TreeItem* member = makeGlobal(global3, 0);
    SortProject(ws.tree);
    ASSERT_TRUE(consistent(ws.tree, p));

    TPaintObj* m2 = motionItem(p, 2)->NodeAs<TPaintObj>();
    TPaintObj* rel12 = relItem(p, 1, 2)->NodeAs<TPaintObj>();
    TPaintObj* rel23 = relItem(p, 2, 3)->NodeAs<TPaintObj>();
    TreeItem* old3 = motionItem(p, 3);

    DeleteNode(ws, motionItem(p, 2));

    EXPECT_EQ(p->Node()->IntPar[3], 2);
    EXPECT_EQ(motionItem(p, 2), old3);
    EXPECT_EQ(old3->Text(), "Bewegungsvorgabe (abs) 2");
    EXPECT_EQ(old3->Node()->SortKey, 2);
    for (int i = 0; i < old3->ChildCount(); ++i)
        EXPECT_EQ(restr(old3->Child(i))->Motion(), 2);
    // 1-2 and 2-3 went with their restrictions; 1-3 became 1-2.
    EXPECT_EQ(countOf(p, isRel), 1);
    TreeItem* rel = relItem(p, 1, 2);
    ASSERT_NE(rel, nullptr);
    EXPECT_EQ(rel->Text(), "Bewegungsvorgabe (rel) 1-2");
    ASSERT_EQ(rel->ChildCount(), 1);
    EXPECT_EQ(rel->Child(0), r13);
    EXPECT_EQ(restr(r13)->Motion(), 1);
    EXPECT_EQ(restr(r13)->Motion2(), 2);
    // The member quotes the new motion number.
    EXPECT_EQ(member->Text().substr(0, 7), "[s1](2)");
    EXPECT_TRUE(consistent(ws.tree, p));

    EXPECT_EQ(hooks.removed.size(), 3u);
    for (TPaintObj* gone : {m2, rel12, rel23})
        EXPECT_NE(std::find(hooks.removed.begin(), hooks.removed.end(), gone), hooks.removed.end());
}

TEST_F(TreeOpsTest, DeletingTheOnlyRestrictionDeletesTheMotion)
{
    TreeItem* p = projectWithMotions(2);
    TreeItem* old2 = motionItem(p, 2);
    DeleteNode(ws, motionItem(p, 1)->Child(0));
    EXPECT_EQ(p->Node()->IntPar[3], 1);
    EXPECT_EQ(motionItem(p, 1), old2);
    EXPECT_EQ(countOf(p, isRel), 0);
    EXPECT_TRUE(consistent(ws.tree, p));

    // With a second restriction left the motion stays.
    addRestriction(old2, 1, 45);
    DeleteNode(ws, old2->Child(0));
    EXPECT_EQ(motionItem(p, 1), old2);
    EXPECT_EQ(old2->ChildCount(), 1);
}

TEST_F(TreeOpsTest, DeletingTheOnlyMemberOfFirstObjectRenamesTheSecond)
{
    TreeItem* p = projectWithMotions(2);
    TreeItem* a = addRestriction(motionItem(p, 1), 1, 30);
    TreeItem* b = addRestriction(motionItem(p, 1), 1, 60);
    TreeItem* c = addRestriction(motionItem(p, 2), 1, 90);
    TreeItem* memberA = makeGlobal(a, 1);
    makeGlobal(b, 2);
    makeGlobal(c, 2);
    ASSERT_TRUE(consistent(ws.tree, p));

    DeleteNode(ws, memberA);

    EXPECT_EQ(p->Node()->IntPar[8], 1);
    EXPECT_EQ(countOf(p, isGroup), 1);
    TreeItem* g = groupItem(p, 1);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->Text(), "Optimierungsobjekt 1");
    EXPECT_EQ(g->ChildCount(), 2);
    EXPECT_EQ(restr(b)->GroupNo(), 1);
    EXPECT_EQ(restr(c)->GroupNo(), 1);
    EXPECT_EQ(restr(a)->GroupNo(), 0);
    EXPECT_FALSE(restr(a)->IsGlobal);
    EXPECT_TRUE(ws.tree.Contains(a));
    EXPECT_TRUE(consistent(ws.tree, p));
}

TEST_F(TreeOpsTest, DeletingAGlobalRestrictionRemovesItsMemberFirst)
{
    TreeItem* p = projectWithMotions(1);
    TreeItem* a = addRestriction(motionItem(p, 1), 1, 30);
    TreeItem* b = addRestriction(motionItem(p, 1), 1, 60);
    makeGlobal(a, 1);
    makeGlobal(b, 1);
    TreeItem* c = addRestriction(motionItem(p, 1), 1, 90);
    makeGlobal(c, 2);

    DeleteNode(ws, a);
    EXPECT_EQ(groupItem(p, 1)->ChildCount(), 1);
    EXPECT_TRUE(consistent(ws.tree, p));

    // The last member takes its object along; object 2 moves up.
    DeleteNode(ws, b);
    EXPECT_EQ(p->Node()->IntPar[8], 1);
    EXPECT_EQ(restr(c)->GroupNo(), 1);
    EXPECT_TRUE(consistent(ws.tree, p));

    // A whole motion takes the members of all its restrictions.
    DeleteNode(ws, motionItem(p, 1));
    EXPECT_EQ(p->ChildCount(), 0);
    EXPECT_EQ(p->Node()->IntPar[3], 0);
    EXPECT_EQ(p->Node()->IntPar[8], 0);
}

TEST_F(TreeOpsTest, DeletingAnObjectFreesItsRestrictions)
{
    TreeItem* p = projectWithMotions(1);
    TreeItem* a = addRestriction(motionItem(p, 1), 1, 30);
    makeGlobal(a, 1);
    TreeItem* b = addRestriction(motionItem(p, 1), 1, 60);
    makeGlobal(b, 2);
    DeleteNode(ws, groupItem(p, 1));
    EXPECT_FALSE(restr(a)->IsGlobal);
    EXPECT_EQ(restr(a)->GroupNo(), 0);
    EXPECT_EQ(restr(b)->GroupNo(), 1);
    EXPECT_TRUE(consistent(ws.tree, p));
}

TEST_F(TreeOpsTest, DeletingRestrictionOfMissingObjectLeavesNoDanglingMember)
{
    TreeItem* p = projectWithMotions(1);
    TreeItem* a = addRestriction(motionItem(p, 1), 1, 30);
    TreeItem* member = makeGlobal(a, 1);
    restr(a)->GroupNo() = 5; // disagrees with the object it is in
    TreeItem* b = addRestriction(motionItem(p, 1), 1, 60);
    restr(b)->IsGlobal = true;
    restr(b)->GroupNo() = 7; // names an object that does not exist

    DeleteNode(ws, b);
    DeleteNode(ws, a);
    EXPECT_FALSE(ws.tree.Contains(member));
    EXPECT_EQ(countOf(p, isGroup), 0);
    ws.tree.ForEach([&](TreeItem* i) {
        if (auto* m = i->NodeAs<TGroupMember>()) {
            EXPECT_TRUE(ws.tree.Contains(m->RefTNR));
        }
    });
}

TEST_F(TreeOpsTest, DeletingAProjectRemovesAllItsMotionsFromDiagrams)
{
    TreeItem* p = projectWithMotions(3);
    makeGlobal(motionItem(p, 2)->Child(0), 0);
    TreeItem* other = projectWithMotions(1);
    DeleteNode(ws, p);
    EXPECT_EQ(ws.tree.TopLevelCount(), 1);
    EXPECT_EQ(ws.tree.TopLevel(0), other);
    EXPECT_EQ(hooks.removed.size(), 6u);
    EXPECT_TRUE(consistent(ws.tree, other));
}

TEST_F(TreeOpsTest, MarkedRelativeMotionFollowsItsMotionsByMagnitude)
{
    // A "K" restriction read from a file names its first motion negatively
    // and gets a relative motion of its own.
    TreeItem* p = projectWithMotions(3);
    TreeItem* marked = EnsureRelMotion(ws.tree, -2, 3, p);
    TreeItem* r = addRestriction(marked, 40, 10);
    ASSERT_EQ(restr(r)->Motion(), -2);

    DeleteNode(ws, motionItem(p, 1));
    EXPECT_EQ(marked->Node()->IntPar[1], -1);
    EXPECT_EQ(marked->Node()->IntPar[2], 2);
    EXPECT_EQ(marked->Text(), "Bewegungsvorgabe (rel) 1-2");
    EXPECT_EQ(restr(r)->Motion(), -1);
    EXPECT_EQ(restr(r)->Motion2(), 2);
    EXPECT_EQ(r->Text().substr(0, 2), "K ");

    // Result propagation looks the motion up by magnitude and creates nothing.
    const int children = p->ChildCount();
    UpdateResultState(ws, p);
    EXPECT_EQ(p->ChildCount(), children);

    DeleteNode(ws, motionItem(p, 1));
    EXPECT_FALSE(ws.tree.Contains(marked));
    EXPECT_TRUE(consistent(ws.tree, p));
}

TEST_F(TreeOpsTest, DamagedCountersNeitherStallNorInventNodes)
{
    // A damaged file can leave counters far above the nodes that exist.
    TreeItem* p = projectWithMotions(2);
    makeGlobal(motionItem(p, 1)->Child(0), 1);
    TreeItem* far = makeGlobal(motionItem(p, 2)->Child(0), 2000000000)->Parent();
    EXPECT_EQ(p->Node()->IntPar[8], 2000000000);
    DeleteNode(ws, groupItem(p, 1));
    EXPECT_EQ(far->Node()->IntPar[1], 1999999999);

    p->Node()->IntPar[3] = 2000000000;
    const int before = p->ChildCount();
    DeleteNode(ws, motionItem(p, 1));
    EXPECT_EQ(p->ChildCount(), before - 2); // motion 1 and 1-2
    EXPECT_EQ(countOf(p, isMotion), 1);
    EXPECT_NE(motionItem(p, 1), nullptr);
}

TEST_F(TreeOpsTest, RandomEditingKeepsEveryLinkConsistent)
{
    for (unsigned seed = 1; seed <= 8; ++seed) {
        std::mt19937 rng(seed);
        ws.tree.Clear();
        for (int step = 0; step < 150; ++step) {
            std::vector<TreeItem*> all;
            ws.tree.ForEach([&](TreeItem* i) { all.push_back(i); });
            TreeItem* any = all.empty() ? nullptr : all[rng() % all.size()];
            ws.tree.SetSelected(any);
            switch (rng() % 8) {
            case 0:
                if (ws.tree.TopLevelCount() < 3)
                    NewProjectCommand(ws);
                break;
            case 1: NewMotionCommand(ws); break;
            case 2: NewAbsRestrictionCommand(ws); break;
            case 3: NewRelRestrictionCommand(ws); break;
            case 4:
                if (any && any->NodeAs<TRestr>() && !restr(any)->IsGlobal)
                    makeGlobal(any, static_cast<int>(rng() % (ProjectOf(any)->Node()->IntPar[8] + 2)));
                break;
            case 5:
            case 6: DeleteCommand(ws); break;
            case 7:
                if (any && !any->Parent() && ws.tree.TopLevelCount() < 4)
                    DropProject(ws, any, nullptr);
                break;
            }
            SortProject(ws.tree);
            for (int i = 0; i < ws.tree.TopLevelCount(); ++i)
                ASSERT_TRUE(consistent(ws.tree, ws.tree.TopLevel(i))) << "seed " << seed << " step " << step;
            ASSERT_TRUE(!ws.tree.Selected() || ws.tree.Contains(ws.tree.Selected()));
            ASSERT_FALSE(ws.Locked);
        }
    }
}

// --- highlight -------------------------------------------------------------------------------

TEST_F(TreeOpsTest, HighlightFollowsWhatBelongsToTheNode)
{
    TreeItem* p = projectWithMotions(2);
    TreeItem* m1 = motionItem(p, 1);
    TreeItem* a = addRestriction(m1, 1, 30);
    TreeItem* b = addRestriction(motionItem(p, 2), 1, 60);
    TreeItem* memberB = makeGlobal(b, 1);

    SetHighlight(m1, true);
    EXPECT_TRUE(m1->Node()->Highlight);
    EXPECT_TRUE(restr(a)->Highlight);
    EXPECT_FALSE(restr(b)->Highlight);
    SetHighlight(m1, false);
    EXPECT_FALSE(restr(a)->Highlight);

    SetHighlight(groupItem(p, 1), true);
    EXPECT_TRUE(restr(b)->Highlight);
    EXPECT_FALSE(memberB->Node()->Highlight);
    SetHighlight(groupItem(p, 1), false);
    SetHighlight(memberB, true);
    EXPECT_TRUE(restr(b)->Highlight);
    SetHighlight(nullptr, true);
}

// Numbers from damaged files reach the tree operations; none of them may
// overflow (undefined behaviour that a sanitizer build reports).
TEST(TreeOpsLimits, CountersAtTheEndOfTheirRangeGiveNoNewNumber)
{
    EXPECT_EQ(magnitude(std::numeric_limits<int32_t>::min()), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(magnitude(-7), 7);

    ProjectTree tree;
    TreeItem* project = tree.AddTopLevel(std::make_unique<TProject>());
    auto* p = project->NodeAs<TProject>();
    p->GroupCount() = std::numeric_limits<int32_t>::max();
    p->MotionCount() = std::numeric_limits<int32_t>::max();
    int g = 0;
    EXPECT_EQ(EnsureGroup(tree, g, project), nullptr);
    int n = 0;
    EXPECT_EQ(EnsureMotion(tree, n, project), nullptr);
    EXPECT_EQ(project->ChildCount(), 0);
    EXPECT_EQ(p->GroupCount(), std::numeric_limits<int32_t>::max());
}

} // namespace
} // namespace vemra

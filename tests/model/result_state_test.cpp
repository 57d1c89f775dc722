// Outdated results: which change outdates which motion's result, in its own
// project only, and the explanation kept with the results, as current as they
// are.
#include "support/tree_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace vemra {
namespace {

using namespace test;

class ResultStateTest : public TreeOpsTest {
protected:
    // Three motions with current results, nothing changed since.
    void SetUp() override
    {
        p = projectWithMotions(3);
        relRestriction = addRestriction(relItem(p, 2, 3), 40, 20);
        ws.tree.ForEach([](TreeItem* i) {
            i->Node()->Modified = false;
            if (auto* m = i->NodeAs<TPaintObj>())
                m->HasResult = m->ResultValid = true;
        });
        project()->AllValid = true;
        project()->Unsaved = false;
        ws.tree.SetSelected(p);
    }

    TProject* project() { return p->NodeAs<TProject>(); }
    std::vector<bool> validity()
    {
        std::vector<bool> v;
        for (int i = 0; i < p->ChildCount(); ++i)
            if (auto* m = p->Child(i)->NodeAs<TPaintObj>())
                v.push_back(m->ResultValid);
        return v;
    }

    TreeItem* p = nullptr;
    TreeItem* relRestriction = nullptr;
};

TEST_F(ResultStateTest, NothingModifiedKeepsResultsCurrent)
{
    UpdateResultState(ws, p);
    EXPECT_EQ(validity(), std::vector<bool>(6, true));
    EXPECT_TRUE(project()->AllValid);
    EXPECT_FALSE(project()->Unsaved);
    EXPECT_EQ(hooks.menuUpdates, std::vector<TreeItem*>{p});
}

TEST_F(ResultStateTest, ModifiedRelativeRestrictionOutdatesEveryCoupledMotion)
{
    restr(relRestriction)->Modified = true;
    UpdateResultState(ws, relRestriction);
    EXPECT_EQ(validity(), std::vector<bool>(6, false));
    EXPECT_FALSE(project()->AllValid);
    EXPECT_TRUE(project()->Unsaved);
}

TEST_F(ResultStateTest, OutdatedMotionReachesRelativesAlreadyPassed)
{
    // Relative results that were outdated before must not hide that motion 1
    // becomes outdated through 1-3 after 1-2 was already visited.
    for (int i = 0; i < p->ChildCount(); ++i)
        if (auto* rel = p->Child(i)->NodeAs<TRelHeader>())
            rel->ResultValid = false;
    motionItem(p, 3)->Node()->Modified = true;
    UpdateResultState(ws, p);
    EXPECT_EQ(validity(), std::vector<bool>(6, false));
}

TEST_F(ResultStateTest, ModifiedGlobalRestrictionOutdatesOnlyItsOwnProject)
{
    TreeItem* q = projectWithMotions(1);
    TreeItem* a = motionItem(q, 1)->Child(0);
    makeGlobal(a, 1);
    ws.tree.ForEach([](TreeItem* i) {
        i->Node()->Modified = false;
        if (auto* m = i->NodeAs<TPaintObj>())
            m->ResultValid = true;
    });
    UpdateResultState(ws, q);
    EXPECT_TRUE(motionItem(q, 1)->NodeAs<TPaintObj>()->ResultValid);
    EXPECT_TRUE(q->NodeAs<TProject>()->AllValid);

    restr(a)->Modified = true;
    UpdateResultState(ws, q);
    EXPECT_FALSE(motionItem(q, 1)->NodeAs<TPaintObj>()->ResultValid);
    EXPECT_FALSE(q->NodeAs<TProject>()->AllValid);
    // The other project is not touched.
    EXPECT_EQ(validity(), std::vector<bool>(6, true));
}

TEST_F(ResultStateTest, LockedWorkspaceChangesNothing)
{
    motionItem(p, 1)->Node()->Modified = true;
    ws.Locked = true;
    UpdateResultState(ws, p);
    EXPECT_EQ(validity(), std::vector<bool>(6, true));
    EXPECT_TRUE(hooks.menuUpdates.empty());
}

TEST_F(ResultStateTest, TheExplanationIsAsCurrentAsTheResults)
{
    // The restriction is record 7; motion 1 keeps its restriction count in
    // the same field, which must not be taken for a record.
    restr(relRestriction)->Ident() = 7;
    motionItem(p, 1)->Node()->Ident() = 7;
    ASSERT_EQ(FindByIdent(7, p), motionItem(p, 1));
    EXPECT_EQ(FindRestrictionByRecord(p, 7), relRestriction);
    EXPECT_EQ(FindRestrictionByRecord(p, 8), nullptr);

    auto& outcome = project()->LastOutcome.emplace();
    outcome.explanation = ResultExplanation{ExplanationStage::Conflict, -2, {}, {}, {}, {}, {7}};
    const auto role = [&] { return explanationRole(*project(), *restr(relRestriction)); };
    EXPECT_EQ(role(), ExplanationRole::Conflicting);

    restr(relRestriction)->Modified = true;
    UpdateResultState(ws, relRestriction);
    EXPECT_FALSE(outcome.current());
    EXPECT_EQ(role(), ExplanationRole::None);
    // Taken back, as "rückgängig" does: current with the results again.
    restr(relRestriction)->Modified = false;
    UpdateResultState(ws, relRestriction);
    EXPECT_TRUE(outcome.current());
    EXPECT_EQ(role(), ExplanationRole::Conflicting);

    // A copy has results but not their explanation (its records are not
    // numbered).
    TreeItem* copy = CopyProject(ws, p);
    EXPECT_FALSE(copy->NodeAs<TProject>()->LastOutcome);

    // A deletion outdates it for good: what it names may be gone.
    TreeItem* extra = addRestriction(motionItem(p, 3));
    extra->Node()->Modified = false;
    ws.tree.SetSelected(extra);
    ASSERT_TRUE(DeleteCommand(ws));
    UpdateResultState(ws, p);
    EXPECT_TRUE(project()->AllValid);
    EXPECT_FALSE(outcome.current());
    EXPECT_EQ(role(), ExplanationRole::None);
}

} // namespace
} // namespace vemra

// The tree fixture shared by the tests of the tree operations and of the
// commands built on them: a workspace with a scripted user and a recording
// observer, small builders, and a check that every numbered link of a
// project is consistent.
#pragma once

#include "commands/tree_commands.h"
#include "model/tree_ops.h"

#include "support/recording_model_observer.h"
#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vemra::test {


template <class T> TreeItem* childWhere(TreeItem* parent, int par, int value, int par2 = 0, int value2 = 0)
{
    for (int i = 0; i < parent->ChildCount(); ++i) {
        TreeItem* c = parent->Child(i);
        if (auto* n = c->NodeAs<T>(); n && n->IntPar[par] == value && (par2 == 0 || n->IntPar[par2] == value2))
            return c;
    }
    return nullptr;
}

inline TreeItem* motionItem(TreeItem* project, int n) { return childWhere<TRXHeader>(project, 2, n); }
inline TreeItem* relItem(TreeItem* project, int a, int b) { return childWhere<TRelHeader>(project, 1, a, 2, b); }
inline TreeItem* groupItem(TreeItem* project, int g) { return childWhere<TGroupHeader>(project, 1, g); }

inline TRestr* restr(TreeItem* item) { return item->NodeAs<TRestr>(); }

inline int countOf(TreeItem* parent, bool (*pred)(TreeItem*))
{
    int n = 0;
    for (int i = 0; i < parent->ChildCount(); ++i)
        n += pred(parent->Child(i)) ? 1 : 0;
    return n;
}
inline bool isMotion(TreeItem* i) { return i->NodeAs<TRXHeader>() != nullptr; }
inline bool isRel(TreeItem* i) { return i->NodeAs<TRelHeader>() != nullptr; }
inline bool isGroup(TreeItem* i) { return i->NodeAs<TGroupHeader>() != nullptr; }

// Every item's text is its caption, numbers are gap-free, every pair has its
// relative motion, and every member points at a live global restriction.
inline ::testing::AssertionResult consistent(const ProjectTree& tree, TreeItem* project)
{
    std::string problems;
    tree.ForEach([&](TreeItem* i) {
        if (i->Text() != i->Node()->Caption)
            problems += "text '" + i->Text() + "' != caption '" + i->Node()->Caption + "'; ";
    });
    const auto* p = project->NodeAs<TProject>();
    const int motions = p->IntPar[3];
    if (countOf(project, isMotion) != motions)
        problems += "motion count differs from IntPar[3]; ";
    for (int n = 1; n <= motions; ++n) {
        TreeItem* m = motionItem(project, n);
        if (!m) {
            problems += "motion " + std::to_string(n) + " missing; ";
            continue;
        }
        for (int i = 0; i < m->ChildCount(); ++i)
            if (restr(m->Child(i))->Motion() != n)
                problems += "restriction below motion " + std::to_string(n) + " has wrong Motion; ";
        for (int k = n + 1; k <= motions; ++k)
            if (!relItem(project, n, k))
                problems += "relative motion " + std::to_string(n) + "-" + std::to_string(k) + " missing; ";
    }
    if (countOf(project, isRel) != motions * (motions - 1) / 2)
        problems += "unexpected relative motions; ";
    for (int i = 0; i < project->ChildCount(); ++i) {
        TreeItem* r = project->Child(i);
        if (!isRel(r))
            continue;
        for (int k = 0; k < r->ChildCount(); ++k)
            if (restr(r->Child(k))->Motion() != r->Node()->IntPar[1] ||
                restr(r->Child(k))->Motion2() != r->Node()->IntPar[2])
                problems += "relative restriction with wrong motions below " + r->Text() + "; ";
    }
    if (countOf(project, isGroup) != p->IntPar[8])
        problems += "group count differs from IntPar[8]; ";
    for (int g = 1; g <= p->IntPar[8]; ++g) {
        TreeItem* gi = groupItem(project, g);
        if (!gi || gi->ChildCount() == 0) {
            problems += "group " + std::to_string(g) + " missing or empty; ";
            continue;
        }
        for (int k = 0; k < gi->ChildCount(); ++k) {
            auto* m = gi->Child(k)->NodeAs<TGroupMember>();
            if (!tree.Contains(m->RefTNR)) {
                problems += "dangling member; ";
                continue;
            }
            if (restr(m->RefTNR)->GroupNo() != g || !restr(m->RefTNR)->IsGlobal)
                problems += "member restriction not global in group " + std::to_string(g) + "; ";
        }
    }
    if (problems.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << problems;
}

class TreeOpsTest : public ::testing::Test {
protected:

    TreeItem* newProject() { return NewProjectCommand(ws); }

    // A project with motions 1..count, each with the one restriction that the
    // command creates.
    TreeItem* projectWithMotions(int count)
    {
        TreeItem* p = newProject();
        for (int i = 0; i < count; ++i) {
            ws.tree.SetSelected(p);
            NewMotionCommand(ws);
        }
        return p;
    }

    TreeItem* addRestriction(TreeItem* parent, int kind = 0, double angle = 0)
    {
        auto r = std::make_unique<TRestr>();
        if (parent->NodeAs<TRXHeader>()) {
            r->Motion() = parent->Node()->IntPar[2];
        } else {
            r->Motion() = parent->Node()->IntPar[1];
            r->Motion2() = parent->Node()->IntPar[2];
        }
        r->Kind() = kind;
        r->RealPar[2] = angle;
        r->RealPar[4] = angle + 10;
        r->RealPar[8] = 1;
        r->MakeCaption();
        return ws.tree.AddChild(parent, std::move(r));
    }

    // What the editor does when the user makes a restriction shiftable.
    TreeItem* makeGlobal(TreeItem* restriction, int g)
    {
        TRestr* r = restr(restriction);
        r->IsGlobal = true;
        r->RealPar[9] = r->RealPar[2] - 5;
        r->RealPar[10] = r->RealPar[2] + 5;
        r->GroupNo() = g;
        TreeItem* group = EnsureGroup(ws.tree, r->GroupNo(), ProjectOf(restriction));
        return AddGroupMember(ws.tree, group, restriction);
    }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> all;
        ws.tree.ForEach([&](TreeItem* i) { all.push_back(i->Text()); });
        return all;
    }

    ScriptedDialogs dialogs;
    Workspace ws{dialogs};
    test::RecordingModelObserver hooks{ws};
};

} // namespace vemra::test

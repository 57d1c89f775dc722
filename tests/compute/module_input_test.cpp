// The module input file: exact bytes of a small project, record numbering,
// effective parameters and the separation of values that fill their field.
#include "support/compute_doubles.h"

#include "compute/module_input.h"

#include <gtest/gtest.h>

namespace vemra {
namespace {

using namespace test;

std::string zeros(int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += "         0.0";
    return s;
}

struct SmallProject : Bench {
    TreeItem* project;
    TreeItem* motion1;
    TreeItem* motion2;
    TreeItem* global;
    TreeItem* wide;
    TreeItem* relative;
    TreeItem* group;

    SmallProject()
    {
        project = addProject(ws);
        motion1 = addMotion(ws, project, 2, 0.05);
        motion2 = addMotion(ws, project, 1);
        auto* p = project->NodeAs<TProject>();
        p->IntPar[4] = 8;
        p->IntPar[5] = 20;
        p->IntPar[6] = 1;
        p->RealPar[1] = 0.25;
        auto* m1 = motion1->NodeAs<TRXHeader>();
        m1->IntPar[4] = 1;
        m1->RealPar[1] = 2;
        m1->RealPar[2] = 1.5;

        global = addRestriction(ws, motion1, 1);
        auto* g = global->NodeAs<TRestr>();
        g->RealPar[6] = -1;
        g->RealPar[8] = 2;
        g->RealPar[10] = 180;
        g->IsGlobal = true;
        g->EffPar[2] = 777; // left over from an earlier computation
        int number = 0;
        group = EnsureGroup(ws.tree, number, project);
        g->GroupNo() = number;
        AddGroupMember(ws.tree, group, global);

        wide = addRestriction(ws, motion2, 0);
        auto* w = wide->NodeAs<TRestr>();
        w->IntPar[2] = -1234;
        w->IntPar[4] = 1234;
        w->RealPar[2] = -6970.811543;
        w->RealPar[6] = -1.5e-12;
        w->RealPar[8] = 123456789012.0;

        TreeItem* rel = nullptr;
        for (int i = 0; i < project->ChildCount(); ++i)
            if (project->Child(i)->NodeAs<TRelHeader>())
                rel = project->Child(i);
        relative = addRestriction(ws, rel, 40);
        auto* r = relative->NodeAs<TRestr>();
        r->RealPar[2] = 45;
        r->LowerMode() = -1;
        r->UpperMode() = -1;
        SortProject(ws.tree);
    }
};

TEST(ModuleInput, SmallProjectHasTheExactLayout)
{
    SmallProject s;
    std::string file;
    WriteModuleInput(s.relative, file);

    const std::string expected
        = "   0   0   2   8  20   1   0   1   1\r\n"
          "        0.25" + zeros(11) + "\r\n"
          "   0   1   2   1   0   0   0   0   2\r\n"
          "         2.0         1.5        0.05" + zeros(9) + "\r\n"
          "   1   0   1   0   0   0   0   1   3\r\n"
          "         0.0        90.0" + zeros(3) + "        -1.0         0.0         2.0         0.0       180.0"
          + zeros(2) + "\r\n"
          "   0   2   1   0   0   0   0   0   4\r\n" + zeros(12) + "\r\n"
          // A value that fills or exceeds its field keeps one blank before it.
          "   2 -1234   0 1234   0   0   0   0   5\r\n"
          "         0.0 -6970.811543" + zeros(3) + "   -0.15E-11         0.0 0.123456789E+12" + zeros(4) + "\r\n"
          // The relative motion has no record; its restriction continues the count.
          "   1   2  40   0   0  -1  -1   0   6\r\n"
          "         0.0        45.0" + zeros(10) + "\r\n";
    EXPECT_EQ(file, expected);
}

TEST(ModuleInput, NumbersRecordsAndResetsEffectiveParameters)
{
    SmallProject s;
    std::string first;
    WriteModuleInput(s.motion2, first);

    EXPECT_EQ(s.project->Node()->IntPar[9], 1);
    EXPECT_EQ(s.motion1->Node()->IntPar[9], 2);
    EXPECT_EQ(s.global->Node()->IntPar[9], 3);
    EXPECT_EQ(s.wide->Node()->IntPar[9], 5);
    EXPECT_EQ(s.relative->Node()->IntPar[9], 6);
    for (TreeItem* item : {s.global, s.wide, s.relative}) {
        const auto* r = item->NodeAs<TRestr>();
        for (int i = 1; i <= 12; ++i)
            EXPECT_EQ(r->EffPar[i], r->RealPar[i]);
        EXPECT_FALSE(r->Modified);
    }
    EXPECT_FALSE(s.project->Node()->Modified);
    EXPECT_FALSE(s.motion1->Node()->Modified);
    // Optimisation objects reach the module only through GroupNo.
    EXPECT_TRUE(s.group->Node()->Modified);

    // The count starts over with every file.
    std::string second;
    WriteModuleInput(s.project, second);
    EXPECT_EQ(first, second);
}

// Beyond the layout above: a real that just fits or just fills its field, and
// the ten significant digits of the exponent form.
TEST(ModuleInput, FieldWidths)
{
    EXPECT_EQ(moduleRealField(-69.0811543), " -69.0811543");
    EXPECT_EQ(moduleRealField(-697.0811543), " -697.0811543");
    // Ten digits and a two-digit exponent: 17 characters, never padded.
    EXPECT_EQ(moduleRealField(12345678912345.0), " 0.1234567891E+14");
    EXPECT_EQ(moduleRealField(-12345678912345.0), " -0.1234567891E+14");
}

} // namespace
} // namespace vemra

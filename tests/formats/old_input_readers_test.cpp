// The readers of the older programs' input files: which damage they report
// at which line (as an editor counts lines), what they make of numbers the
// model cannot hold, and what the samples hold beyond what becomes nodes.
#include "formats/rx4_file.h"
#include "formats/rxe_file.h"
#include "formats/rxw_file.h"

#include "model/tree_ops.h"
#include "support/test_data.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace vemra {
namespace {

using test::readTestFile;
using test::testDataPath;

// One two-line record of an ".rx4" file.
std::string record(const std::string& ints, const std::string& reals = "0.0")
{
    return ints + "\r\n" + reals + "\r\n";
}

std::string lines(std::initializer_list<const char*> list)
{
    std::string text;
    for (const char* l : list)
        text += std::string(l) + "\r\n";
    return text;
}

// The line a reader reports: 0 for a file that lacks what it announces,
// nothing when it read the file.
template <class F> std::optional<int> errorLine(F read)
{
    try {
        read();
    } catch (const ReadError& e) {
        return e.line();
    }
    return std::nullopt;
}

TEST(MotionSetReaders, ReportTheLineOfTheDamage)
{
    const std::string ok2 = lines({" 5  0  0", " 2.0 0.1"});
    const std::string point = "  0  3  0  90.0 0 0 0 -1.0 0 1.0 0";
    std::string fortyOne = ok2;
    for (int i = 0; i < 41; ++i)
        fortyOne += point + "\r\n";
    struct Case {
        const char* name;
        bool rxw;
        std::string text;
        std::optional<int> line; // 0: the file lacks its motion
    };
    const std::vector<Case> cases = {
        {"empty file", false, "", 0},
        {"ends before line 2", false, lines({" 5  0  0"}), 0},
        {"letters for K", false, lines({" x  0  0", "2.0 0.1"}), 1},
        {"negative K", false, lines({"-5  0  0", "2.0 0.1"}), 1},
        {"variable eta needs three reals", false, lines({" 5  1  0", "2.0 0.1"}), 2},
        {"relative kind", false, ok2 + lines({point.c_str(), " 40  3  0  90 0 0 0 -1 0 1 0"}), 4},
        {"unknown kind", false, ok2 + lines({" 30  3  0  90 0 0 0 -1 0 1 0"}), 3},
        {"seven reals", false, ok2 + lines({"  0  3  0  90 0 0 0 -1 0 1"}), 3},
        {"blank code column", false, ok2 + lines({"  0     0  90 0 0 0 -1 0 1 0"}), 3},
        {"negative harmonic order", false, ok2 + lines({" 24 -2  0  0 5 0 0 0 0 0 0"}), 3},
        {"cut off in a number", false, ok2 + point.substr(0, point.size() - 3), 3},
        {"41st restriction line", false, fortyOne, 43},
        {"blank lines count as lines", false, ok2 + lines({"", point.c_str(), "", "  0  3  0  90 0 x"}), 6},
        {"glued reals come apart", false, ok2 + lines({"  0  3  0  90.0 0 0 0-1.0 0 1.0-2.5E-01"}), std::nullopt},
        {"nothing after ccc is read", false, ok2 + lines({point.c_str(), "ccc", "x y z"}), std::nullopt},
        {"no [MLAbs]", true, lines({"[Version]", "1.0", "[Description]", "leer"}), 0},
        {"ends in [MLAbs]", true, lines({"[MLAbs]", "1", " 5  0  0"}), 0},
        {"damage after loose lines", true, lines({"frei", "[Version]", "2", "[MLAbs]", "1", " 5 0 0", "2 0.1", "  0  3  0  90 x"}), 8},
        {"negative count", true, lines({"[MLAbs]", "-1", " 5 0 0", "2 0.1"}), 2},
        {"second [MLAbs]", true, lines({"[MLAbs]", "0", " 5 0 0", "2 0.1", "[MLAbs]", "0"}), 5},
        {"short result table", true, lines({"[MLAbs]", "0", " 1 0 0", "2 0.1", "[Result]", "0 1", "1"}), 5},
        {"count ends the lines", true, lines({"[MLAbs]", "1", " 5 0 0", "2 0.1", point.c_str(), "kein Restriktionstext"}), std::nullopt},
    };
    for (const Case& c : cases) {
        const auto line = errorLine([&] { (void)(c.rxw ? readRxw(c.text) : readRxe(c.text)); });
        EXPECT_EQ(line, c.line) << c.name;
    }
}

// Many editors save the last line without a line end. A file whose last
// line is complete reads as it would with one; a cut that the format can
// detect (a value missing from its line or table) stays an error.
TEST(MotionSetReaders, LegalFileWithoutFinalLineEndReads)
{
    const TRXSet rxw = readRxw(readTestFile(testDataPath("rxw/result-at-end-without-line-end.rxw")));
    EXPECT_EQ(rxw.Result, (std::vector<std::pair<double, double>>{{0.0, 0.5}, {1.0, -0.25}, {0.125, 0.0}}));
    ASSERT_EQ(rxw.Restrictions.size(), 1u);

    std::string rxe = readTestFile(testDataPath("rxe/variable-eta.rxe"));
    ASSERT_EQ(rxe.substr(rxe.size() - 2), "\r\n");
    const TRXSet withEnd = readRxe(rxe);
    const TRXSet withoutEnd = readRxe(rxe.substr(0, rxe.size() - 2));
    ASSERT_EQ(withoutEnd.Restrictions.size(), withEnd.Restrictions.size());
    EXPECT_EQ(withoutEnd.Restrictions.back().r, withEnd.Restrictions.back().r);
    EXPECT_EQ(readRxe(lines({" 5  0  0"}) + " 2.0 0.1").Theta, 0.1);

    const std::string cut = readTestFile(testDataPath("rxw/result-at-end-without-line-end.rxw"));
    EXPECT_EQ(errorLine([&] { readRxw(cut.substr(0, cut.size() - 5)); }), 10);
    EXPECT_EQ(errorLine([&] { readRxe(rxe.substr(0, rxe.size() - 5)); }), 6);
}

// Found by fuzzing: a restriction line as short as its three codes made the
// reader look for values beyond the line's end.
TEST(MotionSetReaders, RestrictionLineWithOnlyItsCodesIsAnErrorOfItsLine)
{
    EXPECT_EQ(errorLine([] { readRxe(readTestFile(testDataPath("rxe/restriction-codes-without-values.rxe"))); }), 3);
}

// What the command-level tests do not see: the codes glued in their columns,
// the eta line of a variable eta, the result table that is not imported.
TEST(MotionSetReaders, Samples)
{
    const TRXSet eta = readRxe(readTestFile(testDataPath("rxe/variable-eta.rxe")));
    EXPECT_EQ(std::vector<double>({eta.EtaMax, eta.EtaLimit, eta.Theta}), std::vector<double>({0.01, 0.04, 0.08}));
    ASSERT_EQ(eta.Restrictions.size(), 4u);
    const TRXRestriction& glued = eta.Restrictions[2]; // " 12  3322"
    EXPECT_EQ(std::vector<int32_t>({glued.Kind, glued.B, glued.V}), std::vector<int32_t>({12, 3, 322}));
    EXPECT_EQ(glued.r, (std::array<double, 9>{0, 10, 0, 350, 360, -150, -300, 150, 300}));

    const TRXSet rxw = readRxw(readTestFile(testDataPath("rxw/section-order.rxw")));
    EXPECT_TRUE(rxw.HasResult);
    EXPECT_EQ(rxw.Result, (std::vector<std::pair<double, double>>{{0.0, 0.015}, {1.5, -2.0}}));
}

TEST(Rx4Reader, ReportsTheLineOfTheDamageAndBuildsNothing)
{
    const std::string project = record("   0   0   1   0   0   0   0   0");
    const std::string motion = record("   0   1   5");
    const std::string point = record("   1   0   1   0   0   0   0   0", "0 90 0 0 0 -1 0 1");
    struct Case {
        const char* name;
        std::string text;
        std::optional<int> line; // 0: records missing
    };
    const std::vector<Case> cases = {
        {"second project record", project + motion + project, 5},
        {"eleven motions", record("   0   0  11"), 1},
        {"negative group count", record("   0   0   1   0   0   0   0  -1"), 1},
        {"negative samples per step", record("   0   0   1  -8  20"), 1},
        {"negative motion number", project + motion + record("   0  -1   5"), 5},
        {"negative harmonic count", project + record("   0   1  -5"), 3},
        {"unknown kind", project + motion + record("   1   0  30"), 5},
        {"relative kind naming motion -2", project + motion + record("   1  -2  40"), 5},
        {"negative harmonic order", project + motion + record("   1  -3  24"), 5},
        {"integer beyond 32 bits", project + record("   0   1  99999999999"), 3},
        {"real beyond the double range", project + motion + record("   1   0   1", "0 1E999"), 6},
        {"a lone minus sign", project + record("   0   1   5   -"), 3},
        {"comment lines count as lines", "; Kommentar\r\n" + project + "x\r\n" + record("   0   1   x-"), 5},
        {"record without its second line", project + motion + "   1   0   1\r\n", 5},
        {"cut off in its last line", project + motion + "   1   0   1\r\n   0   90", 6},
        {"no project record", motion + point, 0},
        {"a motion without its record", record("   0   0   2") + motion + point, 0},
        {"an optimisation object without member", record("   0   0   1   0   0   0   0   1") + motion + point, 0},
        {"records beyond the announced motions", project + motion + record("   0   3   4") + record("   3   0   1"), std::nullopt},
    };
    for (const Case& c : cases) {
        ProjectTree tree;
        const auto line = errorLine([&] { Rx4Reader().read(tree, c.text, "x.rx4"); });
        EXPECT_EQ(line, c.line) << c.name;
        EXPECT_EQ(tree.TopLevelCount(), line ? 0 : 1) << c.name;
    }
}

TEST(Rx4Reader, KeepsNumbersTheModelCanHold)
{
    // Motion -2: a restriction that is only checked, below motion 2; -3
    // names a motion the project does not have and is passed over. A
    // group number beyond the announced objects takes part in none.
    const std::string text = "; Kurve A\r\n" + record("   0   0   2   0   0   1   0   1", "0.0") + record("   0   1   3") +
                             record("   0   2   4") + record("  -2   0   0   0   0   0   0   0", "0 45 0 0 0 -1 0 1") +
                             record("  -3   0   0") + record("  -1   2  50   0   0   0   0   1", "0 10 0 20 0 -1 0 1") +
                             record("   1   0   0   0   0   0   0   7", "0 90 0 0 0 -1 0 1");
    ProjectTree tree;
    TreeItem* project = Rx4Reader().read(tree, text, "k.rx4");
    auto* p = project->NodeAs<TProject>();
    EXPECT_EQ(p->MotionCount(), 2); // no motion 3 was made
    int one = 1;
    int two = 2;
    TreeItem* m1 = EnsureMotion(tree, one, project);
    TreeItem* m2 = EnsureMotion(tree, two, project);
    EXPECT_EQ(p->AdvancedSettings(), 0); // nothing of it is set, whatever the file says
    // A comment describes the record after it only.
    EXPECT_EQ(p->Description, "Kurve A");
    EXPECT_EQ(m1->NodeAs<TRXHeader>()->ShortName, "");
    ASSERT_EQ(m2->ChildCount(), 1);
    const auto* checked = m2->Child(0)->NodeAs<TRestr>();
    EXPECT_EQ(checked->Motion(), -2);
    EXPECT_EQ(checked->Caption.substr(0, 2), "K ");

    // The check-only relative restriction keeps its own relative motion
    // definition, as the project file keeps it; it is the group's member.
    TreeItem* rel = EnsureRelMotion(tree, -1, 2, project);
    ASSERT_EQ(rel->ChildCount(), 1);
    EXPECT_TRUE(rel->Child(0)->NodeAs<TRestr>()->IsGlobal);
    const auto* plain = m1->Child(0)->NodeAs<TRestr>();
    EXPECT_EQ(plain->GroupNo(), 0);
    EXPECT_FALSE(plain->IsGlobal);
}

} // namespace
} // namespace vemra

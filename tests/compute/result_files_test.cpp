// The readers of the module's files: what they take, what they refuse, and
// that no content at all can crash them.
#include "support/compute_doubles.h"

#include "compute/module_files.h"
#include "compute/module_input.h"
#include "compute/result_files.h"

#include <gtest/gtest.h>

#include <random>

namespace vemra {
namespace {

using namespace test;

TEST(ResultCodeFile, ReadsTheIntegerOnTheFirstLine)
{
    TempDir dir;
    const std::vector<std::pair<std::string, std::optional<int32_t>>> cases = {
        {"0", 0},          {"-2\r\n", -2},      {"  1  \r\nrest", 1}, {"+3\n", 3},
        {"", std::nullopt}, {"abc", std::nullopt}, {"1.5", std::nullopt}, {"-2 x", std::nullopt},
        {"99999999999", std::nullopt}, {"\n-2", std::nullopt}, {std::string("1\0", 2), std::nullopt},
    };
    for (const auto& [content, expected] : cases) {
        dir.write("rx4.err", content);
        EXPECT_EQ(readResultCodeFile(dir.path() / "rx4.err"), expected) << '"' << content << '"';
    }
    EXPECT_EQ(readResultCodeFile(dir.path() / "missing"), std::nullopt);
}

TEST(CoefficientFile, PairsGoToTheirElements)
{
    Bench b;
    auto* m = addMotion(b.ws, addProject(b.ws), 2)->NodeAs<TRXHeader>();
    // (b0, eta), (b1, a1), (b2, a2), then something the reader ignores.
    b.dir.write("remote$.fk1", " 0.5 0.25\n1E+00\n-2.0\r\n3 4 garbage");
    ASSERT_TRUE(ReadCoefficientFile(*m, b.dir.path()));
    ASSERT_EQ(m->sSC.Count(), 6);
    const double expected[] = {0.25, 0.5, -2.0, 1.0, 4.0, 3.0};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(m->sSC[i], expected[i]) << i;
    EXPECT_TRUE(m->ResultValid);
}

TEST(CoefficientFile, FailureLeavesTheOldCoefficients)
{
    Bench b;
    auto* m = addMotion(b.ws, addProject(b.ws), 1)->NodeAs<TRXHeader>();
    m->sSC.ReSize(4);
    m->sSC[2] = 7;
    for (const std::string content : {"1 2 3", "1 2 3 nan", "1 2 3 1e999", "1 2 3 4,5", "1 2 3 inf"}) {
        b.dir.write("remote$.fk1", content);
        EXPECT_FALSE(ReadCoefficientFile(*m, b.dir.path())) << content;
        EXPECT_EQ(m->sSC.Count(), 4);
        EXPECT_EQ(m->sSC[2], 7);
        EXPECT_FALSE(m->ResultValid);
    }
    std::filesystem::remove(b.dir.path() / "remote$.fk1");
    EXPECT_FALSE(ReadCoefficientFile(*m, b.dir.path()));
    // A number too small for a double is zero, not an error.
    b.dir.write("remote$.fk1", "1 2 3 1e-400");
    EXPECT_TRUE(ReadCoefficientFile(*m, b.dir.path()));
    EXPECT_EQ(m->sSC[2], 0.0);
}

// A record as the module returns it: the restriction's integers with GroupNo
// and number replaced, and twelve reals starting at first.
std::string record(const TRestr& r, int32_t groupNo, int32_t ident, double first)
{
    std::string s;
    for (int i = 1; i <= 7; ++i)
        s += std::to_string(r.IntPar[i]) + ' ';
    s += std::to_string(groupNo) + ' ' + std::to_string(ident) + '\n';
    for (int i = 0; i < 12; ++i)
        s += std::to_string(first + i) + ' ';
    return s + '\n';
}

struct EffectiveParamsProject : Bench {
    TreeItem* project = addProject(ws);
    TreeItem* motion1 = addMotion(ws, project, 1);
    TreeItem* motion2 = addMotion(ws, project, 1);
    TRestr* shiftable = addRestriction(ws, motion1)->NodeAs<TRestr>();
    TRestr* plain = addRestriction(ws, motion2)->NodeAs<TRestr>();
    TRestr* relative = nullptr;

    EffectiveParamsProject()
    {
        for (int i = 0; i < project->ChildCount(); ++i)
            if (project->Child(i)->NodeAs<TRelHeader>())
                relative = addRestriction(ws, project->Child(i), 40)->NodeAs<TRestr>();
        shiftable->GroupNo() = 1;
        std::string ignored;
        WriteModuleInput(project, ignored); // numbers: shiftable 3, plain 5, relative 6
    }
};

TEST(EffectiveParams, OnlyRecordsOfShiftableRestrictionsAreApplied)
{
    EffectiveParamsProject p;
    const std::string text = record(*p.shiftable, 1, 3, 100)
                             + record(*p.plain, 0, 5, 200)     // GroupNo 0
                             + record(*p.plain, 1, 2, 300)     // number of a motion
                             + record(*p.relative, 1, 99, 400) // unknown number
                             + "7\n";                          // a lone trailing number
    p.dir.write("remote$.rx5", text);
    EXPECT_TRUE(ReadEffectiveParams(p.project, p.dir.path() / "remote$.rx5"));
    EXPECT_EQ(p.shiftable->EffPar[1], 100);
    EXPECT_EQ(p.shiftable->EffPar[12], 111);
    EXPECT_EQ(p.plain->EffPar[1], p.plain->RealPar[1]);
    EXPECT_EQ(p.plain->EffPar[2], 90);
}

TEST(EffectiveParams, BrokenFileFallsBackToTheEnteredParameters)
{
    EffectiveParamsProject p;
    const std::string good = record(*p.shiftable, 1, 3, 100);
    // The last cut drops the twelfth real ("111.000000 \n").
    for (const std::string& broken : {good + "1 2 3", good + "x", good.substr(0, good.size() - 12)}) {
        p.dir.write("remote$.rx5", broken);
        p.relative->EffPar[4] = 55;
        EXPECT_FALSE(ReadEffectiveParams(p.project, p.dir.path() / "remote$.rx5"));
        for (TRestr* r : {p.shiftable, p.plain, p.relative})
            for (int i = 1; i <= 12; ++i)
                EXPECT_EQ(r->EffPar[i], r->RealPar[i]);
    }
    EXPECT_FALSE(ReadEffectiveParams(p.project, p.dir.path() / "missing"));
}

// Random bytes, numbers in odd forms and every truncation of a good file:
// each reader must come back with an answer, and a failed read must leave
// the documented fallback behind.
TEST(ResultReaders, SurviveAnyContent)
{
    EffectiveParamsProject p;
    auto* motion = p.motion1->NodeAs<TRXHeader>();
    motion->IntPar[3] = 3;
    std::mt19937 random(20240611);
    const std::vector<std::string> pieces = {"0", "-1", "1e308", "-1e309", "nan", "inf", "1.5E-400", "+", "-",
                                             "2147483648", "9e99999", "0x10", ".", "1,5", "\r\n", " ", "\t", "\0",
                                             "\xff", "E", "12-3", "1..2"};
    const std::string good = record(*p.shiftable, 1, 3, 100) + "0.5 0 1 2 3 4 5 6\n";
    std::vector<std::string> inputs;
    for (std::size_t n = 0; n <= good.size(); ++n)
        inputs.push_back(good.substr(0, n));
    for (int i = 0; i < 200; ++i) {
        std::string s;
        const int count = static_cast<int>(random() % 40);
        for (int k = 0; k < count; ++k)
            s += random() % 3 ? pieces[random() % pieces.size()] + ' ' : std::string(1, char(random() % 256));
        inputs.push_back(s);
    }
    for (const auto& content : inputs) {
        for (const char* name : {"rx4.err", "remote$.rx5", "remote$.fk1"})
            p.dir.write(name, content);
        const auto code = readResultCodeFile(p.dir.path() / "rx4.err");
        if (code) {
            EXPECT_NE(content.find(std::to_string(*code)), std::string::npos);
        }
        if (!ReadEffectiveParams(p.project, p.dir.path() / "remote$.rx5")) {
            EXPECT_EQ(p.shiftable->EffPar[5], p.shiftable->RealPar[5]);
        }
        if (ReadCoefficientFile(*motion, p.dir.path())) {
            ASSERT_EQ(motion->sSC.Count(), 8);
            for (int i = 0; i < 8; ++i)
                EXPECT_TRUE(std::isfinite(motion->sSC[i]));
        }
    }
}

} // namespace
} // namespace vemra

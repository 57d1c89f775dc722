// The model as vemra-cli shows it from outside: tree listing, exact numbers,
// evaluation of relative motions, and how bad input is answered.
#include "support/temp_dir.h"
#include "support/test_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>

#include <sys/wait.h>

namespace {

using vemra::test::examplePath;
using vemra::test::TempDir;

struct Output {
    int status = -1;
    std::string out, err;
};

Output cli(const std::string& arguments)
{
    const TempDir dir; // for standard error
    Output result;
    const std::string command
        = std::string("'") + VEMRA_CLI + "' " + arguments + " 2>'" + (dir.path() / "err").string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.out.append(buffer, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = dir.read("err");
    return result;
}

std::string example(const std::string& name)
{
    return "'" + examplePath(name).string() + "'";
}

double eval(const std::string& arguments)
{
    return std::stod(cli("eval " + arguments).out);
}

TEST(CliModelTest, CheckListsTheSortedTreeOneCaptionPerLine)
{
    const Output r = cli("check " + example("greifer.r4p"));
    ASSERT_EQ(r.status, 0);
    // Restrictions are sorted by kind, then angle: the point restriction at
    // 180 degrees comes before the interval restriction.
    EXPECT_EQ(r.out.rfind("greifer.r4p\n  Bewegungsvorgabe (abs) 1\n    [s0]: 180.0 -> (40.0 ... 40.0)\n", 0), 0u)
        << r.out;
    EXPECT_NE(r.out.find("\n  Bewegungsvorgabe (rel) 1-2\n"), std::string::npos);
}

TEST(CliModelTest, RelativeMotionEvaluatesToTheDifferenceOfItsMotions)
{
    for (const std::string phi : {"0", "37.5", "200"}) {
        const double a = eval(example("greifer.r4p") + " 1 s 1 " + phi);
        const double b = eval(example("greifer.r4p") + " 2 s 1 " + phi);
        const double d = eval(example("greifer.r4p") + " 1-2 s 1 " + phi);
        EXPECT_NEAR(d, a - b, 1e-9 * (1 + std::abs(a) + std::abs(b))) << phi;
    }
}

TEST(CliModelTest, ExtremaEncloseEverySampleAndActualValuesHaveEightNumbers)
{
    const Output e = cli("extrema " + example("hubkurve.r4p") + " 1 s 0 0 360");
    ASSERT_EQ(e.status, 0);
    double lo = 0, hi = 0;
    std::istringstream(e.out) >> lo >> hi;
    for (double phi = 0; phi <= 360; phi += 7.5) {
        const double v = eval(example("hubkurve.r4p") + " 1 s 0 " + std::to_string(phi));
        EXPECT_GE(v, lo - 1e-3);
        EXPECT_LE(v, hi + 1e-3);
    }

    const Output a = cli("actual " + example("hubkurve.r4p"));
    ASSERT_EQ(a.status, 0);
    std::istringstream lines(a.out);
    int restrictions = 0;
    for (std::string line; std::getline(lines, line); ++restrictions) {
        std::istringstream in(line.substr(line.rfind('\t') + 1));
        int count = 0;
        for (double x; in >> x;)
            ++count;
        EXPECT_EQ(count, 8) << line;
    }
    EXPECT_EQ(restrictions, 5);
}

TEST(CliModelTest, ResaveOfAnUntouchedFileIsByteIdentical)
{
    const TempDir dir;
    ASSERT_EQ(cli("resave " + example("foerderer.r4p") + " '" + (dir.path() / "out.r4p").string() + "'").status, 0);
    EXPECT_EQ(dir.read("out.r4p"), vemra::test::readTestFile(examplePath("foerderer.r4p")));
}

TEST(CliModelTest, BadInputIsAnsweredWithAReasonAndAnExitStatus)
{
    EXPECT_EQ(cli("eval").status, 1);
    EXPECT_EQ(cli("eval " + example("greifer.r4p") + " 1 x 0 0").status, 1);
    EXPECT_EQ(cli("eval " + example("greifer.r4p") + " 7 s 0 0").status, 1);

    const TempDir dir;
    dir.write("vemra-cli-damaged.r4p", "   0   0   1   0   0   0   0   0   0\r\n   0.5x\r\n");
    const Output r = cli("check '" + (dir.path() / "vemra-cli-damaged.r4p").string() + "'");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("vemra-cli-damaged.r4p"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Zeile 2"), std::string::npos) << r.err;
}

} // namespace

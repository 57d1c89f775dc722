#include "sample_project.h"

#include "support/test_data.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

#ifdef VEMRA_CLI

namespace vemra::test {
namespace {

// Runs vemra-cli with the arguments (quoted), returns its exit status.
int cli(const std::vector<std::string>& args)
{
    std::string command = std::string("'") + VEMRA_CLI + "'";
    for (const auto& a : args)
        command += " '" + a + "'";
    command += " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CliReportAndTable, WriteWhatTheDesktopWrites)
{
    SampleProject sample;
    const auto out = [&](const char* name) { return (sample.dir.path() / name).string(); };

    ASSERT_EQ(cli({"report", sample.fileName(), out("r.rtf"), "--date", "05.12.2026", "--decimal", ","}), 0);
    EXPECT_EQ(sample.dir.read("r.rtf"), readTestFile(testDataPath("rtf/loesung-results-comma.rtf")));

    ASSERT_EQ(cli({"table", sample.fileName(), "1", out("t.tab"), "--columns", "s,s1,s2,s3,M,q,q1,q2,q3", "--step",
                   "10"}),
              0);
    EXPECT_EQ(sample.dir.read("t.tab"), readTestFile(testDataPath("tab/hub-all-columns-step10.tab")));

    // The relative motion 1-2 and the defaults: s, s', s'' every degree.
    ASSERT_EQ(cli({"table", sample.fileName(), "1-2", out("rel.tab"), "--digits", "4"}), 0);
    const std::string rel = sample.dir.read("rel.tab");
    EXPECT_EQ(std::count(rel.begin(), rel.end(), '\n'), 361);
    EXPECT_EQ(rel.substr(0, rel.find("\r\n")), " 0.0\t  6.5\t  20.25\t -5.0");
}

TEST(CliReportAndTable, RefuseWhatTheyCannotDo)
{
    SampleProject sample;
    SampleProject uncomputed(Uncomputed);
    const std::string out = (sample.dir.path() / "x").string();
    struct Case {
        std::vector<std::string> args;
        int status;
    };
    for (const Case& c : {
             Case{{"report", sample.fileName()}, 1},
             Case{{"report", sample.fileName(), out, "--date", "31.2.2026"}, 1},
             Case{{"report", sample.fileName(), out, "--decimal", ";"}, 1},
             Case{{"report", (sample.dir.path() / "missing.r4p").string(), out}, 2},
             Case{{"table", sample.fileName(), "4", out}, 1},
             Case{{"table", sample.fileName(), "1", out, "--step", "0"}, 1},
             Case{{"table", sample.fileName(), "1", out, "--digits", "11"}, 1},
             Case{{"table", sample.fileName(), "1", out, "--columns", "s,x"}, 1},
             Case{{"table", sample.fileName(), "1", out, "--width", "3"}, 1},
             Case{{"table", uncomputed.fileName(), "1", out}, 3},
         }) {
        EXPECT_EQ(cli(c.args), c.status) << c.args[0] << " " << c.args.back();
        EXPECT_FALSE(sample.dir.exists("x"));
    }
}

} // namespace
} // namespace vemra::test

#endif

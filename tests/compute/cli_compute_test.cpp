// vemra-cli compute and module-input run as programs against the stand-in
// module: the lines they print, their exit status and what they save.
#include "support/compute_doubles.h"

#include "compute/module_input.h"

#include "commands/file_commands.h"
#include "formats/project_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

namespace vemra {
namespace {

using namespace test;

struct CliRun {
    std::string out;
    int status = -1;
};

// The lock directory is the test's own, so that computations of other tests
// or of a user never meet this one.
CliRun runCli(const std::string& arguments, const std::filesystem::path& lockDir)
{
    CliRun run;
    const std::string command
        = "XDG_RUNTIME_DIR=" + lockDir.string() + ' ' + VEMRA_CLI + ' ' + arguments + " 2>/dev/null";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, n);
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

struct CliProjects {
    TempDir dir;
    std::string path(const std::string& name) const { return (dir.path() / name).string(); }

    // Saves a computable project (or an inconsistent one) as name.
    void save(const std::string& name, bool consistent = true)
    {
        ScriptedDialogs dialogs;
        Workspace ws(dialogs);
        TreeItem* project = simpleProject(ws);
        if (!consistent) {
            auto* r = project->Child(0)->Child(0)->NodeAs<TRestr>();
            r->RealPar[8] = -1;
        }
        ASSERT_FALSE(writeProjectFile(project, path(name)));
    }
    std::string options() const
    {
        return std::string("--module ") + FAKE_RX_MODULE + " --workdir " + dir.path().string() + ' ';
    }
    bool hasResults(const std::string& name) const
    {
        ScriptedDialogs dialogs;
        Workspace ws(dialogs);
        TreeItem* project = readProjectFile(ws, path(name));
        return project && project->NodeAs<TProject>()->HasResults;
    }
};

// Which projects a batch saves, and what it prints for each, is the command
// line suite's; here: -o saves elsewhere and leaves the project alone.
TEST(CliCompute, OutputFileTakesTheResults)
{
    CliProjects p;
    p.save("a.r4p");
    p.dir.write("fake_module.ctl", "write rx4.err\n1\nend\nwrite remote$.fk1\n1 0 0 2\nend\n");
    const CliRun run
        = runCli("compute " + p.options() + "-o " + p.path("out.r4p") + ' ' + p.path("a.r4p"), p.dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, p.path("a.r4p") + ": 1 Die Maximalforderungen werden erfüllt. -> Strengere "
                                         "Restriktionen (Spektrum) sind möglich\n");
    EXPECT_TRUE(p.hasResults("out.r4p"));
    EXPECT_FALSE(p.hasResults("a.r4p"));
}

TEST(CliCompute, UsageErrors)
{
    CliProjects p;
    p.save("a.r4p");
    for (const std::string& arguments : {"compute " + p.path("a.r4p"),
                                        "compute --in-place -o x.r4p " + p.path("a.r4p"),
                                        "compute -o x.r4p " + p.path("a.r4p") + ' ' + p.path("a.r4p"),
                                        "compute --priority idle --in-place " + p.path("a.r4p"),
                                        "module-input " + p.path("a.r4p")})
        EXPECT_EQ(runCli(arguments, p.dir.path()).status, 1) << arguments;
    EXPECT_EQ(runCli("compute --in-place " + p.path("missing.r4p"), p.dir.path()).status, 2);
}

TEST(CliModuleInput, WritesWhatTheComputationWrites)
{
    CliProjects p;
    p.save("a.r4p");
    p.save("bad.r4p", false);
    EXPECT_EQ(runCli("module-input " + p.path("a.r4p") + ' ' + p.path("in.rx4"), p.dir.path()).status, 0);
    ScriptedDialogs dialogs;
    Workspace ws(dialogs);
    std::string expected;
    WriteModuleInput(readProjectFile(ws, p.path("a.r4p")), expected);
    EXPECT_EQ(p.dir.read("in.rx4"), expected);
    EXPECT_EQ(runCli("module-input " + p.path("bad.r4p") + ' ' + p.path("bad.rx4"), p.dir.path()).status, 2);
    EXPECT_FALSE(p.dir.exists("bad.rx4"));
}

} // namespace
} // namespace vemra

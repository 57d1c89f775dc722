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

TEST(CliCompute, SavesResultsOnlyWhereTheModuleSolved)
{
    CliProjects p;
    p.save("a.r4p");
    p.save("b.r4p", false);
    p.save("c.r4p");
    const std::string a = p.path("a.r4p"), b = p.path("b.r4p"), c = p.path("c.r4p");
    struct Case {
        std::string code, arguments;
        int status;
        std::string out; // up to the running time
        std::vector<std::pair<std::string, bool>> results;
    };
    const Case cases[] = {
        {"1", "-o " + p.path("out.r4p") + ' ' + a, 0,
         a + ": 1 Die Maximalforderungen werden erfüllt. -> Strengere Restriktionen (Spektrum) sind möglich\n",
         {{"out.r4p", true}, {"a.r4p", false}}},
        {"-2", "--in-place " + a, 3, a + ": -2 Minimalforderungen sind nicht erfüllbar.\n", {{"a.r4p", false}}},
        // Several projects are a batch.
        {"0", "--in-place " + a + ' ' + b + ' ' + c, 3,
         a + ": 0 ok\n" + b + ": - Das aktuelle Projekt enthält Inkonsistenzen und konnte nicht berechnet werden.\n" + c
             + ": 0 ok\nDie Berechnung ist abgeschlossen.\nFür 2 von 3 Projekte(n) wurden Lösungen gefunden.\n",
         {{"a.r4p", true}, {"b.r4p", false}, {"c.r4p", true}}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.arguments);
        p.dir.write("fake_module.ctl", "write rx4.err\n" + k.code + "\nend\nwrite remote$.fk1\n1 0 0 2\nend\n");
        const CliRun run = runCli("compute " + p.options() + k.arguments, p.dir.path());
        EXPECT_EQ(run.status, k.status);
        EXPECT_EQ(run.out.substr(0, run.out.find("Rechenzeit: ")), k.out);
        for (const auto& [name, results] : k.results)
            EXPECT_EQ(p.hasResults(name), results) << name;
    }
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

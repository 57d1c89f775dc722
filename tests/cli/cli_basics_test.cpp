// What a new user meets first: help and version that touch nothing, an
// unreadable project file named with its reason, a work folder that is
// created when it does not exist; the usage errors, compute -o, and what
// module-input and import write.
#include "cli_run.h"

#include "support/scripted_dialogs.h"
#include "support/test_data.h"

#include "commands/file_commands.h"
#include "compute/module_input.h"

#include <gtest/gtest.h>

namespace vemra::test {
namespace {

TEST(CliBasics, HelpAndVersionTouchNothing)
{
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--help"}, "vemra-cli " VEMRA_VERSION ": "},
        {{"--version"}, "vemra-cli " VEMRA_VERSION "\n"},
        {{"compute", "--workdir", "neu", "-j", "0", "--in-place", "a.r4p", "--help"},
         "Aufruf: vemra-cli compute [--priority low|normal|high] [--module PROGRAMM] [--workdir ORDNER]\n"
         "                          [-j ANZAHL] [--verbose]"},
        {{"check", "a.r4p", "-h"}, "Aufruf: vemra-cli check DATEI.r4p...\n"},
    };
    for (const auto& [args, begins] : cases) {
        TempDir folder;
        saveProject(folder, "a.r4p", 1);
        const auto before = projectFiles(folder);
        const CliOutcome run = runCli(args, folder);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.rfind(begins, 0), 0u) << run.out;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(projectFiles(folder), before);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1) << "nothing new";
    }
}

TEST(CliBasics, AnUnreadableProjectFileIsNamedWithItsReason)
{
    TempDir folder;
    saveProject(folder, "a.r4p", 1);
    std::filesystem::create_directory(folder.path() / "ordner.r4p");
    // The reason is the system's, in the user's language.
    const CliOutcome run = runCli({"check", "a.r4p", "fehlt.r4p", "ordner.r4p"}, folder);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out.rfind("a.r4p\n", 0), 0u) << "the readable file is listed all the same";
    EXPECT_NE(run.err.find("Fehler: Projektdatei fehlt.r4p konnte nicht geöffnet werden: "), std::string::npos);
    EXPECT_NE(run.err.find("Fehler: Projektdatei ordner.r4p konnte nicht geöffnet werden: "), std::string::npos);
    const CliOutcome compute = runCli({"compute", "--in-place", "a.r4p", "fehlt.r4p"}, folder);
    EXPECT_EQ(compute.status, 2);
    EXPECT_EQ(compute.out, "") << "nothing is computed";
    EXPECT_NE(compute.err.find("Projektdatei fehlt.r4p konnte nicht geöffnet werden: "), std::string::npos);
}

TEST(CliBasics, AMissingWorkFolderIsCreated)
{
    const std::pair<std::string, std::string> cases[] = {
        // The stand-in module finds no script in a new folder and ends
        // without a result code: -30, after its input was written there.
        {"neu/tiefer", "a.r4p: -30 Der Berechnungsmodul liefert keine Rückmeldung"},
        {"datei", "Fehler: Der Arbeitsordner datei ist kein Ordner.\n"},
        {"datei/unter", "Fehler: Der Arbeitsordner datei/unter konnte nicht angelegt werden: "},
    };
    for (const char* jobs : {"1", "2"}) {
        for (const auto& [workDir, expected] : cases) {
            TempDir folder;
            saveProject(folder, "a.r4p", 1);
            saveProject(folder, "b.r4p", 2);
            folder.write("datei", "kein Ordner");
            const CliOutcome run = runCli({"compute", "--module", FAKE_RX_MODULE, "--workdir", workDir, "-j", jobs,
                                           "--in-place", "a.r4p", "b.r4p"},
                                          folder);
            const bool created = std::filesystem::is_directory(folder.path() / workDir);
            EXPECT_EQ(run.status, created ? 3 : 2) << workDir;
            EXPECT_EQ((created ? run.out : run.err).rfind(expected, 0), 0u) << run.out << run.err;
        }
    }
}

// The module starts in the work folder; a module path typed relative to the current folder
// must still find it there.
TEST(CliBasics, ARelativeModulePathHoldsInAnotherWorkFolder)
{
    TempDir folder;
    saveProject(folder, "a.r4p", 1);
    std::filesystem::create_directories(folder.path() / "bin");
    std::filesystem::copy_file(FAKE_RX_MODULE, folder.path() / "bin" / "rx");
    const CliOutcome run =
        runCli({"compute", "--module", "bin/rx", "--workdir", "arbeit", "--in-place", "a.r4p"}, folder);
    // Started, it finds no script in the new folder and ends without a result code.
    EXPECT_EQ(run.out.rfind("a.r4p: -30 ", 0), 0u) << run.out << run.err;
}

// Which projects a batch saves, and what it prints for each, is the
// compute output tests'; here: -o saves elsewhere and leaves the project alone.
TEST(CliBasics, OutputFileTakesTheResults)
{
    const CliFolders f({{1, "1", {}, 0}});
    const CliOutcome run = f.run({"compute", "-o", "out.r4p"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "a.r4p: 1 Die Maximalforderungen werden erfüllt. -> Strengere "
                       "Restriktionen (Spektrum) sind möglich\n");
    for (const auto& [name, results] : {std::pair{"out.r4p", true}, {"a.r4p", false}}) {
        ScriptedDialogs dialogs;
        Workspace ws(dialogs);
        TreeItem* project = readProjectFile(ws, (f.projects.path() / name).string());
        EXPECT_EQ(project && project->NodeAs<TProject>()->HasResults, results) << name;
    }
}

TEST(CliBasics, UsageErrors)
{
    TempDir folder;
    saveProject(folder, "a.r4p", 1);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"compute", "a.r4p"},
             {"compute", "--in-place", "-o", "x.r4p", "a.r4p"},
             {"compute", "-o", "x.r4p", "a.r4p", "a.r4p"},
             {"compute", "--priority", "idle", "--in-place", "a.r4p"},
             {"module-input", "a.r4p"}})
        EXPECT_EQ(runCli(args, folder).status, 1) << ::testing::PrintToString(args);
}

TEST(CliBasics, ModuleInputWritesWhatTheComputationWrites)
{
    TempDir folder;
    saveProject(folder, "a.r4p", 1);
    saveProject(folder, "bad.r4p", 1, false);
    EXPECT_EQ(runCli({"module-input", "a.r4p", "in.rx4"}, folder).status, 0);
    ScriptedDialogs dialogs;
    Workspace ws(dialogs);
    std::string expected;
    WriteModuleInput(readProjectFile(ws, (folder.path() / "a.r4p").string()), expected);
    EXPECT_EQ(folder.read("in.rx4"), expected);
    EXPECT_EQ(runCli({"module-input", "bad.r4p", "bad.rx4"}, folder).status, 2);
    EXPECT_FALSE(folder.exists("bad.rx4"));
}

TEST(CliBasics, ImportSavesTheProjectOrSaysWhyNot)
{
    TempDir folder;
    const CliOutcome ok = runCli({"import", testDataPath("rxw/section-order.rxw").string(), "schwenkarm.r4p"}, folder);
    EXPECT_EQ(ok.status, 0) << ok.out << ok.err;
    ScriptedDialogs dialogs;
    Workspace ws(dialogs);
    TreeItem* project = readProjectFile(ws, (folder.path() / "schwenkarm.r4p").string());
    ASSERT_NE(project, nullptr);
    EXPECT_EQ(project->FirstChild()->NodeAs<TRXHeader>()->ShortName, "(aus: section-order.rxw) Schwenkarm Werkstatt");

    folder.write("defekt.rxe", " 5  0  0\r\n 2.0 x\r\n");
    const CliOutcome broken = runCli({"import", "defekt.rxe", "nicht.r4p"}, folder);
    EXPECT_EQ(broken.status, 2);
    EXPECT_NE((broken.out + broken.err).find("Fehler beim Lesen der Datei defekt.rxe in Zeile 2."), std::string::npos)
        << broken.out << broken.err;
    EXPECT_FALSE(folder.exists("nicht.r4p"));
}

} // namespace
} // namespace vemra::test

// What a new user meets first: help and version that touch nothing, an
// unreadable project file named with its reason, a work folder that is
// created when it does not exist.
#include "cli_run.h"

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

} // namespace
} // namespace vemra::test

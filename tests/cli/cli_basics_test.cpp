// What a new user meets first: help and version that touch nothing, a
// missing project file named with its reason, a work folder that is created
// when it does not exist.
#include "cli_process.h"
#include "cli_projects.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

namespace vemra::test {
namespace {

// Every name below the folder with its content (folders empty).
std::vector<std::pair<std::string, std::string>> everything(const TempDir& folder)
{
    std::vector<std::pair<std::string, std::string>> entries;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder.path())) {
        const std::string name = std::filesystem::relative(e.path(), folder.path()).string();
        entries.emplace_back(name, e.is_regular_file() ? folder.read(name) : std::string());
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

TEST(CliBasics, HelpAndVersionTouchNothing)
{
    struct Case {
        std::vector<std::string> args;
        std::string begins;
    };
    const Case cases[] = {
        {{"--help"}, "vemra-cli " VEMRA_VERSION ": "},
        {{"-h"}, "vemra-cli " VEMRA_VERSION ": "},
        {{"--version"}, "vemra-cli " VEMRA_VERSION "\n"},
        {{"compute", "--help", "--in-place", "a.r4p"}, "Aufruf: vemra-cli compute "},
        {{"compute", "--workdir", "neu", "-j", "0", "--in-place", "a.r4p", "-h"}, "Aufruf: vemra-cli compute "},
        {{"check", "a.r4p", "--help"}, "Aufruf: vemra-cli check DATEI.r4p...\n"},
        {{"resave", "a.r4p", "a.r4p", "--help"}, "Aufruf: vemra-cli resave "},
    };
    for (const Case& c : cases) {
        TempDir folder;
        saveProject(folder, "a.r4p", 1);
        folder.write("fake_module.ctl", "write rx4.err\n0\nend\n");
        const auto before = everything(folder);
        const CliOutcome run = runCli(c.args, folder.path());
        EXPECT_EQ(run.status, 0) << c.args[0];
        EXPECT_EQ(run.out.rfind(c.begins, 0), 0u) << run.out;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(everything(folder), before) << c.args[0];
    }
    TempDir folder;
    const CliOutcome help = runCli({"compute", "--help"}, folder.path());
    for (const char* option : {"-j ANZAHL", "--verbose", "--workdir ORDNER", "--in-place"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    // Without a command the overview goes to standard error, as a usage error.
    const CliOutcome bare = runCli({}, folder.path());
    EXPECT_EQ(bare.status, 1);
    EXPECT_NE(bare.err.find("Befehle:"), std::string::npos);
}

TEST(CliBasics, AnUnreadableProjectFileIsNamedWithItsReason)
{
    // The reason comes from the system, in German where it can.
    const bool german = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    std::setlocale(LC_ALL, "C");
    if (german)
        ::setenv("LC_ALL", "de_DE.UTF-8", 1);
    TempDir folder;
    saveProject(folder, "a.r4p", 1);
    std::filesystem::create_directory(folder.path() / "ordner.r4p");
    const CliOutcome run = runCli({"check", "a.r4p", "fehlt.r4p", "ordner.r4p"}, folder.path());
    if (german)
        ::unsetenv("LC_ALL");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out.rfind("a.r4p\n", 0), 0u) << run.out; // listed all the same
    const std::string missing = "Fehler: Projektdatei fehlt.r4p konnte nicht geöffnet werden: ";
    const std::string folderLine = "Fehler: Projektdatei ordner.r4p konnte nicht geöffnet werden: ";
    EXPECT_NE(run.err.find(missing), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(folderLine), std::string::npos) << run.err;
    if (german) {
        EXPECT_NE(run.err.find(missing + "Datei oder Verzeichnis nicht gefunden.\n"), std::string::npos);
        EXPECT_NE(run.err.find(folderLine + "Ist ein Verzeichnis.\n"), std::string::npos);
    }
    // The same for compute, before anything is computed.
    const CliOutcome compute = runCli({"compute", "--in-place", "a.r4p", "fehlt.r4p"}, folder.path());
    EXPECT_EQ(compute.status, 2);
    EXPECT_NE(compute.err.find("Projektdatei fehlt.r4p konnte nicht geöffnet werden: "), std::string::npos);
    EXPECT_EQ(compute.out, "");
}

TEST(CliBasics, AMissingWorkFolderIsCreated)
{
    struct Case {
        std::string workDir;
        int jobs;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {"neu/tiefer", 1, 3, ""},
        {"neu", 2, 3, ""},
        {"datei", 1, 2, "Fehler: Der Arbeitsordner datei ist kein Ordner.\n"},
        {"datei/unter", 1, 2, "Fehler: Der Arbeitsordner datei/unter konnte nicht angelegt werden: "},
    };
    for (const Case& c : cases) {
        TempDir folder;
        saveProject(folder, "a.r4p", 1);
        saveProject(folder, "b.r4p", 2);
        folder.write("datei", "kein Ordner");
        const auto before = filesIn(folder);
        std::vector<std::string> args{"compute", "--module", FAKE_RX_MODULE, "--workdir", c.workDir,
                                      "-j",      std::to_string(c.jobs), "--in-place", "a.r4p", "b.r4p"};
        const CliOutcome run = runCli(args, folder.path());
        EXPECT_EQ(run.status, c.status) << run.err;
        if (c.status == 3) {
            // The stand-in module finds no script in the new folder and ends
            // without a result code: -30, after its input was written there.
            EXPECT_TRUE(std::filesystem::is_directory(folder.path() / c.workDir)) << c.workDir;
            EXPECT_NE(run.out.find("a.r4p: -30 Der Berechnungsmodul liefert keine Rückmeldung"), std::string::npos)
                << run.out;
        } else {
            EXPECT_EQ(run.err.rfind(c.err, 0), 0u) << run.err;
            EXPECT_EQ(run.out, "");
            EXPECT_EQ(filesIn(folder), before);
        }
    }
}

} // namespace
} // namespace vemra::test

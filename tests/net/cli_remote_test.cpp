// vemra-cli compute --remote as a program against the test host: the three
// examples as a batch, settings from the desktop's file with options over
// them, the protocol on standard error without the password, and no
// password ever taken from an argument.
#include "remote_hosts.h"

#include "support/compute_doubles.h"
#include "support/test_data.h"

#include "commands/file_commands.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sys/wait.h>

namespace vemra {
namespace {

using namespace test;
namespace fs = std::filesystem;

constexpr const char* Password = "Ge4heim!x";

class CliRemote : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (auto why = missingHostServices())
            GTEST_SKIP() << "No test host: " << *why;
        fs::create_directories(dir.path() / "host" / "run");
        ftp = std::make_unique<FtpHost>(dir.path() / "host", "vemra", Password);
        login = std::make_unique<LoginHost>(std::map<std::string, std::string>{
            {"HOST_USER", "vemra"}, {"HOST_PASSWORD", Password}, {"HOST_HOME", (dir.path() / "host").string()}});
        // The desktop's settings, with a command that the option replaces.
        dir.write("Zembo.ini", "[V1208]\nRemote\\HostName=127.0.0.1\nRemote\\UserName=vemra\n"
                               "Remote\\Prompt=\"$ \"\nRemote\\Cmd=false\nRemote\\RPath=run\nRemote\\CRonly=0\n"
                               "Remote\\FtpPort="
                                   + std::to_string(ftp->port()) + "\nRemote\\TelnetPort="
                                   + std::to_string(login->port()) + "\n");
    }

    // Runs vemra-cli without a terminal (no password can be asked).
    int run(const std::string& environment, const std::string& arguments)
    {
        const std::string command = "cd " + dir.path().string() + " && env XDG_RUNTIME_DIR=" + dir.path().string()
                                    + " " + environment + " setsid " + VEMRA_CLI + " compute --remote --settings "
                                    + (dir.path() / "Zembo.ini").string() + " " + arguments
                                    + " >out.txt 2>err.txt </dev/null";
        const int raw = std::system(command.c_str());
        out = dir.read("out.txt");
        err = dir.read("err.txt");
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    TempDir dir;
    std::unique_ptr<FtpHost> ftp;
    std::unique_ptr<LoginHost> login;
    std::string out, err;
};

TEST_F(CliRemote, ComputesTheExamplesAsABatch)
{
    std::vector<std::string> files;
    for (const char* name : {"hubkurve.r4p", "greifer.r4p", "foerderer.r4p"}) {
        fs::copy_file(examplePath(name), dir.path() / name);
        files.push_back(name);
    }
    const int status = run(std::string("VEMRA_REMOTE_PASSWORD='") + Password + "'",
                           std::string("--command '") + RX_MODULE + " remote$.rx4 0' --verbose --in-place "
                               + files[0] + " " + files[1] + " " + files[2]);

    EXPECT_EQ(status, 0) << out << err;
    for (const auto& f : files) {
        // 0 or 1: both bring results (1 says stricter spectra are possible).
        const auto line = out.find(f + ": ");
        ASSERT_NE(line, std::string::npos) << out;
        EXPECT_NE(std::string("01").find(out[line + f.size() + 2]), std::string::npos) << out;
        ScriptedDialogs dialogs;
        Workspace ws(dialogs);
        TreeItem* project = readProjectFile(ws, (dir.path() / f).string());
        ASSERT_NE(project, nullptr);
        EXPECT_TRUE(project->NodeAs<TProject>()->HasResults) << f;
    }
    EXPECT_NE(out.find("Die Berechnung ist abgeschlossen."), std::string::npos);
    EXPECT_NE(err.find("> PASS #########"), std::string::npos) << err;
    EXPECT_NE(err.find("... Filetransfer vom Host beendet"), std::string::npos);
    EXPECT_EQ(err.find(Password), std::string::npos);
}

TEST_F(CliRemote, PasswordOnlyFromEnvironmentOrTerminal)
{
    fs::copy_file(examplePath("hubkurve.r4p"), dir.path() / "a.r4p");
    // Without --remote a host option would silently compute locally.
    const std::string local = std::string(VEMRA_CLI) + " compute --host h --in-place " + (dir.path() / "a.r4p").string()
                              + " >/dev/null 2>&1 </dev/null";
    const int raw = std::system(local.c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 1);
    EXPECT_EQ(run("", "--in-place a.r4p"), 1);
    EXPECT_NE(err.find("VEMRA_REMOTE_PASSWORD"), std::string::npos) << err;
    EXPECT_EQ(run("", std::string("--password ") + Password + " --in-place a.r4p"), 1);
    EXPECT_NE(err.find("Prozessliste"), std::string::npos) << err;
}

} // namespace
} // namespace vemra

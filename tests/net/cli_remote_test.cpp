// vemra-cli compute --remote as a program against the test host: the three
// examples as a batch, settings from the desktop's file with options over
// them, the protocol on standard error without the password, and no
// password ever taken from an argument.
#include "remote_hosts.h"

#include "support/compute_doubles.h"
#include "support/test_data.h"

#include "commands/file_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
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
        startHosts({});
    }

    // The services, with every command line they receive in a log; the
    // desktop's settings point at them, with a command that the option
    // replaces.
    void startHosts(std::map<std::string, std::string> ftpEnvironment)
    {
        ftpEnvironment["FTP_HOST_LOG"] = (dir.path() / "ftp.log").string();
        ftp = std::make_unique<FtpHost>(dir.path() / "host", "vemra", Password, FtpHost::Access::Full,
                                        ftpEnvironment);
        login = std::make_unique<LoginHost>(std::map<std::string, std::string>{
            {"HOST_USER", "vemra"},
            {"HOST_PASSWORD", Password},
            {"HOST_HOME", (dir.path() / "host").string()},
            {"HOST_LOG", (dir.path() / "login.log").string()}});
        dir.write("Zembo.ini", "[V1208]\nRemote\\HostName=127.0.0.1\nRemote\\UserName=vemra\n"
                               "Remote\\Prompt=\"$ \"\nRemote\\Cmd=false\nRemote\\RPath=run\nRemote\\CRonly=0\n"
                               "Remote\\FtpPort="
                                   + std::to_string(ftp->port()) + "\nRemote\\TelnetPort="
                                   + std::to_string(login->port()) + "\n");
    }
    // What the services were sent.
    std::string hostLogs() const
    {
        std::string logs;
        for (const char* name : {"ftp.log", "login.log"})
            if (dir.exists(name))
                logs += dir.read(name);
        return logs;
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

// The faults of a hostile network or settings file: control characters in
// what is sent, and control sequences in what reaches the user's terminal.
struct ControlCharacterCase {
    const char* name;
    // An option with the value of VEMRA_TEST_VALUE, or a settings line.
    std::string option;
    std::string settingsLine;
    std::string password;
    const char* named; // what the refusal names
};

TEST_F(CliRemote, ControlCharactersAreRefusedBeforeAnythingIsSent)
{
    fs::copy_file(examplePath("hubkurve.r4p"), dir.path() / "a.r4p");
    const std::string evil = "bob\r\nDELE evil";
    const ControlCharacterCase cases[] = {
        {"user option", "--user", "", Password, "--user"},
        {"path option", "--path", "", Password, "--path"},
        {"command option", "--command", "", Password, "--command"},
        {"host option", "--host", "", Password, "--host"},
        {"prompt option", "--prompt", "", Password, "--prompt"},
        {"user in the settings", "", "Remote\\UserName=\"bob\\r\\nDELE evil\"\n", Password, "UserName"},
        {"path in the settings", "", "Remote\\RPath=\"run\\nDELE evil\"\n", Password, "Pfad"},
        {"login request in the settings", "", "Remote\\LoginReq=\"login:\\0\"\n", Password, "login-Req"},
        {"escape in the settings", "", "Remote\\Cmd=\"\\033[2J\"\n", Password, "Kommando"},
        {"password", "", "", std::string(Password) + "\r\nDELE evil", "Passwort"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(dir.path() / "ftp.log");
        std::filesystem::remove(dir.path() / "login.log");
        std::string ini = dir.read("Zembo.ini") + c.settingsLine;
        dir.write("Zembo.ini", ini);
        ::setenv("VEMRA_TEST_VALUE", evil.c_str(), 1);
        ::setenv("VEMRA_TEST_PASSWORD", c.password.c_str(), 1);
        const std::string option = c.option.empty() ? "" : c.option + " \"$VEMRA_TEST_VALUE\" ";
        const int status = run("VEMRA_REMOTE_PASSWORD=\"$VEMRA_TEST_PASSWORD\"", option + "--in-place a.r4p");
        EXPECT_EQ(status, 1) << out << err;
        EXPECT_NE(err.find(c.named), std::string::npos) << err;
        EXPECT_NE(err.find("Steuerzeichen"), std::string::npos) << err;
        EXPECT_EQ(err.find("DELE"), std::string::npos) << err;
        EXPECT_EQ(hostLogs(), "");
        // The next case starts from the clean settings.
        ini.resize(ini.size() - c.settingsLine.size());
        dir.write("Zembo.ini", ini);
    }
    ::unsetenv("VEMRA_TEST_VALUE");
    ::unsetenv("VEMRA_TEST_PASSWORD");
}

bool hasControlCharacter(const std::string& text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u < 0x20 && c != '\n' && c != '\r') || u == 0x7F;
    });
}

TEST_F(CliRemote, HostRepliesReachTheTerminalWithoutControlSequences)
{
    ftp.reset();
    login.reset();
    startHosts({{"FTP_HOST_BANNER", "Vemra \x1b[31mrot\x1b[0m \x1b]0;pwned\x07Host \xc2\x9b" "2Jbereit"}});
    fs::copy_file(examplePath("hubkurve.r4p"), dir.path() / "a.r4p");

    // A module that finds no solution ends the run quickly.
    run(std::string("VEMRA_REMOTE_PASSWORD='") + Password + "'",
        "--command 'echo -2 > rx4.err' --verbose --in-place a.r4p");

    EXPECT_NE(err.find("Vemra rot Host bereit"), std::string::npos) << err;
    EXPECT_FALSE(hasControlCharacter(err)) << err;
    EXPECT_EQ(err.find("pwned"), std::string::npos) << err;
    EXPECT_EQ(err.find("\xc2\x9b"), std::string::npos) << err;
}

TEST_F(CliRemote, PasswordQuestionShowsNoControlSequencesOfTheSettings)
{
    fs::copy_file(examplePath("hubkurve.r4p"), dir.path() / "a.r4p");
    const std::string ini = dir.read("Zembo.ini");
    // A settings file whose user and host would retitle and clear the terminal.
    dir.write("Zembo.ini", ini + "Remote\\UserName=\"\\033]0;pwned\\007bob\"\n");
    const std::string shown
        = runOnTerminal("cd " + dir.path().string() + " && env -u VEMRA_REMOTE_PASSWORD " + VEMRA_CLI
                            + " compute --remote --settings Zembo.ini --in-place a.r4p",
                        "Passwort", "falsch");
    EXPECT_FALSE(hasControlCharacter(shown)) << shown;
    EXPECT_EQ(shown.find("pwned"), std::string::npos) << shown;
    EXPECT_EQ(hostLogs(), "");
}

TEST_F(CliRemote, HelpSaysWhatTlsDoesNotProtect)
{
    const std::string command = std::string(VEMRA_CLI) + " compute --help > " + (dir.path() / "help.txt").string();
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string help = dir.read("help.txt");
    const auto tls = help.find("--tls ");
    ASSERT_NE(tls, std::string::npos) << help;
    const std::string explained = help.substr(tls, help.find("\n  --", tls + 1) - tls);
    EXPECT_NE(explained.find("Telnet-Anmeldung sendet das Passwort trotzdem unverschlüsselt"), std::string::npos)
        << help;
    EXPECT_NE(explained.find("--ssh"), std::string::npos) << help;
}

} // namespace
} // namespace vemra

// vemra-cli compute --remote --ssh as a program against a real sshd on
// 127.0.0.1: the three examples byte for byte as a local run computes them,
// the host key refused unless accepted on the command line, the password
// asked only when no key is taken, and a folder of projects spread over two
// logins with GNU parallel as the README shows it.
#include "remote_hosts.h"

#include "support/temp_dir.h"
#include "support/test_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sys/wait.h>

namespace vemra {
namespace {

using namespace test;
namespace fs = std::filesystem;

const char* const Examples[] = {"hubkurve.r4p", "greifer.r4p", "foerderer.r4p"};

class CliSsh : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (auto why = missingSshService())
            GTEST_SKIP() << "No SSH test host: " << *why;
        fs::create_directories(sshFolder());
        fs::create_directories(dir.path() / "host");
        host = std::make_unique<SshHost>(dir.path() / "sshd");
    }

    fs::path sshFolder() const { return dir.path() / "home" / ".ssh"; }
    fs::path knownHosts() const { return sshFolder() / "known_hosts"; }
    void giveUserKey() const
    {
        fs::copy_file(host->userKey(), sshFolder() / "id_ed25519");
        fs::permissions(sshFolder() / "id_ed25519", fs::perms::owner_read | fs::perms::owner_write);
    }
    void knowHost() const { std::ofstream(knownHosts()) << host->knownHostsLine(); }
    std::string knownHostsText() const { return fs::exists(knownHosts()) ? dir.read("home/.ssh/known_hosts") : ""; }
    // Copies of the examples in folder (below the test's folder).
    std::vector<std::string> examplesIn(const std::string& folder) const
    {
        fs::create_directories(dir.path() / folder);
        std::vector<std::string> files;
        for (const char* name : Examples) {
            fs::copy_file(examplePath(name), dir.path() / folder / name);
            files.emplace_back(name);
        }
        return files;
    }

    // The environment of a user whose home is the test's: no agent, no
    // password, no terminal.
    std::string environment() const
    {
        return "env -u SSH_AUTH_SOCK -u VEMRA_REMOTE_PASSWORD HOME=" + (dir.path() / "home").string()
               + " XDG_CONFIG_HOME=" + (dir.path() / "home").string() + " XDG_RUNTIME_DIR=" + dir.path().string();
    }
    std::string sshOptions() const
    {
        return " --remote --ssh --host 127.0.0.1 --ssh-port " + std::to_string(host->port()) + " --user "
               + host->user() + " --command '" + RX_MODULE + " remote$.rx4 0' --path " + (dir.path() / "host").string();
    }
    // vemra-cli in folder with arguments; its exit status.
    int run(const std::string& folder, const std::string& arguments)
    {
        const std::string command = "cd " + (dir.path() / folder).string() + " && " + environment() + " setsid "
                                    + VEMRA_CLI + " compute " + arguments + " >" + (dir.path() / "out.txt").string()
                                    + " 2>" + (dir.path() / "err.txt").string() + " </dev/null";
        const int raw = std::system(command.c_str());
        out = dir.read("out.txt");
        err = dir.read("err.txt");
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    std::string localRun(const std::string& folder, const std::vector<std::string>& files)
    {
        std::string arguments = std::string("--module ") + RX_MODULE + " --workdir lauf --in-place";
        for (const auto& f : files)
            arguments += " " + f;
        EXPECT_EQ(run(folder, arguments), 0) << out << err;
        return out;
    }

    TempDir dir;
    std::unique_ptr<SshHost> host;
    std::string out, err;
};

TEST_F(CliSsh, ExamplesComeBackByteForByteAsALocalRunComputesThem)
{
    giveUserKey();
    knowHost();
    const auto files = examplesIn("lokal");
    examplesIn("entfernt");
    localRun("lokal", files);

    std::string arguments = sshOptions() + " --in-place";
    for (const auto& f : files)
        arguments += " " + f;
    EXPECT_EQ(run("entfernt", arguments), 0) << out << err;

    for (const auto& f : files) {
        // 0 or 1: both bring results.
        const bool solved = out.find(f + ": 0 ") != std::string::npos || out.find(f + ": 1 ") != std::string::npos;
        EXPECT_TRUE(solved) << out;
        EXPECT_EQ(dir.read("entfernt/" + f), dir.read("lokal/" + f)) << f;
    }
    // The module ran on the host.
    EXPECT_TRUE(fs::exists(dir.path() / "host" / "remote$.fk1"));
}

TEST_F(CliSsh, UnknownHostKeyIsRefusedUnlessAcceptedAndAChangedOneAlways)
{
    giveUserKey();
    examplesIn(".");
    const std::string arguments = sshOptions() + " --in-place hubkurve.r4p";

    EXPECT_EQ(run(".", arguments), 3) << out << err;
    EXPECT_NE(err.find("ist noch nicht bekannt"), std::string::npos) << err;
    EXPECT_NE(err.find("ssh-ed25519 " + host->hostFingerprint()), std::string::npos) << err;
    EXPECT_NE(err.find("Nein: ein unbekannter Hostschlüssel wird nur mit --accept-new-host-key angenommen."),
              std::string::npos)
        << err;
    EXPECT_NE(out.find("hubkurve.r4p: -202 Verbindung zum Host fehlgeschlagen."), std::string::npos) << out;
    EXPECT_EQ(knownHostsText(), "");

    EXPECT_EQ(run(".", "--accept-new-host-key" + arguments), 0) << out << err;
    EXPECT_EQ(knownHostsText(), host->knownHostsLine());
    // Known from now on: no question.
    EXPECT_EQ(run(".", arguments), 0) << out << err;
    EXPECT_EQ(err.find("bekannt"), std::string::npos) << err;

    std::ofstream(knownHosts()) << host->otherKnownHostsLine();
    EXPECT_EQ(run(".", "--accept-new-host-key" + arguments), 3) << out << err;
    EXPECT_NE(err.find("hat sich geändert (jetzt ssh-ed25519 " + host->hostFingerprint()), std::string::npos) << err;
    EXPECT_EQ(knownHostsText(), host->otherKnownHostsLine());
}

TEST_F(CliSsh, PasswordIsAskedOnlyWhenNoKeyIsTaken)
{
    knowHost();
    examplesIn(".");
    const std::string command = "cd " + dir.path().string() + " && " + environment() + " " + VEMRA_CLI + " compute"
                                + sshOptions() + " --in-place hubkurve.r4p";
    const std::string question = "Passwort für " + host->user() + "@127.0.0.1: ";

    const std::string asked = runOnTerminal(command, question, "Falsch!x9");
    EXPECT_NE(asked.find(question), std::string::npos) << asked;
    EXPECT_NE(asked.find("-202"), std::string::npos) << asked;
    EXPECT_EQ(asked.find("Falsch!x9"), std::string::npos) << asked;
    EXPECT_NE(host->log().find("Failed password for"), std::string::npos) << host->log();

    giveUserKey();
    const std::string withKey = runOnTerminal(command, question, "Falsch!x9");
    EXPECT_EQ(withKey.find("Passwort"), std::string::npos) << withKey;
    EXPECT_NE(withKey.find("hubkurve.r4p: "), std::string::npos) << withKey;
}

TEST_F(CliSsh, GnuParallelSpreadsAFolderOverTwoLoginsWithTheResultsOfALocalBatch)
{
    if (std::system("command -v parallel >/dev/null && command -v rsync >/dev/null") != 0)
        GTEST_SKIP() << "GNU parallel or rsync is missing (Debian packages parallel, rsync)";
    giveUserKey();
    knowHost();
    const auto files = examplesIn("lokal");
    examplesIn("verteilt");
    localRun("lokal", files);

    // Two logins to the same machine stand for two hosts; each job gets a
    // work folder and a computation lock of its own, as on a host of its own.
    const std::string ssh = "ssh -F /dev/null -p " + std::to_string(host->port()) + " -i "
                            + (sshFolder() / "id_ed25519").string() + " -o UserKnownHostsFile=" + knownHosts().string()
                            + " -o StrictHostKeyChecking=yes -o BatchMode=yes";
    const std::string command
        = "cd " + (dir.path() / "verteilt").string() + " && " + environment() + " parallel --will-cite --ssh '" + ssh
          + "' --sshlogin 1/" + host->user() + "@127.0.0.1 --sshlogin 1/127.0.0.1 --workdir "
          + (dir.path() / "host").string() + " --transferfile {} --return {} --cleanup --joblog "
          + (dir.path() / "joblog.txt").string() + " 'mkdir -p lauf{%} && XDG_RUNTIME_DIR=$PWD/lauf{%} " + VEMRA_CLI
          + " compute --module " + RX_MODULE + " --workdir lauf{%} --in-place {}' ::: *.r4p >"
          + (dir.path() / "out.txt").string() + " 2>" + (dir.path() / "err.txt").string() + " </dev/null";
    const int raw = std::system(command.c_str());
    out = dir.read("out.txt");
    err = dir.read("err.txt");

    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << out << err;
    for (const auto& f : files)
        EXPECT_EQ(dir.read("verteilt/" + f), dir.read("lokal/" + f)) << f;
    // Both logins took projects, each with success.
    const std::string joblog = dir.read("joblog.txt");
    EXPECT_EQ(std::count(joblog.begin(), joblog.end(), '\n'), 4) << joblog;
    EXPECT_NE(joblog.find("\t" + host->user() + "@127.0.0.1\t"), std::string::npos) << joblog;
    EXPECT_NE(joblog.find("\t127.0.0.1\t"), std::string::npos) << joblog;
}

} // namespace
} // namespace vemra

// The remote run over SSH against a real sshd on 127.0.0.1 with a host key,
// a user key and a configuration of its own: the example computed with the
// same steps as over FTP and Telnet, the host key checked against
// ~/.ssh/known_hosts (with HOME pointing into the test's folder), and every
// way the run can fail with its code and its own protocol line.
#include "remote_hosts.h"
#include "remote_run_fixture.h"

#include <cstdlib>
#include <thread>

namespace vemra {
namespace {

using namespace test;
namespace fs = std::filesystem;

// Sets a variable of the environment for the test, or takes it out; the
// old value comes back at the end.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~ScopedVariable()
    {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

class SshRun : public RemoteRunFixture {
protected:
    void SetUp() override
    {
        if (auto why = missingSshService())
            GTEST_SKIP() << "No SSH test host: " << *why;
        makeFolders();
        fs::create_directories(sshFolder());
        homeVariable.emplace("HOME", (dir.path() / "home").string());
        agentVariable.emplace("SSH_AUTH_SOCK", std::nullopt);
        host = std::make_unique<SshHost>(dir.path() / "sshd");
        RemoteSettings& s = *source.settings;
        s.connection = RemoteConnection::Ssh;
        s.host = "127.0.0.1";
        s.sshPort = host->port();
        s.user = host->user();
        s.command = std::string(RX_MODULE) + " remote$.rx4 0";
        s.remotePath = (home() / "run").string();
        s.maxTime = 60;
        s.details = true;
    }
    void TearDown() override
    {
        host.reset();
        agentVariable.reset();
        homeVariable.reset();
    }

    fs::path sshFolder() const { return dir.path() / "home" / ".ssh"; }
    fs::path knownHosts() const { return sshFolder() / "known_hosts"; }
    void giveUserKey() const
    {
        fs::copy_file(host->userKey(), sshFolder() / "id_ed25519");
        fs::permissions(sshFolder() / "id_ed25519", fs::perms::owner_read | fs::perms::owner_write);
    }
    void knowHost(const std::string& line) const { std::ofstream(knownHosts()) << line; }
    std::string knownHostsText() const
    {
        std::ifstream in(knownHosts());
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::optional<ScopedVariable> homeVariable;
    std::optional<ScopedVariable> agentVariable;
    std::unique_ptr<SshHost> host;
};

TEST_F(SshRun, ComputesWithTheUserKeyInTheStepsOfEveryRemoteRun)
{
    giveUserKey();
    knowHost(host->knownHostsLine());
    leaveStaleResults(home() / "run");

    expectComputedRun(compute());
    EXPECT_TRUE(view.hasLine("Angemeldet als " + host->user() + " (Schlüssel)")) << view.all();
    EXPECT_TRUE(view.hasLine("> SFTP put " + (home() / "run" / protocol::ModuleInputFileName).string()));
    EXPECT_TRUE(view.hasLine("> exec cd '" + (home() / "run").string() + "' && " + RX_MODULE));
    // One connection serves the run: one login in the host's log.
    const std::string log = host->log();
    EXPECT_EQ(log.find("Accepted publickey"), log.rfind("Accepted publickey")) << log;
    EXPECT_FALSE(view.closed);
}

TEST_F(SshRun, AgentLogsInWithoutKeyFiles)
{
    SshAgent agent(dir.path(), host->userKey());
    const ScopedVariable socket("SSH_AUTH_SOCK", agent.socket().string());
    knowHost(host->knownHostsLine());
    source.settings->command = "echo -2 > rx4.err";

    const ComputationResult r = compute();

    EXPECT_EQ(r.resultCode, ResultCodes::MinimumNotMet) << view.all();
    EXPECT_TRUE(view.hasLine("Angemeldet als " + host->user() + " (Schlüssel)")) << view.all();
}

struct HostKeyCase {
    const char* name;
    bool known;        // known_hosts holds a key for the host
    bool changed;      // ... but another one
    std::optional<bool> answer; // the user's answer, when asked
    int32_t code;
    const char* line;
};

TEST_F(SshRun, HostKeyIsCheckedAgainstKnownHosts)
{
    giveUserKey();
    const HostKeyCase cases[] = {
        {"unknown, refused", false, false, false, ResultCodes::HostConnectionFailed, "Hostschlüssel nicht angenommen"},
        {"unknown, accepted", false, false, true, 0, "Hostschlüssel ssh-ed25519"},
        {"known", true, false, std::nullopt, 0, "Hostschlüssel ssh-ed25519"},
        {"changed", true, true, std::nullopt, ResultCodes::HostConnectionFailed, "hat sich geändert"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(knownHosts());
        fs::remove(home() / "run" / protocol::ModuleInputFileName);
        if (c.known)
            knowHost(c.changed ? host->otherKnownHostsLine() : host->knownHostsLine());
        const std::string before = knownHostsText();
        if (c.answer)
            dialogs.answer(*c.answer ? ButtonYes : ButtonNo);
        view = RecordingRunView{};
        dialogs.clear();

        const ComputationResult r = compute();

        EXPECT_EQ(r.resultCode, c.code) << view.all();
        bool lineShown = false;
        for (const auto& l : view.lines)
            lineShown = lineShown || l.find(c.line) != std::string::npos;
        EXPECT_TRUE(lineShown) << view.all();
        // A changed key is never asked about; the question shows the key.
        const std::size_t questions = c.answer ? 1 : 0;
        ASSERT_EQ(dialogs.count(DialogKind::Warning), questions);
        if (c.answer) {
            const auto& q = dialogs.messages.front();
            EXPECT_EQ(q.buttons, ButtonYes | ButtonNo);
            EXPECT_NE(q.text.find("ist noch nicht bekannt"), std::string::npos) << q.text;
            EXPECT_NE(q.text.find("ssh-ed25519\r" + host->hostFingerprint() + "\r"), std::string::npos) << q.text;
            EXPECT_NE(q.text.find(knownHosts().string()), std::string::npos) << q.text;
        }
        if (c.changed) {
            EXPECT_NE(view.all().find(host->hostFingerprint()), std::string::npos) << view.all();
        }
        // Only an accepted key is written; a refused one leaves nothing on the host.
        EXPECT_EQ(knownHostsText(), c.answer == std::optional<bool>(true) ? host->knownHostsLine() : before);
        EXPECT_EQ(fs::exists(home() / "run" / protocol::ModuleInputFileName), c.code == 0);
    }
}

struct SshFailureCase {
    const char* name;
    bool userKey;
    std::function<void(RemoteSettings&, RecordingRunView&)> change;
    int32_t code;
    const char* line;
    bool windowCloses;
};

TEST_F(SshRun, FailedRunsEndWithTheirCodeAndLeaveNoResults)
{
    knowHost(host->knownHostsLine());
    const fs::path missing = home() / "fehlt";
    const SshFailureCase cases[] = {
        {"wrong password", false, [](RemoteSettings& s, RecordingRunView&) { s.password = "Falsch!x9"; },
         ResultCodes::HostConnectionFailed,
         "Filetransfer zum Host fehlgeschlagen: Anmeldung abgelehnt (Benutzer oder Passwort falsch)", false},
        {"no key and no password", false, [](RemoteSettings&, RecordingRunView&) {},
         ResultCodes::HostConnectionFailed,
         "Filetransfer zum Host fehlgeschlagen: Anmeldung abgelehnt: kein Schlüssel angenommen und kein Passwort "
         "angegeben",
         false},
        {"upload into a missing folder", true,
         [&](RemoteSettings& s, RecordingRunView&) { s.remotePath = missing.string(); },
         ResultCodes::HostConnectionFailed, RemoteText::UploadFailed, false},
        {"no service", true, [](RemoteSettings& s, RecordingRunView&) { s.sshPort = 1; },
         ResultCodes::HostConnectionFailed, "Filetransfer zum Host fehlgeschlagen: keine Verbindung zum Host", false},
        {"command never writes the result code", true,
         [](RemoteSettings& s, RecordingRunView&) {
             s.command = "true";
             s.maxTime = 2;
         },
         ResultCodes::TransferTimeout, RemoteText::TimedOut, true},
        {"cancel while the command runs", true,
         [](RemoteSettings& s, RecordingRunView& v) {
             s.command = "sleep 30";
             v.cancelAfter = 20;
         },
         ResultCodes::StoppedByUser, RemoteText::Cancelled, true},
    };
    const RemoteSettings clean = *source.settings;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(sshFolder() / "id_ed25519");
        if (c.userKey)
            giveUserKey();
        leaveStaleResults(home() / "run");
        *source.settings = clean;
        view = RecordingRunView{};
        dialogs.clear();
        c.change(*source.settings, view);

        expectFailedRun(compute(), c.code, c.line, c.windowCloses);
    }
}

TEST_F(SshRun, CommandEndsOnTheHostWhenTheRunTimesOut)
{
    giveUserKey();
    knowHost(host->knownHostsLine());
    source.settings->command = "sleep 3; touch ended";
    source.settings->maxTime = 1;

    const ComputationResult r = compute();
    // Longer than the command would have taken.
    std::this_thread::sleep_for(std::chrono::milliseconds(3500));

    EXPECT_EQ(r.resultCode, ResultCodes::TransferTimeout) << view.all();
    EXPECT_FALSE(fs::exists(home() / "run" / "ended"));
}

} // namespace
} // namespace vemra

// The remote run of a computation against a real test host on 127.0.0.1:
// the example computed there with its results, and every way the run can
// fail with its result code, its own protocol line and no stale results.
#include "remote_hosts.h"
#include "remote_run_fixture.h"

namespace vemra {
namespace {

using namespace test;
namespace fs = std::filesystem;

constexpr const char* User = "vemra";
constexpr const char* Password = "Ge4heim!x";
constexpr const char* Masked = "#########";

struct HostSetup {
    FtpHost::Access access = FtpHost::Access::Full;
    bool echoPassword = false;
    bool noPrompt = false;
};

class RemoteRun : public RemoteRunFixture {
protected:
    void SetUp() override
    {
        if (auto why = missingHostServices())
            GTEST_SKIP() << "No test host: " << *why;
        makeFolders();
    }

    fs::path hostLog() const { return dir.path() / "host.log"; }
    fs::path ftpLog() const { return dir.path() / "ftp.log"; }

    void startHost(const HostSetup& setup)
    {
        ftp = std::make_unique<FtpHost>(home(), User, Password, setup.access,
                                        std::map<std::string, std::string>{{"FTP_HOST_LOG", ftpLog().string()}});
        std::map<std::string, std::string> env{{"HOST_USER", User},
                                               {"HOST_PASSWORD", Password},
                                               {"HOST_HOME", home().string()},
                                               {"HOST_LOG", hostLog().string()}};
        if (setup.echoPassword)
            env["HOST_ECHO_PASSWORD"] = "1";
        if (setup.noPrompt)
            env["HOST_NO_PROMPT"] = "1";
        login = std::make_unique<LoginHost>(env);
        RemoteSettings& s = *source.settings;
        s.host = "127.0.0.1";
        s.ftpPort = ftp->port();
        s.telnetPort = login->port();
        s.user = User;
        s.password = Password;
        s.prompt = "$ ";
        s.command = std::string(RX_MODULE) + " remote$.rx4 0";
        s.remotePath = "run";
        s.maxTime = 60;
        s.details = true;
    }

    std::vector<std::string> hostLines() const
    {
        std::vector<std::string> lines;
        std::ifstream in(hostLog());
        for (std::string l; std::getline(in, l);)
            lines.push_back(l);
        return lines;
    }
    std::unique_ptr<FtpHost> ftp;
    std::unique_ptr<LoginHost> login;
};

TEST_F(RemoteRun, ComputesOnTheHostAndFetchesTheResults)
{
    startHost({.echoPassword = true});
    leaveStaleResults(home() / "run");

    expectComputedRun(compute());
    EXPECT_TRUE(view.hasLine("> CWD run"));
    const auto host = hostLines();
    ASSERT_EQ(host.size(), 3u);
    EXPECT_EQ(host[0], "cd run");
    EXPECT_EQ(host[2], "logout");
    // The host echoed the password: the terminal shows it masked too.
    EXPECT_EQ(view.all().find(Password), std::string::npos) << view.all();
    EXPECT_TRUE(view.hasLine(std::string("> PASS ") + Masked));
    EXPECT_NE(view.terminal.find(Masked), std::string::npos);
    EXPECT_FALSE(view.closed);
}

TEST_F(RemoteRun, EmptyRemotePathChangesNoFolder)
{
    startHost({});
    source.settings->remotePath.clear();

    const ComputationResult r = compute();

    EXPECT_EQ(r.resultCode, 0) << view.all();
    EXPECT_TRUE(fs::exists(home() / protocol::ModuleInputFileName));
    for (const auto& l : view.lines)
        EXPECT_EQ(l.find("CWD"), std::string::npos) << l;
    const auto host = hostLines();
    ASSERT_FALSE(host.empty());
    EXPECT_EQ(host[0], "cd ");
}

TEST_F(RemoteRun, ModuleWithoutResultsIsNoTransferFailure)
{
    startHost({});
    // Only the result code, as the module leaves it when it finds no solution.
    source.settings->command = "echo -2 > rx4.err";

    const ComputationResult r = compute();

    EXPECT_EQ(r.resultCode, ResultCodes::MinimumNotMet) << view.all();
    EXPECT_TRUE(view.hasLine(RemoteText::DownloadDone));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Minimalforderungen sind nicht erfüllbar.");
}

TEST_F(RemoteRun, BatchAsksBeforeEveryProjectAndEndsOnCancel)
{
    startHost({});
    for (const char* name : {"greifer.r4p", "foerderer.r4p"})
        ASSERT_NE(readProjectFile(ws, examplePath(name).string()), nullptr);
    source.cancelAt = 2;

    std::optional<BatchSummary> summary;
    compute(&summary);

    ASSERT_TRUE(summary);
    EXPECT_EQ(source.asked, 2);
    EXPECT_EQ(summary->attempted, 2);
    EXPECT_EQ(summary->text, "Abbruch durch das Shell-Programm.");
    EXPECT_EQ(view.begun, 1);
}

TEST_F(RemoteRun, StopCommandEndsTheWait)
{
    startHost({.noPrompt = true});
    pump.onPump = [this](int count) {
        if (count == 30)
            ws.Calculating = false;
    };

    const ComputationResult r = compute();

    EXPECT_EQ(r.resultCode, ResultCodes::StoppedByUser);
    EXPECT_TRUE(view.closed);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RemoteRun, ControlCharactersInTheSettingsSendNothing)
{
    startHost({});
    const std::pair<std::string RemoteSettings::*, const char*> fields[] = {
        {&RemoteSettings::host, "HostName"},         {&RemoteSettings::user, "UserName"},
        {&RemoteSettings::password, "Password"},     {&RemoteSettings::prompt, "Prompt"},
        {&RemoteSettings::loginRequest, "login-Req"}, {&RemoteSettings::passwordRequest, "PWD-Req"},
        {&RemoteSettings::command, "Kommando"},      {&RemoteSettings::remotePath, "Pfad"},
    };
    const RemoteSettings clean = *source.settings;
    for (const auto& [field, label] : fields) {
        for (const std::string& bad : std::vector<std::string>{"\r\nDELE evil", std::string("a\0b", 3), "\x1b[2J", "\t",
                                                               "\x7f", "\xc2\x85"}) {
            SCOPED_TRACE(std::string(label) + " with byte " + std::to_string(static_cast<unsigned char>(bad[1])));
            fs::remove(ftpLog());
            *source.settings = clean;
            (*source.settings).*field += bad;
            view = RecordingRunView{};

            const ComputationResult r = compute();

            EXPECT_EQ(r.resultCode, ResultCodes::HostConnectionFailed);
            EXPECT_TRUE(view.hasLine(std::string("\"") + label + ":\" enthält ein Steuerzeichen")) << view.all();
            EXPECT_FALSE(fs::exists(ftpLog()));
            EXPECT_FALSE(fs::exists(hostLog()));
            dialogs.clear();
        }
    }
}

struct FailureCase {
    const char* name;
    HostSetup host;
    std::function<void(RemoteSettings&, RecordingRunView&)> change;
    int32_t code;
    const char* line;
    bool windowCloses;
};

// Test names say which case failed; the bytes of the case would not.
void PrintTo(const FailureCase& c, std::ostream* os)
{
    *os << c.name;
}

class RemoteRunFailure : public RemoteRun, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(RemoteRunFailure, EndsWithItsCodeAndLeavesNoResults)
{
    const FailureCase& c = GetParam();
    startHost(c.host);
    leaveStaleResults(home() / "run");
    c.change(*source.settings, view);

    expectFailedRun(compute(), c.code, c.line, c.windowCloses);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RemoteRunFailure,
    ::testing::Values(
        FailureCase{"WrongPassword", {}, [](RemoteSettings& s, RecordingRunView&) { s.password = "falsch"; },
                    ResultCodes::HostConnectionFailed, RemoteText::UploadFailed, false},
        FailureCase{"ReadOnlyFolder", {.access = FtpHost::Access::ReadOnly}, [](RemoteSettings&, RecordingRunView&) {},
                    ResultCodes::HostConnectionFailed, RemoteText::UploadFailed, false},
        FailureCase{"MissingFolder", {}, [](RemoteSettings& s, RecordingRunView&) { s.remotePath = "fehlt"; },
                    ResultCodes::HostConnectionFailed, RemoteText::UploadFailed, false},
        FailureCase{"StaleResultsNotDeletable", {.access = FtpHost::Access::NoDelete},
                    [](RemoteSettings&, RecordingRunView&) {}, ResultCodes::HostConnectionFailed,
                    RemoteText::DeleteFailed, false},
        FailureCase{"TlsRefusedByHost", {}, [](RemoteSettings& s, RecordingRunView&) { s.ftpTls = true; },
                    ResultCodes::HostConnectionFailed, RemoteText::UploadFailed, false},
        FailureCase{"NoLoginService", {}, [](RemoteSettings& s, RecordingRunView&) { s.telnetPort = 1; },
                    ResultCodes::HostConnectionFailed, RemoteText::ScriptFailed, false},
        FailureCase{"PromptNeverShown", {.noPrompt = true},
                    [](RemoteSettings& s, RecordingRunView&) { s.maxTime = 2; }, ResultCodes::TransferTimeout,
                    RemoteText::TimedOut, true},
        FailureCase{"CancelWhileWaiting", {.noPrompt = true},
                    [](RemoteSettings&, RecordingRunView& v) { v.cancelAfter = 20; }, ResultCodes::StoppedByUser,
                    RemoteText::Cancelled, true}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace vemra

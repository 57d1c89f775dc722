#include "remote_module_runner.h"

#include "module_files.h"
#include "remote_protocol.h"
#include "result_files.h"

#include "protocol/exchange_files.h"
#include "protocol/result_codes.h"

namespace vemra {

RemoteModuleRunner::RemoteModuleRunner(RemoteTransports& transports, RemoteSettingsSource& settings,
                                       RemoteRunView& view, Clock& clock)
    : transports_(transports), settings_(settings), view_(view), clock_(clock)
{
}

// The state of one remote run: the settings it was given, its flags and the
// protocol on its way to the view.
class RemoteModuleRunner::Run {
public:
    Run(RemoteModuleRunner& owner, const RemoteSettings& settings, const ModuleRunRequest& request,
        RunControl& control)
        : o_(owner), s_(settings), request_(request), control_(control), hostText_(settings.password)
    {
    }

    ModuleRunOutcome execute();

private:
    using Status = RemoteFileTransfer::Status;

    // The result code as the flags say; a later flag outranks an earlier one.
    int32_t code() const
    {
        if (aborted_)
            return ResultCodes::StoppedByUser;
        if (timedOut_)
            return ResultCodes::TransferTimeout;
        if (failed_)
            return ResultCodes::HostConnectionFailed;
        return 0;
    }
    bool going() const { return code() == 0; }
    bool interrupted() const { return aborted_ || timedOut_; }

    // Every line may carry what the host or the settings said: nothing of
    // it may drive a terminal that shows the protocol.
    void line(const std::string& text) { o_.view_.addLine(maskPassword(withoutControlSequences(text), s_.password)); }
    void fail(const std::string& what, const std::string& reason)
    {
        failed_ = true;
        failure_ = maskPassword(withoutControlSequences(what + reason), s_.password);
        o_.view_.addLine(failure_);
    }

    int32_t elapsed()
    {
        const auto ms = (o_.clock_.now() - start_).count();
        return offset_ + static_cast<int32_t>(std::max<long long>(0, ms / 1000));
    }
    // The window's one-second timer: the time display, the maximum time and
    // the cancel button, looked at whenever the run waits.
    void tick()
    {
        const int32_t now = elapsed();
        if (now != shown_) {
            shown_ = now;
            o_.view_.showTime(now, s_.maxTime);
        }
        if (now > s_.maxTime && !timedOut_) {
            timedOut_ = true;
            line(RemoteText::TimedOut);
        }
        if (!aborted_ && (o_.view_.cancelRequested() || control_.stopRequested())) {
            aborted_ = true;
            line(RemoteText::Cancelled);
        }
    }
    void idle()
    {
        control_.pump();
        tick();
    }
    // Between the steps, as the stop command is meant to be noticed.
    void afterStep()
    {
        if (control_.stopRequested() && !aborted_) {
            aborted_ = true;
            line(RemoteText::Cancelled);
        }
    }

    Status transfer(RemoteFileTransfer& ft)
    {
        for (;;) {
            const Status st = ft.poll(o_.slice);
            if (st != Status::Running)
                return st;
            idle();
            if (interrupted()) {
                ft.cancel();
                return Status::Failed;
            }
        }
    }

    std::unique_ptr<RemoteFileTransfer> fileTransfer()
    {
        return o_.transports_.fileTransfer(s_, [this](const std::string& l) {
            if (s_.details)
                line(l);
        });
    }

    void upload();
    void deleteOnHost();
    void runScript();
    void runCommand();
    void waitForResultCode();
    void download();
    void hostText(const std::string& text);
    void flushHostText(bool ended);

    RemoteModuleRunner& o_;
    const RemoteSettings& s_;
    const ModuleRunRequest& request_;
    RunControl& control_;

    std::chrono::milliseconds start_{0};
    int32_t offset_ = 0;
    int32_t shown_ = -1;
    bool failed_ = false;
    bool timedOut_ = false;
    bool aborted_ = false;
    std::string failure_;

    PasswordFilter hostText_;
    TerminalLines hostLines_;
};

void RemoteModuleRunner::Run::upload()
{
    line("");
    line(RemoteText::UploadStarted);
    line("");
    auto ft = fileTransfer();
    ft->beginPut(request_.workDir / protocol::ModuleInputFileName, protocol::ModuleInputFileName);
    if (transfer(*ft) == Status::Done)
        line(RemoteText::UploadDone);
    else if (!interrupted())
        fail(RemoteText::UploadFailed, ft->reason());
    line("");
    ft->quit();
}

// Whatever an earlier run left on the host would be read as this run's
// results: the result-code file above all, since its appearance is what
// the wait below takes for the end of the computation.
void RemoteModuleRunner::Run::deleteOnHost()
{
    std::vector<std::string> names{protocol::EffectiveParamsFileName};
    for (int32_t n = 1; n <= protocol::MaxMotionNumber; ++n)
        names.push_back(protocol::coefficientFileName(n));
    names.push_back(protocol::ExplanationFileName);
    names.push_back(protocol::ResultCodeFileName);
    auto ft = fileTransfer();
    ft->beginDelete(names);
    if (transfer(*ft) != Status::Done && !interrupted())
        fail(RemoteText::DeleteFailed, ft->reason());
    ft->quit();
}

void RemoteModuleRunner::Run::hostText(const std::string& text)
{
    const std::string safe = hostText_.feed(text);
    if (safe.empty())
        return;
    o_.view_.terminalText(safe);
    if (s_.details)
        for (const auto& l : hostLines_.feed(safe))
            o_.view_.addLine(l);
}

// A prompt waits without ending its line: what has come is shown when the
// host pauses.
void RemoteModuleRunner::Run::flushHostText(bool ended)
{
    if (ended) {
        const std::string rest = hostText_.flush();
        if (!rest.empty())
            hostText(rest);
    }
    if (s_.details)
        for (const auto& l : hostLines_.flush())
            o_.view_.addLine(l);
}

void RemoteModuleRunner::Run::runScript()
{
    line("");
    auto session = o_.transports_.login(s_, [this](const std::string& text) { hostText(text); });
    const std::string end = s_.lineEnd();
    int step = 0;
    bool done = false;
    session->clearEvents();
    session->addEvent(1, s_.loginRequest, s_.user + end, {}, false);
    session->addEvent(2, s_.passwordRequest, s_.password + end, {}, false);
    session->addEvent(3, s_.prompt, "", [&] {
        switch (step) {
        case 0: session->send("cd " + s_.remotePath + end); break;
        case 1: session->send(s_.command + end); break;
        case 2:
            session->send("logout" + end);
            session->removeEvent(3);
            done = true;
            break;
        default: break;
        }
        ++step;
    }, true);
    session->connect();
    bool connected = false;
    for (;;) {
        const auto st = session->poll(o_.slice);
        flushHostText(false);
        connected = st == RemoteLoginSession::Status::Connected;
        if (done)
            break;
        if (st == RemoteLoginSession::Status::Failed || st == RemoteLoginSession::Status::Closed) {
            fail(RemoteText::ScriptFailed, session->reason());
            break;
        }
        idle();
        if (interrupted())
            break;
    }
    // The logout of the script (or, after a cancel, one of our own) must
    // reach the host before the connection goes.
    if (!done && connected)
        session->send("logout" + end);
    for (int i = 0; i < 20 && session->poll(o_.slice) == RemoteLoginSession::Status::Connected; ++i)
        flushHostText(false);
    session->close();
    flushHostText(true);
    if (done)
        line(RemoteText::ScriptDone);
    line("");
}

// Over SSH the command runs on a channel of its own, in the remote folder;
// like the script's, it is done when the command has ended.
void RemoteModuleRunner::Run::runCommand()
{
    line("");
    auto command = o_.transports_.command(
        s_,
        [this](const std::string& l) {
            if (s_.details)
                line(l);
        },
        [this](const std::string& text) { hostText(text); });
    command->begin(s_.command);
    RemoteCommand::Status st = RemoteCommand::Status::Running;
    while ((st = command->poll(o_.slice)) == RemoteCommand::Status::Running) {
        flushHostText(false);
        idle();
        if (interrupted()) {
            command->cancel();
            break;
        }
    }
    flushHostText(true);
    if (st == RemoteCommand::Status::Done)
        line(RemoteText::ScriptDone);
    else if (!interrupted())
        fail(RemoteText::CommandFailed, command->reason());
    line("");
}

void RemoteModuleRunner::Run::waitForResultCode()
{
    auto ft = fileTransfer();
    const auto local = request_.workDir / protocol::ResultCodeFileName;
    for (;;) {
        const auto asked = o_.clock_.now();
        ft->beginGet(protocol::ResultCodeFileName, local);
        const Status st = transfer(*ft);
        if (st == Status::Done) {
            line(RemoteText::ModuleDone);
            break;
        }
        if (interrupted())
            break;
        if (st != Status::NotFound) {
            fail(RemoteText::WaitFailed, ft->reason());
            break;
        }
        while (!interrupted() && o_.clock_.now() - asked < o_.pollInterval) {
            idle();
            ft->poll(o_.slice); // keeps the idle connection answered
        }
        if (interrupted())
            break;
    }
    ft->quit();
}

void RemoteModuleRunner::Run::download()
{
    // Nothing local may be taken for this run's results unless it came now.
    removeStaleResultFiles(request_.workDir);
    auto ft = fileTransfer();
    const auto get = [&](const std::string& name, bool required) {
        if (!going())
            return;
        ft->beginGet(name, request_.workDir / name);
        const Status st = transfer(*ft);
        if (st == Status::Done || interrupted() || (st == Status::NotFound && !required))
            return;
        fail(RemoteText::DownloadFailed, name + ": " + ft->reason());
    };
    line("");
    line(RemoteText::DownloadStarted);
    line("");
    get(protocol::ResultCodeFileName, true);
    // Without results the module writes the result code only.
    const auto module = going() ? readResultCodeFile(request_.workDir / protocol::ResultCodeFileName) : std::nullopt;
    const bool resultsFollow = module && ResultCodes::resultsExpected(*module);
    get(protocol::EffectiveParamsFileName, resultsFollow);
    for (const int32_t n : request_.motionNumbers)
        get(protocol::coefficientFileName(n), resultsFollow);
    // Only newer modules explain their result.
    get(protocol::ExplanationFileName, false);
    ft->quit();
    if (going()) {
        line("");
        line(RemoteText::DownloadDone);
        line("");
    }
}

ModuleRunOutcome RemoteModuleRunner::Run::execute()
{
    offset_ = o_.view_.begin(s_.maxTime);
    start_ = o_.clock_.now();
    tick();

    upload();
    afterStep();
    if (going())
        deleteOnHost();
    afterStep();
    if (going()) {
        if (s_.connection == RemoteConnection::Ssh)
            runCommand();
        else
            runScript();
    }
    afterStep();
    if (going())
        waitForResultCode();
    afterStep();
    if (going())
        download();
    afterStep();

    const int32_t result = code();
    if (result != 0)
        removeStaleResultFiles(request_.workDir);
    o_.transports_.endRun();
    o_.view_.end(interrupted(), elapsed(), s_.maxTime);
    if (result == 0)
        return {ModuleRunOutcome::Kind::Finished, 0, {}};
    return {ModuleRunOutcome::Kind::Failed, result, failure_};
}

ModuleRunOutcome RemoteModuleRunner::run(const ModuleRunRequest& request, RunControl& control)
{
    const std::optional<RemoteSettings> settings = settings_.askSettings();
    if (!settings)
        return {ModuleRunOutcome::Kind::Failed, ResultCodes::StoppedByUser, "remote settings cancelled"};
    // A line end in a user name would be a second command to the host:
    // such settings send nothing at all.
    if (const auto problem = controlCharacterProblem(*settings)) {
        const int32_t elapsed = view_.begin(settings->maxTime);
        view_.addLine(*problem);
        view_.end(false, elapsed, settings->maxTime);
        return {ModuleRunOutcome::Kind::Failed, ResultCodes::HostConnectionFailed, *problem};
    }
    Run run(*this, *settings, request, control);
    return run.execute();
}

} // namespace vemra

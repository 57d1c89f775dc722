// What the tests of the remote run share, whichever host they start: an
// example computed through the remote runner with the real network clients,
// a scripted user who answers the host-key question, the recorded progress
// display, and looks at the folders on both sides.
#pragma once

#include "support/compute_doubles.h"
#include "support/remote_doubles.h"
#include "support/test_data.h"

#include "commands/file_commands.h"
#include "compute/batch_computation.h"
#include "compute/computation.h"
#include "compute/remote_module_runner.h"
#include "net/net_transports.h"
#include "platform/system_clock.h"
#include "protocol/exchange_files.h"

#include <gtest/gtest.h>

#include <fstream>

namespace vemra::test {

class RemoteRunFixture : public ::testing::Test {
protected:
    // The module's folder on the host, and the local work folder.
    std::filesystem::path home() const { return dir.path() / "host"; }
    std::filesystem::path work() const { return dir.path() / "work"; }

    void makeFolders()
    {
        std::filesystem::create_directories(home() / "run");
        std::filesystem::create_directories(work());
    }

    // The example computed through the remote runner; with batch, every
    // open project as "&alle Berechnen" does.
    ComputationResult compute(std::optional<BatchSummary>* batch = nullptr, const char* example = "hubkurve.r4p")
    {
        TreeItem* project = readProjectFile(ws, examplePath(example).string());
        EXPECT_NE(project, nullptr);
        NetTransports transports(SshPrompts{&dialogs, {}});
        SystemClock clock;
        RemoteModuleRunner runner(transports, source, view, clock);
        runner.pollInterval = std::chrono::milliseconds(200);
        ComputationServices services;
        services.remoteRunner = &runner;
        services.eventPump = &pump;
        services.clock = &clock;
        RecordingObserver observer;
        Computation computation(ws, services, &observer);
        computation.setMode(ComputationMode::Remote);
        computation.setWorkDir(work());
        if (!batch)
            return computation.RunComputation(project);
        *batch = RunBatch(computation);
        return observer.results.empty() ? ComputationResult{} : observer.results.back();
    }

    // A finished earlier run on the host, which must never pass for this one.
    static void leaveStaleResults(const std::filesystem::path& folder)
    {
        std::ofstream(folder / protocol::ResultCodeFileName) << "0\n";
        std::ofstream(folder / protocol::coefficientFileName(1)) << "stale\n";
        std::ofstream(folder / protocol::coefficientFileName(7)) << "stale\n";
    }
    bool localResultsLeft() const
    {
        for (const auto& e : std::filesystem::directory_iterator(work()))
            if (e.path().filename() != protocol::ModuleInputFileName)
                return true;
        return false;
    }
    // A run that computed the example on the host: every step line in
    // order, results, no message, and nothing left of the stale results.
    void expectComputedRun(const ComputationResult& r) const
    {
        EXPECT_EQ(r.resultCode, 0) << view.all();
        EXPECT_TRUE(r.hasResults);
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(stepLines(), allSteps());
        EXPECT_FALSE(std::filesystem::exists(home() / "run" / protocol::coefficientFileName(7)));
    }

    // A run that failed with code: its own protocol line (the start of
    // one), no results on either side, no password anywhere, the window
    // gone after a cancel or time-out, and a message unless the user
    // stopped the run himself.
    void expectFailedRun(const ComputationResult& r, int32_t code, const std::string& line, bool windowCloses) const
    {
        EXPECT_EQ(r.resultCode, code) << view.all();
        EXPECT_FALSE(r.hasResults);
        EXPECT_FALSE(localResultsLeft());
        EXPECT_TRUE(view.hasLine(line)) << view.all();
        EXPECT_EQ(view.closed, windowCloses);
        if (!source.settings->password.empty()) {
            EXPECT_EQ(view.all().find(source.settings->password), std::string::npos);
        }
        EXPECT_EQ(dialogs.messages.size(), code == ResultCodes::StoppedByUser ? 0u : 1u);
    }

    // The protocol lines that name a step ("..."), in order.
    std::vector<std::string> stepLines() const
    {
        std::vector<std::string> steps;
        for (const auto& l : view.lines)
            if (l.find("...") != std::string::npos)
                steps.push_back(l);
        return steps;
    }
    static std::vector<std::string> allSteps()
    {
        return {RemoteText::UploadStarted, RemoteText::UploadDone,      RemoteText::ScriptDone,
                RemoteText::ModuleDone,    RemoteText::DownloadStarted, RemoteText::DownloadDone};
    }

    TempDir dir;
    ScriptedDialogs dialogs;
    Workspace ws{dialogs};
    CallbackPump pump;
    FixedSettings source;
    RecordingRunView view;
};

} // namespace vemra::test

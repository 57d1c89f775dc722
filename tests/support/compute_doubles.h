// Doubles and builders shared by the tests of the computation: fake
// services, a workspace with all of them, and small projects.
#pragma once

#include "scripted_dialogs.h"
#include "temp_dir.h"

#include "compute/computation.h"

#include "model/tree_ops.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vemra::test {

// A runner that does what the test says: call back (to write module files
// or look at the state during the run), pump, return an outcome.
class FakeRunner : public ModuleRunner {
public:
    ModuleRunOutcome run(const ModuleRunRequest& request, RunControl& control) override;

    std::function<void(const ModuleRunRequest&)> during;
    // Pumps this many times, stopping early at a stop request.
    int pumps = 0;
    ModuleRunOutcome outcome{ModuleRunOutcome::Kind::Finished, 0, {}};
    std::vector<ModuleRunRequest> requests;
};

class FakeLock : public ComputationLock {
public:
    Status tryAcquire() override
    {
        ++acquired;
        return status;
    }
    void release() override { ++released; }
    Status status = Status::Acquired;
    int acquired = 0;
    int released = 0;
};

class FakeScreenSaver : public ScreenSaver {
public:
    bool isActive() override { return active; }
    void setActive(bool a) override
    {
        active = a;
        calls.push_back(a);
    }
    bool active = false;
    std::vector<bool> calls;
};

class FakeClock : public Clock {
public:
    std::chrono::milliseconds now() override { return time; }
    std::chrono::milliseconds time{0};
};

class CallbackPump : public EventPump {
public:
    void processPendingEvents() override
    {
        ++count;
        if (onPump)
            onPump(count);
    }
    std::function<void(int)> onPump;
    int count = 0;
};

class RecordingObserver : public ComputationObserver {
public:
    bool isExpanded(TreeItem*) override { return expanded; }
    void setExpanded(TreeItem*, bool e) override { expanded = e; }
    void runStateChanged(bool calc, bool stop) override { log.push_back(std::string("calc=") + (calc ? "1" : "0") + " stop=" + (stop ? "1" : "0")); }
    void batchStateChanged(bool running) override { log.push_back(running ? "batch on" : "batch off"); }
    void statusChanged(const std::string& text) override { log.push_back("status:" + text); }
    void computationStarted(TreeItem*) override { log.push_back("started"); }
    void moduleOutput(TreeItem*, const std::string& line) override { moduleLines.push_back(line); }
    void computationFinished(TreeItem*, const ComputationResult& r) override
    {
        results.push_back(r);
        if (onFinished)
            onFinished(r);
    }
    std::function<void(const ComputationResult&)> onFinished;
    bool expanded = false;
    std::vector<std::string> log;
    std::vector<std::string> moduleLines;
    std::vector<ComputationResult> results;
};

// A workspace with fake services, all in one place for the tests.
struct Bench {
    Bench();
    ScriptedDialogs dialogs;
    Workspace ws{dialogs};
    TempDir dir;
    FakeRunner runner;       // the local one
    FakeRunner remoteRunner; // used in ComputationMode::Remote
    FakeLock lock;
    FakeScreenSaver screenSaver;
    CallbackPump pump;
    FakeClock clock;
    RecordingObserver hooks;
    Computation computation;
};

// Projects for the tests. Motions are numbered in the order they are added;
// restrictions are valid point restrictions unless changed.
TreeItem* addProject(Workspace& ws);
TreeItem* addMotion(Workspace& ws, TreeItem* project, int32_t harmonics, double theta = 0);
TreeItem* addRestriction(Workspace& ws, TreeItem* header, int32_t kind = 0);
// One motion with K harmonics and one restriction: a project that can be
// computed.
TreeItem* simpleProject(Workspace& ws, int32_t harmonics = 1);

// A coefficient file for K harmonics: pairs (cosine, sine) for k = 0..K, pair
// 0 being (b0, eta).
std::string coefficientText(const std::vector<double>& values);

} // namespace vemra::test

// A main window that computes with a module process: the real process
// runner, lock, event pump and clock, the module's files in the test's own
// folder; by default the stand-in module, told by a script what to do.
#pragma once

#include "app_fixture.h"

#include "computation_controller.h"

#include "platform/flock_computation_lock.h"
#include "platform/local_module_runner.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/system_clock.h"

#include <memory>

namespace vemra::test {

// A computation controller for window with everything the desktop gives it,
// working and locking in workDir.
struct ModuleComputation {
    ModuleComputation(TDlgMain& window, LocalModuleRunnerOptions options, const std::string& workDir,
                      ScreenSaver* screenSaver = nullptr)
        : runner(std::move(options)), lock(workDir)
    {
        ComputationServices services;
        services.localRunner = &runner;
        services.lock = &lock;
        services.screenSaver = screenSaver;
        services.eventPump = &pump;
        services.clock = &clock;
        controller = std::make_unique<ComputationController>(window, services);
        controller->computation().setWorkDir(workDir);
    }

    LocalModuleRunner runner;
    FlockComputationLock lock;
    QtEventPump pump;
    SystemClock clock;
    std::unique_ptr<ComputationController> controller;
};

#ifdef FAKE_RX_MODULE

class FakeModuleTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        LocalModuleRunnerOptions options;
        options.modulePath = FAKE_RX_MODULE;
        module = std::make_unique<ModuleComputation>(*window, options, dir.path().toStdString(), screenSaver());
        controller = module->controller.get();
        window->setComputation(controller);
    }
    void TearDown() override
    {
        window->setComputation(nullptr);
        module.reset();
        MainWindowTest::TearDown();
    }
    // The screen saver the computation pauses; none by default.
    virtual ScreenSaver* screenSaver() { return nullptr; }

    // What the module does, one command a line.
    void moduleScript(const QString& script)
    {
        QFile f(dir.filePath("fake_module.ctl"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(script.toUtf8());
    }

    std::unique_ptr<ModuleComputation> module;
    ComputationController* controller = nullptr;
};

#endif

} // namespace vemra::test

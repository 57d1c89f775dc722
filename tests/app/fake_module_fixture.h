// A main window that computes with the stand-in module: the real process
// runner, lock, event pump and clock, the module's files and its script in
// the test's own folder.
#pragma once

#include "app_fixture.h"

#include "computation_controller.h"

#include "platform/flock_computation_lock.h"
#include "platform/local_module_runner.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/system_clock.h"

#include <QFile>

#include <memory>

#ifdef FAKE_RX_MODULE

namespace vemra::test {

class FakeModuleTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        LocalModuleRunnerOptions options;
        options.modulePath = FAKE_RX_MODULE;
        runner = std::make_unique<LocalModuleRunner>(options);
        lock = std::make_unique<FlockComputationLock>(dir.path().toStdString());
        ComputationServices services;
        services.localRunner = runner.get();
        services.lock = lock.get();
        services.screenSaver = screenSaver();
        services.eventPump = &pump;
        services.clock = &clock;
        controller = std::make_unique<ComputationController>(*window, services);
        controller->computation().setWorkDir(dir.path().toStdString());
        window->setComputation(controller.get());
    }
    void TearDown() override
    {
        window->setComputation(nullptr);
        controller.reset();
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

    std::unique_ptr<LocalModuleRunner> runner;
    std::unique_ptr<FlockComputationLock> lock;
    QtEventPump pump;
    SystemClock clock;
    std::unique_ptr<ComputationController> controller;
};

} // namespace vemra::test

#endif

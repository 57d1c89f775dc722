// The computation commands of the main window with a real module process:
// the window stays usable while the module runs, the stop command ends it,
// a batch locks the tree and gives it back, results reach the menus, and a
// close request during a run waits for the run to unwind.
#include "fake_module_fixture.h"

#include "computation_progress_indicator.h"
#include "project_tree_view.h"

#include "compute/batch_computation.h"

#include "support/compute_doubles.h"

#include <QAction>
#include <QCoreApplication>
#include <QStatusBar>
#include <QTimer>

#include <functional>

#ifdef FAKE_RX_MODULE

namespace vemra::test {
namespace {

class ComputationTest : public FakeModuleTest {
protected:
    void SetUp() override
    {
        fakeScreenSaver.active = true; // on until the computation switches it off
        FakeModuleTest::SetUp();
        window->show();
    }
    ScreenSaver* screenSaver() override { return &fakeScreenSaver; }

    static QString solvedScript(int delayMs)
    {
        return QStringLiteral("sleep %1\nwrite rx4.err\n0\nend\nwrite remote$.fk1\n0.5 0 0 1\nend\nexit 0\n").arg(delayMs);
    }

    // Calls onTick every 50 ms while the test runs a command.
    void whileRunning(const std::function<void(int)>& onTick)
    {
        ticker = std::make_unique<QTimer>();
        ticker->setInterval(50);
        QObject::connect(ticker.get(), &QTimer::timeout, [this, onTick] { onTick(++ticks); });
        ticker->start();
    }
    // The user stops the run and confirms the question.
    void stop()
    {
        dialogs.answerYes();
        window->StopCalc->trigger();
    }
    // A project with one motion, selected.
    TreeItem* selectedProject()
    {
        TreeItem* project = newProject();
        newMotion(project);
        return select(project);
    }

    FakeScreenSaver fakeScreenSaver;
    std::unique_ptr<QTimer> ticker;
    int ticks = 0;
};

TEST_F(ComputationTest, TheWindowStaysAliveWhileTheModuleRunsAndStopEndsIt)
{
    TreeItem* project = selectedProject();
    moduleScript("sleep 30000\nexit 0\n");

    bool sawRunningState = false;
    QString statusWhileRunning;
    whileRunning([&](int tick) {
        if (tick == 2) {
            sawRunningState = ws().Calculating && window->StopCalc->isEnabled() && !window->Calc->isEnabled()
                              && project->NodeAs<TProject>()->Computing;
            statusWhileRunning = window->statusText();
        }
        if (tick == 4)
            stop();
    });
    window->Calc->trigger();

    EXPECT_GE(ticks, 4) << "the timer fired while the module ran";
    EXPECT_TRUE(sawRunningState);
    EXPECT_EQ(statusWhileRunning, "Bildschirmschoner deaktiviert.");
    EXPECT_TRUE(window->statusText().isEmpty()) << "the status goes with the screen saver pause";
    EXPECT_TRUE(fakeScreenSaver.active) << "switched on again";
    ASSERT_EQ(dialogs.messages.size(), 1u) << "a stopped run shows no result message";
    EXPECT_EQ(dialogs.last().text, "RX-Optimierung abbrechen?");
    EXPECT_FALSE(ws().Calculating);
    EXPECT_FALSE(project->NodeAs<TProject>()->Computing);
    EXPECT_FALSE(project->NodeAs<TProject>()->HasResults);
    EXPECT_FALSE(window->StopCalc->isEnabled());
    EXPECT_TRUE(window->Calc->isEnabled());
}

TEST_F(ComputationTest, StopAnsweredNoChangesNothing)
{
    TreeItem* project = selectedProject();
    moduleScript(solvedScript(400));
    whileRunning([&](int tick) {
        if (tick == 2) {
            dialogs.answerNo();
            window->StopCalc->trigger();
        }
    });
    window->Calc->trigger();
    EXPECT_TRUE(project->NodeAs<TProject>()->HasResults);
}

TEST_F(ComputationTest, ResultsReachTheProjectAndTheMenus)
{
    TreeItem* project = newProject();
    TreeItem* motion = newMotion(project);
    select(motion);
    EXPECT_FALSE(window->MkTable->isEnabled());
    moduleScript(solvedScript(700));

    // While computed, the project's branch is closed and stays closed.
    int collapsedTicks = 0;
    bool openedWhileComputing = false;
    whileRunning([&](int) {
        if (!project->NodeAs<TProject>()->Computing)
            return;
        window->TVProjects->viewItem(project)->setExpanded(true);
        if (window->TVProjects->isItemExpanded(project))
            openedWhileComputing = true;
        else
            ++collapsedTicks;
    });
    window->TVProjects->setItemExpanded(project, true);
    window->highPC->trigger();
    window->Calc->trigger();

    EXPECT_EQ(controller->computation().mode(), ComputationMode::HighPriority);
    EXPECT_TRUE(dialogs.messages.empty()) << "a solved run shows no message";
    EXPECT_TRUE(project->NodeAs<TProject>()->HasResults);
    EXPECT_TRUE(motion->NodeAs<TPaintObj>()->HasResult);
    EXPECT_EQ(ws().tree.Selected(), motion);
    EXPECT_TRUE(window->MkTable->isEnabled()) << "a current result can be tabulated";
    EXPECT_GT(collapsedTicks, 0);
    EXPECT_FALSE(openedWhileComputing);
    EXPECT_TRUE(window->TVProjects->isItemExpanded(project)) << "the branch is opened again";
}

TEST_F(ComputationTest, TheBatchLocksTheTreeAndGivesItBack)
{
    for (int i = 0; i < 2; ++i)
        newMotion(newProject());
    select(ws().tree.TopLevel(0));
    moduleScript(solvedScript(300));

    int lockedTicks = 0;
    bool unlockedDuringRun = false;
    whileRunning([&](int) {
        if (!ws().Calculating)
            return;
        if (!window->TVProjects->isEnabled() && window->Timer1->isActive() && !window->BatchCalc->isEnabled()
            && window->StopCalc->isEnabled() && controller->BatchMode())
            ++lockedTicks;
        else
            unlockedDuringRun = true;
    });
    window->BatchCalc->trigger();

    EXPECT_GT(lockedTicks, 0);
    EXPECT_FALSE(unlockedDuringRun);
    EXPECT_TRUE(window->TVProjects->isEnabled());
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_FALSE(window->StopCalc->isEnabled());
    EXPECT_TRUE(window->BatchCalc->isEnabled());
    EXPECT_FALSE(controller->BatchMode());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.last().text.rfind("Die Berechnung ist abgeschlossen.\rFür 2 von 2 Projekte(n) wurden Lösungen "
                                        "gefunden.\rRechenzeit: ",
                                        0),
              0u)
        << dialogs.last().text;
}

TEST_F(ComputationTest, TheStatusBarFollowsTheModulesProgress)
{
    for (int i = 0; i < 2; ++i)
        newMotion(newProject());
    select(ws().tree.TopLevel(0));
    const QString caption = QString::fromStdString(ws().tree.TopLevel(1)->Text());
    QStringList shown;
    whileRunning([&](int) {
        if (window->CalcProgress->isVisible())
            shown << window->CalcProgress->text();
    });

    // A batch, its module reporting its steps (the window looks at them
    // every half second)...
    moduleScript(QStringLiteral("print Stufe 0 (ohne Verschiebung): Erfüllungsgrad 0.25, Glattheit 9\n"
                                "print Schritt 2 von 20: Erfüllungsgrad 0.5, Glattheit 8\n")
                 + solvedScript(1200));
    window->BatchCalc->trigger();
    EXPECT_TRUE(shown.contains(QStringLiteral("Projekt 2 von 2: %1 – Schritt 2 von 20, Erfüllungsgrad 0.5000 – 0:00")
                                   .arg(caption)))
        << shown.join('\n').toStdString();
    EXPECT_FALSE(window->CalcProgress->isVisible());

    // ...and one project whose module says nothing: the time still runs.
    shown.clear();
    select(ws().tree.TopLevel(1));
    moduleScript(solvedScript(1600));
    window->Calc->trigger();
    EXPECT_TRUE(shown.contains(caption + QStringLiteral(" – Berechnung läuft – 0:01"))) << shown.join('\n').toStdString();
    EXPECT_FALSE(window->CalcProgress->isVisible());
    // Beside the status text, which keeps its own messages: after a solved
    // run its outcome (a silent module tells no fulfilment).
    EXPECT_EQ(window->SB->findChild<ComputationProgressIndicator*>(), window->CalcProgress);
    EXPECT_EQ(window->statusText(), "ok");
}

TEST_F(ComputationTest, StoppingABatchEndsItWithTheStopMessage)
{
    for (int i = 0; i < 3; ++i)
        newMotion(newProject());
    moduleScript("sleep 30000\nexit 0\n");
    whileRunning([&](int tick) {
        if (tick == 3)
            stop();
    });
    window->BatchCalc->trigger();

    EXPECT_EQ(dialogs.last().text, "Abbruch durch das Shell-Programm.");
    EXPECT_FALSE(ws().tree.TopLevel(2)->NodeAs<TProject>()->Computed) << "the third project is left alone";
    EXPECT_TRUE(window->TVProjects->isEnabled());
}

TEST_F(ComputationTest, ClosingTheWindowDuringARunWaitsForItsEnd)
{
    selectedProject();
    moduleScript("sleep 30000\nexit 0\n");

    bool closed = false;
    QObject::connect(window.get(), &TDlgMain::closed, [&] { closed = true; });
    bool closeReturned = true;
    whileRunning([&](int tick) {
        if (tick == 3) {
            dialogs.answerYes().answerYes(); // stop the run, then quit unsaved
            closeReturned = window->close();
        }
    });
    window->Calc->trigger();
    EXPECT_FALSE(closeReturned) << "the window cannot go while the run is on the stack";
    EXPECT_FALSE(closed);
    EXPECT_FALSE(ws().Calculating);

    QCoreApplication::processEvents();
    EXPECT_TRUE(closed) << "the close finishes once the run has unwound";
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(dialogs.messages.size(), 2u) << "nothing is asked twice";
}

TEST_F(ComputationTest, AModuleThatCannotStartIsReported)
{
    selectedProject();
    LocalModuleRunnerOptions options;
    options.modulePath = dir.filePath("fehlt").toStdString();
    LocalModuleRunner missing(options);
    ComputationServices services;
    services.localRunner = &missing;
    ComputationController other(*window, services);
    other.computation().setWorkDir(dir.path().toStdString());
    window->setComputation(&other);

    window->Calc->trigger();
    EXPECT_EQ(dialogs.last().text, "Der Berechnungsmodul konnte nicht gestartet werden.");
    EXPECT_EQ(dialogs.last().kind, DialogKind::Error);
    window->setComputation(controller);
}

} // namespace
} // namespace vemra::test

#endif // FAKE_RX_MODULE

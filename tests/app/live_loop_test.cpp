// The live design loop on the desktop, with the real synthesis module: with
// "Automatisch berechnen" on, a bound changed in the editor changes the
// drawn curve without the computation command, "Rückgängig" brings the
// previous curve back, and thirty random changes undone and redone give the
// saved file back byte for byte. The loop and the history leave a project
// alone while the computation command works on it.
#include "diagram_app_fixture.h"
#include "editor_fixture.h"
#include "fake_module_fixture.h"

#include "live_loop.h"
#include "result/result_panel.h"
#include "result/result_view.h"
#include "undo_menu.h"

#include "formats/project_file.h"
#include "support/test_data.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

#include <random>

#if defined(VEMRA_MODULE) && defined(FAKE_RX_MODULE)

namespace vemra::test {
namespace {

class LiveLoopTest : public DiagramAppTest {
protected:
    void SetUp() override
    {
        DiagramAppTest::SetUp();
        dlg = new TDlgRestr(*window);
        changeWindows([this](AppWindows& w) { w.editor = dlg; });

        LocalModuleRunnerOptions options;
        options.modulePath = VEMRA_MODULE;
        options.output = ChildOutput::Discard;
        options.pumpInterval = std::chrono::milliseconds(10);
        runner = std::make_unique<LocalModuleRunner>(options);
        const std::filesystem::path folder = tempFile("live");
        std::filesystem::create_directories(folder);
        folderLock = std::make_unique<FlockComputationLock>(folder);
        kept = std::make_unique<KeptLock>(*folderLock);
        ComputationServices services;
        services.localRunner = runner.get();
        services.lock = kept.get();
        services.eventPump = &pump;
        results = std::make_unique<ResultView>(*window);
        live = std::make_unique<LiveLoop>(*window, services, folder);
        undo = std::make_unique<UndoMenu>(*window, live.get());
        window->show();
    }
    void TearDown() override
    {
        undo.reset();
        live.reset();
        results.reset();
        if (slow) {
            window->setComputation(nullptr);
            slow.reset();
        }
        DiagramAppTest::TearDown();
    }

    // Lets the loop finish what the last change started.
    void waitForTheLoop()
    {
        QElapsedTimer clock;
        clock.start();
        do {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(5);
        } while ((live->pauseTimer()->isActive() || live->live().running() || anyWaiting()) && clock.elapsed() < 60000);
        ASSERT_LT(clock.elapsed(), 60000) << "the loop never came to rest";
    }
    bool anyWaiting()
    {
        for (int i = 0; i < ws().tree.TopLevelCount(); ++i)
            if (live->live().waiting(ws().tree.TopLevel(i)))
                return true;
        return false;
    }
    std::string savedFile(TreeItem* project, const std::string& name)
    {
        const std::string file = tempFile(name);
        EXPECT_FALSE(writeProjectFile(project, file));
        return readTestFile(file);
    }

    // A computation command whose module takes its time (the fake module,
    // told by a control file in the work folder).
    void slowComputationCommand()
    {
        LocalModuleRunnerOptions options;
        options.modulePath = FAKE_RX_MODULE;
        options.pumpInterval = std::chrono::milliseconds(20);
        slow = std::make_unique<ModuleComputation>(*window, options, dir.path().toStdString());
        slow->controller->moduleStarting = [this](TreeItem* project) { live->cancel(project); };
        window->setComputation(slow->controller.get());
        QFile f(dir.filePath("fake_module.ctl"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("sleep 1500\nwrite rx4.err\n0\nend\nexit 0\n");
    }

    TDlgRestr* dlg = nullptr;
    QtEventPump pump;
    std::unique_ptr<LocalModuleRunner> runner;
    std::unique_ptr<FlockComputationLock> folderLock;
    std::unique_ptr<KeptLock> kept;
    std::unique_ptr<ResultView> results;
    std::unique_ptr<LiveLoop> live;
    std::unique_ptr<UndoMenu> undo;
    std::unique_ptr<ModuleComputation> slow;
};

TEST_F(LiveLoopTest, TheCurveFollowsTheEditorAndRueckgaengigBringsThePreviousOneBack)
{
    TreeItem* project = openExample("hubkurve.r4p");
    TreeItem* motionItem = child<TRXHeader>(project);
    TGrafik* grafik = openWindow(motionItem);
    ASSERT_NE(grafik, nullptr);
    grafik->Page.SetQuantities({true, true, true, true, true});
    TreeItem* dwell = motionItem->Child(1);
    ASSERT_EQ(dwell->Text(), "[s0]: (150.0 ... 210.0) -> (49.95 ... 50.05)");
    select(dwell);
    ASSERT_EQ(dlg->activePage(), EditorPage::BG);

    EXPECT_EQ(live->AutoCalc->text(), "Automatisch berechnen");
    EXPECT_FALSE(live->AutoCalc->isChecked()) << "off by default";
    live->AutoCalc->setChecked(true);
    waitForTheLoop();
    grafik->Redraw();
    const QImage original = grafik->Bitmap.copy();
    auto* motion = motionItem->NodeAs<TRXHeader>();
    ASSERT_NEAR(motion->Calc_s(0, 180), 50, 0.06);

    // The second dwell moves from 50 to 40: lower bound first, so that
    // every state on the way is consistent.
    enter(dlg->REdLower, QStringLiteral("39.95"));
    enter(dlg->REdUpper, QStringLiteral("40.05"));
    EXPECT_EQ(undo->Undo->text(), "Rückgängig: Änderung an [s0]: (150.0 ... 210.0) -> (39.95 ... 40.05)");
    waitForTheLoop();

    motion = motionItem->NodeAs<TRXHeader>();
    EXPECT_TRUE(motion->HasResult && motion->ResultValid) << "computed without the computation command";
    EXPECT_NEAR(motion->Calc_s(0, 180), 40, 0.06);
    EXPECT_NE(grafik->Bitmap, original) << "the drawn curve changed";
    EXPECT_TRUE(dialogs.messages.empty()) << "no box opens";
    EXPECT_TRUE(window->statusText().startsWith(QStringLiteral("Automatisch berechnen (hubkurve.r4p): ok – Erfüllungsgrad 0")))
        << window->statusText().toStdString();
    // The result panel explains the quiet run's result as any other: the
    // module names what holds the fulfilment down, and the panel lists it.
    ResultPanel& panel = results->panel();
    EXPECT_EQ(panel.Headline->text(), "Code 0: ok");
    EXPECT_TRUE(panel.Note->isHidden()) << panel.Note->text().toStdString();
    EXPECT_GT(panel.Entries->topLevelItemCount(), 0);
    EXPECT_EQ(dlg->Node(), dwell->Node()) << "the editor still shows what the user works on";
    // The same value confirmed again (or the editor left) is no change:
    // the fresh result stays current and no step is added.
    const QString lastStep = undo->Undo->text();
    pressKey(dlg->REdUpper, Qt::Key_Return);
    dlg->commitFocusedField();
    EXPECT_TRUE(motionItem->NodeAs<TRXHeader>()->ResultValid);
    EXPECT_EQ(undo->Undo->text(), lastStep);
    EXPECT_EQ(undo->history().undoSteps(project), 2u);

    EXPECT_EQ(undo->Undo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    undo->Undo->trigger();
    undo->Undo->trigger();
    waitForTheLoop();
    motion = motionItem->NodeAs<TRXHeader>();
    EXPECT_NEAR(motion->Calc_s(0, 180), 50, 0.06);
    EXPECT_EQ(grafik->Bitmap, original) << "the previous curve, exactly";
    EXPECT_EQ(undo->Redo->text(), "Wiederholen: Änderung an [s0]: (150.0 ... 210.0) -> (39.95 ... 50.05)");
}

TEST_F(LiveLoopTest, TheCheckMarkIsKeptInTheSettings)
{
    live->AutoCalc->setChecked(true);
    undo.reset();
    live.reset();
    ComputationServices none;
    live = std::make_unique<LiveLoop>(*window, none, tempFile("live"));
    EXPECT_TRUE(live->AutoCalc->isChecked());
    EXPECT_TRUE(window->CalcMod->actions().contains(live->AutoCalc)) << "in \"&Berechnungsmodul\"";
}

// One random change through the menus and the editor; false when it is not
// possible in the project's present state.
bool randomChange(TDlgMain& window, TDlgRestr& dlg, TreeItem* project, std::mt19937& rng)
{
    Workspace& ws = window.workspace();
    TreeItem* motion = nullptr;
    for (int i = 0; i < project->ChildCount() && !motion; ++i)
        if (project->Child(i)->NodeAs<TRXHeader>())
            motion = project->Child(i);
    if (!motion)
        return false;
    TreeItem* restriction = motion->Child(static_cast<int>(rng() % static_cast<unsigned>(motion->ChildCount())));
    const auto pick = [&](TreeItem* item) {
        ws.tree.SetSelected(item);
        return dlg.Node() == item->Node();
    };
    const double step = 0.01 * double(1 + rng() % 9);
    switch (rng() % 6) {
    case 0:
    case 1: {
        auto* r = restriction->NodeAs<TRestr>();
        if (!pick(restriction) || dlg.activePage() != EditorPage::BG)
            return false;
        // Wider never makes a restriction inconsistent.
        if (r->UpperMode() >= 0)
            enter(dlg.REdUpper, QString::number(r->Upper() + step, 'g', 10));
        else if (r->LowerMode() >= 0)
            enter(dlg.REdLower, QString::number(r->Lower() - step, 'g', 10));
        else
            return false;
        return true;
    }
    case 2:
        if (!pick(motion))
            return false;
        window.MKRestabs->trigger();
        return true;
    case 3:
        if (motion->ChildCount() < 4 || !pick(restriction))
            return false;
        window.Delete->trigger();
        return true;
    case 4:
        if (!pick(motion))
            return false;
        dlg.SEdHarm->setValue(dlg.SEdHarm->value() == 14 ? 13 : 14);
        return true;
    default:
        if (!pick(project))
            return false;
        dlg.CBAdvOpt->click();
        return true;
    }
}

TEST_F(LiveLoopTest, ThirtyRandomChangesUndoneAndRedoneGiveTheSavedFileBack)
{
    TreeItem* project = openExample("hubkurve.r4p");
    live->AutoCalc->setChecked(true);
    waitForTheLoop();
    std::mt19937 rng(4711);
    int changes = 0;
    for (int attempts = 0; changes < 30 && attempts < 300; ++attempts) {
        if (!randomChange(*window, *dlg, project, rng))
            continue;
        ++changes;
        // Mostly the user is quicker than the module; now and then not.
        if (rng() % 4 == 0)
            waitForTheLoop();
        else
            QCoreApplication::processEvents();
    }
    ASSERT_EQ(changes, 30);
    waitForTheLoop();
    ASSERT_EQ(undo->history().undoSteps(project), 30u);
    const std::string saved = savedFile(project, "a.r4p");

    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(undo->Undo->isEnabled()) << i;
        undo->Undo->trigger();
        QCoreApplication::processEvents();
    }
    EXPECT_FALSE(undo->Undo->isEnabled());
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(undo->Redo->isEnabled()) << i;
        undo->Redo->trigger();
        QCoreApplication::processEvents();
    }
    waitForTheLoop();
    EXPECT_EQ(savedFile(project, "b.r4p"), saved);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(LiveLoopTest, TheComputationCommandKeepsItsProjectAndUndoWaitsForIt)
{
    TreeItem* project = openExample("hubkurve.r4p");
    live->AutoCalc->setChecked(true);
    waitForTheLoop();
    TreeItem* dwell = child<TRXHeader>(project)->Child(1);
    select(dwell);
    enter(dlg->REdUpper, QStringLiteral("50.06"));
    slowComputationCommand();

    QString statusDuringRun;
    bool quietRunDuringNormal = false;
    QTimer ticker;
    ticker.setInterval(100);
    int ticks = 0;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (++ticks != 3 || !ws().Calculating)
            return;
        undo->Undo->trigger();
        statusDuringRun = window->statusText();
        quietRunDuringNormal = live->live().running();
    });
    ticker.start();
    select(project);
    window->Calc->trigger();
    ticker.stop();

    EXPECT_EQ(statusDuringRun, QString::fromUtf8(UndoWhileComputingText));
    EXPECT_FALSE(quietRunDuringNormal);
    EXPECT_EQ(undo->Undo->text(), "Rückgängig: Änderung an [s0]: (150.0 ... 210.0) -> (49.95 ... 50.06)")
        << "the step is still there";
}

} // namespace
} // namespace vemra::test

#endif

#include "computation_controller.h"

#include "computation_progress_indicator.h"
#include "dlg_main.h"
#include "project_tree_view.h"

#include "compute/batch_computation.h"
#include "compute/outcome_summary.h"
#include "model/numeric.h"
#include "platform/flock_computation_lock.h"
#include "platform/local_module_runner.h"
#include "platform/qt/dbus_screen_saver.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/system_clock.h"

#include <QAction>
#include <QTimer>

namespace vemra {

struct ComputationController::OwnServices {
    LocalModuleRunner localRunner;
    FlockComputationLock lock;
    DBusScreenSaver screenSaver;
    QtEventPump eventPump;
    SystemClock clock;

    ComputationServices services()
    {
        ComputationServices s;
        s.localRunner = &localRunner;
        s.lock = &lock;
        s.screenSaver = &screenSaver;
        s.eventPump = &eventPump;
        s.clock = &clock;
        return s;
    }
};

ComputationController::ComputationController(TDlgMain& main)
    : main_(main), own_(std::make_unique<OwnServices>())
{
    computation_ = std::make_unique<Computation>(main_.workspace(), own_->services(), this);
    timerConnection_ = QObject::connect(main_.Timer1, &QTimer::timeout, main_.Timer1, [this] { Timer1Timer(); });
}

ComputationController::ComputationController(TDlgMain& main, const ComputationServices& services) : main_(main)
{
    computation_ = std::make_unique<Computation>(main_.workspace(), services, this);
    timerConnection_ = QObject::connect(main_.Timer1, &QTimer::timeout, main_.Timer1, [this] { Timer1Timer(); });
}

ComputationController::~ComputationController()
{
    QObject::disconnect(timerConnection_);
}

void ComputationController::syncMode()
{
    computation_->setMode(computationModeFromPriorityClass(static_cast<int32_t>(main_.priority())));
}

void ComputationController::afterRun()
{
    if (depth_ == 0)
        main_.finishPendingClose();
}

// Runs may nest (the event loop keeps running while the module works), and a
// close requested meanwhile is carried out only when the outermost run ends,
// also when a run ends with an exception.
void ComputationController::runNested(const std::function<void()>& run)
{
    syncMode();
    ++depth_;
    try {
        run();
    } catch (...) {
        --depth_;
        afterRun();
        throw;
    }
    --depth_;
    afterRun();
}

void ComputationController::CalcClick()
{
    TreeItem* item = main_.workspace().tree.Selected();
    if (!item)
        return;
    runNested([&] { computation_->RunComputation(item); });
}

void ComputationController::BatchCalcClick()
{
    runNested([&] { BatchCalc(*computation_); });
}

void ComputationController::StopCalcClick()
{
    computation_->requestStop();
}

// After a successful computation the status bar keeps what it gave; after
// any other the message box said it, and an earlier outcome must not stand
// there as if it were this one's. A test run only recomputes the output
// motion and says nothing.
void ComputationController::showOutcomeInStatusBar(TreeItem* project, const ComputationResult& result)
{
    const auto* p = project ? project->NodeAs<TProject>() : nullptr;
    if (computation_->BatchMode || (p && p->TestRun))
        return;
    QString text;
    if (p && result.hasResults && p->LastOutcome)
        text = QString::fromStdString(outcomeStatusText(*p->LastOutcome, localeDecimalSeparator()));
    main_.setStatusText(text);
}

void ComputationController::Timer1Timer()
{
    ++computation_->CalcSeconds;
}

bool ComputationController::isExpanded(TreeItem* project)
{
    return main_.TVProjects->isItemExpanded(project);
}

void ComputationController::setExpanded(TreeItem* project, bool expanded)
{
    main_.TVProjects->setItemExpanded(project, expanded);
}

void ComputationController::runStateChanged(bool calcEnabled, bool stopEnabled)
{
    main_.Calc->setEnabled(calcEnabled);
    main_.StopCalc->setEnabled(stopEnabled);
    main_.BatchCalc->setEnabled(calcEnabled && !computation_->BatchMode);
    // Also when the project went away during the run and so never hears
    // of its end.
    if (!stopEnabled)
        main_.CalcProgress->finish();
}

void ComputationController::batchStateChanged(bool running)
{
    if (running) {
        main_.Timer1->start();
        main_.BatchCalc->setEnabled(false);
    } else {
        main_.Timer1->stop();
        main_.CalcProgress->finish();
        main_.BatchCalc->setEnabled(main_.Calc->isEnabled());
    }
    // The selection must not move while the batch walks the projects.
    main_.TVProjects->setEnabled(!running);
}

void ComputationController::statusChanged(const std::string& text)
{
    main_.setStatusText(QString::fromStdString(text));
}

void ComputationController::computationStarted(TreeItem* project)
{
    if (moduleStarting)
        moduleStarting(project);
    int index = 0;
    int count = 0;
    if (computation_->BatchMode) {
        count = main_.workspace().tree.TopLevelCount();
        for (int i = 0; i < count; ++i)
            if (main_.workspace().tree.TopLevel(i) == project)
                index = i + 1;
    }
    main_.CalcProgress->start(QString::fromStdString(project->Text()), index, count);
}

void ComputationController::moduleOutput(TreeItem*, const std::string& line)
{
    main_.CalcProgress->moduleLine(line);
}

void ComputationController::computationFinished(TreeItem* project, const ComputationResult& result)
{
    main_.CalcProgress->finish();
    showOutcomeInStatusBar(project, result);
    // Results may have appeared or gone: the value table follows them.
    if (!computation_->BatchMode)
        main_.UpdateMenus(main_.workspace().tree.Selected());
    // The editor showed the project as being computed, or the old grid.
    if (EditorWindow* editor = main_.windows().editor)
        editor->SetObject(main_.workspace().tree.Selected());
}

} // namespace vemra

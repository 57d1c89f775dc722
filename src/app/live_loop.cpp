#include "live_loop.h"

#include "computation_controller.h"
#include "dlg_main.h"

#include "platform/flock_computation_lock.h"
#include "platform/local_module_runner.h"
#include "platform/module_locator.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/qt/settings_store.h"

#include "compute/outcome_summary.h"
#include "model/numeric.h"
#include "model/tree_ops.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QTimer>

namespace vemra {

namespace {

// Enough folders for the instances one user runs at a time.
constexpr int LiveFolders = 32;

} // namespace

QString liveOutcomeText(const QString& projectCaption, const ComputationResult& result,
                        const ComputationOutcome* outcome)
{
    // With results the fulfilment is what the engineer watches while
    // editing; without, the message says what went wrong.
    QString text = result.hasResults && outcome
                       ? QString::fromStdString(outcomeStatusText(*outcome, localeDecimalSeparator()))
                       : QString::fromStdString(result.text);
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return QStringLiteral("%1 (%2): %3").arg(QString::fromLatin1(AutoCalcCaption), projectCaption, text);
}

class LiveLoop::Pause : public PauseTimer {
public:
    explicit Pause(QTimer& timer) : timer_(timer) {}
    void restart() override { timer_.start(); }
    bool active() const override { return timer_.isActive(); }

private:
    QTimer& timer_;
};

struct LiveLoop::OwnServices {
    LocalModuleRunner runner;
    QtEventPump pump;
    std::unique_ptr<FlockComputationLock> folderLock;
    std::unique_ptr<KeptLock> lock;
    std::filesystem::path folder;

    static LocalModuleRunnerOptions runnerOptions()
    {
        LocalModuleRunnerOptions o;
        o.output = ChildOutput::Discard;
        // The editor is used while the module runs: look at it often.
        o.pumpInterval = std::chrono::milliseconds(10);
        return o;
    }

    OwnServices() : runner(runnerOptions())
    {
        // A folder of its own, held for the program's whole run, so that
        // neither another instance nor the computation command meets it.
        const std::filesystem::path base = QDir::currentPath().toStdString();
        for (int n = 1; n <= LiveFolders && !lock; ++n) {
            const std::filesystem::path candidate = base / ("vemra-live-" + std::to_string(n));
            std::error_code ec;
            std::filesystem::create_directories(candidate, ec);
            if (ec)
                continue;
            auto candidateLock = std::make_unique<FlockComputationLock>(candidate);
            auto kept = std::make_unique<KeptLock>(*candidateLock);
            if (kept->tryAcquire() != ComputationLock::Status::Acquired)
                continue;
            folder = candidate;
            folderLock = std::move(candidateLock);
            lock = std::move(kept);
        }
    }
    ~OwnServices()
    {
        lock.reset();
        folderLock.reset();
    }

    ComputationServices services()
    {
        ComputationServices s;
        s.localRunner = &runner;
        s.lock = lock.get();
        s.eventPump = &pump;
        return s;
    }
};

LiveLoop::LiveLoop(TDlgMain& main) : QObject(&main), main_(main), own_(std::make_unique<OwnServices>())
{
    moduleAvailable_ = [] { return findModuleProgram().has_value(); };
    setUp(own_->services(), own_->folder);
}

LiveLoop::LiveLoop(TDlgMain& main, const ComputationServices& services, const std::filesystem::path& workDir)
    : QObject(&main), main_(main)
{
    setUp(services, workDir);
}

LiveLoop::~LiveLoop()
{
    SettingsStore store;
    store.writeBool(QString::fromLatin1(OptionsKey), QString::fromLatin1(AutoCalcSetting), enabled());
    store.flush();
    live_.reset();
}

void LiveLoop::setUp(const ComputationServices& services, const std::filesystem::path& workDir)
{
    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("LivePause"));
    timer_->setSingleShot(true);
    timer_->setInterval(static_cast<int>(LivePause.count()));
    pause_ = std::make_unique<Pause>(*timer_);
    live_ = std::make_unique<LiveComputation>(main_.workspace(), services, workDir.empty() ? "." : workDir, *pause_);
    live_->mayRunNow = [this] { return mayRunNow(); };
    live_->published = [this](TreeItem* project, const ComputationResult& result) { publish(project, result); };
    connect(timer_, &QTimer::timeout, this, [this] { live_->pauseOver(); });

    main_.CalcMod->addSeparator();
    AutoCalc = main_.CalcMod->addAction(QString::fromLatin1(AutoCalcCaption));
    AutoCalc->setObjectName(QStringLiteral("AutoCalc"));
    AutoCalc->setCheckable(true);
    AutoCalc->setChecked(SettingsStore()
                             .readBool(QString::fromLatin1(OptionsKey), QString::fromLatin1(AutoCalcSetting))
                             .value_or(false));
    connect(AutoCalc, &QAction::toggled, this, [this](bool on) {
        if (!on) {
            timer_->stop();
            live_->clear();
        } else if (TreeItem* project = ProjectOf(main_.workspace().tree.Selected())) {
            // Switched on: the project the user works on is brought up to date.
            live_->changed(project);
        }
    });
}

bool LiveLoop::enabled() const
{
    return AutoCalc && AutoCalc->isChecked();
}

void LiveLoop::changed(TreeItem* project)
{
    if (!enabled())
        return;
    // Without a module on this machine there is nothing to compute with;
    // the computation command (perhaps on a compute host) still works.
    if (moduleAvailable_ && !moduleAvailable_()) {
        main_.setStatusText(QString::fromUtf8(NoLocalModuleText));
        return;
    }
    live_->changed(project);
}

void LiveLoop::cancel(TreeItem* project)
{
    live_->cancel(project);
}

bool LiveLoop::mayRunNow() const
{
    const ComputationController* normal = main_.computation();
    // The computation command and the batch keep the module for themselves,
    // and a question on screen belongs to the change the user is making.
    return !main_.workspace().Calculating && !(normal && normal->BatchMode()) && !QApplication::activeModalWidget();
}

void LiveLoop::publish(TreeItem* project, const ComputationResult& result)
{
    if (!project || !main_.workspace().tree.Contains(project))
        return;
    // The result panel and the tree marks follow the project's outcome
    // through the model's resultsChanged, as after the computation command.
    const auto* p = project->NodeAs<TProject>();
    const ComputationOutcome* outcome = p && p->LastOutcome ? &*p->LastOutcome : nullptr;
    main_.setStatusText(liveOutcomeText(QString::fromStdString(project->Text()), result, outcome));
    // Results may have come or gone: the value table and the editor's
    // coefficient grid follow them, as after the computation command.
    main_.UpdateMenus(main_.workspace().tree.Selected());
    if (EditorWindow* editor = main_.windows().editor)
        editor->resultsChanged(project);
}

} // namespace vemra

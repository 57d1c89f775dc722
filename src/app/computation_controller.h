// Binds the main window's computation commands ("&Berechnen",
// "&alle Berechnen", "Berechnung &abbrechen", the "&Berechnungsmodul" radio
// items) to the computation, and lets the computation reach the window:
// command states, the tree's expanded state, the batch's timer and the
// disabled tree, the status bar and the diagrams.
#pragma once

#include <functional>

#include "compute/computation.h"

#include <QMetaObject>

#include <memory>

namespace vemra {

class TDlgMain;

class ComputationController : public ComputationObserver {
public:
    // With the services of this machine: the local module runner, the
    // system-wide computation lock, the desktop's screen saver, the Qt event
    // pump and the system clock. The remote runner comes with its windows
    // (Computation::setRemoteRunner).
    explicit ComputationController(TDlgMain& main);
    // With services chosen by the caller (tests use a module of their own).
    ComputationController(TDlgMain& main, const ComputationServices& services);
    ~ComputationController() override;
    ComputationController(const ComputationController&) = delete;
    ComputationController& operator=(const ComputationController&) = delete;

    void CalcClick();
    void BatchCalcClick();
    void StopCalcClick();
    // One second of a batch has passed.
    void Timer1Timer();

    bool BatchMode() const { return computation_->BatchMode; }
    // Told when the module starts for project (the live loop stops its own
    // run of the project then).
    std::function<void(TreeItem* project)> moduleStarting;
    // A computation is on the call stack (its event pump may deliver
    // anything, including the request to close the main window).
    bool running() const { return depth_ > 0; }
    Computation& computation() { return *computation_; }

    // ComputationObserver
    bool isExpanded(TreeItem* project) override;
    void setExpanded(TreeItem* project, bool expanded) override;
    void runStateChanged(bool calcEnabled, bool stopEnabled) override;
    void batchStateChanged(bool running) override;
    void statusChanged(const std::string& text) override;
    void computationStarted(TreeItem* project) override;
    void moduleOutput(TreeItem* project, const std::string& line) override;
    void computationFinished(TreeItem* project, const ComputationResult& result) override;

private:
    struct OwnServices;
    // Takes the mode from the radio items before every run.
    void syncMode();
    void afterRun();
    void showOutcomeInStatusBar(TreeItem* project, const ComputationResult& result);
    void runNested(const std::function<void()>& run);

    TDlgMain& main_;
    std::unique_ptr<OwnServices> own_;
    std::unique_ptr<Computation> computation_;
    QMetaObject::Connection timerConnection_;
    int depth_ = 0;
};

} // namespace vemra

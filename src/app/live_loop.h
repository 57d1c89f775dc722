// "Automatisch berechnen" in the "&Berechnungsmodul" menu: the desktop's
// side of the live design loop. It keeps the check mark in the settings,
// runs the pause timer, gives the quiet computation this machine's module,
// a work folder and lock of its own, and shows each outcome in the status
// bar.
#pragma once

#include "compute/live_computation.h"

#include <QObject>
#include <QString>

#include <filesystem>
#include <functional>
#include <memory>

class QAction;
class QTimer;

namespace vemra {

class TDlgMain;
struct ComputationOutcome;

inline constexpr const char* AutoCalcCaption = "Automatisch berechnen";
inline constexpr const char* AutoCalcSetting = "AutoCalc";
inline constexpr const char* NoLocalModuleText
    = "Automatisch berechnen: Auf diesem Rechner ist kein Berechnungsmodul vorhanden.";

// The status text for a quiet run's outcome: "Automatisch berechnen
// (PROJECT): ok – Erfüllungsgrad 0,937" when it gave results, else its message.
QString liveOutcomeText(const QString& projectCaption, const ComputationResult& result,
                        const ComputationOutcome* outcome);

class LiveLoop : public QObject {
    Q_OBJECT
public:
    // With this machine's module, a folder "vemra-live-<n>" below the
    // module's working directory that no other instance holds, and the
    // check mark from the settings.
    explicit LiveLoop(TDlgMain& main);
    // With services and folder chosen by the caller (tests).
    LiveLoop(TDlgMain& main, const ComputationServices& services, const std::filesystem::path& workDir);
    // Writes the check mark to the settings.
    ~LiveLoop() override;

    QAction* AutoCalc = nullptr;
    bool enabled() const;

    // A committed change (also an undo or redo) of project.
    void changed(TreeItem* project);
    // project is about to be restored or computed normally.
    void cancel(TreeItem* project);

    LiveComputation& live() { return *live_; }
    QTimer* pauseTimer() const { return timer_; }

private:
    struct OwnServices;
    class Pause;
    void setUp(const ComputationServices& services, const std::filesystem::path& workDir);
    bool mayRunNow() const;
    // The one place a quiet run's outcome is published.
    void publish(TreeItem* project, const ComputationResult& result);

    TDlgMain& main_;
    std::unique_ptr<OwnServices> own_;
    std::function<bool()> moduleAvailable_;
    QTimer* timer_ = nullptr;
    std::unique_ptr<Pause> pause_;
    std::unique_ptr<LiveComputation> live_;
};

} // namespace vemra

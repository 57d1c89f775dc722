// RunComputation: the one operation that computes a project. It checks the
// project, writes the module input, takes the computation lock, runs the
// module locally or remotely while keeping the user interface alive, turns
// the module's answer into a ResultCode and its message, reads and derives
// the results, and refreshes everything that shows the project.
//
// The desktop owns one Computation next to its Workspace, sets the mode from
// the "&Berechnungsmodul" menu and calls RunComputation from "&Berechnen"
// (selected item) and from the editor's test button (with the project's
// TestRun set), requestStop from "Berechnung &abbrechen", and RunBatch /
// BatchCalc (batch_computation.h) from "&alle Berechnen".
#pragma once

#include "clock.h"
#include "computation_observer.h"
#include "computation_outcome.h"
#include "computation_lock.h"
#include "event_pump.h"
#include "module_runner.h"
#include "result_code.h"
#include "screen_saver.h"

#include "model/workspace.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace vemra {

// The radio items of "&Berechnungsmodul".
enum class ComputationMode { LowPriority, NormalPriority, HighPriority, Remote };

// The registry value "PriorityClass": 1 low, 2 normal, 3 high, 4 extern;
// anything else selects normal.
ComputationMode computationModeFromPriorityClass(int32_t value);
int32_t priorityClassOf(ComputationMode mode);

inline constexpr const char* InconsistentProjectText
    = "Das aktuelle Projekt enthält Inkonsistenzen\rund konnte nicht berechnet werden.";
inline constexpr const char* ScreenSaverOffText = "Bildschirmschoner deaktiviert.";
inline constexpr const char* StopQuestionText = "RX-Optimierung abbrechen?";

// The services a computation uses. Not owned; each may be null: no runner
// means the module cannot be started (-10), no lock means no protection
// against a second instance, no screen saver is left alone, no pump and no
// clock do nothing.
struct ComputationServices {
    ModuleRunner* localRunner = nullptr;
    ModuleRunner* remoteRunner = nullptr;
    ComputationLock* lock = nullptr;
    ScreenSaver* screenSaver = nullptr;
    EventPump* eventPump = nullptr;
    Clock* clock = nullptr;
};

struct ComputationResult {
    enum class Outcome {
        // The project cannot be computed (empty, inconsistent, or a
        // computation is running); nothing was written or started.
        Refused,
        // "remote$.rx4" could not be written; nothing was started and no
        // flag of the project changed. The error was shown.
        InputNotWritten,
        // The run took place (or, in test mode, the series were derived).
        Finished,
    };
    Outcome outcome = Outcome::Refused;
    // The ResultCode (Finished only; 0 in test mode).
    int32_t resultCode = 0;
    // The project's HasResults afterwards.
    bool hasResults = false;
    // What describes this outcome to the user, whether or not it was shown:
    // the message of the result code, or the inconsistency, input-file or
    // missing-results text.
    std::string text;
    DialogKind kind = DialogKind::Information;
    // What the runner said about a failed start or an unusual end ("not
    // found", the signal that killed the module); for logs, never shown.
    std::string detail;
};

class Computation {
public:
    Computation(Workspace& ws, const ComputationServices& services, ComputationObserver* observer = nullptr);
    Computation(const Computation&) = delete;
    Computation& operator=(const Computation&) = delete;

    // A batch computation runs: no message boxes, the code goes to
    // BatchResult instead (1 for a refused project and for missing results).
    bool BatchMode = false;
    int32_t BatchResult = 0;
    // Running time of the batch in seconds: 0 when a batch starts, the
    // clock's measure when it ends (a window may count it up meanwhile).
    int32_t CalcSeconds = 0;

    // A quiet computation (the live loop's): no message box, no collapsed
    // tree, no change of the selection or of what the editor shows, the
    // project not marked as being computed and the workspace's Calculating
    // left alone. The outcome reaches the observer only. A quiet run is
    // stopped by cancel(), and a cancelled run leaves the project as it was.
    void setQuiet(bool quiet) { quiet_ = quiet; }
    bool quiet() const { return quiet_; }
    // Stops the running quiet computation at its next look at the user
    // interface.
    void cancel() { quietRunning_ = false; }
    bool quietRunning() const { return quietRunning_; }

    void setMode(ComputationMode mode) { mode_ = mode; }
    ComputationMode mode() const { return mode_; }
    // Where the module's files live (the module's current directory);
    // default: the process's current directory.
    void setWorkDir(const std::filesystem::path& dir) { workDir_ = dir; }
    const std::filesystem::path& workDir() const { return workDir_; }

    // Computes the project of item (any item of it). The outcome is in the
    // project's flags (HasResults, Computed, AllValid, each motion's
    // HasResult), its LastOutcome (after a module run), the message shown
    // and, in batch mode, BatchResult; the return value repeats it for
    // callers without a dialog.
    ComputationResult RunComputation(TreeItem* item);

    // "Berechnung &abbrechen": while a computation runs, asks
    // "RX-Optimierung abbrechen?" and on Yes clears Calculating. The running
    // module is ended at the next look at the flag.
    void requestStop();

    Workspace& workspace() const { return ws_; }
    ComputationObserver& observer() const { return *observer_; }
    const ComputationServices& services() const { return services_; }
    // The remote runner exists only once the windows that it asks and shows
    // exist, after the computation.
    void setRemoteRunner(ModuleRunner* runner) { services_.remoteRunner = runner; }

private:
    class Control;

    int32_t runModule(TreeItem* project, std::string& detail);
    ModuleRunRequest runRequest(TreeItem* project);
    void reportFailure(const std::string& text);
    // Whether the run in progress should go on (the stop command or
    // cancel() ends it).
    bool goingOn() const { return quiet_ ? quietRunning_ : ws_.Calculating; }
    void setGoingOn(bool on);

    Workspace& ws_;
    ComputationServices services_;
    ComputationObserver noObserver_;
    ComputationObserver* observer_;
    ComputationMode mode_ = ComputationMode::NormalPriority;
    bool quiet_ = false;
    bool quietRunning_ = false;
    std::filesystem::path workDir_ = ".";
    OutcomeRecorder recorder_;
};

} // namespace vemra

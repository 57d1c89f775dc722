// Runs the synthesis module on a remote host: asks for the settings, copies
// the input there, removes what an earlier run left on the host, logs in
// and starts the module by script, waits for its result-code file and
// copies the results back. Every wait keeps the user interface alive and
// ends at once on cancel, stop or the maximum time.
#pragma once

#include "clock.h"
#include "module_runner.h"
#include "remote_transport.h"

namespace vemra {

// The protocol's step lines.
namespace RemoteText {
inline constexpr const char* UploadStarted = "Filetransfer zum Host gestartet ...";
inline constexpr const char* UploadDone = "... Filetransfer zum Host beendet";
inline constexpr const char* ScriptDone = "Berechnung gestartet, warten auf Abschluß ...";
inline constexpr const char* ModuleDone = "... Berechnung abgeschlossen";
inline constexpr const char* DownloadStarted = "Filetransfer vom Host gestartet ...";
inline constexpr const char* DownloadDone = "... Filetransfer vom Host beendet";
// A failed step names itself, so that a run that found no results says why.
inline constexpr const char* UploadFailed = "Filetransfer zum Host fehlgeschlagen: ";
inline constexpr const char* DeleteFailed = "Alte Ergebnisse auf dem Host nicht gelöscht: ";
inline constexpr const char* ScriptFailed = "Anmeldung/Skript am Host fehlgeschlagen: ";
inline constexpr const char* CommandFailed = "Kommando am Host fehlgeschlagen: ";
inline constexpr const char* WaitFailed = "Warten auf das Ergebnis fehlgeschlagen: ";
inline constexpr const char* DownloadFailed = "Filetransfer vom Host fehlgeschlagen: ";
inline constexpr const char* TimedOut = "Die maximale Zeit ist abgelaufen.";
inline constexpr const char* Cancelled = "Abgebrochen.";
} // namespace RemoteText

class RemoteModuleRunner : public ModuleRunner {
public:
    // None is owned; all must outlive the runner.
    RemoteModuleRunner(RemoteTransports& transports, RemoteSettingsSource& settings, RemoteRunView& view,
                       Clock& clock);

    // Finished with code 0 when the result files are here (the caller reads
    // "rx4.err"); Failed with -100 (cancelled, stopped, settings refused),
    // -201 (maximum time) or -202 (a failed connection, transfer, deletion,
    // login script or command, or settings with a control character, which
    // send nothing).
    ModuleRunOutcome run(const ModuleRunRequest& request, RunControl& control) override;

    // How long a missing result-code file is left before the next look.
    std::chrono::milliseconds pollInterval{1000};
    // The longest a single network wait keeps the interface waiting.
    std::chrono::milliseconds slice{50};

private:
    class Run;
    RemoteTransports& transports_;
    RemoteSettingsSource& settings_;
    RemoteRunView& view_;
    Clock& clock_;
};

} // namespace vemra

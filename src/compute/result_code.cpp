#include "result_code.h"

namespace vemra {

ResultMessage resultCodeMessage(int32_t code)
{
    using namespace ResultCodes;
    switch (code) {
    case MaximumMet:
        return {"Die Maximalforderungen werden erfüllt.\r-> Strengere Restriktionen (Spektrum) sind möglich",
                DialogKind::Warning};
    case Solved: return {"ok", DialogKind::Information};
    case Aborted: return {"Berechnung wurde abgebrochen.", DialogKind::Information};
    case MinimumNotMet: return {"Minimalforderungen sind nicht erfüllbar.", DialogKind::Error};
    case InputError:
        return {"Die Eingabedaten sind fehlerhaft.\rDer Berechnungsmodul hat die Eingabedatei zurückgewiesen.",
                DialogKind::Error};
    case TooLarge: return {"Das System ist zu groß.", DialogKind::Error};
    case Resonance: return {"Abbruch der Berechnung wegen Resonanz.", DialogKind::Error};
    case ModuleNotStarted: return {"Der Berechnungsmodul konnte nicht gestartet werden.", DialogKind::Error};
    case AlreadyRunning:
        return {"Es läuft bereits eine RX-Berechnung.\rBitte warten Sie auf deren Abschluß.", DialogKind::Error};
    case NoFeedback: return {"Der Berechnungsmodul liefert keine Rückmeldung", DialogKind::Warning};
    case StoppedByUser: return {"Abbruch durch das Shell-Programm.", DialogKind::Warning};
    case TransferTimeout: return {"Timeout bei Filetransfer zum Host.", DialogKind::Error};
    case HostConnectionFailed: return {"Verbindung zum Host fehlgeschlagen.", DialogKind::Error};
    default: return {"Unbekannter Fehler: " + std::to_string(code), DialogKind::Error};
    }
}

} // namespace vemra

#include "commands.h"
#include "compute_options.h"

namespace vemra::cli {

const std::vector<Command>& commands()
{
    static const std::vector<Command> table = {
        {"check", "check DATEI.r4p...", "liest Projekte und zeigt ihren Baum, eine Beschriftung je Zeile", runCheck},
        {"resave", "resave DATEI.r4p AUSGABE.r4p", "liest ein Projekt und schreibt es neu", runResave},
        {"actual", "actual DATEI.r4p", "zeigt die Istwerte aller Restriktionen (ActS, ActQ)", runActual},
        {"eval", "eval DATEI.r4p BEWEGUNG s|q|M ABLEITUNG WINKEL...",
         "wertet eine Bewegung (3 oder 1-2) an den Winkeln aus", runEval},
        {"extrema", "extrema DATEI.r4p BEWEGUNG s|q|M ABLEITUNG VON BIS", "Minimum und Maximum über VON..BIS",
         runExtrema},
        {"band", "band DATEI.r4p BEWEGUNG ABLEITUNG VON BIS UNTEN OBEN",
         "größter Winkelbereich, in dem die Kurve im Band bleibt", runBand},
        {"module-input", "module-input DATEI.r4p AUSGABE.rx4",
         "schreibt die Eingabedatei des Berechnungsmoduls, wie sie die Berechnung schreibt", runModuleInput},
        {"compute",
         "compute [--priority low|normal|high] [--module PROGRAMM] [--workdir ORDNER] [-j ANZAHL] [--verbose] "
         "(--in-place | -o AUSGABE.r4p) DATEI.r4p...",
         "berechnet Projekte mit dem Berechnungsmodul und sichert sie mit ihren Ergebnissen", runCompute,
         ComputeHelp},
    };
    return table;
}

} // namespace vemra::cli

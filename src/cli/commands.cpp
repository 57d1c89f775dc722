#include "commands.h"

namespace vemra::cli {

const std::vector<Command>& commands()
{
    static const std::vector<Command> table = {
        {"check", "check DATEI.r4p...", "liest Projekte, zeigt ihren Baum und prüft, ob sie berechnet werden können",
         runCheck},
        {"module-input", "module-input DATEI.r4p AUSGABE.rx4",
         "schreibt die Eingabedatei des Berechnungsmoduls, wie sie die Berechnung schreibt", runModuleInput},
        {"compute",
         "compute [--priority low|normal|high] [--module PROGRAMM] [--workdir ORDNER] (--in-place | -o AUSGABE.r4p) "
         "DATEI.r4p...",
         "berechnet Projekte mit dem Berechnungsmodul und sichert sie mit ihren Ergebnissen", runCompute},
    };
    return table;
}

} // namespace vemra::cli

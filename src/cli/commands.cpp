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
         "(--in-place | -o AUSGABE.r4p) [--remote ...] DATEI.r4p...",
         "berechnet Projekte mit dem Berechnungsmodul und sichert sie mit ihren Ergebnissen", runCompute,
         ComputeHelp},
        {"explain", "explain [--priority ...] [--module PROGRAMM] [--workdir ORDNER] [-j ANZAHL] DATEI.r4p...",
         "berechnet Projekte, sichert nichts und zeigt, welche Forderungen das Ergebnis begrenzen oder "
         "einander widersprechen",
         runExplain, ExplainHelp},
        {"report", "report DATEI.r4p AUSGABE.rtf [--date T.M.JJJJ] [--decimal ,|.]",
         "schreibt den RTF-Report des Projekts", runReport},
        {"table", "table DATEI.r4p BEWEGUNG AUSGABE.tab [--columns s,s1,s2,s3,M,q,q1,q2,q3] [--digits N] [--step H]",
         "schreibt die Wertetabelle einer Bewegung (3 oder 1-2)", runTable},
        {"import", "import DATEI.rx4|DATEI.rxe|DATEI.rxw AUSGABE.r4p",
         "liest eine Eingabedatei älterer Programme und schreibt sie als Projekt", runImport},
        {"plot",
         "plot DATEI.r4p AUSGABE.{png,bmp,svg,pdf,emf} [--motion N|I-J]... [--quantities 0,1,2,3,-1] "
         "[--width MM --height MM]",
         "zeichnet die Diagramme eines Projekts wie das Diagrammfenster in eine Bild-, Metafile-, SVG- oder PDF-Datei",
         runPlot},
    };
    return table;
}

} // namespace vemra::cli

#include "compute_options.h"

#include <charconv>
#include <filesystem>
#include <system_error>

namespace vemra::cli {

namespace {

// The module runs in the work folder, so a program path typed relative to the current folder
// has to become absolute to name the same program there. A bare program name is still looked
// up on the search path.
std::string programFromHere(const std::string& program)
{
    if (program.find('/') == std::string::npos)
        return program;
    std::error_code failed;
    const std::filesystem::path absolute = std::filesystem::absolute(program, failed);
    return failed ? program : absolute.string();
}

const char* const LocalComputeUsage
    = "Aufruf: vemra-cli compute [--priority low|normal|high] [--module PROGRAMM] [--workdir ORDNER]\n"
      "                          [-j ANZAHL] [--verbose] [--explain] (--in-place | -o AUSGABE.r4p) DATEI.r4p...\n";

const char* const LocalComputeHelp
    = "\n"
      "Berechnet Projekte mit dem Berechnungsmodul und sichert sie mit ihren Ergebnissen;\n"
      "mehrere Dateien werden wie \"alle Berechnen\" mit einer Zusammenfassung berechnet.\n"
      "Je Projekt eine Ergebniszeile auf der Standardausgabe: Datei, Code, Meldung.\n"
      "\n"
      "  --in-place           jedes Projekt in seine eigene Datei sichern\n"
      "  -o AUSGABE.r4p       das (eine) Projekt in AUSGABE.r4p sichern\n"
      "  --priority STUFE     Priorität des Berechnungsmoduls: low, normal (Vorgabe), high\n"
      "  --module PROGRAMM    dieses Berechnungsmodul statt rx-10-L (neben vemra-cli, sonst PATH)\n"
      "  --workdir ORDNER     Arbeitsordner für die Dateien des Moduls (Vorgabe: .); wird angelegt\n"
      "  -j ANZAHL            bis zu ANZAHL Projekte zugleich, jedes in einem eigenen Unterordner\n"
      "                       des Arbeitsordners (Vorgabe 1; 0: eines je Prozessorkern)\n"
      "  --verbose            die Zeilen des Berechnungsmoduls (bei --remote das Protokoll) auf der\n"
      "                       Standardfehlerausgabe zeigen\n"
      "  --explain            unter jeder Ergebniszeile die begrenzenden Forderungen (Anteil, Winkel,\n"
      "                       Restriktion) oder die widersprüchlichen Forderungen, soweit der\n"
      "                       Berechnungsmodul sie erklärt hat\n"
      "  --remote ...         auf dem Rechenhost berechnen (siehe unten); -j gilt dann nicht\n"
      "\n"
      "Auf einem Terminal zeigt eine mitlaufende Zeile je Projekt Stufe, Erfüllungsgrad und Zeit.\n"
      "Strg+C bricht die Berechnung ab. Exit-Status: 0 wenn jedes Projekt Ergebnisse hat (Code 0\n"
      "oder 1), 1 bei falschem Aufruf, 2 bei unlesbarer Datei oder unbrauchbarem Arbeitsordner,\n"
      "3 sonst.\n";

const char* const LocalExplainUsage
    = "Aufruf: vemra-cli explain [--priority low|normal|high] [--module PROGRAMM] [--workdir ORDNER]\n"
      "                          [-j ANZAHL] [--verbose] [--remote ...] DATEI.r4p...\n";

const char* const LocalExplainHelp
    = "\n"
      "Berechnet Projekte wie compute und zeigt nur, was der Berechnungsmodul zum Ergebnis erklärt:\n"
      "je Projekt die Ergebniszeile (Datei, Code, Meldung), darunter Erfüllungsgrad, Glattheit,\n"
      "die Verschiebung jedes Optimierungsobjekts und die begrenzenden Forderungen (Anteil am\n"
      "Gesamtgewicht, Winkel, Restriktion) oder bei Code -2 die widersprüchlichen Forderungen.\n"
      "Es wird nichts gesichert. Ohne Erklärung des Moduls (ältere Module, Rechenhosts) steht das\n"
      "in einer Zeile. Optionen und Exit-Status wie bei compute.\n";

// The help of the command, the remote options included.
const std::string& computeHelpText()
{
    static const std::string text
        = std::string(LocalComputeUsage) + LocalComputeHelp + "\n" + remoteComputeUsage();
    return text;
}

const std::string& explainHelpText()
{
    static const std::string text = std::string(LocalExplainUsage) + LocalExplainHelp;
    return text;
}

} // namespace

const char* const ComputeHelp = computeHelpText().c_str();
const char* const ComputeUsage = LocalComputeUsage;
const char* const ExplainHelp = explainHelpText().c_str();
const char* const ExplainUsage = LocalExplainUsage;

namespace {

// saving: compute, which saves its projects and must be told where; else
// explain, which has neither the options that save nor --explain.
std::optional<ComputeOptions> parseOptions(const std::vector<std::string>& args, std::string& error, bool saving)
{
    ComputeOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) {
                error = a + " braucht einen Wert.";
                return std::nullopt;
            }
            return args[++i];
        };
        if (!saving && (a == "--in-place" || a == "-o" || a == "--explain")) {
            error = "Unbekannte Option: " + a;
            return std::nullopt;
        }
        if (a == "--priority") {
            const auto v = value();
            if (!v)
                return std::nullopt;
            if (*v == "low")
                o.mode = ComputationMode::LowPriority;
            else if (*v == "normal")
                o.mode = ComputationMode::NormalPriority;
            else if (*v == "high")
                o.mode = ComputationMode::HighPriority;
            else {
                error = "Unbekannte Priorität: " + *v;
                return std::nullopt;
            }
        } else if (a == "--module") {
            const auto v = value();
            if (!v)
                return std::nullopt;
            o.modulePath = programFromHere(*v);
        } else if (a == "--workdir") {
            const auto v = value();
            if (!v)
                return std::nullopt;
            o.workDir = *v;
        } else if (a == "-o") {
            const auto v = value();
            if (!v)
                return std::nullopt;
            o.output = *v;
        } else if (a.rfind("-j", 0) == 0) {
            // "-j 4" and "-j4"
            std::string v = a.substr(2);
            if (v.empty()) {
                const auto next = value();
                if (!next)
                    return std::nullopt;
                v = *next;
            }
            unsigned jobs = 0;
            const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), jobs);
            if (ec != std::errc() || end != v.data() + v.size() || jobs > 1024) {
                error = "-j braucht eine Anzahl von 0 bis 1024: " + v;
                return std::nullopt;
            }
            o.jobs = jobs;
        } else if (a == "--verbose") {
            o.verbose = true;
            o.remote.verbose = true;
        } else if (a == "--in-place") {
            o.inPlace = true;
        } else if (a == "--explain") {
            o.explain = ExplainDetail::Restrictions;
        } else if (const auto taken = parseRemoteOption(args, i, o.remote, error); taken != OptionTaken::No) {
            if (taken == OptionTaken::Error)
                return std::nullopt;
        } else if (a.size() > 1 && a[0] == '-') {
            error = "Unbekannte Option: " + a;
            return std::nullopt;
        } else {
            o.inputs.push_back(a);
        }
    }
    if (o.inputs.empty())
        error = "Keine Projektdatei angegeben.";
    else if (saving && o.inPlace == !o.output.empty())
        error = "Entweder --in-place oder -o AUSGABE.r4p angeben.";
    else if (!o.output.empty() && o.inputs.size() != 1)
        error = "-o ist nur mit einer Projektdatei möglich.";
    if (!error.empty())
        return std::nullopt;
    return o;
}

} // namespace

std::optional<ComputeOptions> parseComputeOptions(const std::vector<std::string>& args, std::string& error)
{
    return parseOptions(args, error, true);
}

std::optional<ComputeOptions> parseExplainOptions(const std::vector<std::string>& args, std::string& error)
{
    auto o = parseOptions(args, error, false);
    if (o) {
        o->saves = false;
        o->explain = ExplainDetail::Full;
    }
    return o;
}

std::optional<std::string> prepareWorkDir(const std::string& dir)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(dir, ec);
    if (fs::exists(status)) {
        if (fs::is_directory(status))
            return std::nullopt;
        return "Der Arbeitsordner " + dir + " ist kein Ordner.";
    }
    fs::create_directories(dir, ec);
    if (ec)
        return "Der Arbeitsordner " + dir + " konnte nicht angelegt werden: " + ec.message() + ".";
    return std::nullopt;
}

} // namespace vemra::cli

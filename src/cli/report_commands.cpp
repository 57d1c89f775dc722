// vemra-cli report and table: the RTF report of a project and the value
// table of a motion, byte for byte as the desktop writes them.
#include "commands.h"
#include "project_loading.h"

#include "formats/file_io.h"
#include "model/numeric.h"
#include "model/tree_ops.h"
#include "report/report_date.h"
#include "report/rtf_report.h"
#include "report/value_table.h"

#include <charconv>
#include <clocale>
#include <iostream>
#include <optional>

namespace vemra::cli {

namespace {

constexpr const char* ReportUsage = "report DATEI.r4p AUSGABE.rtf [--date T.M.JJJJ] [--decimal ,|.]";
constexpr const char* TableUsage = "table DATEI.r4p BEWEGUNG AUSGABE.tab [--columns s,s1,s2,s3,M,q,q1,q2,q3] "
                                   "[--digits N] [--step H]";

int usageError(const char* usage, const std::string& reason = {})
{
    if (!reason.empty())
        std::cerr << reason << '\n';
    std::cerr << "Aufruf: vemra-cli " << usage << '\n';
    return ExitUsage;
}

// Positional arguments and "--name value" options, in any order.
struct ParsedArgs {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;
    std::string error;
};

ParsedArgs parseArgs(const Args& args, std::initializer_list<const char*> optionNames)
{
    ParsedArgs parsed;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            bool known = false;
            for (const char* name : optionNames)
                known = known || a == name;
            if (!known || i + 1 >= args.size()) {
                parsed.error = known ? "Zur Option " + a + " fehlt der Wert." : "Unbekannte Option " + a + ".";
                return parsed;
            }
            parsed.options.emplace_back(a, args[++i]);
        } else {
            parsed.positional.push_back(a);
        }
    }
    return parsed;
}

// The user's decimal separator, as the desktop takes it from the locale.
char localeSeparator()
{
    const std::lconv* conv = std::localeconv();
    const char c = conv && conv->decimal_point && conv->decimal_point[0] ? conv->decimal_point[0] : '.';
    return c == ',' ? ',' : '.';
}


} // namespace

int runReport(const Args& args)
{
    const ParsedArgs parsed = parseArgs(args, {"--date", "--decimal"});
    if (!parsed.error.empty() || parsed.positional.size() != 2)
        return usageError(ReportUsage, parsed.error);
    ReportDate date = SystemCalendar().today();
    char separator = localeSeparator();
    for (const auto& [name, value] : parsed.options) {
        if (name == "--date") {
            const auto d = parseReportDate(value);
            if (!d)
                return usageError(ReportUsage, "Ungültiges Datum: " + value);
            date = *d;
        } else if (value == "," || value == ".") {
            separator = value[0];
        } else {
            return usageError(ReportUsage, "Ungültiges Dezimaltrennzeichen: " + value);
        }
    }

    ConsoleWorkspace console;
    TreeItem* project = loadProject(console.ws, parsed.positional[0]);
    if (!project)
        return ExitBadInput;
    setLocaleDecimalSeparator(separator);
    const auto lines = GenerateReport(project, date);
    if (const auto failure = replaceFile(parsed.positional[1], reportFileBytes(lines))) {
        console.dialogs.error(*failure);
        return ExitBadInput;
    }
    return ExitOk;
}

int runTable(const Args& args)
{
    const ParsedArgs parsed = parseArgs(args, {"--columns", "--digits", "--step"});
    if (!parsed.error.empty() || parsed.positional.size() != 3)
        return usageError(TableUsage, parsed.error);
    ValueTableSettings settings;
    for (const auto& [name, value] : parsed.options) {
        const char* end = value.data() + value.size();
        if (name == "--columns") {
            const auto columns = parseTableColumns(value);
            if (!columns)
                return usageError(TableUsage, "Ungültige Spalten: " + value);
            settings.columns = *columns;
        } else if (name == "--digits") {
            const auto [p, ec] = std::from_chars(value.data(), end, settings.digits);
            if (ec != std::errc() || p != end || settings.digits < ValueTableSettings::MinDigits
                || settings.digits > ValueTableSettings::MaxDigits)
                return usageError(TableUsage, "Die Stellenzahl muss zwischen 4 und 10 liegen.");
        } else {
            const auto [p, ec] = std::from_chars(value.data(), end, settings.step);
            if (ec != std::errc() || p != end || !(settings.step >= ValueTableSettings::MinStep)
                || !(settings.step <= ValueTableSettings::MaxStep))
                return usageError(TableUsage, "Die Schrittweite muss zwischen 0.0001 und 90 liegen.");
        }
    }

    ConsoleWorkspace console;
    TreeItem* project = loadProject(console.ws, parsed.positional[0]);
    if (!project)
        return ExitBadInput;
    TreeItem* motion = findMotionItem(project, parsed.positional[1]);
    if (!motion) {
        std::cerr << "Bewegungsvorgabe " << parsed.positional[1] << " nicht gefunden.\n";
        return ExitUsage;
    }
    if (const auto problem = valueTableProblem(motion)) {
        console.dialogs.error(*problem);
        return ExitNotComputed;
    }
    const auto result = WriteValueTable(*motion->NodeAs<TPaintObj>(), settings, parsed.positional[2]);
    if (result.status != TableWriteResult::Status::Written) {
        console.dialogs.error(result.message);
        return ExitBadInput;
    }
    return ExitOk;
}

} // namespace vemra::cli

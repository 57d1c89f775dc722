#include "value_table.h"

#include "rtf_report.h"
#include "formats/streamed_file.h"

#include "model/numeric.h"
#include "model/save_dialog_memory.h"
#include "model/project_tree.h"

#include <algorithm>

namespace vemra {

namespace {

constexpr const char* ColumnNames[TableColumnCount] = {"s", "s1", "s2", "s3", "M", "q", "q1", "q2", "q3"};

// Progress is told every so many lines: often enough for a responsive
// cancel, rarely enough to cost nothing.
constexpr long long ProgressInterval = 8192;

double columnValue(const TPaintObj& m, int column, double phi)
{
    switch (static_cast<TableColumn>(column)) {
    case TableColumn::S0: return m.Calc_s(0, phi);
    case TableColumn::S1: return m.Calc_s(1, phi);
    case TableColumn::S2: return m.Calc_s(2, phi);
    case TableColumn::S3: return m.Calc_s(3, phi);
    case TableColumn::M: return m.Calc_M(phi);
    case TableColumn::Q0: return m.Calc_q(0, phi);
    case TableColumn::Q1: return m.Calc_q(1, phi);
    case TableColumn::Q2: return m.Calc_q(2, phi);
    case TableColumn::Q3: return m.Calc_q(3, phi);
    }
    return 0;
}

const TreeItem* motionItemOf(const TreeItem* item)
{
    if (item && item->NodeAs<TRestr>())
        item = item->Parent();
    return item && item->NodeAs<TPaintObj>() ? item : nullptr;
}

} // namespace

const char* tableColumnName(TableColumn c)
{
    return ColumnNames[static_cast<int>(c)];
}

std::optional<std::array<bool, TableColumnCount>> parseTableColumns(const std::string& list)
{
    std::array<bool, TableColumnCount> columns{};
    bool any = false;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = std::min(list.find(',', start), list.size());
        const std::string name = list.substr(start, comma - start);
        bool known = false;
        for (int i = 0; i < TableColumnCount; ++i)
            if (name == ColumnNames[i]) {
                columns[static_cast<size_t>(i)] = true;
                known = any = true;
            }
        if (!known)
            return std::nullopt;
        start = comma + 1;
    }
    if (!any)
        return std::nullopt;
    return columns;
}

std::string ValueTableLine(const TPaintObj& motion, double phi, const ValueTableSettings& settings)
{
    std::string line = FormatSig(settings.digits, phi);
    for (int c = 0; c < TableColumnCount; ++c)
        if (settings.columns[static_cast<size_t>(c)]) {
            line += "\t ";
            line += FormatSig(settings.digits, Chop(columnValue(motion, c, phi)));
        }
    return line;
}

long long valueTableLineCount(double step)
{
    if (!(step > 0))
        return 0;
    long long count = 0;
    // The same accumulation as the writer's, so the count is exact.
    for (double phi = 0; phi <= 360; phi += step)
        ++count;
    return count;
}

std::optional<std::string> valueTableProblem(const TreeItem* item)
{
    const TreeItem* motionItem = motionItemOf(item);
    if (!motionItem)
        return "Bitte eine Bewegungsvorgabe oder eine ihrer Restriktionen auswählen.";
    const auto& motion = *motionItem->NodeAs<TPaintObj>();
    if (!motion.HasResult || motion.sSC.Count() < 2)
        return "Für " + motionItem->Text() + " liegt kein Berechnungsergebnis vor.\rBitte das Projekt zuerst berechnen.";
    if (!hasCurrentCoefficients(motion))
        return "Das Berechnungsergebnis von " + motionItem->Text()
            + " ist nicht mehr aktuell.\rBitte das Projekt neu berechnen.";
    return std::nullopt;
}

TableWriteResult WriteValueTable(const TPaintObj& motion, const ValueTableSettings& settings,
                                 const std::string& fileName, TableProgress* progress)
{
    using Status = TableWriteResult::Status;
    ChopEps = 1e-8;
    const double step = settings.step;
    // Outside its range the step could make the loop endless (0, NaN) or
    // pointless; the dialog and the command line never pass such a value.
    if (!(step >= ValueTableSettings::MinStep && step <= ValueTableSettings::MaxStep))
        return {Status::Failed, "Die Schrittweite muss zwischen 0.0001 und 90 liegen."};
    const long long total = progress ? valueTableLineCount(step) : 0;

    StreamedFile file;
    if (auto failure = file.open(fileName))
        return {Status::Failed, *failure};
    std::string line;
    long long written = 0;
    for (double phi = 0; phi <= 360; phi += step) {
        line = ValueTableLine(motion, phi, settings);
        line += "\r\n";
        if (!file.write(line))
            break; // commit reports the error
        ++written;
        if (progress && written % ProgressInterval == 0 && !progress->progress(written, total)) {
            file.abandon();
            return {Status::Cancelled, {}};
        }
    }
    if (auto failure = file.commit())
        return {Status::Failed, *failure};
    if (progress)
        progress->progress(written, total);
    return {Status::Written, {}};
}

FileDialogRequest valueTableSaveRequest(const TreeItem* item)
{
    FileDialogRequest request;
    request.save = true;
    request.title = "Wertetabelle sichern";
    request.filters = {{"Textdateien (*.tab)", "*.tab"}, {"alle Dateien (*.*)", "*.*"}};
    request.defaultExtension = "tab";
    // The folder must exist (the save dialog checks it); the file not.
    request.confirmOverwrite = true;
    request.initialDirectory = projectFolderOf(item);
    request.placeKey = TablePlace;
    return request;
}

bool MakeTableCommand(UserDialogs& dialogs, const TreeItem* item, const ValueTableSettings& settings,
                      TableProgress* progress)
{
    const TreeItem* motionItem = motionItemOf(item);
    if (!motionItem)
        return false;
    if (const auto problem = valueTableProblem(motionItem)) {
        dialogs.information(*problem);
        return false;
    }
    const auto fileName = dialogs.chooseFile(valueTableSaveRequest(motionItem));
    if (!fileName)
        return false;
    const TableWriteResult result = WriteValueTable(*motionItem->NodeAs<TPaintObj>(), settings, *fileName, progress);
    if (result.status == TableWriteResult::Status::Failed)
        dialogs.error(result.message);
    return result.status == TableWriteResult::Status::Written;
}

} // namespace vemra

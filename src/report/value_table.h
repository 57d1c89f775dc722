// Value tables: the evaluated motion of one motion definition as a text
// file with one line per drive angle from 0 to 360 degrees, for drive cam
// tables and spreadsheets. Streamed to the file, so a fine step never has to
// fit into memory.
#pragma once

#include "model/user_dialogs.h"

#include <array>
#include <optional>
#include <string>

namespace vemra {

class TPaintObj;
class TreeItem;

// The columns in the order they stand in a line (after the angle).
enum class TableColumn { S0, S1, S2, S3, M, Q0, Q1, Q2, Q3 };
inline constexpr int TableColumnCount = 9;

struct ValueTableSettings {
    static constexpr int MinDigits = 4;
    static constexpr int MaxDigits = 10;
    static constexpr double MinStep = 0.0001;
    static constexpr double MaxStep = 90;

    // Indexed by TableColumn; s, s' and s'' by default.
    std::array<bool, TableColumnCount> columns{true, true, true, false, false, false, false, false, false};
    int digits = 6;
    double step = 1.0;

    bool& column(TableColumn c) { return columns[static_cast<size_t>(c)]; }
    bool column(TableColumn c) const { return columns[static_cast<size_t>(c)]; }
};

// Names of the columns on the command line: s, s1, s2, s3, M, q, q1, q2, q3.
const char* tableColumnName(TableColumn c);
// A comma-separated list of names; nothing for an unknown name or an empty
// list.
std::optional<std::array<bool, TableColumnCount>> parseTableColumns(const std::string& list);

// The line for angle phi, without its line end: the angle, then for each
// selected column a tab, a blank and the value, all with `digits`
// significant digits and "." whatever the locale. Values below 1e-8 in
// magnitude are written as 0 (the angle never).
std::string ValueTableLine(const TPaintObj& motion, double phi, const ValueTableSettings& settings);

// How many lines a step gives: the angle is accumulated, so the last line
// is the last sum not above 360.
long long valueTableLineCount(double step);

// Why motion item cannot be tabulated, or nothing when it can: it needs a
// current result with coefficients.
std::optional<std::string> valueTableProblem(const TreeItem* motionItem);

// Told how far the writing has come; returns false to cancel.
class TableProgress {
public:
    virtual ~TableProgress() = default;
    virtual bool progress(long long linesWritten, long long lineCount) = 0;
};

struct TableWriteResult {
    enum class Status { Written, Cancelled, Failed };
    Status status = Status::Written;
    // The message for the user when the write failed.
    std::string message;
};

// Writes the table to fileName (temporary file, then rename). Sets ChopEps
// to 1e-8, where it stays.
TableWriteResult WriteValueTable(const TPaintObj& motion, const ValueTableSettings& settings,
                                 const std::string& fileName, TableProgress* progress = nullptr);

// The save dialog for a table of item's motion, starting in its project's
// folder.
FileDialogRequest valueTableSaveRequest(const TreeItem* item);

// The table of motion item (a restriction stands for its motion): tells the
// user when there is no result, lets them choose the file, writes it and
// reports a failure. True when a table was written.
bool MakeTableCommand(UserDialogs& dialogs, const TreeItem* item, const ValueTableSettings& settings,
                      TableProgress* progress = nullptr);

} // namespace vemra

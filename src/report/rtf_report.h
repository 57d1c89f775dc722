// The report of a project as RTF source: the requirements of every motion
// definition, its coefficients and extrema, and how each restriction is met
// by the computed motion. The same lines are shown, saved and printed.
#pragma once

#include "report_date.h"

#include <string>
#include <vector>

namespace vemra {

class TreeItem;
class TPaintObj;

// The 11 lines every report starts with: font table and style sheet.
const std::vector<std::string>& RtfHeaderLines();

// The RTF source of the report of the project that item belongs to, one
// line per entry, in Windows-1252 (plain ASCII apart from the two Symbol
// font bytes). Numbers use the locale's decimal separator
// (setLocaleDecimalSeparator). Empty when item belongs to no project.
std::vector<std::string> GenerateReport(const TreeItem* item, const ReportDate& date);

// "Report " + the project's name, as the window shows it.
std::string reportCaption(const TreeItem* item);

// The lines as a file: each ended by CR LF.
std::string reportFileBytes(const std::vector<std::string>& lines);

// A motion whose result counts: marked current and holding its
// coefficients (a motion added after a computation is stored as current,
// but has none).
bool hasCurrentCoefficients(const TPaintObj& motion);

} // namespace vemra

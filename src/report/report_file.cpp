#include "report_file.h"

#include "rtf_report.h"

#include "formats/file_io.h"
#include "model/file_names.h"
#include "model/save_dialog_memory.h"
#include "model/tree_ops.h"

#include <algorithm>
#include <cctype>

namespace vemra {

namespace {

std::string lowerAscii(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

} // namespace

FileDialogRequest reportSaveRequest(const TreeItem* item)
{
    FileDialogRequest request;
    request.save = true;
    request.title = "Report sichern";
    request.filters = {{"Rich Text Format (*.rtf)", "*.rtf"}};
    request.defaultExtension = "rtf";
    // The folder must exist (the save dialog checks it); the file not.
    request.confirmOverwrite = true;
    request.placeKey = ReportPlace;
    const TreeItem* projectItem = ProjectOf(const_cast<TreeItem*>(item));
    const TProject* project = projectItem ? projectItem->NodeAs<TProject>() : nullptr;
    if (project && !project->FileName.empty()) {
        const std::string extension = extensionPart(project->FileName);
        const std::string withoutExtension
            = project->FileName.substr(0, project->FileName.size() - extension.size());
        request.initialDirectory = folderPart(project->FileName);
        request.proposedName = withoutExtension;
    }
    return request;
}

bool SaveReportCommand(UserDialogs& dialogs, const std::vector<std::string>& lines, const std::string& chosenFile)
{
    const std::string extension = extensionPart(chosenFile);
    // Windows file names ignore case: "Bericht.RTF" is no other format.
    if (!extension.empty() && lowerAscii(extension) != ".rtf"
        && !dialogs.askYesNo(ReportExtensionQuestion, DialogKind::Warning))
        return false;
    if (const auto failure = replaceFile(chosenFile, reportFileBytes(lines))) {
        dialogs.error(*failure);
        return false;
    }
    return true;
}

} // namespace vemra

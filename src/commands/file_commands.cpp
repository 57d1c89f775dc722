#include "file_commands.h"

#include "formats/file_io.h"
#include "formats/project_file.h"
#include "model/file_names.h"
#include "model/tree_ops.h"

namespace vemra {

namespace {

struct ReadOutcome {
    TreeItem* project = nullptr;
    bool failed = false;
};

// Reads bytes as project file fileName. A read error keeps what was read but
// cuts it loose from the file: with no file name and marked unsaved, a plain
// save cannot write the fragment over the intact original.
ReadOutcome readProjectText(Workspace& ws, std::string bytes, const std::string& fileName)
{
    const int before = ws.tree.TopLevelCount();
    int line = 0;
    try {
        TreeItem* item = ProjectFileReader().read(ws.tree, std::move(bytes), fileName);
        ws.events().motionsChanged();
        return {item, false};
    } catch (const ReadError& e) {
        line = e.line();
    }
    if (ws.tree.TopLevelCount() > before) {
        TreeItem* item = ws.tree.TopLevel(ws.tree.TopLevelCount() - 1);
        if (auto* project = item->NodeAs<TProject>()) {
            project->FileName.clear();
            project->Unsaved = true;
            project->MakeCaption();
            ws.tree.SetText(item, project->Caption);
        }
        SortProject(ws.tree);
        ws.events().motionsChanged();
    }
    ws.dialogs().error("Fehler beim Lesen der Datei\r" + fileNamePart(fileName) + " in Zeile " +
                       std::to_string(line) + ".");
    return {nullptr, true};
}

TreeItem* showOpenedProject(Workspace& ws, TreeItem* item, const std::string& fileName)
{
    auto* project = item->NodeAs<TProject>();
    project->FileName = fileName;
    project->MakeCaption();
    ws.tree.SetText(item, project->Caption);
    SortProject(ws.tree);
    ws.tree.SetSelected(item);
    ws.events().currentItemChanged(item);
    ws.events().projectStateChanged(item);
    return item;
}

} // namespace

TreeItem* readProjectFile(Workspace& ws, const std::string& fileName)
{
    auto bytes = loadFile(fileName);
    if (!bytes) {
        ws.dialogs().error("Projektdatei konnte nicht geöffnet werden.", ButtonAbort);
        return nullptr;
    }
    return readProjectText(ws, std::move(*bytes), fileName).project;
}

FileDialogRequest openProjectDialogRequest(const Workspace& ws)
{
    FileDialogRequest request;
    request.save = false;
    request.title = "Projekt öffnen";
    request.filters = {{"Projektdatei (*.r4p)", "*.r4p"}};
    request.defaultExtension = "r4p";
    request.initialDirectory = ws.LastR4PPath;
    request.mustExist = true;
    return request;
}

FileDialogRequest saveProjectDialogRequest(const Workspace& /*ws*/, TreeItem* selected)
{
    FileDialogRequest request;
    request.save = true;
    request.title = "Projekt sichern";
    request.filters = {{"Projektdatei", "*.r4p"}};
    request.defaultExtension = "r4p";
    request.confirmOverwrite = true;
    if (TProject* project = ProjectNodeOf(selected); project && !project->FileName.empty()) {
        const std::string name = fileNamePart(project->FileName);
        const std::string extension = extensionPart(project->FileName);
        request.proposedName = folderPart(project->FileName) + name.substr(0, name.size() - extension.size());
    }
    return request;
}

TreeItem* OpenProjectCommand(Workspace& ws, const std::string& chosenFile)
{
    if (chosenFile.empty())
        return nullptr;
    auto bytes = loadFile(chosenFile);
    if (!bytes) {
        ws.dialogs().error("Projektdatei konnte nicht geöffnet werden.", ButtonAbort);
        return nullptr;
    }
    TreeItem* item = nullptr;
    if (extensionPart(chosenFile) == ProjectExtension) {
        const ReadOutcome outcome = readProjectText(ws, std::move(*bytes), chosenFile);
        if (outcome.failed)
            return nullptr; // the read error has been reported
        item = outcome.project;
    }
    if (!item) {
        ws.dialogs().error("Die Datei enthält Zuordnungsfehler.\rDas Projekt konnte nicht geöffnet werden.");
        return nullptr;
    }
    ws.LastR4PPath = folderPart(chosenFile);
    return showOpenedProject(ws, item, chosenFile);
}

TreeItem* OpenRecentCommand(Workspace& ws, const std::string& fileName)
{
    auto bytes = loadFile(fileName);
    if (!bytes) {
        ws.dialogs().error("Fehler beim Lesen der Datei\r" + fileName);
        return nullptr;
    }
    const ReadOutcome outcome = readProjectText(ws, std::move(*bytes), fileName);
    if (!outcome.project)
        return nullptr;
    return showOpenedProject(ws, outcome.project, fileName);
}

bool SaveProjectCommand(Workspace& ws)
{
    TreeItem* projectItem = ProjectOf(ws.tree.Selected());
    auto* project = projectItem ? projectItem->NodeAs<TProject>() : nullptr;
    // Case-sensitive on purpose: only what save-as produces is saved in place.
    if (!project || project->FileName.empty() || extensionPart(project->FileName) != ProjectExtension)
        return false;
    if (auto failure = writeProjectFile(projectItem, project->FileName)) {
        ws.dialogs().error(*failure);
        return false;
    }
    return true;
}

bool SaveProjectAsCommand(Workspace& ws, const std::string& chosenFile)
{
    TreeItem* projectItem = ProjectOf(ws.tree.Selected());
    auto* project = projectItem ? projectItem->NodeAs<TProject>() : nullptr;
    if (!project || chosenFile.empty())
        return false;
    std::string fileName = chosenFile;
    const std::string extension = extensionPart(fileName);
    if (extension.empty()) {
        // What the dialog does with its default extension when none is typed.
        fileName += ProjectExtension;
    } else if (extension != ProjectExtension) {
        ws.dialogs().error("Die Sicherung muß mit der\rStandarderweiterung .r4p erfolgen.", ButtonCancel);
        return false;
    }

    const std::string previous = project->FileName;
    project->FileName = fileName;
    if (auto failure = writeProjectFile(projectItem, fileName)) {
        // Nothing was saved under the new name, so the project keeps the old one.
        project->FileName = previous;
        ws.dialogs().error(*failure);
        return false;
    }
    ws.events().projectSavedAs(projectItem, fileName);
    project->MakeCaption();
    ws.tree.SetText(projectItem, project->Caption);
    ws.events().projectStateChanged(projectItem);
    return true;
}

std::string closeProjectQuestion(const std::string& itemText)
{
    return "Das Projekt \"" + itemText + "\" wurde bearbeitet.\rSollen die Änderungen gesichert werden?";
}

bool CloseProjectCommand(Workspace& ws)
{
    TreeItem* projectItem = ProjectOf(ws.tree.Selected());
    auto* project = projectItem ? projectItem->NodeAs<TProject>() : nullptr;
    if (!project)
        return false;

    if (project->Unsaved) {
        const DialogButton answer = ws.dialogs().message(DialogKind::Confirmation,
                                                         closeProjectQuestion(projectItem->Text()),
                                                         ButtonYes | ButtonNo | ButtonAbort);
        if (answer != ButtonYes && answer != ButtonNo)
            return false; // Abort, or the box was closed without an answer
        if (answer == ButtonYes) {
            // The save commands work on the project of the selected item,
            // which is this one.
            if (extensionPart(project->FileName) != ".r4p") {
                const auto chosen = ws.dialogs().chooseFile(saveProjectDialogRequest(ws, projectItem));
                // A cancelled dialog closes the project unsaved, as the user
                // already said Yes to closing it.
                if (chosen && !SaveProjectAsCommand(ws, *chosen))
                    return false; // wrong extension or a write error: keep it
            } else if (!SaveProjectCommand(ws)) {
                return false; // the write failed; the changes must not be lost
            }
        }
    }

    // Where the selection goes: the project before the closed one, else the
    // one after it.
    const int index = projectItem->Index();
    TreeItem* next = index > 0 ? ws.tree.TopLevel(index - 1)
                               : (ws.tree.TopLevelCount() > 1 ? ws.tree.TopLevel(1) : nullptr);

    ws.Locked = true;
    ws.events().projectAboutToBeRemoved(projectItem);
    DeleteNode(ws, projectItem);
    ws.events().changeFinished();
    ws.events().motionsChanged();
    ws.Locked = false;
    ws.tree.SetSelected(next);
    ws.events().selectionChanged(ws.tree.Selected());
    return true;
}

bool anyProjectUnsaved(const Workspace& ws)
{
    for (int i = 0; i < ws.tree.TopLevelCount(); ++i)
        if (auto* p = ws.tree.TopLevel(i)->NodeAs<TProject>(); p && p->Unsaved)
            return true;
    return false;
}

bool CloseQuery(Workspace& ws)
{
    if (ws.Calculating) {
        if (!ws.dialogs().askYesNo(StopRunningComputationQuestion))
            return false;
        ws.Calculating = false;
    }
    if (anyProjectUnsaved(ws))
        return ws.dialogs().askYesNo(QuitWithUnsavedQuestion);
    return true;
}

} // namespace vemra

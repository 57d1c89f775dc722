#include "import_command.h"

#include "rx_set_converter.h"

#include "formats/file_io.h"
#include "formats/rx4_file.h"
#include "formats/rxe_file.h"
#include "formats/rxw_file.h"
#include "model/file_names.h"
#include "model/numeric.h"
#include "model/tree_ops.h"

#include <array>
#include <memory>

namespace vemra {

namespace {

// The readers in the order of the type numbers 1..3.
const std::array<std::unique_ptr<FormatReader>, 3>& importReaders()
{
    static const std::array<std::unique_ptr<FormatReader>, 3> readers = {
        std::make_unique<Rx4Reader>(), std::make_unique<RxeReader>(), std::make_unique<RxwReader>()};
    return readers;
}

std::string readErrorText(const std::string& name, int line)
{
    return "Fehler beim Lesen der Datei\r" + name + " in Zeile " + std::to_string(line) + ".";
}

} // namespace

const std::vector<std::pair<std::string, std::string>>& importFilters()
{
    static const std::vector<std::pair<std::string, std::string>> filters = {
        {"RX4-Eingabedatei (*.rx4)", "*.rx4"},
        {"RX-EingabeDatei (*.rxe)", "*.rxe"},
        {"RXwin-Eingabedatei (*.rxw)", "*.rxw"},
    };
    return filters;
}

int importFileType(const std::string& fileName)
{
    const std::string extension = extensionPart(fileName);
    const auto& readers = importReaders();
    for (size_t i = 0; i < readers.size(); ++i)
        if (readers[i]->handles(extension))
            return static_cast<int>(i + 1);
    return 0;
}

TreeItem* ImportCommand(Workspace& ws, ImportSettings& settings, const std::string& fileName, std::string* detail)
{
    auto bytes = loadFile(fileName);
    if (!bytes) {
        ws.dialogs().error("Die Datei konnte nicht geöffnet werden.");
        return nullptr;
    }
    return importFileContent(ws, settings, fileName, std::move(*bytes), detail);
}

TreeItem* importFileContent(Workspace& ws, ImportSettings& settings, const std::string& fileName, std::string bytes,
                            std::string* detail)
{
    const int type = importFileType(fileName);
    if (type == 0) {
        ws.dialogs().error("Unbekannter Dateityp: " + extensionPart(fileName) + ".");
        return nullptr;
    }
    FormatReader& reader = *importReaders()[static_cast<size_t>(type - 1)];
    const std::string name = fileNamePart(fileName);

    // The readers check the whole file before they build anything; should
    // building still fail (memory), the part built so far goes again.
    const int projectsBefore = ws.tree.TopLevelCount();
    TreeItem* projectItem = nullptr;
    TRXSet set;
    try {
        if (reader.content() == FormatReader::Content::Project)
            projectItem = reader.read(ws.tree, std::move(bytes), fileName);
        else
            set = reader.readMotionSet(std::move(bytes));
    } catch (const std::exception& e) {
        while (ws.tree.TopLevelCount() > projectsBefore)
            ws.tree.Delete(ws.tree.TopLevel(ws.tree.TopLevelCount() - 1));
        if (detail)
            *detail = e.what();
        const auto* readError = dynamic_cast<const ReadError*>(&e);
        if (readError && readError->line() > 0)
            ws.dialogs().error(readErrorText(name, readError->line()));
        else if (type == 1)
            ws.dialogs().error("Die Datei enthält Zuordnungsfehler.\rDas Projekt konnte nicht geöffnet werden.");
        else
            ws.dialogs().error("Fehler beim Lesen der Datei " + name + ".");
        return nullptr;
    }

    TreeItem* target = ProjectOf(ws.tree.Selected());
    if (projectItem) {
        ws.events().motionsChanged();
    } else {
        if (target)
            ws.events().changeStarting(target);
        TreeItem* motionItem = nullptr;
        {
            ChangeGroup oneChange(ws.events());
            motionItem = ConvertMotionSet(ws, set);
        }
        if (!motionItem)
            return nullptr;
        ws.events().motionsChanged();
        auto* motion = motionItem->NodeAs<TRXHeader>();
        motion->ShortName = cut255("(aus: " + name + ") " + motion->ShortName);
        projectItem = ProjectOf(motionItem);
        // A project made of this one file is named after it.
        if (projectItem->NodeAs<TProject>()->MotionCount() == 1)
            projectItem->NodeAs<TProject>()->FileName = fileName;
        // The project now differs from its file: what the editor does after
        // a change marks it.
        UpdateResultState(ws, motionItem);
    }

    auto* project = projectItem->NodeAs<TProject>();
    if (type == 1)
        project->FileName = fileName;
    project->MakeCaption();
    ws.tree.SetText(projectItem, project->Caption);
    SortProject(ws.tree);
    ws.tree.SetSelected(projectItem);
    ws.events().currentItemChanged(projectItem);
    ws.events().projectStateChanged(projectItem);
    settings.LastImportPath = folderPart(fileName);
    settings.LastFType = type;
    ws.events().changeCommitted({projectItem, ImportAction,
                                 projectItem == target ? ProjectChange::Kind::Edited : ProjectChange::Kind::Created});
    return projectItem;
}

} // namespace vemra

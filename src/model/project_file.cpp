#include "project_file.h"

#include "tree_ops.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

namespace vemra {

namespace {

namespace fs = std::filesystem;

constexpr const char* ProjectExtension = ".r4p";
// The product never builds a project with more motion definitions; a
// larger count in a file is damage, and honouring it would create a
// relative motion definition for every pair before reading anything.
constexpr int32_t MaxMotions = 10;
// Every optimisation object has at least one member: a restriction record
// with its effective parameters, 33 numbers of a character and a blank each
// at least.
constexpr size_t MinGlobalRestrictionBytes = 65;

std::optional<std::string> loadFile(const std::string& fileName)
{
    std::FILE* f = std::fopen(fileName.c_str(), "rb");
    if (!f)
        return std::nullopt;
    std::string bytes;
    char buffer[1 << 16];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, got);
    // A folder opens on some systems and fails only when it is read.
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed)
        return std::nullopt;
    return bytes;
}

std::string writeFailure(const std::string& fileName, const std::string& reason)
{
    return "Die Datei " + fileName + " konnte nicht geschrieben werden:\r" + reason;
}

// Replaces fileName by bytes so that a reader sees either the old or the new
// file, never a half-written one: the text goes to a temporary file in the
// same folder (a rename across file systems would not be atomic) and then
// takes the target's place.
std::optional<std::string> replaceFile(const std::string& fileName, const std::string& bytes)
{
    std::error_code ec;
    fs::path target(fileName);
    // Write through a link instead of replacing the link by a plain file.
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        const fs::path resolved = fs::canonical(target, ec);
        if (!ec)
            target = resolved;
    }
    const fs::file_status status = fs::status(target, ec);
    const bool exists = fs::exists(status);
    if (exists && fs::is_directory(status))
        return writeFailure(fileName, "Unter diesem Namen besteht ein Ordner.");
    // A rename would replace a write-protected file without asking; the
    // user protected it for a reason.
    if (exists && (status.permissions() & fs::perms::owner_write) == fs::perms::none)
        return writeFailure(fileName, "Die Datei ist schreibgeschützt.");

    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    static std::atomic<unsigned> counter{0};
    fs::path temp;
    std::FILE* f = nullptr;
    for (int attempt = 0; attempt < 100 && !f; ++attempt) {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        temp = folder / ("." + target.filename().string() + "." + std::to_string(stamp % 1000000007) + "-" +
                         std::to_string(counter++) + ".tmp");
        errno = 0;
        // "x": never take over a file that happens to carry the same name.
        f = std::fopen(temp.string().c_str(), "wbx");
        if (!f && errno != EEXIST)
            break;
    }
    if (!f)
        return writeFailure(fileName, std::generic_category().message(errno ? errno : EIO));

    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    int error = ok ? 0 : errno;
    if (std::fflush(f) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        fs::remove(temp, ec);
        return writeFailure(fileName, std::generic_category().message(error ? error : EIO));
    }
    if (exists)
        fs::permissions(temp, status.permissions(), ec); // best effort: keep who may read it
    fs::rename(temp, target, ec);
    if (ec) {
        const std::string reason = ec.message();
        fs::remove(temp, ec);
        return writeFailure(fileName, reason);
    }
    return std::nullopt;
}

void collectModified(TreeItem* item, std::vector<std::pair<TNLMember*, bool>>& flags)
{
    flags.emplace_back(item->Node(), item->Node()->Modified);
    for (int i = 0; i < item->ChildCount(); ++i)
        collectModified(item->Child(i), flags);
}

// The existing absolute motion definition number n, or none. Unlike
// EnsureMotion it never creates one, so a damaged number cannot add motions.
TPaintObj* existingMotion(ProjectTree& tree, TreeItem* project, int64_t n)
{
    const auto* p = project->NodeAs<TProject>();
    if (n < 1 || n > p->IntPar[3] || !MotionExists(static_cast<int>(n), project))
        return nullptr;
    int number = static_cast<int>(n);
    TreeItem* item = EnsureMotion(tree, number, project);
    return item ? item->NodeAs<TPaintObj>() : nullptr;
}

// Reads one restriction record and appends it below parent; a global one
// also joins its optimisation object.
TreeItem* readRestriction(ProjectTree& tree, RecordReader& in, TreeItem* project, TreeItem* parent,
                          const TPaintObj* actualsFrom)
{
    auto node = std::make_unique<TRestr>();
    TRestr* r = node.get();
    r->ReadFrom(in);
    r->MakeCaption();
    if (actualsFrom) {
        r->UpdateActualValuesS(*actualsFrom);
        r->UpdateActualValuesQ(*actualsFrom);
    }
    if (!parent)
        parent = EnsureRelMotion(tree, r->Motion(), r->Motion2(), project);
    TreeItem* item = tree.AddChild(parent, std::move(node));
    if (r->IsGlobal) {
        int group = r->GroupNo();
        AddGroupMember(tree, EnsureGroup(tree, group, project), item);
    }
    return item;
}

// A relative motion definition holds the difference of its two motions.
void deriveRelativeResult(TRelHeader& rel, const TPaintObj& a, const TPaintObj& b)
{
    const int32_t nA = std::max(a.sSC.Count(), 0);
    const int32_t nB = std::max(b.sSC.Count(), 0);
    const int32_t longer = std::max(nA, nB);
    const int32_t shorter = std::min(nA, nB);
    rel.sSC.ReSize(longer);
    rel.qSC.ReSize(longer);
    if (rel.sSC.Count() != longer || rel.qSC.Count() != longer)
        return;
    rel.IntPar[3] = longer / 2;
    const auto at = [](const TVector& v, int32_t k) { return k < v.Count() ? v[k] : 0.0; };
    for (int32_t k = 0; k < longer; ++k) {
        if (k < shorter) {
            rel.sSC[k] = at(a.sSC, k) - at(b.sSC, k);
            rel.qSC[k] = at(a.qSC, k) - at(b.qSC, k);
        } else if (nA >= nB) {
            rel.sSC[k] = at(a.sSC, k);
            rel.qSC[k] = at(a.qSC, k);
        } else {
            rel.sSC[k] = -at(b.sSC, k);
            rel.qSC[k] = -at(b.qSC, k);
        }
    }
}

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
    RecordReader in(std::move(bytes));
    int line = 0;
    try {
        return {ReadProject(ws, in, fileName), false};
    } catch (const ReadError& e) {
        line = e.line();
    } catch (const std::exception&) {
        line = in.line();
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
        ws.hooks().refreshDiagramOptionsList();
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
    ws.hooks().showInEditor(item);
    ws.hooks().updateMenus(item);
    return item;
}

template <class T> std::vector<TreeItem*> childrenWith(TreeItem* parent)
{
    std::vector<TreeItem*> result;
    for (int i = 0; i < parent->ChildCount(); ++i)
        if (parent->Child(i)->NodeAs<T>())
            result.push_back(parent->Child(i));
    return result;
}

size_t lastSeparator(const std::string& path)
{
    return path.find_last_of("\\/:");
}

} // namespace

// --- writer and reader --------------------------------------------------------

void WriteProject(RecordWriter& out, TreeItem* item)
{
    TreeItem* projectItem = ProjectOf(item);
    auto* project = projectItem ? projectItem->NodeAs<TProject>() : nullptr;
    if (!project)
        return;
    project->WriteTo(out);
    // The reader numbers the first IntPar[3] records 1, 2, ... as motion
    // definitions and takes everything after them as relative
    // restrictions. A sorted tree lists them in that order anyway; ordering
    // here keeps the file right even if the tree has not been sorted since
    // the last change.
    std::vector<TreeItem*> motions = childrenWith<TRXHeader>(projectItem);
    std::stable_sort(motions.begin(), motions.end(),
                     [](TreeItem* a, TreeItem* b) { return a->Node()->IntPar[2] < b->Node()->IntPar[2]; });
    for (TreeItem* child : motions) {
        auto* motion = child->NodeAs<TRXHeader>();
        motion->IntPar[9] = child->ChildCount();
        motion->Save(out);
        for (int k = 0; k < child->ChildCount(); ++k)
            child->Child(k)->Node()->WriteTo(out);
    }
    for (TreeItem* child : childrenWith<TRelHeader>(projectItem))
        for (int k = 0; k < child->ChildCount(); ++k)
            child->Child(k)->Node()->WriteTo(out);
    project->Unsaved = false;
}

TreeItem* ReadProject(Workspace& ws, RecordReader& in, const std::string& fileName)
{
    ProjectTree& tree = ws.tree;
    auto node = std::make_unique<TProject>();
    TProject* project = node.get();
    project->FileName = fileName;
    project->ReadFrom(in);
    project->MakeCaption();
    // From here on a read error leaves what was read in the tree, where the
    // user can see it.
    TreeItem* projectItem = tree.AddTopLevel(std::move(node));

    const int32_t motionCount = project->IntPar[3];
    const int32_t groupCount = project->IntPar[8];
    project->IntPar[3] = 0;
    project->IntPar[8] = 0;
    if (motionCount > MaxMotions)
        throw ReadError(1, "Die Datei kündigt " + std::to_string(motionCount) +
                               " Bewegungsvorgaben an; ein Projekt enthält höchstens " +
                               std::to_string(MaxMotions) + ".");
    // Optimisation objects are numbered by the restrictions that belong to
    // them, and a restriction naming a number beyond the count creates it.
    // So only as many are made in advance as the rest of the file can name;
    // a damaged count must not allocate millions of them.
    const int32_t groupsInAdvance = static_cast<int32_t>(
        std::min<size_t>(size_t(std::max(groupCount, 0)), in.remainingBytes() / MinGlobalRestrictionBytes));

    std::vector<TreeItem*> motions;
    for (int32_t i = 0; i < motionCount; ++i) {
        int number = 0;
        motions.push_back(EnsureMotion(tree, number, projectItem));
    }
    for (int32_t i = 0; i < groupsInAdvance; ++i) {
        int number = 0;
        EnsureGroup(tree, number, projectItem);
    }

    for (int32_t i = 1; i <= motionCount; ++i) {
        TreeItem* motionItem = motions[static_cast<size_t>(i - 1)];
        auto* motion = motionItem->NodeAs<TRXHeader>();
        // The position in the file gives the number; a different number in
        // the record would leave two motions with one number, or a gap.
        const auto keepNumber = [&] {
            motion->IntPar[2] = i;
            motion->MakeCaption();
            tree.SetText(motionItem, motion->Caption);
        };
        try {
            motion->Load(in);
        } catch (...) {
            keepNumber();
            throw;
        }
        keepNumber();
        const int32_t restrictions = motion->IntPar[9];
        for (int32_t k = 0; k < restrictions; ++k)
            readRestriction(tree, in, projectItem, motionItem, project->HasResults ? motion : nullptr);
    }

    while (!in.atEnd())
        readRestriction(tree, in, projectItem, nullptr, nullptr);

    if (project->HasResults) {
        for (TreeItem* relItem : childrenWith<TRelHeader>(projectItem)) {
            auto* rel = relItem->NodeAs<TRelHeader>();
            // The first number may carry a minus sign; the motion is its
            // absolute value.
            const TPaintObj* a = existingMotion(tree, projectItem, std::abs(int64_t(rel->IntPar[1])));
            const TPaintObj* b = existingMotion(tree, projectItem, std::abs(int64_t(rel->IntPar[2])));
            if (!a || !b)
                continue;
            rel->HasResult = true;
            rel->ResultValid = a->ResultValid && b->ResultValid;
            deriveRelativeResult(*rel, *a, *b);
            for (int k = 0; k < relItem->ChildCount(); ++k)
                if (auto* r = relItem->Child(k)->NodeAs<TRestr>()) {
                    r->UpdateActualValuesS(*rel);
                    r->UpdateActualValuesQ(*rel);
                }
        }
    }

    ws.hooks().refreshDiagramOptionsList();
    return projectItem;
}

TreeItem* readProjectFile(Workspace& ws, const std::string& fileName)
{
    auto bytes = loadFile(fileName);
    if (!bytes) {
        ws.dialogs().error("Projektdatei konnte nicht geöffnet werden.", ButtonAbort);
        return nullptr;
    }
    return readProjectText(ws, std::move(*bytes), fileName).project;
}

std::optional<std::string> writeProjectFile(TreeItem* item, const std::string& fileName)
{
    TreeItem* projectItem = ProjectOf(item);
    auto* project = projectItem ? projectItem->NodeAs<TProject>() : nullptr;
    if (!project)
        return writeFailure(fileName, "Kein Projekt ausgewählt.");

    // Writing clears these flags; if the file cannot be replaced they must
    // say again that the project differs from what is on disk.
    std::vector<std::pair<TNLMember*, bool>> modified;
    collectModified(projectItem, modified);
    const bool unsaved = project->Unsaved;

    RecordWriter out;
    WriteProject(out, projectItem);
    auto failure = replaceFile(fileName, out.bytes());
    if (failure) {
        for (auto& [node, flag] : modified)
            node->Modified = flag;
        project->Unsaved = unsaved;
    }
    return failure;
}

// --- commands -----------------------------------------------------------------

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
    ws.hooks().addRecentFile(fileName);
    project->MakeCaption();
    ws.tree.SetText(projectItem, project->Caption);
    ws.hooks().updateMenus(ws.tree.Selected());
    return true;
}

// --- paths --------------------------------------------------------------------

std::string fileNamePart(const std::string& path)
{
    const size_t pos = lastSeparator(path);
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string folderPart(const std::string& path)
{
    const size_t pos = lastSeparator(path);
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string extensionPart(const std::string& path)
{
    // Only the file name counts: a dot in a folder name is no extension.
    const std::string name = fileNamePart(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

} // namespace vemra

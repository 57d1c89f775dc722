#include "project_file.h"

#include "file_io.h"
#include "node_records.h"

#include "model/tree_ops.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace vemra {

namespace {

// The product never builds a project with more motion definitions; a
// larger count in a file is damage, and honouring it would create a
// relative motion definition for every pair before reading anything.
constexpr int32_t MaxMotions = 10;
// Every optimisation object needs a member, and the module takes at most this
// many restrictions; a larger object number is damage, and taking it would
// leave the next new object's number to overflow.
constexpr int32_t MaxGroups = 500;

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
    if (n < 1 || n > p->MotionCount() || !MotionExists(static_cast<int>(n), project))
        return nullptr;
    int number = static_cast<int>(n);
    TreeItem* item = EnsureMotion(tree, number, project);
    return item ? item->NodeAs<TPaintObj>() : nullptr;
}

// The difference motion of a relative restriction needs two different
// motion definitions of the project. Motion 0, a motion the project lacks or
// one motion against itself can only come from damage: the editor never
// makes them, and no computation could use them.
void requireTwoMotions(const TRestr& r, const TProject& project, int line)
{
    const int32_t first = magnitude(r.Motion());
    const int32_t second = r.Motion2();
    const int32_t count = project.MotionCount();
    if (first < 1 || second < 1 || first > count || second > count || first == second)
        throw ReadError(line, "Die relative Restriktion nennt die Bewegungsvorgaben " + std::to_string(r.Motion()) +
                                  " und " + std::to_string(second) +
                                  "; sie braucht zwei verschiedene Bewegungsvorgaben des Projekts.");
}

// Reads one restriction record and appends it below parent; a global one
// also joins its optimisation object.
TreeItem* readRestriction(ProjectTree& tree, RecordReader& in, TreeItem* project, TreeItem* parent,
                          const TPaintObj* actualsFrom)
{
    auto node = std::make_unique<TRestr>();
    TRestr* r = node.get();
    const int line = in.line();
    readRestrictionRecord(in, *r);
    if (!parent)
        requireTwoMotions(*r, *project->NodeAs<TProject>(), line);
    if (r->GroupNo() > MaxGroups)
        throw ReadError(line, "Die Restriktion nennt das Optimierungsobjekt " + std::to_string(r->GroupNo()) +
                                  "; ein Projekt enthält höchstens " + std::to_string(MaxGroups) + ".");
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
    rel.Harmonics() = longer / 2;
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

template <class T> std::vector<TreeItem*> childrenWith(TreeItem* parent)
{
    std::vector<TreeItem*> result;
    for (int i = 0; i < parent->ChildCount(); ++i)
        if (parent->Child(i)->NodeAs<T>())
            result.push_back(parent->Child(i));
    return result;
}

} // namespace

// --- writer and reader --------------------------------------------------------

void WriteProject(RecordWriter& out, TreeItem* item)
{
    TreeItem* projectItem = ProjectOf(item);
    auto* project = projectItem ? projectItem->NodeAs<TProject>() : nullptr;
    if (!project)
        return;
    writeProjectRecord(out, *project);
    // The reader numbers the first IntPar[3] records 1, 2, ... as motion
    // definitions and takes everything after them as relative
    // restrictions. A sorted tree lists them in that order anyway; ordering
    // here keeps the file right even if the tree has not been sorted since
    // the last change.
    std::vector<TreeItem*> motions = childrenWith<TRXHeader>(projectItem);
    std::stable_sort(motions.begin(), motions.end(),
                     [](TreeItem* a, TreeItem* b) { return a->NodeAs<TRXHeader>()->Number() < b->NodeAs<TRXHeader>()->Number(); });
    for (TreeItem* child : motions) {
        auto* motion = child->NodeAs<TRXHeader>();
        motion->RestrictionCount() = child->ChildCount();
        writeMotionRecord(out, *motion);
        for (int k = 0; k < child->ChildCount(); ++k)
            if (auto* r = child->Child(k)->NodeAs<TRestr>())
                writeRestrictionRecord(out, *r);
    }
    for (TreeItem* child : childrenWith<TRelHeader>(projectItem))
        for (int k = 0; k < child->ChildCount(); ++k)
            if (auto* r = child->Child(k)->NodeAs<TRestr>())
                writeRestrictionRecord(out, *r);
    project->Unsaved = false;
}

TreeItem* ReadProject(ProjectTree& tree, RecordReader& in, const std::string& fileName)
{
    auto node = std::make_unique<TProject>();
    TProject* project = node.get();
    project->FileName = fileName;
    readProjectRecord(in, *project);
    project->MakeCaption();
    // From here on a read error leaves what was read in the tree, where the
    // user can see it.
    TreeItem* projectItem = tree.AddTopLevel(std::move(node));

    const int32_t motionCount = project->MotionCount();
    const int32_t groupCount = project->GroupCount();
    project->MotionCount() = 0;
    project->GroupCount() = 0;
    if (motionCount < 0 || motionCount > MaxMotions)
        throw ReadError(1, "Die Datei kündigt " + std::to_string(motionCount) +
                               " Bewegungsvorgaben an; ein Projekt enthält höchstens " +
                               std::to_string(MaxMotions) + ".");
    if (groupCount < 0 || groupCount > MaxGroups)
        throw ReadError(1, "Die Datei kündigt " + std::to_string(groupCount) +
                               " Optimierungsobjekte an; ein Projekt enthält höchstens " +
                               std::to_string(MaxGroups) + ".");
    std::vector<TreeItem*> motions;
    for (int32_t i = 0; i < motionCount; ++i) {
        int number = 0;
        motions.push_back(EnsureMotion(tree, number, projectItem));
    }
    for (int32_t i = 0; i < groupCount; ++i) {
        int number = 0;
        EnsureGroup(tree, number, projectItem);
    }

    for (int32_t i = 1; i <= motionCount; ++i) {
        TreeItem* motionItem = motions[static_cast<size_t>(i - 1)];
        auto* motion = motionItem->NodeAs<TRXHeader>();
        // The position in the file gives the number; a different number in
        // the record would leave two motions with one number, or a gap.
        const auto keepNumber = [&] {
            motion->Number() = i;
            motion->MakeCaption();
            tree.SetText(motionItem, motion->Caption);
        };
        try {
            readMotionRecord(in, *motion);
        } catch (...) {
            keepNumber();
            throw;
        }
        keepNumber();
        const int32_t restrictions = motion->RestrictionCount();
        for (int32_t k = 0; k < restrictions; ++k)
            readRestriction(tree, in, projectItem, motionItem, project->HasResults ? motion : nullptr);
    }

    while (!in.atEnd())
        readRestriction(tree, in, projectItem, nullptr, nullptr);
    // A restriction naming an object beyond the count raises the count to its
    // number. The objects below it that no restriction named are made too:
    // the file is written with the raised count, and reading it again makes
    // them, so the project must have them from the first reading on.
    for (int group = 1; group <= project->GroupCount(); ++group)
        EnsureGroup(tree, group, projectItem);

    if (project->HasResults) {
        for (TreeItem* relItem : childrenWith<TRelHeader>(projectItem)) {
            auto* rel = relItem->NodeAs<TRelHeader>();
            // The first number may carry a minus sign; the motion is its
            // absolute value.
            const TPaintObj* a = existingMotion(tree, projectItem, std::abs(int64_t(rel->FirstMotion())));
            const TPaintObj* b = existingMotion(tree, projectItem, std::abs(int64_t(rel->SecondMotion())));
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

    return projectItem;
}

std::optional<std::string> writeProjectFile(TreeItem* item, const std::string& fileName)
{
    TreeItem* projectItem = ProjectOf(item);
    auto* project = projectItem ? projectItem->NodeAs<TProject>() : nullptr;
    if (!project)
        return "Die Datei " + fileName + " konnte nicht geschrieben werden:\rKein Projekt ausgewählt.";

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

bool ProjectFileReader::handles(const std::string& extension) const
{
    return extension == ProjectExtension;
}

TreeItem* ProjectFileReader::read(ProjectTree& tree, std::string bytes, const std::string& fileName)
{
    RecordReader in(std::move(bytes));
    try {
        return ReadProject(tree, in, fileName);
    } catch (const ReadError&) {
        throw;
    } catch (const std::exception& e) {
        // Anything else that breaks off the reading (memory, say) is still
        // a damaged file to the user, at the line the reader stands in.
        throw ReadError(in.line(), e.what());
    }
}

} // namespace vemra

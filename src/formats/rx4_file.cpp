#include "rx4_file.h"

#include "old_input_text.h"

#include "model/tree_ops.h"

#include <memory>

namespace vemra {

namespace {

// A project never holds more motion definitions; a larger count is damage.
constexpr int32_t MaxMotions = 10;
// The module takes at most this many restrictions, and every optimisation
// object needs one.
constexpr int32_t MaxGroups = 500;

bool isBlankChar(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string number(int32_t v)
{
    return std::to_string(v);
}

// What the records make, checked before anything is built.
struct Plan {
    struct Restriction {
        const Rx4Record* record = nullptr;
        int32_t group = 0;
        bool relative = false;
    };

    const Rx4Record* project = nullptr;
    // The record of motion n at n - 1 (the last one when a motion is given
    // twice); null while none was met.
    std::vector<const Rx4Record*> motions;
    std::vector<bool> groupFilled;
    std::vector<Restriction> restrictions;
};

void planProject(Plan& plan, const Rx4Record& r)
{
    if (plan.project)
        throw ReadError(r.line, "Die Datei enthält einen zweiten Projektdatensatz.");
    const int32_t motions = r.IntPar[3];
    const int32_t groups = r.IntPar[8];
    if (motions < 0 || motions > MaxMotions)
        throw ReadError(r.line, "Der Projektdatensatz nennt " + number(motions) +
                                    " Bewegungsvorgaben; ein Projekt enthält 0 bis " + number(MaxMotions) + ".");
    if (groups < 0 || groups > MaxGroups)
        throw ReadError(r.line, "Der Projektdatensatz nennt " + number(groups) +
                                    " Optimierungsobjekte; ein Projekt enthält 0 bis " + number(MaxGroups) + ".");
    if (r.IntPar[4] < 0 || r.IntPar[5] < 0)
        throw ReadError(r.line, "Der Projektdatensatz nennt eine negative Schritt- oder Stützstellenzahl.");
    plan.project = &r;
    plan.motions.assign(static_cast<size_t>(motions), nullptr);
    plan.groupFilled.assign(static_cast<size_t>(groups), false);
}

void planMotion(Plan& plan, const Rx4Record& r)
{
    const int32_t n = r.IntPar[2];
    if (n < 0)
        throw ReadError(r.line, "Negative Nummer einer Bewegungsvorgabe: " + number(n) + ".");
    if (r.IntPar[3] < 0 || r.IntPar[3] > MaxHarmonicCount)
        throw ReadError(r.line, "Die Harmonischenzahl K = " + number(r.IntPar[3]) + " ist unzulässig.");
    if (n <= static_cast<int32_t>(plan.motions.size()))
        plan.motions[static_cast<size_t>(n - 1)] = &r;
}

void planRestriction(Plan& plan, const Rx4Record& r)
{
    const int32_t kind = r.IntPar[3];
    if (!isBandKind(kind) && !isSpectrumKind(kind))
        throw ReadError(r.line, "Unbekannte Restriktionsart " + number(kind) + ".");
    if (kind == 24 && (r.IntPar[2] < 0 || r.IntPar[2] > MaxHarmonicCount))
        throw ReadError(r.line, "Die Ordnung der Harmonischen " + number(r.IntPar[2]) + " ist unzulässig.");
    const bool relative = isRelativeKind(kind);
    if (relative && r.IntPar[2] < 0)
        throw ReadError(r.line, "Negative Nummer einer Bewegungsvorgabe: " + number(r.IntPar[2]) + ".");

    // Without optimisation objects in the project a restriction cannot take
    // part in one; a number beyond them names none either (a member there
    // would leave objects with gaps in their numbers).
    const auto groups = static_cast<int32_t>(plan.groupFilled.size());
    int32_t group = groups == 0 ? 0 : r.IntPar[8];
    if (group < 0)
        throw ReadError(r.line, "Negative Nummer eines Optimierungsobjekts: " + number(group) + ".");
    if (group > groups)
        group = 0;

    // A negative first number marks a restriction that is only checked; it
    // belongs to the motion of that magnitude.
    const int32_t motion = magnitude(r.IntPar[1]);
    const auto motions = static_cast<int32_t>(plan.motions.size());
    const bool placed = relative ? (motion >= 1 && motion < r.IntPar[2] && r.IntPar[2] <= motions)
                                 : (motion >= 1 && motion <= motions);
    if (!placed)
        return;
    plan.restrictions.push_back({&r, group, relative});
    if (group > 0)
        plan.groupFilled[static_cast<size_t>(group - 1)] = true;
}

Plan planOf(const std::vector<Rx4Record>& records)
{
    Plan plan;
    for (const Rx4Record& r : records) {
        if (r.IntPar[1] == 0 && r.IntPar[2] == 0)
            planProject(plan, r);
        else if (r.IntPar[1] == 0)
            planMotion(plan, r);
        else
            planRestriction(plan, r);
    }
    if (!plan.project)
        throw IncompleteFileError("Die Datei enthält keinen Projektdatensatz.");
    for (size_t n = 0; n < plan.motions.size(); ++n)
        if (!plan.motions[n])
            throw IncompleteFileError("Der Datensatz der Bewegungsvorgabe " + std::to_string(n + 1) + " fehlt.");
    for (size_t g = 0; g < plan.groupFilled.size(); ++g)
        if (!plan.groupFilled[g])
            throw IncompleteFileError("Das Optimierungsobjekt " + std::to_string(g + 1) + " hat keine Restriktion.");
    return plan;
}

void copyRecord(const Rx4Record& r, TNLMember& node)
{
    for (int i = 1; i <= 8; ++i)
        node.IntPar[static_cast<size_t>(i)] = r.IntPar[static_cast<size_t>(i)];
    node.RealPar = r.RealPar;
}

} // namespace

std::vector<Rx4Record> readRx4Records(std::string bytes)
{
    const InputText text(std::move(bytes));
    const auto& lines = text.lines();
    std::vector<Rx4Record> records;
    Rx4Record previous;
    std::string comment;
    for (size_t i = 0; i < lines.size();) {
        const InputLine& line = lines[i++];
        const std::string_view t = line.text;
        size_t start = 0;
        while (start < t.size() && isBlankChar(t[start]))
            ++start;
        if (start == t.size())
            continue;
        size_t end = start;
        while (end < t.size() && !isBlankChar(t[end]))
            ++end;
        const std::string_view token = t.substr(start, end - start);
        int32_t first = 0;
        const size_t used = leadingInt(token, line.number, first);
        // A number glued to the next one ("1-100") still is one.
        const bool isNumber = used > 0 && (used == token.size() || token[used] == '-' || token[used] == '+');
        if (!isNumber) {
            comment = text.toText(t.substr(end));
            continue;
        }

        requireLineEnd(line);
        Rx4Record r;
        r.line = line.number;
        r.IntPar[1] = first;
        LineScanner ints(line, start + used);
        for (size_t k = 2; k <= 8; ++k)
            r.IntPar[k] = ints.findInt().value_or(previous.IntPar[k]);
        if (i >= lines.size())
            throw ReadError(line.number, "Der Datensatz aus Zeile " + std::to_string(line.number) +
                                             " hat keine zweite Zeile.");
        const InputLine& realLine = lines[i++];
        requireLineEnd(realLine);
        LineScanner reals(realLine);
        for (size_t k = 1; k <= 12; ++k)
            r.RealPar[k] = reals.findReal().value_or(previous.RealPar[k]);
        // A comment belongs to the record after it, not to every later one.
        r.Text = std::move(comment);
        comment.clear();
        previous = r;
        records.push_back(std::move(r));
    }
    return records;
}

TreeItem* buildRx4Project(ProjectTree& tree, const std::vector<Rx4Record>& records, const std::string& fileName)
{
    const Plan plan = planOf(records);
    const Rx4Record& head = *plan.project;

    // From here on nothing can fail.
    auto node = std::make_unique<TProject>();
    TProject* project = node.get();
    project->FileName = fileName;
    project->Description = head.Text;
    project->MakeCaption();
    TreeItem* projectItem = tree.AddTopLevel(std::move(node));
    for (size_t i = 0; i < plan.motions.size(); ++i) {
        int n = 0;
        EnsureMotion(tree, n, projectItem);
    }
    for (size_t i = 0; i < plan.groupFilled.size(); ++i) {
        int g = 0;
        EnsureGroup(tree, g, projectItem);
    }
    copyRecord(head, *project);
    // The advanced settings count as switched on exactly when one of them is
    // set, whatever the file says.
    const double advanced = double(head.IntPar[4]) + double(head.IntPar[5]) + head.RealPar[1];
    project->AdvancedSettings() = advanced > 0 ? 1 : 0;

    for (size_t i = 0; i < plan.motions.size(); ++i) {
        int n = static_cast<int>(i + 1);
        TreeItem* item = EnsureMotion(tree, n, projectItem);
        auto* motion = item->NodeAs<TRXHeader>();
        const Rx4Record& r = *plan.motions[i];
        copyRecord(r, *motion);
        motion->ShortName = r.Text;
        motion->MakeCaption();
        tree.SetText(item, motion->Caption);
    }

    for (const Plan::Restriction& planned : plan.restrictions) {
        const Rx4Record& r = *planned.record;
        TreeItem* parent = nullptr;
        if (planned.relative) {
            parent = EnsureRelMotion(tree, r.IntPar[1], r.IntPar[2], projectItem);
        } else {
            int n = magnitude(r.IntPar[1]);
            parent = EnsureMotion(tree, n, projectItem);
        }
        auto restriction = std::make_unique<TRestr>();
        copyRecord(r, *restriction);
        restriction->GroupNo() = planned.group;
        restriction->IsGlobal = planned.group > 0;
        restriction->EffPar = restriction->RealPar;
        restriction->MakeCaption();
        TreeItem* item = tree.AddChild(parent, std::move(restriction));
        if (planned.group > 0) {
            int g = planned.group;
            AddGroupMember(tree, EnsureGroup(tree, g, projectItem), item);
        }
    }
    return projectItem;
}

bool Rx4Reader::handles(const std::string& extension) const
{
    return sameExtension(extension, Rx4Extension);
}

TreeItem* Rx4Reader::read(ProjectTree& tree, std::string bytes, const std::string& fileName)
{
    return buildRx4Project(tree, readRx4Records(std::move(bytes)), fileName);
}

} // namespace vemra

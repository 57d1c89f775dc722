#include "result_outcome.h"

#include "nodes.h"
#include "project_tree.h"

#include <algorithm>

namespace vemra {

namespace {

const ResultExplanation* currentExplanation(const TProject& project)
{
    const auto& outcome = project.LastOutcome;
    if (!outcome || !outcome->current() || !outcome->explanation)
        return nullptr;
    return &*outcome->explanation;
}

} // namespace

TreeItem* FindRestrictionByRecord(TreeItem* project, int32_t record)
{
    if (!project || record < 1)
        return nullptr;
    // Restrictions hang below motion definitions, absolute and relative;
    // optimisation objects only refer to them.
    for (int i = 0; i < project->ChildCount(); ++i) {
        TreeItem* header = project->Child(i);
        if (!header->NodeAs<TPaintObj>())
            continue;
        for (int k = 0; k < header->ChildCount(); ++k) {
            TreeItem* child = header->Child(k);
            if (const auto* r = child->NodeAs<TRestr>(); r && r->Ident() == record)
                return child;
        }
    }
    return nullptr;
}

ExplanationRole explanationRole(const TProject& project, const TRestr& r)
{
    const ResultExplanation* e = currentExplanation(project);
    if (!e)
        return ExplanationRole::None;
    const int32_t record = r.Ident();
    if (std::find(e->conflict.begin(), e->conflict.end(), record) != e->conflict.end())
        return ExplanationRole::Conflicting;
    return limitingEntry(project, r) ? ExplanationRole::Limiting : ExplanationRole::None;
}

const LimitingRestriction* limitingEntry(const TProject& project, const TRestr& r)
{
    const ResultExplanation* e = currentExplanation(project);
    if (!e)
        return nullptr;
    const auto it = std::find_if(e->limits.begin(), e->limits.end(),
                                 [&](const LimitingRestriction& l) { return l.record == r.Ident(); });
    return it == e->limits.end() ? nullptr : &*it;
}

void followResultState(TProject& project, bool resultsCurrent)
{
    if (project.LastOutcome)
        project.LastOutcome->resultsCurrent = resultsCurrent;
}

void outdateOutcome(TProject& project)
{
    if (project.LastOutcome)
        project.LastOutcome->nodesRemoved = true;
}

} // namespace vemra

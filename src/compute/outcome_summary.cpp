#include "outcome_summary.h"

#include "computation_outcome.h"

#include "model/tree_ops.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace vemra {

namespace {

std::string withSeparator(std::string text, char decimal)
{
    std::replace(text.begin(), text.end(), '.', decimal);
    return text;
}

// Six significant digits, as the module reports smoothness.
std::string significant(double x, int digits, char decimal)
{
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, digits);
    return withSeparator(ec == std::errc() ? std::string(buffer, end) : std::string("?"), decimal);
}

std::string oneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

std::string firstLine(const std::string& text)
{
    return text.substr(0, text.find_first_of("\r\n"));
}

OutcomeEntry entryFor(TreeItem* project, int32_t record)
{
    OutcomeEntry e;
    e.restriction = FindRestrictionByRecord(project, record);
    if (e.restriction) {
        e.caption = e.restriction->Text();
        if (const TreeItem* motion = e.restriction->Parent()) {
            e.motion = motion->Text();
            if (const auto* absolute = motion->NodeAs<TRXHeader>())
                e.motionNumber = std::to_string(absolute->Number());
            else if (const auto* relative = motion->NodeAs<TRelHeader>())
                e.motionNumber = std::to_string(magnitude(relative->FirstMotion())) + "-"
                                 + std::to_string(relative->SecondMotion());
        }
    } else {
        e.caption = "Restriktion " + std::to_string(record) + " (gelöscht)";
    }
    return e;
}

void addExplanation(OutcomeSummary& s, TreeItem* project, const ResultExplanation& e, char decimal)
{
    for (const ObjectShift& shift : e.shifts)
        s.facts.emplace_back("φ* Optimierungsobjekt " + std::to_string(shift.object),
                             fixedNumber(shift.phi, 2, decimal) + "°");
    switch (e.stage) {
    case ExplanationStage::Fulfilment: s.listTitle = LimitingTitle; break;
    case ExplanationStage::Smoothness: s.listTitle = SmoothnessTitle; break;
    case ExplanationStage::Conflict: s.listTitle = ConflictTitle; break;
    }
    for (const LimitingRestriction& l : e.limits) {
        OutcomeEntry entry = entryFor(project, l.record);
        entry.share = fixedNumber(100 * l.share, 1, decimal) + " %";
        entry.angle = l.angle ? fixedNumber(*l.angle, 2, decimal) + "°" : std::string("-");
        entry.sensitivity = significant(l.sensitivity, 4, decimal);
        s.entries.push_back(std::move(entry));
    }
    for (const int32_t record : e.conflict)
        s.entries.push_back(entryFor(project, record));
    if (s.entries.empty())
        s.listTitle.clear();
}

} // namespace

std::string fixedNumber(double x, int decimals, char decimal)
{
    char buffer[400];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, decimals);
    std::string text = ec == std::errc() ? std::string(buffer, end) : std::string("?");
    if (text.front() == '-' && text.find_first_of("123456789") == std::string::npos)
        text.erase(0, 1);
    return withSeparator(text, decimal);
}

std::string fulfilmentText(double lambda, char decimal)
{
    return fixedNumber(std::floor(lambda * 1000 + 1e-9) / 1000, 3, decimal);
}

OutcomeSummary summarizeOutcome(TreeItem* projectItem, char decimal)
{
    OutcomeSummary s;
    const auto* project = projectItem ? projectItem->NodeAs<TProject>() : nullptr;
    if (!project || !project->LastOutcome) {
        s.note = NotComputedText;
        return s;
    }
    const ComputationOutcome& o = *project->LastOutcome;
    s.computed = true;
    s.current = o.current();
    s.headline = "Code " + std::to_string(o.resultCode) + ": " + oneLine(o.message);
    if (o.fulfilment)
        s.facts.emplace_back("Erfüllungsgrad λ*", fulfilmentText(*o.fulfilment, decimal));
    if (o.smoothness)
        s.facts.emplace_back("Glattheit", significant(*o.smoothness, 6, decimal));
    if (o.seconds)
        s.time = fixedNumber(*o.seconds, 1, decimal) + " s";
    if (o.explanation)
        addExplanation(s, projectItem, *o.explanation, decimal);

    if (!s.current)
        s.note = OutdatedOutcomeText;
    else if (!o.explanationProblem.empty())
        s.note = UnusableExplanationText + o.explanationProblem;
    else if (!o.explanation)
        s.note = explanationExpected(o) ? NoExplanationWrittenText : NoExplanationText;
    return s;
}

std::string outcomeStatusText(const ComputationOutcome& outcome, char decimal)
{
    std::string text = firstLine(outcome.message);
    if (outcome.fulfilment)
        text += " – Erfüllungsgrad " + fulfilmentText(*outcome.fulfilment, decimal);
    return text;
}

} // namespace vemra

#include "explain_output.h"

#include "compute/outcome_summary.h"

#include <cstddef>

namespace vemra::cli {

namespace {

// Right-aligned in width characters (not bytes: "°" takes two).
std::string padLeft(const std::string& text, std::size_t width)
{
    std::size_t characters = 0;
    for (const unsigned char c : text)
        characters += (c & 0xC0) != 0x80;
    return characters >= width ? text : std::string(width - characters, ' ') + text;
}

std::string restrictionText(const OutcomeEntry& e)
{
    return e.motion.empty() ? e.caption : e.motion + ": " + e.caption;
}

} // namespace

std::vector<std::string> explanationLines(TreeItem* project, ExplainDetail detail)
{
    const OutcomeSummary s = summarizeOutcome(project, '.');
    std::vector<std::string> lines;
    if (!s.computed)
        return lines;
    if (detail == ExplainDetail::Full)
        for (const auto& [label, value] : s.facts)
            lines.push_back("  " + label + ": " + value);
    if (!s.note.empty())
        lines.push_back("  " + s.note);
    if (!s.listTitle.empty())
        lines.push_back("  " + s.listTitle + ":");
    for (const OutcomeEntry& e : s.entries) {
        if (e.share.empty())
            lines.push_back("    " + restrictionText(e));
        else
            lines.push_back("    " + padLeft(e.share, 7) + "  " + padLeft(e.angle, 8) + "  " + restrictionText(e));
    }
    return lines;
}

} // namespace vemra::cli

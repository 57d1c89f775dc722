#include "module/explanation_writer.h"

#include "module/output_writer.h"

namespace vemra::module {
namespace {

constexpr const char* kLineEnd = "\r\n";

const char* stageWord(ExplanationStage stage)
{
    switch (stage) {
    case ExplanationStage::Fulfilment: return "erfuellung";
    case ExplanationStage::Smoothness: return "glattheit";
    case ExplanationStage::Conflict: return "konflikt";
    }
    return "";
}

} // namespace

std::string explanationText(const Explanation& e)
{
    const bool conflict = e.stage == ExplanationStage::Conflict;
    std::string text = std::string("Stufe ") + stageWord(e.stage) + ' ' + std::to_string(e.code) + ' '
                       + (conflict ? "-" : formatReal(e.lambda)) + ' ' + (conflict ? "-" : formatReal(e.smoothness))
                       + kLineEnd;
    for (const auto& [object, shift] : e.shifts)
        text += "Verschiebung " + std::to_string(object) + ' ' + formatReal(shift) + kLineEnd;
    for (const LimitingRestriction& limit : e.limits)
        text += "Grenze " + std::to_string(limit.record) + ' ' + formatReal(limit.share) + ' '
                + (limit.angle ? formatReal(*limit.angle) : std::string("-")) + ' ' + formatReal(limit.sensitivity)
                + kLineEnd;
    for (int record : e.conflict)
        text += "Konflikt " + std::to_string(record) + kLineEnd;
    return text;
}

} // namespace vemra::module

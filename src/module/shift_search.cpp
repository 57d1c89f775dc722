#include "module/shift_search.h"

#include "module/stop_request.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace vemra::module {

ShiftSearch::ShiftSearch(const ProblemModel& model, const LambdaSearch& lambdaSearch, ProgressSink progress)
    : model_(model), lambdaSearch_(lambdaSearch), progress_(std::move(progress))
{
}

void ShiftSearch::report(const std::string& stage, const Evaluation& best) const
{
    if (!progress_)
        return;
    std::ostringstream line;
    line << stage << ": ";
    if (best.feasible)
        line << "fulfilment " << best.lambda << ", smoothness " << best.smoothness;
    else
        line << "minimum requirements not met";
    progress_(line.str());
}

double ShiftSearch::Samples::at(int i) const
{
    if (count == 1)
        return 0.5 * (lo + hi);
    return i + 1 == count ? hi : lo + (hi - lo) * i / (count - 1);
}

ShiftSearch::Samples ShiftSearch::samplesFor(int objectIndex, double current, int step) const
{
    const ProjectSettings& settings = model_.problem().settings;
    const ShiftRange& range = model_.shiftRange(objectIndex);
    if (!range.active || settings.samples < 1 || !(settings.stepWidth > 0.0) || settings.steps < 1)
        return {};
    const double radius =
        settings.stepWidth * range.width() * static_cast<double>(settings.steps - step + 1) / settings.steps;
    const double lo = std::max(current - radius, range.lo);
    const double hi = std::min(current + radius, range.hi);
    if (!(hi > lo))
        return {};
    return {lo, hi, settings.samples};
}

SearchOutcome ShiftSearch::run() const
{
    SearchOutcome outcome;
    outcome.shifts = model_.zeroShifts();
    outcome.best = lambdaSearch_.evaluate(outcome.shifts);
    report("stage 0 (no shift)", outcome.best);

    bool anyActive = false;
    for (int g = 0; g < model_.objectCount(); ++g)
        anyActive = anyActive || model_.shiftRange(g).active;
    if (!anyActive)
        return outcome;

    const int steps = model_.problem().settings.steps;
    for (int t = 1; t <= steps; ++t) {
        for (int g = 0; g < model_.objectCount(); ++g) {
            const auto slot = static_cast<std::size_t>(g);
            const double current = outcome.shifts[slot];
            const Samples samples = samplesFor(g, current, t);
            for (int i = 0; i < samples.count; ++i) {
                const double sample = samples.at(i);
                if (sample == current)
                    continue; // that is the incumbent itself
                throwIfStopRequested();
                Shifts candidate = outcome.shifts;
                candidate[slot] = sample;
                if (auto better = lambdaSearch_.improveOn(candidate, outcome.best)) {
                    // Later samples of this step compete with the best one so far.
                    outcome.best = std::move(*better);
                    outcome.shifts = std::move(candidate);
                }
            }
        }
        report("step " + std::to_string(t) + " of " + std::to_string(steps), outcome.best);
    }
    return outcome;
}

} // namespace vemra::module

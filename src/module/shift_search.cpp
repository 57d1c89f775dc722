#include "module/shift_search.h"

#include "module/solution_verifier.h"
#include "module/stop_request.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <exception>
#include <thread>

namespace vemra::module {

ShiftSearch::ShiftSearch(const ProblemModel& model, const LambdaSearch& lambdaSearch, ProgressSink progress,
                         int threads)
    : model_(model), lambdaSearch_(lambdaSearch), progress_(std::move(progress)),
      threads_(threads > 0 ? threads : static_cast<int>(std::max(1u, std::thread::hardware_concurrency())))
{
}

void ShiftSearch::report(const std::string& stage, const Evaluation& best) const
{
    if (!progress_)
        return;
    // One line per stage, read by programs: the fulfilment with six decimals, the smoothness
    // sum with six significant digits, "." as decimal separator whatever the locale.
    std::string line = stage + ": ";
    if (best.feasible) {
        char lambda[32], smoothness[32];
        const auto l = std::to_chars(lambda, lambda + sizeof lambda, best.lambda, std::chars_format::fixed, 6);
        const auto g = std::to_chars(smoothness, smoothness + sizeof smoothness, best.smoothness,
                                     std::chars_format::general, 6);
        line += "Erfüllungsgrad " + std::string(lambda, l.ptr) + ", Glattheit " + std::string(smoothness, g.ptr);
    } else {
        line += "Minimalforderungen nicht erfüllbar";
    }
    progress_(line);
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
    report("Stufe 0 (ohne Verschiebung)", outcome.best);

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
            std::vector<Shifts> candidates;
            for (int i = 0; i < samples.count; ++i) {
                const double sample = samples.at(i);
                if (sample == current)
                    continue; // that is the incumbent itself
                candidates.push_back(outcome.shifts);
                candidates.back()[slot] = sample;
            }
            if (auto better = bestOf(candidates, outcome.best))
                outcome = std::move(*better);
        }
        report("Schritt " + std::to_string(t) + " von " + std::to_string(steps), outcome.best);
    }
    return outcome;
}

std::optional<SearchOutcome> ShiftSearch::bestOf(const std::vector<Shifts>& candidates,
                                                 const Evaluation& incumbent) const
{
    // Every candidate is measured against the same incumbent and starts from its rows, so
    // its evaluation does not depend on which others ran before it or on which thread; the
    // winner is then picked in sample order. The same input gives the same output whatever
    // the number of cores.
    std::vector<std::optional<Evaluation>> results(candidates.size());
    std::vector<SolveStats> stats(candidates.size());
    std::vector<std::exception_ptr> errors(candidates.size());
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < candidates.size(); i = next++) {
            try {
                throwIfStopRequested();
                results[i] = lambdaSearch_.countingIn(stats[i]).improveOn(candidates[i], incumbent);
            } catch (...) {
                errors[i] = std::current_exception();
                next = candidates.size(); // the others stop too
            }
        }
    };
    const auto helpers = std::min(candidates.size(), static_cast<std::size_t>(threads_)) - (candidates.empty() ? 0 : 1);
    std::vector<std::thread> pool;
    for (std::size_t h = 0; h < helpers; ++h)
        pool.emplace_back(work);
    work();
    for (std::thread& thread : pool)
        thread.join();
    for (const SolveStats& s : stats)
        lambdaSearch_.addStats(s);
    for (const std::exception_ptr& error : errors)
        if (error)
            std::rethrow_exception(error);

    for (std::size_t i = 0; i < candidates.size(); ++i)
        if (results[i])
            results[i]->bestLambdaSoFar = std::max(incumbent.comparedLambda(), results[i]->lambda);
    const SolutionVerifier verifier(model_);
    const auto best = bestPassing(results, [&](std::size_t i) {
        return verifier.check(*results[i], candidates[i]).empty();
    });
    if (!best)
        return std::nullopt;
    return SearchOutcome{std::move(*results[*best]), candidates[*best]};
}

std::optional<std::size_t> bestPassing(std::vector<std::optional<Evaluation>>& results,
                                       const std::function<bool(std::size_t)>& passes)
{
    for (;;) {
        std::optional<std::size_t> best;
        for (std::size_t i = 0; i < results.size(); ++i)
            if (results[i] && (!best || isBetter(*results[i], *results[*best])))
                best = i;
        if (!best || passes(*best))
            return best;
        results[*best].reset(); // out; the next best is tried
    }
}

} // namespace vemra::module

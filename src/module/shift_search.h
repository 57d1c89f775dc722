// The search over the shifts of the optimisation objects: starting from the unshifted solve,
// object after object, S steps with a shrinking radius and P samples per object and step.
#pragma once

#include "module/lambda_search.h"
#include "module/problem_model.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vemra::module {

using ProgressSink = std::function<void(const std::string&)>;

struct SearchOutcome {
    Evaluation best;
    Shifts shifts;
};

// Of the candidates' evaluations (empty where a candidate did not beat the incumbent), the
// index of the best that passes, the earlier one of equals; nothing when none passes. A
// candidate that fails the final check must not win: where only huge, nearly cancelling
// coefficients meet the requirements, the rounds' check between the angles can miss what the
// final one finds, and the run would end without results although a solution is known.
std::optional<std::size_t> bestPassing(std::vector<std::optional<Evaluation>>& results,
                                       const std::function<bool(std::size_t)>& passes);

class ShiftSearch {
public:
    // threads: how many samples are evaluated at once; 0 for one per core. The outcome does
    // not depend on it.
    ShiftSearch(const ProblemModel& model, const LambdaSearch& lambdaSearch, ProgressSink progress = {},
                int threads = 0);

    SearchOutcome run() const;

    // The shifts sampled for one object in step t (1-based) around the current shift:
    // count values spread evenly from lo to hi.
    struct Samples {
        double lo = 0.0;
        double hi = 0.0;
        int count = 0;

        double at(int i) const;
    };
    Samples samplesFor(int objectIndex, double current, int step) const;

private:
    // The best of the candidates that beat the incumbent, if any.
    std::optional<SearchOutcome> bestOf(const std::vector<Shifts>& candidates, const Evaluation& incumbent) const;
    void report(const std::string& stage, const Evaluation& best) const;

    const ProblemModel& model_;
    const LambdaSearch& lambdaSearch_;
    ProgressSink progress_;
    int threads_;
};

} // namespace vemra::module

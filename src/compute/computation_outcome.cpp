#include "computation_outcome.h"

#include "computation.h"
#include "explanation_file.h"

namespace vemra {

bool explanationExpected(const ComputationOutcome& outcome)
{
    const int32_t code = outcome.resultCode;
    return (resultsExpected(code) && outcome.hasResults) || code == ResultCodes::MinimumNotMet;
}

void OutcomeRecorder::started(Clock* clock)
{
    clock_ = clock;
    start_ = clock_ ? std::optional(clock_->now()) : std::nullopt;
    seconds_.reset();
    lastProgress_.reset();
}

void OutcomeRecorder::finished()
{
    if (clock_ && start_)
        seconds_ = std::chrono::duration<double>(clock_->now() - *start_).count();
}

void OutcomeRecorder::moduleLine(const std::string& line)
{
    if (auto progress = parseProgressLine(line))
        lastProgress_ = progress;
}

ComputationOutcome OutcomeRecorder::outcome(const ComputationResult& result, const std::filesystem::path& directory,
                                            TreeItem* project) const
{
    ComputationOutcome o;
    o.resultCode = result.resultCode;
    o.message = result.text;
    o.hasResults = result.hasResults;
    o.seconds = seconds_;
    const bool explained = explanationExpected(o);
    if (explained) {
        ExplanationRead read = readExplanationFile(directory, result.resultCode, project);
        o.explanation = std::move(read.explanation);
        o.explanationProblem = std::move(read.problem);
    }
    if (o.explanation) {
        o.fulfilment = o.explanation->lambda;
        o.smoothness = o.explanation->smoothness;
    } else if (lastProgress_ && explained) {
        o.fulfilment = lastProgress_->fulfilment;
        o.smoothness = lastProgress_->smoothness;
    }
    return o;
}

} // namespace vemra

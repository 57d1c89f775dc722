// What a finished module run leaves with its project besides the results:
// the result code, fulfilment and smoothness, the running time and the
// module's explanation. Every computation forms it in the same place, so a
// single run, a batch, several runs at once, a remote run and a quiet run
// in the background all keep the same thing.
#pragma once

#include "clock.h"
#include "module_progress.h"

#include "model/result_outcome.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

namespace vemra {

class TreeItem;
struct ComputationResult;

// Whether the module explains an outcome like this: a conflict, or results
// that were read. Only the module writes an explanation, and only for these
// codes; any other code may come from the application while another run's
// files lie in the folder, and an explanation of results that could not be
// read would explain nothing the user sees.
bool explanationExpected(const ComputationOutcome& outcome);

// Follows one module run: its running time and the fulfilment it last
// reported on its progress lines (what an older module, which writes no
// explanation, says about its result).
class OutcomeRecorder {
public:
    void started(Clock* clock);
    void finished();
    // One line the module printed.
    void moduleLine(const std::string& line);

    // Forms the outcome of a run that ended with result (whose resultCode is
    // the module's or the application's code) for project; reads the
    // explanation from directory when the module may have written one.
    ComputationOutcome outcome(const ComputationResult& result, const std::filesystem::path& directory,
                               TreeItem* project) const;

private:
    Clock* clock_ = nullptr;
    std::optional<std::chrono::milliseconds> start_;
    std::optional<double> seconds_;
    std::optional<ProgressLine> lastProgress_;
};

} // namespace vemra

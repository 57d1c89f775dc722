#include "batch_computation.h"

#include "computation.h"

#include "model/tree_ops.h"

#include <algorithm>
#include <cstdint>

namespace vemra {

std::string formatCalcTime(int32_t seconds)
{
    if (seconds < 0)
        seconds = 0;
    std::string text = std::to_string(seconds % 60) + " sec";
    const int32_t minutes = seconds / 60;
    if (minutes > 0)
        text = std::to_string(minutes % 60) + " min " + text;
    const int32_t hours = minutes / 60;
    if (hours > 0)
        text = std::to_string(hours) + " h " + text;
    return text;
}

BatchSummary batchSummary(int32_t lastResult, int32_t solved, int32_t attempted, int32_t seconds)
{
    BatchSummary s;
    s.attempted = attempted;
    s.solved = solved;
    s.seconds = seconds;
    s.lastResult = lastResult;
    switch (lastResult) {
    case ResultCodes::StoppedByUser:
    case ResultCodes::AlreadyRunning:
    case ResultCodes::Aborted: {
        ResultMessage m = resultCodeMessage(lastResult);
        s.text = m.text;
        s.kind = m.kind;
        break;
    }
    default:
        s.text = "Die Berechnung ist abgeschlossen.\rFür " + std::to_string(solved) + " von "
                 + std::to_string(attempted) + " Projekte(n) wurden Lösungen gefunden.\rRechenzeit: "
                 + formatCalcTime(seconds);
        s.kind = DialogKind::Information;
    }
    return s;
}

namespace {

bool endsBatch(int32_t code)
{
    return code == ResultCodes::Aborted || code == ResultCodes::AlreadyRunning || code == ResultCodes::StoppedByUser;
}

} // namespace

void BatchTally::add(const ComputationResult& result, int32_t batchResult)
{
    if (ended_)
        return;
    ++attempted_;
    if (result.outcome == ComputationResult::Outcome::InputNotWritten) {
        ended_ = true;
        return;
    }
    lastResult_ = batchResult;
    if (result.outcome == ComputationResult::Outcome::Finished && result.hasResults)
        ++solved_;
    ended_ = endsBatch(lastResult_);
}

BatchSummary BatchTally::summary(int32_t seconds) const
{
    return batchSummary(lastResult_, solved_, attempted_, seconds);
}

namespace {

// Puts commands, tree and timer back however the batch ends.
class BatchScope {
public:
    explicit BatchScope(Computation& c) : c_(c)
    {
        c_.BatchMode = true;
        c_.observer().batchStateChanged(true);
        c_.observer().runStateChanged(false, true);
    }
    ~BatchScope()
    {
        Workspace& ws = c_.workspace();
        c_.observer().runStateChanged(CanCalc(ws, ws.tree.Selected()), false);
        c_.observer().batchStateChanged(false);
        c_.BatchMode = false;
    }
    BatchScope(const BatchScope&) = delete;
    BatchScope& operator=(const BatchScope&) = delete;

private:
    Computation& c_;
};

int32_t elapsedSeconds(Clock* clock, std::chrono::milliseconds start)
{
    if (!clock)
        return 0;
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(clock->now() - start).count();
    return static_cast<int32_t>(std::clamp<long long>(elapsed, 0, INT32_MAX));
}

} // namespace

std::optional<BatchSummary> RunBatch(Computation& c)
{
    Workspace& ws = c.workspace();
    if (c.BatchMode || ws.Calculating)
        return std::nullopt;

    Clock* clock = c.services().clock;
    const auto start = clock ? clock->now() : std::chrono::milliseconds(0);
    c.BatchResult = 0;
    c.CalcSeconds = 0;
    BatchTally tally;
    {
        BatchScope scope(c);
        // By index: the tree is disabled, but a project closed from the
        // pumped events must not leave a dangling pointer behind.
        for (int i = 0; i < ws.tree.TopLevelCount() && !tally.ended(); ++i) {
            const ComputationResult result = c.RunComputation(ws.tree.TopLevel(i));
            tally.add(result, c.BatchResult);
        }
    }
    c.CalcSeconds = elapsedSeconds(clock, start);
    return tally.summary(c.CalcSeconds);
}

std::optional<BatchSummary> BatchCalc(Computation& c)
{
    auto summary = RunBatch(c);
    if (summary)
        c.workspace().dialogs().message(summary->kind, summary->text, ButtonOk);
    return summary;
}

} // namespace vemra

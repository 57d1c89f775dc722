// "&alle Berechnen": every open project computed in turn without message
// boxes, then one summary with the number of solved projects and the
// running time.
#pragma once

#include "model/user_dialogs.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vemra {

class Computation;

struct BatchSummary {
    int32_t attempted = 0;
    int32_t solved = 0;
    int32_t seconds = 0;
    // BatchResult after the last project.
    int32_t lastResult = 0;
    // The summary box: text ("\r" is a line break) and kind; one OK button.
    std::string text;
    DialogKind kind = DialogKind::Information;
};

// "1 h 2 min 5 sec", "2 min 0 sec", "59 sec": the larger units only when
// they are not zero.
std::string formatCalcTime(int32_t seconds);

// The box that ends a batch: the stop, lock and abort messages for BatchResult
// -100, -20 and -1, otherwise the count of solved projects with the time.
BatchSummary batchSummary(int32_t lastResult, int32_t solved, int32_t attempted, int32_t seconds);

struct ComputationResult;

// Adds up the projects of a batch in their order. A project counts as solved
// when its results were read (module code 0 or 1), although BatchResult
// keeps 1 both for the best outcome and for the failures; the batch ends
// after BatchResult -1, -20 or -100 and after an input file that could not
// be written. A batch that runs projects side by side adds them in file
// order all the same, so that it ends and counts exactly like one that runs
// them in turn.
class BatchTally {
public:
    // Nothing more may be computed or counted.
    bool ended() const { return ended_; }
    // One more project: its outcome and the BatchResult it left behind.
    // Ignored once the batch has ended.
    void add(const ComputationResult& result, int32_t batchResult);

    int32_t attempted() const { return attempted_; }
    int32_t solved() const { return solved_; }
    // BatchResult after the last project counted (an unwritten input file
    // leaves the one before it).
    int32_t lastResult() const { return lastResult_; }
    BatchSummary summary(int32_t seconds) const;

private:
    int32_t attempted_ = 0;
    int32_t solved_ = 0;
    int32_t lastResult_ = 0;
    bool ended_ = false;
};

// Computes every top-level project of the workspace in tree order in batch
// mode and returns the summary without showing it, counting as BatchTally
// does (an unwritten input file has been shown already). Commands, timer and
// tree are given back in every case. Nothing happens (no value) while a
// computation or a batch is running.
std::optional<BatchSummary> RunBatch(Computation& computation);

// RunBatch, then the summary box: what "&alle Berechnen" does.
std::optional<BatchSummary> BatchCalc(Computation& computation);

} // namespace vemra

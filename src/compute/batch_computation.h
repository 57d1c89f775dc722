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

// Computes every top-level project of the workspace in tree order in batch
// mode and returns the summary without showing it. A project counts as
// solved when BatchResult is 0 after it; the loop ends early after -1, -20
// or -100, and when an input file could not be written (that error has been
// shown already). Commands, timer and tree are given back in every case.
// Nothing happens (no value) while a computation or a batch is running.
std::optional<BatchSummary> RunBatch(Computation& computation);

// RunBatch, then the summary box: what "&alle Berechnen" does.
std::optional<BatchSummary> BatchCalc(Computation& computation);

} // namespace vemra

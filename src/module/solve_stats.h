// Counters of the work a synthesis did; the benchmarks report them next to the timings.
#pragma once

namespace vemra::module {

struct SolveStats {
    long linearProgrammes = 0;  // every simplex run, re-solves of the exchange method included
    long simplexIterations = 0;
    long exchangeRounds = 0;    // exchange-method re-solves after adding angles or margins
    long failedProgrammes = 0;  // programmes that ended without a solution or an infeasibility proof
    long retiredRows = 0;       // rows taken out of the programmes again after staying idle

    SolveStats& operator+=(const SolveStats& other)
    {
        linearProgrammes += other.linearProgrammes;
        simplexIterations += other.simplexIterations;
        exchangeRounds += other.exchangeRounds;
        failedProgrammes += other.failedProgrammes;
        retiredRows += other.retiredRows;
        return *this;
    }
};

} // namespace vemra::module

// A dual simplex for the module's programmes, which are small and dense: a few dozen to a few
// hundred columns (the harmonics' coefficients), up to a few thousand rows, every row touching
// every coefficient of its motion. It works on the active set: a vertex is fixed by as many
// active constraints (a row or a column at one of its bounds) as there are columns, and the
// solver keeps the explicit inverse of that square matrix. A step then costs rows × columns
// for the new activities plus columns² for the inverse, and a run needs no set-up beyond
// factorising the start; the sparse solver's fixed cost per run and per step was most of the
// time on these programmes.
//
// It is a fast path, not the last word: where it cannot start (a start that is not dual
// feasible, a singular start) or loses accuracy, it says so (GaveUp) and the caller hands the
// programme to the sparse solver.
#pragma once

#include <memory>
#include <span>
#include <vector>

namespace vemra::module {

// One status per column, then one per row, numbered as in the sparse solver's status array so
// that bases pass between the two unchanged. A row "at its lower bound" has its activity there.
enum class BasisStatus : unsigned char { Free = 0, Basic = 1, AtUpper = 2, AtLower = 3, SuperBasic = 4, Fixed = 5 };

// min cost·x subject to rowLower ≤ A x ≤ rowUpper, columnLower ≤ x ≤ columnUpper. Bounds whose
// size is 1e30 or more are infinite.
struct DenseProgramme {
    int rows = 0;
    int columns = 0;
    std::vector<double> matrix; // row-major, rows × columns
    std::vector<double> rowLower, rowUpper;
    std::vector<double> columnLower, columnUpper;
    std::vector<double> cost;
};

struct DenseSettings {
    // Absolute, on the programme as given (its rows are scaled so that bounds are of order one).
    double primalTolerance = 1e-9;
    double dualTolerance = 1e-7;
    int iterationLimit = 1000;
    // Steps that move no row (a coefficient changing sign) skip the pass over the rows; off,
    // every step makes it. Either way the steps are the same to the last bit.
    bool skipRowsThatStay = true;
};

enum class DenseStatus { Optimal, Infeasible, GaveUp };

struct DenseOutcome {
    DenseStatus status = DenseStatus::GaveUp;
    std::vector<double> columnValues;
    std::vector<double> rowActivities;
    // At an optimum: cost - Aᵀ rowDuals = reducedCosts; a row at its lower bound has a dual
    // value ≥ 0, at its upper one ≤ 0; a column at its lower bound a reduced cost ≥ 0.
    std::vector<double> rowDuals;
    std::vector<double> reducedCosts;
    std::vector<unsigned char> basis; // BasisStatus values, columns then rows
    // When infeasible: one multiplier per row, negative where the row's lower bound takes part,
    // positive where its upper one does. Combined with them the rows give g·x ≤ β, which no x
    // within the column bounds meets.
    std::vector<double> ray;
    int iterations = 0;
    int stepsMovingNoRow = 0;
};

// Starts from the given basis (BasisStatus values, columns then rows; empty: every row basic,
// every column at the bound its cost prefers).
DenseOutcome solveDenseDual(const DenseProgramme& programme, std::span<const unsigned char> start,
                            const DenseSettings& settings);

struct ParallelColumns;

// The inverse a run ended with, for the next run of the same programme: that run starts from the
// last basis, whose active constraints are the same, and inverting them afresh costs as much as
// a dozen steps at K = 40. Empty (no items) when there is none.
struct CarriedInverse {
    CarriedInverse() = default;
    CarriedInverse(const CarriedInverse& other);
    CarriedInverse& operator=(const CarriedInverse& other);
    CarriedInverse(CarriedInverse&&) noexcept = default;
    CarriedInverse& operator=(CarriedInverse&&) noexcept = default;

    bool empty() const { return items.empty(); }
    void clear() { *this = CarriedInverse(); }

    std::vector<int> items;           // the active constraint of each slot, numbered as the status array
    std::unique_ptr<double[]> matrix; // items.size() squared, row-major, as ActiveInverse keeps it
    std::vector<int> positions;       // per slot, its place in the matrix's rows
    int live = 0;                     // how many places the updates cover (ActiveInverse)
    int updates = 0;                  // exchanges since it was last built afresh
};

// The same, with the programme's classes of parallel columns known (parallel_columns.h): a
// caller that keeps the programme from run to run need not find them every time. Where carried
// holds an inverse of the start's active constraints, the run begins with it; a run that ends
// with a verdict leaves its own there, one that gives up leaves it empty.
DenseOutcome solveDenseDual(const DenseProgramme& programme, const ParallelColumns& parallel,
                            std::span<const unsigned char> start, const DenseSettings& settings,
                            CarriedInverse* carried = nullptr);

} // namespace vemra::module

// A second route to the fulfilment level, independent of the module's own programmes: every
// requirement of a module input at one fixed λ, written out as one feasibility programme over
// a fine grid of angles (free coefficients, spectrum sums through bounding variables) and
// solved from scratch.
#pragma once

#include "module/input_reader.h"

#include <utility>
#include <vector>

namespace vemra::module::testing {

enum class GridVerdict { Feasible, Infeasible, Undecided };

struct GridProgramme {
    // Grid spacing of an interval requirement, as a fraction of the period of its curve's
    // highest harmonic.
    double periodFraction = 1.0 / 200.0;
    // More angles to hold, as (index of the restriction record in the input, angle in degrees);
    // angles outside the record's interval at λ are left out.
    std::vector<std::pair<std::size_t, double>> extraAngles;
    // A grid lets the curves stray between its angles. With this set, a solution of the grid
    // counts only once it keeps every interval requirement on a 0.01° walk as well; where it
    // does not, every angle of a local worst miss is added and the programme solved again.
    bool refine = false;
    // How far a solution may miss a row, relative to max(1, |bound|). Near λ* a step of 1e-6
    // in λ moves bounds by about that much, so a check that close needs to hold rows tighter.
    double acceptedViolation = 1e-6;
    // The bounds of every requirement that λ moves, taken inwards by this share of
    // max(1, |bound|). Equal to the accepted violation, a solution counts only where it meets
    // those bounds themselves: a band that closes as λ grows cannot stay "met" beyond that
    // point by the tolerance on both of its sides. Fixed bounds stay as entered, or an
    // equality (at rest at a dwell end) would have no solution at all.
    double inset = 0.0;
};

// Fixed shifts and fixed eta only: optimisation objects are ignored, eta is taken as entered.
GridVerdict solveOnGrid(const std::vector<RawRecord>& records, double lambda, const GridProgramme& settings = {});

} // namespace vemra::module::testing

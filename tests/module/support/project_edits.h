// Edits of a module input, record by record, for tests that solve a project again from scratch
// in another form: with its optimisation objects fixed at given shifts, with every variable
// item fixed at one λ, with one restriction's bounds loosened, or with only some restrictions.
#pragma once

#include "module/input_reader.h"

#include <optional>
#include <string>
#include <vector>

namespace vemra::module::testing {

// The records as module input text, reals with 17 significant digits.
std::string recordsText(const std::vector<RawRecord>& records);

// Every member of an optimisation object moved by its object's shift (index = object - 1;
// missing shifts are 0), and no objects left: the project the search ended in, to be solved
// without searching.
std::vector<RawRecord> withShifts(std::vector<RawRecord> records, const std::vector<double>& shifts);

// Every variable item (bounds, interval ends, eta) fixed at its value at λ: a plain
// feasibility problem. Objects must be gone already. Nothing when a band has closed at λ (its
// lower bound above its upper one), which is infeasible anyway and not even valid input.
std::optional<std::vector<RawRecord>> fixedAt(std::vector<RawRecord> records, double lambda);

// The restriction in record `index` (from 0) with its bounds moved outward by delta, minimum
// and maximum requirement alike.
std::vector<RawRecord> loosened(std::vector<RawRecord> records, std::size_t index, double delta);

// Only the restrictions whose record number (ninth integer) is listed; project and motions stay.
std::vector<RawRecord> onlyRestrictions(const std::vector<RawRecord>& records, const std::vector<int>& kept);

// The size of a restriction's bounds, max(1, |bound|) over the bounds it has.
double boundSize(const RawRecord& restriction);

} // namespace vemra::module::testing

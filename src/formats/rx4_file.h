// ".rx4" files: the synthesis module's input as this program and older ones
// wrote it, one two-line record a node, read tolerantly. A line that does not
// start with a number is a comment whose text (without its first word)
// describes the record after it; numbers are taken from whatever a line
// holds; a record line that runs out of numbers keeps the values of the
// record before it.
#pragma once

#include "format_reader.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vemra {

inline constexpr const char* Rx4Extension = ".rx4";

// One record as the file holds it. The ninth integer (the record number the
// module echoes) is never read.
struct Rx4Record {
    std::array<int32_t, 10> IntPar{}; // 1..8
    std::array<double, 13> RealPar{}; // 1..12
    std::string Text;                 // the comment line right before it
    int line = 0;                     // the line it starts in
};

// Throws ReadError with the line of a number that cannot be read, or of a
// record that the end of the file cuts off.
std::vector<Rx4Record> readRx4Records(std::string bytes);

// The project of the records, appended at the end of tree's top level. The
// records are checked as a whole before the tree is touched: a second
// project record, a count, kind, number or harmonic order the model cannot
// hold throws ReadError with the record's line; a project that announces
// motion definitions or optimisation objects which its records do not fill
// throws IncompleteFileError. Records that name a motion above the announced
// count are passed over.
TreeItem* buildRx4Project(ProjectTree& tree, const std::vector<Rx4Record>& records, const std::string& fileName);

class Rx4Reader : public FormatReader {
public:
    // Also in upper case, as files from Windows machines often are named.
    bool handles(const std::string& extension) const override;
    TreeItem* read(ProjectTree& tree, std::string bytes, const std::string& fileName) override;
};

} // namespace vemra

// What vemra-cli prints about the module's explanation of a result: under a
// result line of compute --explain the limiting restrictions or the
// conflict set; for explain also fulfilment, smoothness and the shift of
// every optimisation object. Numbers with ".", as everywhere on the
// command line.
#pragma once

#include <string>
#include <vector>

namespace vemra {
class TreeItem;
}

namespace vemra::cli {

enum class ExplainDetail {
    // The restrictions only (or why there is no explanation).
    Restrictions,
    // Fulfilment, smoothness and shifts as well.
    Full,
};

// The lines to print below the result line of project, indented by two
// blanks; none when the project has no outcome of this run.
std::vector<std::string> explanationLines(TreeItem* project, ExplainDetail detail);

} // namespace vemra::cli

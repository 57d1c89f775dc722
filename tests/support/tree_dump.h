// A project tree as text that shows every value a node keeps, so that two
// trees can be compared exactly (reals by their bits, group members by the
// path of the restriction they refer to). Shared with the fuzz targets.
#pragma once

#include <string>

namespace vemra {

class TreeItem;

std::string treeDump(const TreeItem* item);

} // namespace vemra

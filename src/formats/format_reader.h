// One interface for every file that becomes a project: the project file and
// the input files of older programs. The commands pick a reader by the file's
// extension and handle errors and the tree alike for all of them.
#pragma once

#include <string>

namespace vemra {

class ProjectTree;
class TreeItem;

class FormatReader {
public:
    virtual ~FormatReader() = default;
    // extension as extensionPart gives it, with its dot.
    virtual bool handles(const std::string& extension) const = 0;
    // Reads bytes (the content of fileName) into a new project at the end of
    // tree's top level and returns its item. A damaged file throws ReadError
    // with the line it happened in; what was read so far stays in the tree,
    // and the caller decides what becomes of it.
    virtual TreeItem* read(ProjectTree& tree, std::string bytes, const std::string& fileName) = 0;
};

} // namespace vemra

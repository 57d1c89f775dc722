// One interface for every file that becomes part of the project tree: the
// project file and the input files of older programs. The commands pick a
// reader by the file's extension and handle errors and the tree alike for
// all of them.
#pragma once

#include "record_io.h"
#include "rx_set.h"

#include <string>

namespace vemra {

class ProjectTree;
class TreeItem;

// The file lacks records that it announces itself (a project that names
// more motion definitions than it holds, a motion file without its motion):
// the file as a whole is wrong, not one of its lines.
class IncompleteFileError : public ReadError {
public:
    explicit IncompleteFileError(const std::string& what) : ReadError(0, what) {}
};

class FormatReader {
public:
    // Whole projects are read into the tree by read(). Files of one motion
    // definition give its data set through readMotionSet(); the import's
    // converter decides which project receives it.
    enum class Content { Project, MotionSet };

    virtual ~FormatReader() = default;
    // extension as extensionPart gives it, with its dot.
    virtual bool handles(const std::string& extension) const = 0;
    virtual Content content() const { return Content::Project; }
    // Reads bytes (the content of fileName) into a new project at the end of
    // tree's top level and returns its item. A damaged file throws ReadError
    // with the line it happened in. The project file keeps what was read so
    // far in the tree and leaves the rest to the caller; the readers of older
    // programs' files touch the tree only once the whole file was read.
    virtual TreeItem* read(ProjectTree& tree, std::string bytes, const std::string& fileName);
    // The motion definition of a file whose content() is MotionSet. Throws
    // ReadError, or IncompleteFileError when the file ends before its motion
    // is complete.
    virtual TRXSet readMotionSet(std::string bytes) const;
};

} // namespace vemra

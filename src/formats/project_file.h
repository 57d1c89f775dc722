// Projects on disk (".r4p"): CR LF lines of generic records, numbers
// independent of the locale, texts in Windows-1252. Relative motion
// definitions and optimisation objects are not stored; reading rebuilds
// them, and stored results come back with their actual values.
#pragma once

#include "format_reader.h"
#include "record_io.h"

#include "model/project_tree.h"

#include <optional>
#include <string>

namespace vemra {

inline constexpr const char* ProjectExtension = ".r4p";

// Writes the whole project of item; clears Unsaved and the nodes' Modified.
void WriteProject(RecordWriter& out, TreeItem* item);
// Builds a new project at the end of the top level. On a ReadError the
// partly read project stays in the tree and the error propagates.
TreeItem* ReadProject(ProjectTree& tree, RecordReader& in, const std::string& fileName);

// Writes atomically: a temporary file beside the target, then a rename. On
// failure the previous file is intact, the project's flags are as before,
// and the message for the user is returned.
std::optional<std::string> writeProjectFile(TreeItem* project, const std::string& fileName);

class ProjectFileReader : public FormatReader {
public:
    bool handles(const std::string& extension) const override;
    TreeItem* read(ProjectTree& tree, std::string bytes, const std::string& fileName) override;
};

} // namespace vemra

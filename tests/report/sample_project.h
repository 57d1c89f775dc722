// The projects the report and table tests look at (tests/data/rtf/): two
// motions with every kind of restriction the report knows and one it does
// not, an optimisation object, a relative motion, names with umlauts and a
// description with RTF's special characters; with results, without, and
// with a motion added after the computation. Each is opened as "Lösung.r4p"
// from a folder of its own, as a user would open it.
#pragma once

#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

#include "model/workspace.h"

#include <string>
#include <vector>

namespace vemra::test {

inline constexpr const char* Computed = "loesung.r4p";
inline constexpr const char* Uncomputed = "loesung-uncomputed.r4p";
// A third motion added after the computation: stored as current, but
// without coefficients.
inline constexpr const char* AddedMotion = "loesung-added-motion.r4p";

class SampleProject {
public:
    explicit SampleProject(const char* file = Computed);

    TreeItem* project() const { return project_; }
    // Absolute motion n.
    TreeItem* motion(int n) const;
    const std::string& fileName() const { return fileName_; }

    ScriptedDialogs dialogs;
    Workspace ws{dialogs};
    TempDir dir;

private:
    TreeItem* project_ = nullptr;
    std::string fileName_;
};

// The committed file below tests/data; with VEMRA_UPDATE_GOLDEN set in the
// environment the file is (re)written from actual first, to be inspected
// before it is committed.
std::string golden(const std::string& relative, const std::string& actual);

// The RTF lines as one text, each ended by CR LF.
std::string joined(const std::vector<std::string>& lines);

} // namespace vemra::test

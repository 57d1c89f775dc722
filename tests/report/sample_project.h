// The project the report and table tests look at: two motions with every
// kind of restriction the report knows (and one it does not), an
// optimisation object, a relative motion, names with umlauts and a
// description with RTF's special characters. It is saved and read back,
// as a user's project would be.
#pragma once

#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

#include "model/workspace.h"

#include <string>
#include <vector>

namespace vemra::test {

struct SampleOptions {
    bool withResults = true;
    // A third motion added after the computation: stored as current, but
    // without coefficients.
    bool motionAddedLater = false;
};

class SampleProject {
public:
    explicit SampleProject(SampleOptions options = {});

    TreeItem* project() const { return project_; }
    // Motion n (absolute), read back from the file.
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

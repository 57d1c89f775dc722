// Computes every bundled example afresh and checks that the computed motion
// keeps every enforced restriction, as the application itself measures it.
#include "commands/file_commands.h"
#include "formats/project_file.h"
#include "model/tree_ops.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <sys/wait.h>

namespace fs = std::filesystem;
using namespace vemra;

namespace {

// The example computed by vemra-cli into dir; the exit status.
int compute(const std::string& name, const fs::path& dir)
{
    // Its own runtime folder gives every run its own computation lock, so
    // examples computed in parallel test processes do not refuse each other.
    const std::string command = "cd '" + dir.string() + "' && XDG_RUNTIME_DIR='" + dir.string() + "' '" + VEMRA_CLI
                                + "' compute --module '" + VEMRA_MODULE + "' -o '" + (dir / name).string() + "' '"
                                + VEMRA_EXAMPLES + "/" + name + "' > compute.log 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double tolerance(double bound)
{
    return 1e-5 * std::max(1.0, std::fabs(bound));
}

// The minimum requirement of a bound is the fixed value or, for a variable
// bound, the value entered as what must hold in any case.
void expectKept(const TRestr& r, const std::string& where)
{
    const auto& p = r.EffPar;
    const auto& act = r.ActQ;
    if (isSpectrumKind(r.Kind())) {
        EXPECT_LE(r.ActS[4], p[6] + tolerance(p[6])) << where;
        return;
    }
    if (!isBandKind(r.Kind()))
        return;
    if (r.LowerMode() >= 0) {
        EXPECT_GE(act[3], p[6] - tolerance(p[6])) << where;
    }
    if (r.UpperMode() >= 0) {
        EXPECT_LE(act[4], p[8] + tolerance(p[8])) << where;
    }
}

class ExampleTest : public testing::TestWithParam<std::string> {};

TEST_P(ExampleTest, ComputesAndKeepsEveryEnforcedRestriction)
{
    const test::TempDir dir;
    ASSERT_EQ(compute(GetParam(), dir.path()), 0) << dir.read("compute.log");

    SilentDialogs dialogs;
    Workspace ws(dialogs);
    TreeItem* project = readProjectFile(ws, (dir.path() / GetParam()).string());
    ASSERT_NE(project, nullptr);
    const auto* p = project->NodeAs<TProject>();
    EXPECT_TRUE(p->HasResults);
    EXPECT_TRUE(p->AllValid);

    int checked = 0;
    ws.tree.ForEach([&](TreeItem* item) {
        auto* r = item->NodeAs<TRestr>();
        if (!r || r->Motion() < 0 || item->Parent()->NodeAs<TGroupHeader>())
            return;
        expectKept(*r, GetParam() + ": " + item->Text());
        ++checked;
    });
    EXPECT_GT(checked, 0);
}

INSTANTIATE_TEST_SUITE_P(Bundled, ExampleTest, testing::Values("hubkurve.r4p", "greifer.r4p", "foerderer.r4p"),
                         [](const auto& info) { return info.param.substr(0, info.param.find('.')); });

} // namespace

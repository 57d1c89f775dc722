// vemra-cli import run as a program: what it saves, and its exit status and
// message for a damaged file.
#include "commands/file_commands.h"

#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"
#include "support/test_data.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

namespace vemra {
namespace {

struct CliRun {
    std::string output; // standard output and error
    int status = -1;
};

CliRun runCli(const std::string& arguments)
{
    CliRun run;
    std::FILE* pipe = ::popen((std::string(VEMRA_CLI) + " import " + arguments + " 2>&1").c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.output.append(buffer, n);
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

TEST(ImportCli, SavesTheProjectOrSaysWhyNot)
{
    test::TempDir dir;
    const std::string saved = (dir.path() / "schwenkarm.r4p").string();
    const CliRun ok = runCli(test::testDataPath("rxw/section-order.rxw").string() + ' ' + saved);
    EXPECT_EQ(ok.status, 0) << ok.output;
    test::ScriptedDialogs dialogs;
    Workspace ws(dialogs);
    TreeItem* project = readProjectFile(ws, saved);
    ASSERT_NE(project, nullptr);
    EXPECT_EQ(project->FirstChild()->NodeAs<TRXHeader>()->ShortName, "(aus: section-order.rxw) Schwenkarm Werkstatt");

    dir.write("defekt.rxe", " 5  0  0\r\n 2.0 x\r\n");
    const CliRun broken = runCli((dir.path() / "defekt.rxe").string() + ' ' + (dir.path() / "nicht.r4p").string());
    EXPECT_EQ(broken.status, 2);
    EXPECT_NE(broken.output.find("Fehler beim Lesen der Datei defekt.rxe in Zeile 2."), std::string::npos)
        << broken.output;
    EXPECT_FALSE(dir.exists("nicht.r4p"));
}

} // namespace
} // namespace vemra

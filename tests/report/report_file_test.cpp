#include "sample_project.h"

#include "report/report_file.h"
#include "report/rtf_report.h"

#include <gtest/gtest.h>

namespace vemra::test {
namespace {

TEST(ReportFile, SaveRequestProposesTheProjectName)
{
    SampleProject sample;
    const FileDialogRequest request = reportSaveRequest(sample.motion(1));
    EXPECT_EQ(request.title, "Report sichern");
    EXPECT_EQ(request.defaultExtension, "rtf");
    EXPECT_TRUE(request.save && request.confirmOverwrite);
    EXPECT_FALSE(request.mustExist) << "a new file is no error";
    EXPECT_EQ(request.proposedName, (sample.dir.path() / "Lösung").string());
    // It starts in the project's folder and remembers where reports went.
    EXPECT_EQ(request.initialDirectory, (sample.dir.path() / "").string());
    EXPECT_EQ(request.placeKey, "Report");
}

TEST(ReportFile, ForeignExtensionsAreConfirmed)
{
    const std::vector<std::string> lines = {R"({\rtf1 a)", "}"};
    struct Case {
        const char* name;
        bool asked;
        DialogButton answer;
        bool written;
    };
    for (const Case& c : {Case{"a.rtf", false, ButtonNone, true}, Case{"b.RTF", false, ButtonNone, true},
                          Case{"c", false, ButtonNone, true}, Case{"d.doc", true, ButtonYes, true},
                          Case{"e.doc", true, ButtonNo, false}}) {
        SCOPED_TRACE(c.name);
        ScriptedDialogs dialogs;
        TempDir dir;
        if (c.asked)
            dialogs.answer(c.answer);
        EXPECT_EQ(SaveReportCommand(dialogs, lines, (dir.path() / c.name).string()), c.written);
        EXPECT_EQ(dialogs.messages.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(dialogs.last().text, ReportExtensionQuestion);
            EXPECT_EQ(dialogs.last().kind, DialogKind::Warning);
        }
        EXPECT_EQ(dir.exists(c.name), c.written);
        if (c.written) {
            EXPECT_EQ(dir.read(c.name), "{\\rtf1 a\r\n}\r\n");
        }
    }
}

} // namespace
} // namespace vemra::test

// Closing a project (with the question about unsaved changes) and closing
// the main window (with the questions about a running computation and
// unsaved projects).
#include "app_fixture.h"

#include "commands/file_commands.h"
#include "formats/project_file.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

namespace vemra::test {
namespace {

// How the question about unsaved changes is answered, and what follows.
struct CloseCase {
    const char* name;
    DialogButton answer;
    const char* fileName = nullptr; // the project's file; nullptr: none yet
    const char* chosen = nullptr;   // the save dialog's answer; nullptr: cancelled
    bool closes = true;
    size_t saveDialogs = 0;
    bool written = false;           // the project's file (or the chosen one) exists
    const char* lastText = nullptr; // a message after the question
    bool errorShown = false;        // an error of the write
};
void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

class CloseProjectTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        first = newProject();
        project = newProject();
        newMotion(project);
        select(project);
        ASSERT_TRUE(project->NodeAs<TProject>()->Unsaved);
    }

    TreeItem* first = nullptr;
    TreeItem* project = nullptr;
};

class CloseAnswerTest : public CloseProjectTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseAnswerTest, DecidesWhatIsWrittenAndWhetherTheProjectStays)
{
    const CloseCase& c = GetParam();
    const int children = project->ChildCount();
    const auto* motion = project->FirstChild()->NodeAs<TPaintObj>();
    const std::string question = closeProjectQuestion(project->Text());
    std::string file;
    if (c.fileName)
        project->NodeAs<TProject>()->FileName = file = tempFile(c.fileName);
    dialogs.strict = !c.errorShown;
    dialogs.answer(c.answer);
    if (c.answer == ButtonYes && !c.fileName) {
        dialogs.chooseFileResult(c.chosen ? std::optional<std::string>(file = tempFile(c.chosen)) : std::nullopt);
    }
    window->CloseProj->trigger();

    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.messages[0].text, question);
    EXPECT_EQ(dialogs.messages[0].buttons, unsigned(ButtonYes | ButtonNo | ButtonAbort));
    EXPECT_EQ(ws().tree.Contains(project), !c.closes);
    EXPECT_EQ(ws().tree.TopLevelCount(), c.closes ? 1 : 2);
    EXPECT_EQ(dialogs.fileRequests.size(), c.saveDialogs);
    if (c.saveDialogs) {
        EXPECT_TRUE(dialogs.fileRequests[0].save);
    }
    if (!file.empty()) {
        EXPECT_EQ(QFileInfo::exists(QString::fromStdString(file)), c.written);
    }
    // Only a file chosen in the dialog is remembered.
    EXPECT_EQ(window->recentFiles().files(),
              c.saveDialogs && c.written ? QStringList{QString::fromStdString(file)} : QStringList{});
    if (c.errorShown) {
        EXPECT_GE(dialogs.count(DialogKind::Error), 1u);
    } else if (c.lastText) {
        EXPECT_EQ(dialogs.last().text, c.lastText);
    } else {
        EXPECT_EQ(dialogs.messages.size(), 1u);
    }
    if (c.closes) {
        // Its reports and diagrams go with it; the selection moves to the
        // project before, and the editor follows it.
        EXPECT_EQ(reports.closed, std::vector<TreeItem*>{project});
        EXPECT_EQ(diagrams.closed, std::vector<TreeItem*>{project});
        EXPECT_EQ(diagrams.removed, std::vector<const TPaintObj*>{motion});
        EXPECT_EQ(ws().tree.Selected(), first);
        EXPECT_EQ(editor.object, first);
        EXPECT_FALSE(ws().Locked);
    } else {
        // Nothing may be lost.
        EXPECT_EQ(project->ChildCount(), children);
        EXPECT_TRUE(project->NodeAs<TProject>()->Unsaved);
        EXPECT_TRUE(reports.closed.empty());
        EXPECT_TRUE(diagrams.closed.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CloseAnswerTest,
    ::testing::Values(CloseCase{"Abort", ButtonAbort, nullptr, nullptr, false},
                      CloseCase{"No", ButtonNo},
                      // the save command needs no dialog
                      CloseCase{"YesWithItsFile", ButtonYes, "hub.r4p", nullptr, true, 0, true},
                      CloseCase{"YesAsksForAFile", ButtonYes, nullptr, "neu.r4p", true, 1, true},
                      CloseCase{"YesWithAWrongExtension", ButtonYes, nullptr, "neu.txt", false, 1, false,
                                "Die Sicherung muß mit der\rStandarderweiterung .r4p erfolgen."},
                      CloseCase{"YesThenCancelled", ButtonYes, nullptr, nullptr, true, 1},
                      // the folder does not exist: the write fails
                      CloseCase{"YesUnwritable", ButtonYes, "fehlt/hub.r4p", nullptr, false, 0, false, nullptr, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CloseProjectTest, QuestionNamesTheProject)
{
    EXPECT_EQ(closeProjectQuestion("Hubwerk"),
              "Das Projekt \"Hubwerk\" wurde bearbeitet.\rSollen die Änderungen gesichert werden?");
}

TEST_F(CloseProjectTest, SavedProjectClosesWithoutQuestion)
{
    project->NodeAs<TProject>()->Unsaved = false;
    window->CloseProj->trigger();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(ws().tree.Contains(project));

    // Closing the last one leaves nothing selected and the menu follows.
    first->NodeAs<TProject>()->Unsaved = false;
    select(first);
    window->CloseProj->trigger();
    EXPECT_EQ(ws().tree.TopLevelCount(), 0);
    EXPECT_EQ(ws().tree.Selected(), nullptr);
    EXPECT_FALSE(window->SaveAs->isEnabled());
    EXPECT_EQ(editor.object, nullptr);
}

// --- closing the main window --------------------------------------------------------

using CloseQueryTest = MainWindowTest;

TEST_F(CloseQueryTest, NothingToAskClosesAtOnceAsDoesTheExitEntry)
{
    bool closed = false;
    QObject::connect(window.get(), &TDlgMain::closed, [&] { closed = true; });
    window->show();
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(closed);
    EXPECT_TRUE(dialogs.messages.empty());

    window->show();
    window->Beenden1->trigger();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(CloseQueryTest, UnsavedProjectsAreAskedFor)
{
    newProject();
    window->show();
    dialogs.answerNo();
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(dialogs.last().text, QuitWithUnsavedQuestion);
    EXPECT_EQ(dialogs.last().text,
              "Es wurden nicht alle Änderungen gesichert.\rWollen Sie das Programm trotzdem beenden?");

    dialogs.answerYes();
    EXPECT_TRUE(window->close());
}

TEST_F(CloseQueryTest, RunningComputationIsAskedForFirst)
{
    newProject();
    ws().Calculating = true;
    window->show();

    dialogs.answerNo();
    EXPECT_FALSE(window->close());
    EXPECT_EQ(dialogs.last().text, "Laufende Berechnung abbrechen?");
    EXPECT_TRUE(ws().Calculating) << "No leaves the computation running";

    // Yes stops it, and then the unsaved project is asked for.
    dialogs.answerYes().answerNo();
    EXPECT_FALSE(window->close());
    EXPECT_FALSE(ws().Calculating);
    EXPECT_EQ(dialogs.texts().back(), QuitWithUnsavedQuestion);
}

} // namespace
} // namespace vemra::test

// Closing a project (with the question about unsaved changes) and closing
// the main window (with the questions about a running computation and
// unsaved projects).
#include "app_fixture.h"

#include "commands/file_commands.h"

#include "commands/file_commands.h"
#include "formats/project_file.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

namespace vemra::test {
namespace {

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

    std::string question() const { return closeProjectQuestion(project->Text()); }

    TreeItem* first = nullptr;
    TreeItem* project = nullptr;
};

TEST_F(CloseProjectTest, QuestionNamesTheProject)
{
    EXPECT_EQ(closeProjectQuestion("Hubwerk"),
              "Das Projekt \"Hubwerk\" wurde bearbeitet.\rSollen die Änderungen gesichert werden?");
}

TEST_F(CloseProjectTest, AbortLeavesTheProjectOpenAndUnchanged)
{
    const int children = project->ChildCount();
    dialogs.answer(ButtonAbort);
    window->CloseProj->trigger();

    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.last().text, question());
    EXPECT_EQ(dialogs.last().buttons, unsigned(ButtonYes | ButtonNo | ButtonAbort));
    EXPECT_EQ(ws().tree.TopLevelCount(), 2);
    EXPECT_TRUE(ws().tree.Contains(project));
    EXPECT_EQ(project->ChildCount(), children);
    EXPECT_TRUE(project->NodeAs<TProject>()->Unsaved);
    EXPECT_TRUE(dialogs.fileRequests.empty());
    EXPECT_TRUE(reports.closed.empty());
    EXPECT_TRUE(diagrams.closed.empty());
}

TEST_F(CloseProjectTest, NoClosesWithoutWriting)
{
    dialogs.answerNo();
    window->CloseProj->trigger();

    EXPECT_EQ(ws().tree.TopLevelCount(), 1);
    EXPECT_FALSE(ws().tree.Contains(project));
    EXPECT_TRUE(dialogs.fileRequests.empty());
    ASSERT_EQ(reports.closed.size(), 1u);
    EXPECT_EQ(reports.closed[0], project);
    EXPECT_EQ(diagrams.closed, std::vector<TreeItem*>{project}) << "its diagrams go with it";
    // The selection moves to the project before, and the editor follows it.
    EXPECT_EQ(ws().tree.Selected(), first);
    EXPECT_EQ(editor.object, first);
    EXPECT_FALSE(ws().Locked);
}

TEST_F(CloseProjectTest, YesWritesAProjectThatHasItsFile)
{
    const std::string file = tempFile("hub.r4p");
    project->NodeAs<TProject>()->FileName = file;
    dialogs.answerYes();
    window->CloseProj->trigger();

    EXPECT_TRUE(dialogs.fileRequests.empty()) << "the save command needs no dialog";
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(file)));
    EXPECT_EQ(ws().tree.TopLevelCount(), 1);
}

TEST_F(CloseProjectTest, YesWithoutFileAsksForOneAndRemembersIt)
{
    const std::string file = tempFile("neu.r4p");
    dialogs.answerYes().chooseFileResult(file);
    window->CloseProj->trigger();

    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_TRUE(dialogs.fileRequests[0].save);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(file)));
    EXPECT_EQ(ws().tree.TopLevelCount(), 1);
    EXPECT_EQ(window->recentFiles().files(), QStringList{QString::fromStdString(file)});
}

TEST_F(CloseProjectTest, YesWithAWrongExtensionKeepsTheProjectOpen)
{
    const std::string file = tempFile("neu.txt");
    dialogs.answerYes().chooseFileResult(file);
    window->CloseProj->trigger();

    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(file)));
    EXPECT_TRUE(ws().tree.Contains(project));
    EXPECT_EQ(dialogs.last().text, "Die Sicherung muß mit der\rStandarderweiterung .r4p erfolgen.");
}

TEST_F(CloseProjectTest, YesThenCancelledSaveDialogClosesUnwritten)
{
    dialogs.answerYes().chooseFileResult(std::nullopt);
    window->CloseProj->trigger();

    EXPECT_FALSE(ws().tree.Contains(project));
    EXPECT_TRUE(window->recentFiles().files().isEmpty());
}

TEST_F(CloseProjectTest, YesWithAnUnwritableFileKeepsTheProject)
{
    // The folder does not exist: the write fails and nothing may be lost.
    project->NodeAs<TProject>()->FileName = tempFile("fehlt/hub.r4p");
    dialogs.strict = false;
    dialogs.answerYes();
    window->CloseProj->trigger();

    EXPECT_TRUE(ws().tree.Contains(project));
    EXPECT_GE(dialogs.count(DialogKind::Error), 1u);
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

TEST_F(CloseProjectTest, DiagramsDropTheClosedMotions)
{
    const auto* motion = project->FirstChild()->NodeAs<TPaintObj>();
    dialogs.answerNo();
    window->CloseProj->trigger();
    ASSERT_EQ(diagrams.removed.size(), 1u);
    EXPECT_EQ(diagrams.removed[0], motion);
}

// --- closing the main window --------------------------------------------------------

using CloseQueryTest = MainWindowTest;

TEST_F(CloseQueryTest, NothingToAskClosesAtOnce)
{
    bool closed = false;
    QObject::connect(window.get(), &TDlgMain::closed, [&] { closed = true; });
    window->show();
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(closed);
    EXPECT_TRUE(dialogs.messages.empty());
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

TEST_F(CloseQueryTest, ExitEntryClosesTheWindow)
{
    window->show();
    window->Beenden1->trigger();
    EXPECT_FALSE(window->isVisible());
}

} // namespace
} // namespace vemra::test

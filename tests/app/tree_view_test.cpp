// The project tree control: it mirrors the model, carries the user's
// selection into it (highlight, editor, menus), refuses to open a project
// under computation, and copies whole projects dropped on free space.
#include "app_fixture.h"

#include "commands/file_commands.h"
#include "project_tree_view.h"
#include "window_layout.h"

#include <QAction>
#include <QApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QStatusBar>

namespace vemra::test {
namespace {

class TreeViewTest : public MainWindowTest {
protected:
    ProjectTreeView& view() { return *window->TVProjects; }

    // The view's items as "text" lines indented by level, in display order,
    // and the model's.
    QStringList viewLines(QTreeWidgetItem* item = nullptr, int level = -1)
    {
        QStringList lines;
        if (item)
            lines << QString(level * 2, ' ') + item->text(0);
        item = item ? item : view().invisibleRootItem();
        for (int i = 0; i < item->childCount(); ++i)
            lines << viewLines(item->child(i), level + 1);
        return lines;
    }
    QStringList modelLines(TreeItem* item = nullptr, int level = -1)
    {
        QStringList lines;
        if (item)
            lines << QString(level * 2, ' ') + QString::fromStdString(item->Text());
        for (int i = 0; i < (item ? item->ChildCount() : ws().tree.TopLevelCount()); ++i)
            lines << modelLines(item ? item->Child(i) : ws().tree.TopLevel(i), level + 1);
        return lines;
    }

    QPoint centreOf(TreeItem* item) { return view().visualItemRect(view().viewItem(item)).center(); }
    QPoint freeSpace() { return QPoint(5, view().viewport()->height() - 5); }

    void click(Qt::MouseButton button, QPoint at)
    {
        QMouseEvent press(QEvent::MouseButtonPress, at, view().viewport()->mapToGlobal(at), button, button,
                          Qt::NoModifier);
        QApplication::sendEvent(view().viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, view().viewport()->mapToGlobal(at), button,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view().viewport(), &release);
    }

    // Sends a drag of `dragged` moving to `at` and dropping there.
    bool dragAndDrop(TreeItem* dragged, QPoint at, bool drop = true)
    {
        std::unique_ptr<QMimeData> data(view().dragData(dragged));
        QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view().viewport(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view().viewport(), &move);
        moveAccepted = move.isAccepted();
        statusDuringDrag = window->statusText();
        if (!drop)
            return moveAccepted;
        QDropEvent dropEvent(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view().viewport(), &dropEvent);
        return dropEvent.isAccepted();
    }

    void SetUp() override
    {
        MainWindowTest::SetUp();
        window->show();
        project = newProject();
        motion1 = newMotion(project);
        motion2 = newMotion(project);
        view().expandAll();
        QApplication::processEvents();
    }

    TreeItem* project = nullptr;
    TreeItem* motion1 = nullptr;
    TreeItem* motion2 = nullptr;
    bool moveAccepted = false;
    QString statusDuringDrag;
};

TEST_F(TreeViewTest, MirrorsAdditionsSortingRenamingAndDeletion)
{
    EXPECT_EQ(viewLines(), modelLines());
    ASSERT_GE(project->ChildCount(), 3) << "two motions and their relative motion";

    // A restriction added to the first motion lands where the model sorts it.
    select(motion1);
    NewAbsRestrictionCommand(ws());
    EXPECT_EQ(viewLines(), modelLines());

    ws().tree.SetText(motion2, "umbenannt");
    EXPECT_EQ(view().viewItem(motion2)->text(0), "umbenannt");

    // Deleting the first motion renumbers the second and drops the pair.
    select(motion1);
    DeleteCommand(ws());
    EXPECT_EQ(viewLines(), modelLines());
    EXPECT_EQ(view().viewItem(ws().tree.Selected()), view().currentItem());

    view().rebuild();
    EXPECT_EQ(viewLines(), modelLines());
}

TEST_F(TreeViewTest, ClickSelectsHighlightsAndShowsTheNodeInTheEditor)
{
    window->ShowEditor->setChecked(true);
    editor.shown = false;
    click(Qt::LeftButton, centreOf(motion1));
    EXPECT_EQ(ws().tree.Selected(), motion1);
    EXPECT_EQ(editor.object, motion1);
    EXPECT_TRUE(editor.shown) << "\"Editor immer anzeigen\" is checked";
    EXPECT_TRUE(motion1->Node()->Highlight);
    EXPECT_TRUE(motion1->FirstChild()->Node()->Highlight) << "a motion's restrictions light up with it";

    click(Qt::LeftButton, centreOf(motion2));
    EXPECT_FALSE(motion1->Node()->Highlight);
    EXPECT_FALSE(motion1->FirstChild()->Node()->Highlight);
    EXPECT_TRUE(motion2->Node()->Highlight);
    EXPECT_TRUE(window->MKRestabs->isEnabled()) << "the menus follow the selection";

    // Free space keeps the selection.
    click(Qt::LeftButton, freeSpace());
    EXPECT_EQ(ws().tree.Selected(), motion2);
}

TEST_F(TreeViewTest, NothingSelectedClearsAndHidesTheEditor)
{
    select(motion1);
    editor.shown = true;
    select(nullptr);
    EXPECT_EQ(editor.object, nullptr);
    EXPECT_FALSE(editor.shown);
    EXPECT_FALSE(window->SaveAs->isEnabled());
}

TEST_F(TreeViewTest, RightButtonSelectsAndBringsUpTheEditor)
{
    editor.shown = false;
    click(Qt::RightButton, centreOf(motion2));
    EXPECT_EQ(ws().tree.Selected(), motion2);
    EXPECT_TRUE(editor.shown);
    EXPECT_EQ(editor.frontCount, 1);

    editor.shown = false;
    click(Qt::RightButton, freeSpace());
    EXPECT_EQ(ws().tree.Selected(), motion2) << "free space keeps the selection";
    EXPECT_TRUE(editor.shown);
    EXPECT_EQ(editor.frontCount, 2);
}

TEST_F(TreeViewTest, SelectionWhileLockedOnlyClearsTheEditor)
{
    select(motion1);
    ws().Locked = true;
    select(motion2);
    EXPECT_EQ(editor.object, nullptr);
    EXPECT_TRUE(motion1->Node()->Highlight) << "highlights wait for the end of the rebuild";
    EXPECT_FALSE(motion2->Node()->Highlight);
    ws().Locked = false;
}

TEST_F(TreeViewTest, SelectionMarksAndRedrawsTheDiagramsOfTheMotions)
{
    select(motion1);
    diagrams.redraws = 0;
    select(motion2->FirstChild());
    EXPECT_EQ(diagrams.redraws, 1);

    // Marking only (old selection) versus marking and redrawing.
    diagrams.dirty.clear();
    window->MarkDiagrams(project, false);
    EXPECT_EQ(diagrams.dirty.size(), 3u) << "all motions of a project, relative ones included";
    window->MarkDiagrams(motion1->FirstChild(), true);
    EXPECT_EQ(diagrams.redraws, 2);
    EXPECT_EQ(affectedMotions(motion1->FirstChild()), std::vector<const TPaintObj*>{motion1->NodeAs<TPaintObj>()});
}

TEST_F(TreeViewTest, AProjectUnderComputationCannotBeOpenedOrClosed)
{
    view().setItemExpanded(project, false);
    project->NodeAs<TProject>()->Computing = true;
    view().viewItem(project)->setExpanded(true);
    EXPECT_FALSE(view().isItemExpanded(project));

    // The computation itself may restore the state it found.
    view().setItemExpanded(project, true);
    EXPECT_TRUE(view().isItemExpanded(project));
    view().viewItem(project)->setExpanded(false);
    EXPECT_TRUE(view().isItemExpanded(project));

    project->NodeAs<TProject>()->Computing = false;
    view().viewItem(project)->setExpanded(false);
    EXPECT_FALSE(view().isItemExpanded(project));
    view().viewItem(motion1)->setExpanded(false);
    EXPECT_FALSE(view().isItemExpanded(motion1));
}

TEST_F(TreeViewTest, AProjectDroppedOnFreeSpaceIsCopied)
{
    const int children = project->ChildCount();
    EXPECT_TRUE(dragAndDrop(project, freeSpace()));
    EXPECT_TRUE(moveAccepted);
    EXPECT_EQ(statusDuringDrag, "Projekt kopieren");
    ASSERT_EQ(ws().tree.TopLevelCount(), 2);
    TreeItem* copy = ws().tree.TopLevel(1);
    EXPECT_NE(copy, project);
    EXPECT_EQ(copy->ChildCount(), children);
    EXPECT_EQ(viewLines(), modelLines());
}

TEST_F(TreeViewTest, DropsOnItemsOrOfOtherNodesChangeNothing)
{
    EXPECT_FALSE(dragAndDrop(project, centreOf(motion1)));
    EXPECT_FALSE(moveAccepted);
    EXPECT_TRUE(statusDuringDrag.isEmpty()) << "a project over an item clears the status";

    window->setStatusText("vorher");
    EXPECT_FALSE(dragAndDrop(motion1, freeSpace()));
    EXPECT_FALSE(moveAccepted);
    EXPECT_EQ(ws().tree.TopLevelCount(), 1);

    // Data from elsewhere is refused at once and clears the status.
    QMimeData foreign;
    foreign.setText("Projekt");
    QDragEnterEvent enter(freeSpace(), Qt::CopyAction, &foreign, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view().viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_TRUE(window->statusText().isEmpty());
    EXPECT_EQ(view().draggedItem(&foreign), nullptr);
    EXPECT_EQ(ws().tree.TopLevelCount(), 1);
}

TEST_F(TreeViewTest, ADragOfAnItemDeletedMeanwhileIsRefused)
{
    std::unique_ptr<QMimeData> data(view().dragData(motion2));
    EXPECT_EQ(view().draggedItem(data.get()), motion2);
    select(motion2->FirstChild());
    DeleteCommand(ws());
    EXPECT_EQ(view().draggedItem(data.get()), nullptr);
}

// --- width ------------------------------------------------------------------------

TEST(WindowLayoutTest, WidthFollowsTheWidestEntry)
{
    EXPECT_EQ(mainWindowWidth({}, 4, 19, 0), 280);
    EXPECT_EQ(mainWindowWidth({}, 4, 19, 3), 286);
    EXPECT_EQ(mainWindowWidth({100, 180, 120}, 4, 19, 0), 180 + 4 + 38 + 20);
    EXPECT_EQ(mainWindowWidth({100}, 2, 10, 5), 100 + 2 + 20 + 20 + 10);
    const WindowRect r = maximisedGeometry(300, {0, 30, 1280, 994});
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.width, 300);
    EXPECT_EQ(r.height, 954);
}

TEST(WindowLayoutTest, WindowsStayInTheAvailableArea)
{
    // Area 1024 x 738 below a panel of 30 pixels; frame 4, title 26.
    const WindowRect area{0, 30, 1024, 738};
    const FrameMargins frame{4, 26, 4, 4};
    struct Case {
        const char* name;
        WindowRect client;
        WindowRect fitted;
    };
    const Case cases[] = {
        {"fits: unchanged", {254, 234, 301, 472}, {254, 234, 301, 472}},
        {"too tall: as tall as the area less the frame, moved up", {100, 80, 720, 820}, {100, 56, 720, 708}},
        {"sticks out at the right: moved left", {900, 100, 300, 300}, {720, 100, 300, 300}},
        {"wider than the area: full width", {10, 100, 2000, 300}, {4, 100, 1016, 300}},
        {"above the area: moved down", {10, 0, 300, 300}, {10, 56, 300, 300}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const WindowRect r = fitIntoArea(c.client, area, frame);
        EXPECT_EQ(std::vector<int>({r.left, r.top, r.width, r.height}),
                  std::vector<int>({c.fitted.left, c.fitted.top, c.fitted.width, c.fitted.height}));
    }
}

TEST_F(TreeViewTest, TheWindowTakesTheWidthOfItsTree)
{
    window->show();
    QApplication::processEvents();
    const QRect area = window->screen()->availableGeometry();
    const int before = window->width();
    EXPECT_EQ(before, window->preferredWidth());

    // A longer caption widens the window at once, without a resize.
    ws().tree.SetText(motion1, std::string(30, 'W'));
    QApplication::processEvents();
    const int wider = window->preferredWidth();
    EXPECT_GT(wider, before);
    EXPECT_GE(wider, view().fontMetrics().horizontalAdvance(QString(30, 'W')) + view().indentation());
    EXPECT_EQ(window->width(), wider);

    // Any resize snaps the width back to the rule; the height stays free.
    window->resize(200, 400);
    QApplication::processEvents();
    EXPECT_EQ(window->width(), wider);
    EXPECT_EQ(window->height(), 400);

    // A caption wider than the screen: the window takes the available
    // width and stays on the screen.
    ws().tree.SetText(motion1, std::string(400, 'W'));
    QApplication::processEvents();
    EXPECT_GT(window->preferredWidth(), area.width());
    EXPECT_TRUE(area.contains(window->frameGeometry())) << window->frameGeometry().width();

    // A long status text widens the window as well, and it stays so when
    // the text goes.
    ws().tree.SetText(motion1, "kurz");
    QApplication::processEvents();
    const int narrow = window->width();
    const QString status = QStringLiteral("hubkurve.r4p: Optimierung erfolgreich beendet, Erfüllungsgrad 1");
    window->setStatusText(status);
    QApplication::processEvents();
    EXPECT_GE(window->width(), window->SB->fontMetrics().horizontalAdvance(status));
    EXPECT_GT(window->width(), narrow);
    const int withStatus = window->width();
    window->setStatusText(QString());
    QApplication::processEvents();
    EXPECT_EQ(window->width(), withStatus);
}

TEST_F(TreeViewTest, MaximisingKeepsTheTreeWidthAtFullHeight)
{
    window->showMaximized();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_FALSE(window->isMaximized());
    const QRect area = window->screen()->availableGeometry();
    EXPECT_EQ(window->pos(), area.topLeft() + QPoint(50, 10));
    EXPECT_EQ(window->width(), window->preferredWidth());
    EXPECT_EQ(window->height(), area.height() - 40);
}

} // namespace
} // namespace vemra::test

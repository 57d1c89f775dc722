// The diagram window as the user meets it: which motions it opens with, its
// context menu, the protocol with the main window after deletions and
// computations, zoom, drops from the project tree, export, copy and print.
#include "diagram_app_fixture.h"

#include "model/file_names.h"

#include "project_tree_view.h"

#include "commands/file_commands.h"
#include "commands/tree_commands.h"
#include "model/tree_ops.h"
#include "platform/qt/settings_store.h"
#include "support/test_data.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QPrinter>

namespace vemra::test {
namespace {

using DiagramWindowTest = DiagramAppTest;
using HubDiagramWindowTest = HubWindowTest;

TEST_F(DiagramWindowTest, OpensForTheSelectedItem)
{
    TreeItem* project = openExample("greifer.r4p");
    ASSERT_NE(project, nullptr);
    TreeItem* first = child<TRXHeader>(project);
    TreeItem* second = child<TRXHeader>(project, 1);
    TreeItem* relative = child<TRelHeader>(project);
    TreeItem* group = child<TGroupHeader>(project);
    ASSERT_TRUE(first && second && relative && group && group->FirstChild());
    const std::vector<TreeItem*> all = {first, second, relative};

    struct Case {
        const char* name;
        TreeItem* selected;
        std::vector<TreeItem*> items;
    };
    const Case cases[] = {
        {"project", project, all},
        {"motion", second, {second}},
        {"restriction", first->FirstChild(), {first}},
        {"optimisation object", group, all},
        {"member", group->FirstChild(), all},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        select(c.selected);
        window->NewDiag->setEnabled(true);
        window->NewDiag->trigger();
        TGrafik* w = list->windows().back();
        EXPECT_EQ(w->Page.Items, c.items);
        EXPECT_EQ(w->windowTitle(), "Grafik");
        EXPECT_EQ(w->Page.DiagramCount, 3);
        EXPECT_EQ(w->Page.HighlightColor, defaults->HLColor());
        EXPECT_FALSE(w->Bitmap.isNull());
    }
    EXPECT_EQ(list->windows().size(), 5u);
    // Nothing selected: no window.
    list->openFor(nullptr);
    EXPECT_EQ(list->windows().size(), 5u);
    EXPECT_EQ(window->NewDiag->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
}

TEST_F(HubDiagramWindowTest, ContextMenuCaptionsAndQuantities)
{
    QStringList captions;
    for (QAction* a : w->PopupMenu->actions())
        if (!a->isSeparator())
            captions << a->text();
    EXPECT_EQ(captions, (QStringList{"&Hauptfenster", "Grafik-&Optionen", "Grafik &kopieren", "Grafik &sichern ...",
                                     "Grafik &drucken", "automatische Skalierung", "&Weg", "&Geschwindigkeit",
                                     "&Beschleunigung", "&Ruck", "&Antriebsmoment"}));

    w->updateMenu();
    EXPECT_TRUE(w->Quantities[0]->isChecked());
    EXPECT_FALSE(w->Quantities[3]->isChecked());
    w->Quantities[3]->trigger(); // "&Ruck"
    EXPECT_EQ(w->Page.DiagramCount, 4);
    EXPECT_EQ(w->Page.Diagrams[3].Order, 3);
    EXPECT_TRUE(options->CB3->isChecked());
    for (int i : {0, 1, 2})
        w->Quantities[static_cast<size_t>(i)]->trigger();
    EXPECT_EQ(w->Page.DiagramCount, 1);
    w->updateMenu();
    EXPECT_FALSE(w->Quantities[3]->isEnabled()) << "the last quantity stays";
    EXPECT_FALSE(options->CB3->isEnabled());
}

TEST_F(DiagramWindowTest, DeletionsAndComputationsReachTheWindows)
{
    TreeItem* project = openExample("greifer.r4p");
    TGrafik* all = openWindow(project);
    TGrafik* one = openWindow(child<TRXHeader>(project, 1));
    ASSERT_TRUE(all && one);
    EXPECT_FALSE(all->Dirty);

    // Results of the project changed: both windows are marked, then redrawn
    // when the change is complete.
    ws().events().resultsChanged(project);
    EXPECT_TRUE(all->Dirty);
    EXPECT_TRUE(one->Dirty);
    ws().events().changeFinished();
    EXPECT_FALSE(all->Dirty);
    EXPECT_FALSE(one->Dirty);

    // Deleting motion 2 takes it (and the relative motion 1-2 with it) out
    // of every list.
    select(child<TRXHeader>(project, 1));
    DeleteCommand(ws());
    EXPECT_EQ(all->Page.Items.size(), 1u);
    EXPECT_TRUE(one->Page.Items.empty());
    EXPECT_FALSE(all->Dirty) << "redrawn at the end of the deletion";
    EXPECT_EQ(options->TVGrafs->topLevelItem(0)->childCount(), 1);

    // Closing the window leaves the others.
    one->close();
    QApplication::processEvents();
    EXPECT_EQ(list->windows(), std::vector<TGrafik*>{all});
}

TEST_F(DiagramWindowTest, WindowsOfAClosedProjectCloseWithIt)
{
    // Two projects: a window of each, and one showing motions of both.
    TreeItem* hub = openExample("hubkurve.r4p");
    TreeItem* greifer = openExample("greifer.r4p");
    TGrafik* ofHub = openWindow(hub);
    TGrafik* ofGreifer = openWindow(greifer);
    TGrafik* mixed = openWindow(child<TRXHeader>(greifer));
    ASSERT_TRUE(ofHub && ofGreifer && mixed);
    ASSERT_TRUE(mixed->AddItem(child<TRXHeader>(hub)));
    ofHub->show();

    select(hub);
    ASSERT_TRUE(CloseProjectCommand(ws()));
    QApplication::processEvents();
    EXPECT_EQ(list->windows(), (std::vector<TGrafik*>{ofGreifer, mixed}));
    EXPECT_EQ(mixed->Page.Items, std::vector<TreeItem*>{child<TRXHeader>(greifer)}) << "keeps what stays open";

    // Opened again, the project gets new windows from the menu; none is
    // left empty.
    ASSERT_NE(openExample("hubkurve.r4p"), nullptr);
    for (TGrafik* w : list->windows())
        EXPECT_FALSE(w->Page.Items.empty());
}

TEST_F(HubDiagramWindowTest, ZoomAndAutomaticScaling)
{
    const TDiagram& d = w->Page.Diagrams[0];
    const int x = (d.Left + d.Right) / 2;
    const int y = (d.Top + d.Bottom) / 2;

    // Corners in the order the mouse gave them.
    w->zoom(QRect(QPoint(x, y), QPoint(x + 8, y + 100)));
    EXPECT_TRUE(d.XAxis.AutoRange);
    w->zoom(QRect(QPoint(x + 9, y + 9), QPoint(x, y)));
    EXPECT_FALSE(d.XAxis.AutoRange);
    EXPECT_FALSE(d.YAxis.AutoRange);
    EXPECT_LT(d.XAxis.Max - d.XAxis.Min, 60) << "redrawn with the zoomed range";
    EXPECT_TRUE(w->Page.Diagrams[1].YAxis.AutoRange);

    w->AutoSkalierung->trigger();
    EXPECT_TRUE(d.XAxis.AutoRange);
    EXPECT_TRUE(d.YAxis.AutoRange);
    EXPECT_EQ(d.XAxis.Max, 360);
}

TEST_F(DiagramWindowTest, MotionsDroppedFromTheTree)
{
    TreeItem* project = openExample("greifer.r4p");
    TGrafik* w = openWindow(child<TRXHeader>(project));
    ASSERT_NE(w, nullptr);
    struct Case {
        const char* name;
        TreeItem* dragged;
        bool accepted;
        const char* status;
    };
    const Case cases[] = {
        {"absolute motion", child<TRXHeader>(project, 1), true, "Bewegungsgesetz grafisch darstellen"},
        {"project", project, false, "Projekt ist bereits im Diagramm enthalten"},
        {"relative motion", child<TRelHeader>(project), false, ""},
        {"restriction", child<TRXHeader>(project)->FirstChild(), false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<QMimeData> data(window->TVProjects->dragData(c.dragged));
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &enter);
        QDragMoveEvent move(QPoint(12, 12), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &move);
        EXPECT_EQ(move.isAccepted(), c.accepted);
        EXPECT_EQ(window->statusText(), c.status);
        // A refused drag can only leave again.
        if (c.accepted) {
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(w, &drop);
        } else {
            QDragLeaveEvent leave;
            QApplication::sendEvent(w, &leave);
        }
        EXPECT_EQ(window->statusText(), "");
    }
    // Only the absolute motion was added, once.
    EXPECT_EQ(w->Page.Items, (std::vector<TreeItem*>{child<TRXHeader>(project), child<TRXHeader>(project, 1)}));
}

TEST_F(HubDiagramWindowTest, SavedPicturesAndTheirFileTypes)
{

    struct Case {
        const char* chosen;
        QByteArray magic;
    };
    const QByteArray metafile("\x01\x00\x00\x00", 4);
    const Case cases[] = {
        {"a.bmp", "BM"}, {"b.wmf", metafile}, {"c.EMF", metafile}, {"d.svg", "<?xml"}, {"e.pdf", "%PDF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        dialogs.chooseFileResult(tempFile(c.chosen));
        w->GrafikSichern->trigger();
        EXPECT_TRUE(fileBytes(tempFile(c.chosen)).startsWith(c.magic));
    }
    QImage bmp(QString::fromStdString(tempFile("a.bmp")));
    EXPECT_EQ(bmp.size(), QSize(378, 567));
    // The dialog starts in the project's folder and keeps its place.
    ASSERT_FALSE(dialogs.fileRequests.empty());
    const FileDialogRequest& request = dialogs.fileRequests.back();
    EXPECT_EQ(request.title, "Grafik sichern");
    EXPECT_EQ(request.initialDirectory, folderPart(examplePath("hubkurve.r4p").string()));
    EXPECT_EQ(request.placeKey, "Picture");

    dialogs.chooseFileResult(tempFile("f.gif"));
    w->GrafikSichern->trigger();
    EXPECT_EQ(dialogs.last().text, "Unbekanntes Format: .gif\rDie Grafik wurde nicht gesichert.");
    EXPECT_EQ(dialogs.last().kind, DialogKind::Error);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(tempFile("f.gif"))));

    // Cancelling does nothing.
    dialogs.chooseFileResult(std::nullopt);
    const auto shown = dialogs.messages.size();
    w->GrafikSichern->trigger();
    EXPECT_EQ(dialogs.messages.size(), shown);
}

TEST_F(HubDiagramWindowTest, CopyGivesBitmapAndVectorFlavours)
{
    w->GrafikKopieren->trigger();
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasImage());
    EXPECT_EQ(qvariant_cast<QImage>(data->imageData()).size(), QSize(378, 567));
    EXPECT_TRUE(data->data("image/svg+xml").contains("Weg s, q"));
    EXPECT_TRUE(data->data("image/x-emf").startsWith(QByteArray("\x01\x00\x00\x00", 4)));
}

TEST_F(HubDiagramWindowTest, PrintingFollowsTheWindowsShapeAndRestoresTheOrientation)
{
    for (bool landscape : {true, false}) {
        w->resize(landscape ? 800 : 400, landscape ? 400 : 800);
        w->layoutPaintBox();
        ASSERT_EQ(w->Landscape, landscape);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        const std::string file = tempFile(landscape ? "quer.pdf" : "hoch.pdf");
        printer.setOutputFileName(QString::fromStdString(file));
        printer.setPageOrientation(landscape ? QPageLayout::Portrait : QPageLayout::Landscape);
        w->printTo(printer);
        EXPECT_EQ(printer.pageLayout().orientation(), landscape ? QPageLayout::Portrait : QPageLayout::Landscape);
        const QByteArray pdf = fileBytes(file);
        EXPECT_TRUE(pdf.startsWith("%PDF"));
        // A4 in points: 842 x 595 across, 595 x 842 upright.
        EXPECT_TRUE(pdf.contains(landscape ? "/MediaBox [0 0 84" : "/MediaBox [0 0 59")) << landscape;
    }
}

} // namespace
} // namespace vemra::test

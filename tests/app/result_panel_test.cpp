// The result panel "Ergebnis" with the stand-in module, which writes an
// explanation beside its results: what the panel, the status bar and the
// tree show after a computation, what a click on an entry does, and how all
// of it follows the project when it changes; and the mark of the binding
// angle in a diagram window.
#include "diagram_app_fixture.h"
#include "fake_module_fixture.h"

#include "project_tree_view.h"
#include "result/result_panel.h"
#include "result/result_view.h"

#include "compute/outcome_summary.h"
#include "diagram/binding_marks.h"
#include "model/numeric.h"

#include <QAction>
#include <QApplication>
#include <QFormLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QTreeWidget>

#ifdef FAKE_RX_MODULE

namespace vemra::test {
namespace {

class ResultPanelTest : public FakeModuleTest {
protected:
    void SetUp() override
    {
        FakeModuleTest::SetUp();
        separator = localeDecimalSeparator();
        setLocaleDecimalSeparator(',');
        view = std::make_unique<ResultView>(*window);
        window->show();
    }
    void TearDown() override
    {
        view.reset();
        setLocaleDecimalSeparator(separator);
        FakeModuleTest::TearDown();
    }

    // Solves motion 1 (K = 1) and explains the result with the given lines;
    // the module input numbers the project 1, the motion 2, the restriction 3.
    void compute(TreeItem* item, const QString& code, const QStringList& why)
    {
        QString script = QStringLiteral("write rx4.err\n%1\nend\n").arg(code);
        if (code == "0" || code == "1")
            script += QStringLiteral("write remote$.fk1\n0.5 0 0 1\nend\n");
        if (!why.isEmpty())
            script += QStringLiteral("write remote$.why\n") + why.join('\n') + QStringLiteral("\nend\n");
        moduleScript(script);
        select(item);
        window->Calc->trigger();
    }

    ResultPanel& panel() { return view->panel(); }
    QStringList facts()
    {
        QStringList rows;
        for (int i = 0; i < panel().Facts->rowCount(); ++i) {
            auto* label = qobject_cast<QLabel*>(panel().Facts->itemAt(i, QFormLayout::LabelRole)->widget());
            auto* value = qobject_cast<QLabel*>(panel().Facts->itemAt(i, QFormLayout::FieldRole)->widget());
            rows << label->text() + ' ' + value->text();
        }
        return rows;
    }
    QStringList entries()
    {
        QStringList rows;
        for (int i = 0; i < panel().Entries->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = panel().Entries->topLevelItem(i);
            QStringList cells;
            for (int c = 0; c < item->columnCount(); ++c)
                if (!panel().Entries->isColumnHidden(c))
                    cells << item->text(c);
            rows << cells.join(" | ");
        }
        return rows;
    }
    bool marked(TreeItem* item) { return !window->TVProjects->viewItem(item)->icon(0).isNull(); }
    void clickEntry(int row)
    {
        QTreeWidget* list = panel().Entries;
        const QPoint at = list->visualItemRect(list->topLevelItem(row)).center();
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, list->viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                              Qt::NoModifier);
            QApplication::sendEvent(list->viewport(), &event);
        }
    }

    char separator = '.';
    std::unique_ptr<ResultView> view;
};

TEST_F(ResultPanelTest, ShowsWhatTheModuleExplainedAndLeadsToTheRestriction)
{
    TreeItem* project = newProject();
    TreeItem* motion = newMotion(project);
    TreeItem* restriction = motion->Child(0);
    EXPECT_EQ(panel().Note->text(), NotComputedText);
    EXPECT_TRUE(window->findChild<QAction*>("ShowResultPanel")->isChecked());

    compute(project, "0", {"Stufe erfuellung 0 0.9375 14.25", "Verschiebung 1 12.5", "Grenze 3 1 90 0.125"});
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(window->statusText(), "ok – Erfüllungsgrad 0,937");
    EXPECT_EQ(panel().ProjectLabel->text(), "neues Projekt");
    EXPECT_EQ(panel().Headline->text(), "Code 0: ok");
    const QStringList shown = facts();
    ASSERT_EQ(shown.size(), 4);
    EXPECT_EQ(shown.mid(0, 3), (QStringList{"Erfüllungsgrad λ*: 0,937", "Glattheit: 14,25",
                                            "φ* Optimierungsobjekt 1: 12,50°"}));
    EXPECT_TRUE(shown[3].startsWith("Rechenzeit: ") && shown[3].endsWith(" s")) << shown[3].toStdString();
    EXPECT_TRUE(panel().Note->isHidden());
    EXPECT_EQ(panel().ListTitle->text(), LimitingTitle);
    EXPECT_EQ(entries(), QStringList{"1 | " + QString::fromStdString(restriction->Text()) + " | 100,0 % | 90,00°"});
    EXPECT_TRUE(marked(restriction));
    EXPECT_FALSE(marked(motion));
    // The window stays as wide as its widest entry, marked, and the panel
    // beside the tree.
    QApplication::processEvents();
    EXPECT_EQ(window->width(), window->preferredWidth());
    EXPECT_GT(window->width(), window->TVProjects->width() + panel().width() - 1);

    // From the entry to the restriction, in the tree and the editor.
    select(project);
    editor.shown = false;
    clickEntry(0);
    EXPECT_EQ(ws().tree.Selected(), restriction);
    EXPECT_EQ(window->TVProjects->currentItem(), window->TVProjects->viewItem(restriction));
    EXPECT_EQ(editor.object, restriction);
    EXPECT_TRUE(editor.shown);
    EXPECT_GT(editor.frontCount, 0);

    // An edit outdates it all; taking the edit back makes it current again.
    restriction->Node()->Modified = true;
    UpdateResultState(ws(), restriction);
    EXPECT_EQ(panel().Note->text(), OutdatedOutcomeText);
    EXPECT_FALSE(marked(restriction));
    restriction->Node()->Modified = false;
    UpdateResultState(ws(), restriction);
    EXPECT_TRUE(panel().Note->isHidden());
    EXPECT_TRUE(marked(restriction));
}

TEST_F(ResultPanelTest, ConflictsAndMissingExplanationsAreSaidPlainly)
{
    TreeItem* project = newProject();
    TreeItem* restriction = newMotion(project)->Child(0);

    compute(project, "-2", {"Stufe konflikt -2 - -", "Konflikt 3"});
    EXPECT_EQ(panel().Headline->text(), "Code -2: Minimalforderungen sind nicht erfüllbar.");
    EXPECT_EQ(panel().ListTitle->text(), ConflictTitle);
    EXPECT_EQ(entries(), QStringList{"1 | " + QString::fromStdString(restriction->Text())});
    EXPECT_TRUE(marked(restriction));
    EXPECT_EQ(window->statusText(), "") << "the message box said it";

    // An older module writes no explanation: said plainly, the marks go.
    compute(restriction, "0", {});
    EXPECT_EQ(panel().Note->text(), NoExplanationWrittenText);
    EXPECT_TRUE(panel().Entries->isHidden());
    EXPECT_FALSE(marked(restriction));
    EXPECT_EQ(window->statusText(), "ok");

    // Another project selected: the panel shows that one.
    TreeItem* other = newProject();
    select(other);
    EXPECT_EQ(panel().project(), other);
    EXPECT_EQ(panel().Note->text(), NotComputedText);
    // The selected project closed: nothing to show.
    dialogs.answerNo();
    window->CloseProjClick();
    EXPECT_EQ(panel().project(), project);
    select(project);
    dialogs.answerNo();
    window->CloseProjClick();
    EXPECT_EQ(panel().project(), nullptr);
    EXPECT_EQ(panel().Note->text(), NoProjectSelectedText);
}

// The mark of the binding angle in a diagram window, with the example's
// stored results and an explanation made up for them.
class BindingMarkWindowTest : public DiagramAppTest {};

bool hasMarkColour(const QImage& image)
{
    return hasPixel(image, qRgb(colorRed(BindingMarkColor), colorGreen(BindingMarkColor), colorBlue(BindingMarkColor)));
}

TEST_F(BindingMarkWindowTest, TheDiagramMarksTheBindingAngleWhileItHolds)
{
    TreeItem* project = openExample("hubkurve.r4p");
    TreeItem* motion = child<TRXHeader>(project);
    TreeItem* restriction = motion->Child(0);
    TGrafik* grafik = openWindow(motion);
    ASSERT_TRUE(grafik);
    EXPECT_FALSE(hasMarkColour(grafik->Bitmap));

    restriction->Node()->Ident() = 4;
    auto& o = project->NodeAs<TProject>()->LastOutcome.emplace();
    o.explanation = ResultExplanation{ExplanationStage::Fulfilment, 0, 0.5, 1, {}, {{4, 1, 30.0, 0.1}}, {}};
    ws().events().resultsChanged(project);
    ws().events().changeFinished();
    EXPECT_TRUE(hasMarkColour(grafik->Bitmap));

    // An edit outdates the result and the mark with it (the editor redraws
    // the diagrams of what it changed).
    restriction->Node()->Modified = true;
    UpdateResultState(ws(), restriction);
    window->MarkDiagrams(restriction, true);
    EXPECT_FALSE(hasMarkColour(grafik->Bitmap));
}

} // namespace
} // namespace vemra::test

#endif

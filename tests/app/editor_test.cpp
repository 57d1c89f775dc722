// The editor window driven through its controls: the project page's
// advanced settings, the motion page's harmonic budget, unit buttons and
// grid, the restriction pages' kind switches, bounds and optimisation
// objects, undo, validity and the commit of a half-typed value.
#include "editor_fixture.h"

#include "computation_controller.h"
#include "editor/dlg_sel_opt.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QRadioButton>
#include <QTableWidget>

namespace vemra::test {
namespace {

TreeItem* memberOf(Workspace& ws, TreeItem* restriction)
{
    TreeItem* found = nullptr;
    ws.tree.ForEach([&](TreeItem* i) {
        if (auto* m = i->NodeAs<TGroupMember>(); m && m->RefTNR == restriction)
            found = i;
    });
    return found;
}

int groupCount(TreeItem* project)
{
    int n = 0;
    for (int i = 0; i < project->ChildCount(); ++i)
        n += project->Child(i)->NodeAs<TGroupHeader>() ? 1 : 0;
    return n;
}

TEST_F(EditorTest, AdvancedSettingsOffShowAndStoreTheDefaults)
{
    TreeItem* project = newProject();
    auto* p = project->NodeAs<TProject>();
    // As a file may hold them.
    p->SamplesPerStep() = 41;
    p->OptimisationSteps() = 3;
    p->StepWidth() = 0.9;
    show(project);
    EXPECT_EQ(dlg->activePage(), EditorPage::ProjHeader);
    EXPECT_EQ(dlg->windowTitle(), "Projekt: neues Projekt");
    EXPECT_EQ(dlg->SEdSamples->value(), 8);
    EXPECT_EQ(dlg->SEdOptSteps->value(), 20);
    EXPECT_EQ(dlg->REdStepWidth->text(), " .25");
    EXPECT_FALSE(dlg->SEdSamples->isEnabled());
    EXPECT_EQ(p->SamplesPerStep(), 8);
    EXPECT_EQ(p->OptimisationSteps(), 20);
    EXPECT_EQ(p->StepWidth(), 0.25);

    dlg->CBAdvOpt->click();
    EXPECT_EQ(p->AdvancedSettings(), 1);
    EXPECT_TRUE(dlg->SEdSamples->isEnabled());
    EXPECT_EQ(p->SamplesPerStep(), 8) << "turning the settings on keeps the values";

    p->SamplesPerStep() = 41;
    show(project);
    EXPECT_EQ(p->SamplesPerStep(), 8);
    dlg->SEdOptSteps->setValue(100);
    EXPECT_EQ(p->OptimisationSteps(), 100);
    enter(dlg->REdStepWidth, "2");
    EXPECT_EQ(dlg->REdStepWidth->text(), " 1.0");
    EXPECT_EQ(p->StepWidth(), 1.0);
}

TEST_F(EditorTest, HarmonicsAreCutToWhatTheOtherMotionsLeave)
{
    TreeItem* project = newProject();
    TreeItem* first = newMotion(project);
    TreeItem* second = newMotion(project);
    first->NodeAs<TRXHeader>()->Harmonics() = 20;
    second->NodeAs<TRXHeader>()->Harmonics() = 30;
    show(first);
    EXPECT_EQ(dlg->activePage(), EditorPage::RXHeader);
    EXPECT_EQ(dlg->windowTitle(), "Bewegungsvorgabe (absolut) 1");
    EXPECT_EQ(dlg->SEdHarm->maximum(), 29);

    first->NodeAs<TRXHeader>()->Harmonics() = 40;
    show(first);
    EXPECT_EQ(first->NodeAs<TRXHeader>()->Harmonics(), 29);
    EXPECT_EQ(dlg->SEdHarm->value(), 29);
    dlg->SEdHarm->setValue(12);
    EXPECT_EQ(first->NodeAs<TRXHeader>()->Harmonics(), 12);
}

TEST_F(EditorTest, UnitButtonsSetTheVariableEta)
{
    TreeItem* motion = newMotion(newProject());
    auto* m = motion->NodeAs<TRXHeader>();
    m->Harmonics() = 4;
    show(motion);
    EXPECT_FALSE(dlg->BtOneOverK->isEnabled()) << "eta is fixed";
    dlg->CBEtaVar->click();
    EXPECT_EQ(m->EtaVariable(), 1);
    enter(dlg->REdExt, "10");
    ASSERT_TRUE(dlg->BtOneOverK->isEnabled());

    dlg->BtOneOverK->click();
    EXPECT_DOUBLE_EQ(m->EtaLimit(), 0.25);
    EXPECT_EQ(dlg->LEtaRes->text().trimmed(), "1.0");
    EXPECT_EQ(dlg->LEtaRes->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(dlg->REdTestEta->text(), " .25") << "the test field follows the variable eta";

    dlg->BtPercent->click(); // theta is 0: v / (100 K)
    EXPECT_DOUBLE_EQ(m->EtaLimit(), 0.1 / 4);
    EXPECT_NE(dlg->LEtaRes->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

TEST_F(EditorTest, TheGridShowsTheResultAndCopiesItWithCarriageReturns)
{
    TreeItem* motion = newMotion(newProject());
    auto* m = motion->NodeAs<TRXHeader>();
    show(motion);
    EXPECT_FALSE(dlg->SGCoef->isVisibleTo(dlg)) << "no result, no grid";

    const double values[] = {0, 1.5, 3, -4, 0.5, 0.25}; // eta 0: q is s
    m->sSC.ReSize(6);
    m->qSC.ReSize(6);
    for (int i = 0; i < 6; ++i)
        m->sSC[i] = m->qSC[i] = values[i];
    m->HasResult = m->ResultValid = true;
    m->ResultHarm = 2;
    show(motion);
    ASSERT_TRUE(dlg->SGCoef->isVisibleTo(dlg));
    dlg->RBEuclid->click();
    EXPECT_EQ(dlg->SGCoef->rowCount(), 3) << "k = 0..2";
    dlg->CopyValues->trigger();
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_EQ(copied.count(QLatin1Char('\r')), 2);
    EXPECT_FALSE(copied.contains(QLatin1Char('\n')));
    EXPECT_TRUE(copied.startsWith(QStringLiteral(" 0\t 1.5\r 3\t -4\t 5\r"))) << copied.toStdString();

    // "Test" derives the output motion with the test panel's values.
    ComputationController controller(*window, ComputationServices{});
    window->setComputation(&controller);
    m->Harmonics() = 2;
    enter(dlg->REdTestEta, "0.5");
    enter(dlg->REdTestTheta, "0.1");
    dlg->BtTest->click();
    window->setComputation(nullptr);
    EXPECT_EQ(m->TestEta, 0.5);
    EXPECT_EQ(m->TestTheta, 0.1);
    EXPECT_FALSE(ProjectNodeOf(motion)->TestRun);
    EXPECT_NE(m->qSC[2], m->sSC[2]) << "with the test eta the output is elastic";
}

TEST_F(EditorTest, PointAndIntervalSwitchTheKindWithinItsFamily)
{
    TreeItem* project = newProject();
    newMotion(project);
    newMotion(project);
    TreeItem* rel = child<TRelHeader>(project);
    ASSERT_NE(rel, nullptr);
    select(rel);
    TreeItem* r = NewRelRestrictionCommand(ws());
    r->NodeAs<TRestr>()->Kind() = 52;
    r->NodeAs<TRestr>()->PhiMax() = 10;
    r->NodeAs<TRestr>()->Upper() = 1;
    show(r);
    EXPECT_EQ(dlg->windowTitle(), "Restriktion (relativ) [BG 1-2]");
    EXPECT_TRUE(dlg->RBRange->isChecked());
    EXPECT_TRUE(dlg->LPhiRange->isVisibleTo(dlg));
    EXPECT_EQ(dlg->LQuantity->text(), "s''");

    dlg->RBPoint->click();
    EXPECT_EQ(restr()->Kind(), 42);
    EXPECT_FALSE(dlg->REdPhiMin->isEnabled());
    EXPECT_TRUE(dlg->LPhiPoint->isVisibleTo(dlg));
    dlg->CBOrd->setCurrentIndex(1);
    EXPECT_EQ(restr()->Kind(), 41);
    EXPECT_EQ(dlg->LQuantity->text(), "s'");

    TreeItem* a = newRestriction(project->Child(0));
    a->NodeAs<TRestr>()->Kind() = 3;
    a->NodeAs<TRestr>()->Upper() = 1;
    show(a);
    EXPECT_EQ(dlg->LQuantity->text(), "s'''");
    dlg->RBRange->click();
    EXPECT_EQ(restr()->Kind(), 13);
    EXPECT_EQ(dlg->windowTitle(), "Restriktion (absolut) [BG 1] !") << "upper angle 0 is not above the lower one";
    EXPECT_FALSE(window->Calc->isEnabled());
    enter(dlg->REdPhiMax, "90");
    EXPECT_EQ(restr()->PhiMax(), 90);
    EXPECT_EQ(dlg->windowTitle(), "Restriktion (absolut) [BG 1]");
}

TEST_F(EditorTest, ARestrictionKeepsOneBoundAtLeast)
{
    show(newRestriction(newMotion(newProject())));
    dlg->CBUpper->click();
    EXPECT_EQ(restr()->UpperMode(), -1);
    EXPECT_FALSE(dlg->CBLower->isEnabled());
    EXPECT_FALSE(dlg->REdUpper->isEnabled());
}

TEST_F(EditorTest, SpectrumPageStoresItsFormsAndUndoesThem)
{
    TreeItem* motion = newMotion(newProject());
    motion->NodeAs<TRXHeader>()->Harmonics() = 6;
    select(motion);
    show(NewSpectrumRestrictionCommand(ws()));
    EXPECT_EQ(dlg->windowTitle(), "Restriktion (Spektrum) [BG 1]");
    dlg->RBSingle->click();
    EXPECT_EQ(restr()->Kind(), 24);
    EXPECT_EQ(dlg->SEdK->maximum(), 6) << "k goes up to K of the motion";
    enter(dlg->REdC, "2000000");
    EXPECT_EQ(restr()->SpectrumBound(), 1000000) << "clamped to the field's limit";
    dlg->BtUndoHarm->click();
    EXPECT_EQ(restr()->Kind(), 20);
    EXPECT_EQ(restr()->SpectrumBound(), 0);
    EXPECT_FALSE(dlg->BtUndoHarm->isEnabled());
}

TEST_F(EditorTest, EditThenUndoLeavesModifiedAsItWas)
{
    TreeItem* r = newRestriction(newMotion(newProject()));
    ws().tree.ForEach([](TreeItem* i) { i->Node()->Modified = false; });
    auto* motion = r->Parent()->NodeAs<TRXHeader>();
    motion->HasResult = motion->ResultValid = true;
    show(r);
    EXPECT_FALSE(dlg->BtUndoBG->isEnabled());
    enter(dlg->REdLower, "-1,5");
    EXPECT_EQ(restr()->Lower(), -1.5);
    EXPECT_TRUE(restr()->Modified);
    EXPECT_TRUE(dlg->BtUndoBG->isEnabled());
    EXPECT_FALSE(reports.rebuilt.empty()) << "the report follows the change";

    EXPECT_FALSE(motion->ResultValid);
    dlg->BtUndoBG->click();
    EXPECT_EQ(restr()->Lower(), 0);
    EXPECT_FALSE(restr()->Modified);
    EXPECT_TRUE(motion->ResultValid) << "the result fits the restored restriction again";
    EXPECT_FALSE(dlg->BtUndoBG->isEnabled());
}

TEST_F(EditorTest, TextThatIsNoNumberChangesNothing)
{
    int beeps = 0;
    TRealEdit::setBeeper([&] { ++beeps; });
    TreeItem* r = newRestriction(newMotion(newProject()));
    show(r);
    dlg->REdLower->setText(QStringLiteral("abc"));
    pressKey(dlg->REdLower, Qt::Key_Return);
    dlg->commitFocusedField();
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(restr()->Lower(), 0);
    EXPECT_EQ(dlg->REdLower->text(), "abc") << "the text stays for the user to correct";
    TRealEdit::setBeeper(nullptr);
}

TEST_F(EditorTest, LeavingTheWindowOrAKeyOfTheMainWindowKeepsAHalfTypedValue)
{
    // The editor is a tool window of the main window: the main window's keys
    // work while it is active, and a value being typed is stored first.
    for (const bool byKey : {false, true}) {
        SCOPED_TRACE(byKey ? "Ctrl+N" : "main window activated");
        show(newRestriction(newMotion(newProject())));
        TRestr* typedInto = restr();
        window->show();
        dlg->show();
        dlg->activateWindow();
        QApplication::processEvents();
        dlg->REdUpper->setFocus();
        ASSERT_TRUE(dlg->REdUpper->hasFocus());
        dlg->REdUpper->setText(QStringLiteral("7"));
        const int projects = ws().tree.TopLevelCount();
        if (byKey) {
            QTest::keyClick(dlg->REdUpper, Qt::Key_N, Qt::ControlModifier);
            EXPECT_EQ(ws().tree.TopLevelCount(), projects + 1) << "Ctrl+N made a new project";
        } else {
            window->activateWindow();
            QApplication::processEvents();
            ASSERT_FALSE(dlg->isActiveWindow());
        }
        EXPECT_EQ(typedInto->Upper(), 7);
    }
}

TEST_F(EditorTest, AMemberOfAnOptimisationObjectIsEditedAsItsRestriction)
{
    TreeItem* motion = newMotion(newProject());
    TreeItem* project = ProjectOf(motion);
    TreeItem* first = motion->Child(0);
    show(first);
    dlg->CBShift->click(); // no object yet: object 1, without asking
    EXPECT_EQ(chooser.asked, 0);
    EXPECT_TRUE(restr()->IsGlobal);
    EXPECT_EQ(restr()->GroupNo(), 1);
    EXPECT_TRUE(dlg->REdShift1->isEnabled());
    TreeItem* member = memberOf(ws(), first);
    ASSERT_NE(member, nullptr);

    select(member);
    EXPECT_EQ(dlg->TreeNode(), first);
    EXPECT_EQ(dlg->activePage(), EditorPage::BG);
    EXPECT_TRUE(dlg->CBShift->isChecked());

    TreeItem* second = newRestriction(motion);
    show(second);
    chooser.answers = {std::nullopt};
    dlg->CBShift->click();
    EXPECT_EQ(chooser.asked, 1);
    EXPECT_FALSE(dlg->CBShift->isChecked());
    EXPECT_FALSE(restr()->IsGlobal);
    EXPECT_EQ(groupCount(project), 1);
}

TEST_F(EditorTest, UndoAfterLinkingRemovesTheMember)
{
    TreeItem* motion = newMotion(newProject());
    TreeItem* project = ProjectOf(motion);
    TreeItem* r = motion->Child(0);
    show(r);
    dlg->CBShift->click();
    ASSERT_NE(memberOf(ws(), r), nullptr);
    dlg->BtUndoBG->click();
    EXPECT_EQ(memberOf(ws(), r), nullptr);
    EXPECT_EQ(groupCount(project), 0);
    EXPECT_FALSE(restr()->IsGlobal);
    EXPECT_FALSE(dlg->CBShift->isChecked());
}

TEST_F(EditorTest, TheSelectionDialogOffersANewObjectAndTheExistingOnes)
{
    TDlgSelOpt selection(ws().tree, window.get());
    EXPECT_FALSE(selection.fillList()) << "nothing selected";
    TreeItem* motion = newMotion(newProject());
    select(motion->Child(0));
    ASSERT_TRUE(selection.fillList());
    ASSERT_EQ(selection.ListBox1->count(), 1);
    EXPECT_EQ(selection.ListBox1->item(0)->text(), "neues Optimierungsobjekt");
    show(motion->Child(0));
    dlg->CBShift->click();
    ASSERT_TRUE(selection.fillList());
    ASSERT_EQ(selection.ListBox1->count(), 2);
    EXPECT_EQ(selection.ListBox1->item(1)->text(), "Optimierungsobjekt 1");
    EXPECT_EQ(selection.ListBox1->currentRow(), 0);
}

} // namespace
} // namespace vemra::test

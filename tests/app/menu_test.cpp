// The main menu: its entries as the user sees them, and which of them the
// selected tree item makes available.
#include "app_fixture.h"

#include "menu_state.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace vemra::test {
namespace {

using MenuTest = MainWindowTest;

TEST_F(MenuTest, EntriesCarryTheirCaptionsShortcutsAndStartState)
{
    struct Entry {
        QAction* action;
        const char* name;
        const char* caption;
        QKeySequence shortcut;
    };
    TDlgMain& w = *window;
    const Entry entries[] = {
        {w.ffnen1, "ffnen1", "Projekt ö&ffnen...", {}},
        {w.Save, "Save", "Projekt &sichern", {}},
        {w.SaveAs, "SaveAs", "Projekt sichern &unter...", {}},
        {w.CloseProj, "CloseProj", "Projekt sch&ließen", {}},
        {w.Bewegungimportieren1, "Bewegungimportieren1", "&Import...", {}},
        {w.MkTable, "MkTable", "&Wertetabelle...", {}},
        {w.PConfig, "PConfig", "&Drucker einrichten...", {}},
        {w.Beenden1, "Beenden1", "&Beenden", {}},
        {w.MKProjekt, "MKProjekt", "&Projekt", {}},
        {w.MKHSHeader, "MKHSHeader", "&Bewegungsvorgabe (abs)", {}},
        {w.MKRestabs, "MKRestabs", "Restriktion (&absolut)", {}},
        {w.MKRestSpek, "MKRestSpek", "Restriktion (&Spektrum)", {}},
        {w.MKRestrel, "MKRestrel", "Restriktion (&relativ)", {}},
        {w.Editor, "Editor", "&Editieren", QKeySequence(Qt::CTRL | Qt::Key_E)},
        {w.Delete, "Delete", "&Löschen", QKeySequence(Qt::CTRL | Qt::Key_Delete)},
        {w.Calc, "Calc", "&Berechnen", QKeySequence(Qt::CTRL | Qt::Key_B)},
        {w.BatchCalc, "BatchCalc", "&alle Berechnen", {}},
        {w.StopCalc, "StopCalc", "Berechnung &abbrechen", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {w.DelConfirm, "DelConfirm", "&Löschen mit Bestätigung", {}},
        {w.ShowEditor, "ShowEditor", "&Editor immer anzeigen", {}},
        {w.lowPC, "lowPC", "&geringe Priorität", {}},
        {w.normPC, "normPC", "&normale Priorität", {}},
        {w.highPC, "highPC", "&hohe Priorität", {}},
        {w.externC, "externC", "&extern ...", {}},
        {w.Table, "Table", "&Wertetabelle...", {}},
        {w.Grafik1, "Grafik1", "&Grafik...", {}},
        {w.GrfEx, "GrfEx", "Bitmap-&Export...", {}},
        {w.NewDiag, "NewDiag", "&Diagramm", QKeySequence(Qt::CTRL | Qt::Key_D)},
        {w.NewRep, "NewRep", "&Report", QKeySequence(Qt::CTRL | Qt::Key_R)},
        {w.ShowHelp, "ShowHelp", "&Hilfethemen", {}},
        {w.Info1, "Info1", "In&fo...", {}},
    };
    for (const Entry& e : entries) {
        SCOPED_TRACE(e.name);
        ASSERT_NE(e.action, nullptr);
        EXPECT_EQ(e.action->objectName().toStdString(), e.name);
        EXPECT_EQ(e.action->text().toStdString(), e.caption);
        EXPECT_EQ(e.action->shortcut(), e.shortcut);
    }

    QStringList menus;
    for (QAction* a : w.menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, (QStringList{"&Datei", "&Bearbeiten", "&Optionen", "&Fenster", "&Hilfe"}));
    EXPECT_EQ(w.NewObj->title(), "&Neu");
    EXPECT_EQ(w.Liste1->title(), "&Projektliste");
    EXPECT_EQ(w.CalcMod->title(), "&Berechnungsmodul");

    // Before the window is shown, only the entries disabled at design time.
    for (QAction* a : {w.MKRestabs, w.MKRestSpek, w.MKRestrel, w.Editor, w.Delete, w.Calc, w.StopCalc, w.NewRep})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    for (QAction* a : {w.ffnen1, w.MKProjekt, w.MKHSHeader, w.Save, w.NewDiag, w.ShowHelp})
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();

    // Showing the window applies the rules for "nothing selected".
    w.show();
    for (QAction* a : {w.Save, w.SaveAs, w.CloseProj, w.Calc, w.BatchCalc, w.MKHSHeader, w.MKRestabs, w.MKRestSpek,
                       w.MKRestrel, w.Delete, w.NewRep, w.NewDiag, w.Editor, w.MkTable})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_TRUE(w.MKProjekt->isEnabled());
    EXPECT_FALSE(w.StopCalc->isEnabled());
}

TEST_F(MenuTest, PriorityItemsFormOneRadioGroup)
{
    TDlgMain& w = *window;
    EXPECT_TRUE(w.normPC->isChecked());
    w.highPC->trigger();
    EXPECT_TRUE(w.highPC->isChecked());
    EXPECT_FALSE(w.normPC->isChecked());
    EXPECT_EQ(w.priority(), PriorityClass::High);
    w.lowPC->trigger();
    EXPECT_EQ(w.priority(), PriorityClass::Low);
    EXPECT_FALSE(w.highPC->isChecked());
}

TEST_F(MenuTest, ExternIsCheckedOnlyWhenTheRemoteSettingsAreConfirmed)
{
    TDlgMain& w = *window;
    w.highPC->trigger();
    remoteSettings.accept = false;
    w.externC->trigger();
    EXPECT_EQ(remoteSettings.shown, 1);
    EXPECT_TRUE(w.highPC->isChecked());
    EXPECT_FALSE(w.externC->isChecked());

    remoteSettings.accept = true;
    w.externC->trigger();
    EXPECT_TRUE(w.externC->isChecked());
    EXPECT_EQ(w.priority(), PriorityClass::Extern);
}

TEST_F(MenuTest, ItemDependentEntriesFollowTheSelection)
{
    TDlgMain& w = *window;
    w.show();
    TreeItem* project = newProject();

    // A new project: no file, no children.
    EXPECT_FALSE(w.Save->isEnabled());
    for (QAction* a : {w.SaveAs, w.CloseProj, w.MKHSHeader, w.NewRep, w.NewDiag, w.Editor, w.Delete})
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    for (QAction* a : {w.Calc, w.BatchCalc, w.MKRestabs, w.MKRestSpek, w.MKRestrel, w.MkTable})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();

    // The save command writes only files with the exact project extension.
    project->NodeAs<TProject>()->FileName = tempFile("a.r4p");
    w.UpdateMenus(project);
    EXPECT_TRUE(w.Save->isEnabled());
    project->NodeAs<TProject>()->FileName = tempFile("a.R4P");
    w.UpdateMenus(project);
    EXPECT_FALSE(w.Save->isEnabled());

    // Two motions: a motion, its restriction, the relative motion between them.
    TreeItem* motion1 = newMotion(project);
    newMotion(project);
    TreeItem* restriction = motion1->FirstChild();
    TreeItem* relative = nullptr;
    for (int i = 0; i < project->ChildCount(); ++i)
        if (project->Child(i)->NodeAs<TRelHeader>())
            relative = project->Child(i);
    ASSERT_NE(relative, nullptr);

    select(motion1);
    EXPECT_TRUE(w.MKRestabs->isEnabled());
    EXPECT_TRUE(w.MKRestSpek->isEnabled());
    EXPECT_FALSE(w.MKRestrel->isEnabled());
    EXPECT_TRUE(w.Delete->isEnabled());
    EXPECT_TRUE(w.Calc->isEnabled());
    EXPECT_TRUE(w.BatchCalc->isEnabled());

    select(restriction);
    EXPECT_TRUE(w.MKRestabs->isEnabled());
    EXPECT_TRUE(w.MKRestSpek->isEnabled());
    EXPECT_FALSE(w.MkTable->isEnabled()) << "the motion above has no current result";

    select(relative);
    EXPECT_FALSE(w.Delete->isEnabled());
    EXPECT_TRUE(w.MKRestrel->isEnabled());
    EXPECT_FALSE(w.MKRestabs->isEnabled());
    EXPECT_FALSE(w.MKRestSpek->isEnabled());

    select(NewRelRestrictionCommand(ws()));
    EXPECT_TRUE(w.MKRestrel->isEnabled()) << "a restriction below a relative motion";
    EXPECT_TRUE(w.Delete->isEnabled());
}

TEST_F(MenuTest, ValueTableNeedsACurrentResult)
{
    TDlgMain& w = *window;
    TreeItem* project = newProject();
    TreeItem* motion = newMotion(project);
    TreeItem* restriction = motion->FirstChild();
    auto* m = motion->NodeAs<TPaintObj>();

    m->HasResult = true;
    m->ResultValid = false;
    w.UpdateMenus(restriction);
    EXPECT_FALSE(w.MkTable->isEnabled());

    m->ResultValid = true;
    w.UpdateMenus(restriction);
    EXPECT_TRUE(w.MkTable->isEnabled());
    w.UpdateMenus(motion);
    EXPECT_TRUE(w.MkTable->isEnabled());
    w.UpdateMenus(project);
    EXPECT_FALSE(w.MkTable->isEnabled()) << "a project has no motion of its own";

    m->HasResult = false;
    w.UpdateMenus(motion);
    EXPECT_FALSE(w.MkTable->isEnabled());
}

TEST_F(MenuTest, ComputationIsOfferedOnlyForACompleteValidProjectWhileNothingRuns)
{
    TDlgMain& w = *window;
    TreeItem* project = newProject();
    TreeItem* motion = newMotion(project);
    w.UpdateMenus(project);
    EXPECT_TRUE(w.Calc->isEnabled());

    motion->FirstChild()->Node()->Valid = false;
    w.UpdateMenus(project);
    EXPECT_FALSE(w.Calc->isEnabled());
    EXPECT_FALSE(w.BatchCalc->isEnabled());
    motion->FirstChild()->Node()->Valid = true;

    ws().Calculating = true;
    w.UpdateMenus(project);
    EXPECT_FALSE(w.Calc->isEnabled());
    ws().Calculating = false;

    // The pure rule agrees with what the window shows.
    EXPECT_EQ(menuStateFor(ws(), nullptr), MenuState{});
    EXPECT_TRUE(menuStateFor(ws(), motion).Calc);
}

TEST_F(MenuTest, CommandsReachTheModelAndTheWindows)
{
    TDlgMain& w = *window;
    w.MKProjekt->trigger();
    ASSERT_EQ(ws().tree.TopLevelCount(), 1);
    TreeItem* project = ws().tree.TopLevel(0);
    EXPECT_EQ(ws().tree.Selected(), project);
    EXPECT_EQ(editor.object, project);

    w.MKHSHeader->trigger();
    ASSERT_EQ(project->ChildCount(), 1);
    EXPECT_EQ(ws().tree.Selected(), project->Child(0)->FirstChild()) << "a new motion starts with a restriction";

    w.NewDiag->trigger();
    ASSERT_EQ(diagrams.opened.size(), 1u);
    EXPECT_EQ(diagrams.opened[0], ws().tree.Selected());
    w.NewRep->setEnabled(true);
    w.NewRep->trigger();
    ASSERT_EQ(reports.shown.size(), 1u);
    EXPECT_EQ(reports.shown[0], project);

    editor.shown = false;
    w.Editor->trigger();
    EXPECT_TRUE(editor.shown);
    EXPECT_EQ(editor.frontCount, 1);

    // Deleting the only restriction takes its motion with it.
    w.DelConfirm->setChecked(true);
    dialogs.answerYes();
    w.Delete->trigger();
    EXPECT_EQ(project->ChildCount(), 0);
    EXPECT_EQ(dialogs.messages.size(), 1u) << "the confirmation follows the check mark";
}

} // namespace
} // namespace vemra::test

// The main menu: its entries as the user sees them, and which of them the
// selected tree item makes available.
#include "app_fixture.h"

#include "help/help_window.h"
#include "menu_state.h"

#include "platform/qt/help_browser.h"

#include "commands/tree_commands.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QMenu>
#include <QMenuBar>

#include <map>

namespace vemra::test {
namespace {

using MenuTest = MainWindowTest;

TEST_F(MenuTest, MenuBarAndStartState)
{
    TDlgMain& w = *window;
    QStringList menus;
    for (QAction* a : w.menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, (QStringList{"&Datei", "&Bearbeiten", "&Optionen", "&Fenster", "&Hilfe"}));

    // Showing the window applies the rules for "nothing selected": only what
    // needs no project is offered.
    w.show();
    for (QAction* a : {w.Save, w.SaveAs, w.CloseProj, w.Calc, w.BatchCalc, w.MKHSHeader, w.MKRestabs, w.MKRestSpek,
                       w.MKRestrel, w.Delete, w.NewRep, w.NewDiag, w.Editor, w.MkTable, w.StopCalc})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    for (QAction* a : {w.ffnen1, w.MKProjekt, w.ShowHelp})
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
}

TEST_F(MenuTest, PriorityItemsFormOneRadioGroupExternOnlyWithRemoteSettings)
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

    // "extern" is checked only when the remote settings are confirmed.
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
    TreeItem* motion1 = newMotion(project);
    newMotion(project);
    TreeItem* restriction = motion1->FirstChild();
    TreeItem* relative = child<TRelHeader>(project);
    ASSERT_NE(relative, nullptr);
    select(relative);
    TreeItem* relRestriction = NewRelRestrictionCommand(ws());

    struct Row {
        const char* what;
        TreeItem* item;
        std::vector<QAction*> enabled;
        std::vector<QAction*> disabled;
    };
    const Row rows[] = {
        {"project", project, {w.SaveAs, w.CloseProj, w.MKHSHeader, w.NewRep, w.NewDiag, w.Editor, w.Delete, w.Calc},
         {w.Save, w.MKRestabs, w.MKRestSpek, w.MKRestrel, w.MkTable}},
        {"motion", motion1, {w.MKRestabs, w.MKRestSpek, w.Delete, w.Calc, w.BatchCalc}, {w.MKRestrel}},
        {"restriction without a current result", restriction, {w.MKRestabs, w.MKRestSpek}, {w.MkTable, w.MKRestrel}},
        {"relative motion", relative, {w.MKRestrel}, {w.Delete, w.MKRestabs, w.MKRestSpek}},
        {"relative restriction", relRestriction, {w.MKRestrel, w.Delete}, {w.MKRestabs}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        select(row.item);
        for (QAction* a : row.enabled)
            EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
        for (QAction* a : row.disabled)
            EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    }

    // The save command writes only files with the exact project extension.
    for (const auto& [name, saveable] : {std::pair{"a.r4p", true}, std::pair{"a.R4P", false}}) {
        project->NodeAs<TProject>()->FileName = tempFile(name);
        w.UpdateMenus(project);
        EXPECT_EQ(w.Save->isEnabled(), saveable) << name;
    }
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

TEST_F(MenuTest, KeysOfTheCommonCommands)
{
    TDlgMain& w = *window;
    // No key may belong to two commands: Qt would then run neither.
    std::map<QString, QString> owners;
    for (QAction* a : w.findChildren<QAction*>())
        if (!a->shortcut().isEmpty()) {
            const QString key = a->shortcut().toString();
            EXPECT_FALSE(owners.count(key)) << key.toStdString() << ": " << owners[key].toStdString() << " and "
                                            << a->objectName().toStdString();
            owners[key] = a->objectName();
        }

    w.show();
    w.activateWindow();
    QApplication::processEvents();
    ASSERT_TRUE(w.isActiveWindow());

    // Ctrl+N: a new project.
    QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(ws().tree.TopLevelCount(), 1);

    // Ctrl+S: the project is saved under its name.
    const std::string file = tempFile("neu.r4p");
    dialogs.chooseFileResult(file);
    w.SaveAs->trigger();
    auto* project = ws().tree.TopLevel(0)->NodeAs<TProject>();
    ASSERT_FALSE(project->Unsaved);
    QFile::remove(QString::fromStdString(file));
    project->Unsaved = true;
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(project->Unsaved);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(file)));

    // Ctrl+O: the open dialog.
    dialogs.chooseFileResult(std::nullopt);
    const auto asked = dialogs.fileRequests.size();
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(dialogs.fileRequests.size(), asked + 1);
    EXPECT_TRUE(dialogs.fileRequests.back().mustExist);

    // F1: the help, here in the program's own window (no browser).
    window->setHelpBrowser(std::make_unique<HelpBrowser>(QStringList{QString::fromStdString(tempFile("fehlt"))}, false));
    QTest::keyClick(&w, Qt::Key_F1);
    ASSERT_NE(w.helpWindow(), nullptr);
    EXPECT_TRUE(w.helpWindow()->isVisible());
}

} // namespace
} // namespace vemra::test

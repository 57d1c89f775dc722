// What the main window keeps between runs: the settings store with its
// registry semantics, the window's values written at shutdown and read at
// the next start, and the list of recently used files.
#include "app_fixture.h"

#include "main_settings.h"
#include "recent_files.h"

#include "commands/file_commands.h"
#include "formats/project_file.h"
#include "platform/qt/settings_store.h"

#include <QAction>
#include <QMenu>

namespace vemra::test {
namespace {

QString name(int i)
{
    return QStringLiteral("/projekte/p%1.r4p").arg(i);
}

// --- the store --------------------------------------------------------------------

using SettingsStoreTest = NoSettingsTest;

TEST_F(SettingsStoreTest, MissingOrForeignValuesReadAsAbsent)
{
    SettingsStore store;
    EXPECT_FALSE(store.keyExists("Files"));
    EXPECT_FALSE(store.readInteger("Files", "LastFType"));
    EXPECT_FALSE(store.readString("Files", "LastR4PPath"));

    store.writeString("Options", "PriorityClass", "hoch");
    store.writeInteger("Options", "Big", 7);
    store.writeString("Options", "Huge", "99999999999");
    store.writeBinary("Options", "Blob", QByteArray("\x01\x02", 2));
    EXPECT_TRUE(store.keyExists("Options"));
    EXPECT_FALSE(store.readInteger("Options", "PriorityClass")) << "text is not a number";
    EXPECT_FALSE(store.readInteger("Options", "Huge")) << "beyond 32 bits";
    EXPECT_EQ(store.readInteger("Options", "Big"), 7);
    EXPECT_FALSE(store.readString("Options", "Blob")) << "binary is not a string";
    EXPECT_FALSE(store.readBinary("Options", "Big"));
    EXPECT_EQ(store.readBinary("Options", "Blob"), QByteArray("\x01\x02", 2));
}

TEST_F(SettingsStoreTest, ValuesSurviveANewStoreAndKeepTheKeyPath)
{
    {
        SettingsStore store;
        store.writeBool("Options", "DelConfirm", true);
        store.writeString("Files", "LastR4PPath", "/home/u/Projekte, alt/");
        ASSERT_TRUE(store.flush());
        EXPECT_TRUE(store.location().endsWith("Norwald/Zembo.ini")) << store.location().toStdString();
    }
    SettingsStore store;
    EXPECT_EQ(store.readBool("Options", "DelConfirm"), true);
    EXPECT_EQ(store.readInteger("Options", "DelConfirm"), 1) << "booleans are the integers 0 and 1";
    EXPECT_EQ(store.readString("Files", "LastR4PPath"), QString("/home/u/Projekte, alt/"));
    EXPECT_EQ(store.valueNames("Options"), QStringList{"DelConfirm"});

    // The other sub-keys of the product live beside these without mixing.
    SettingsStore other(QStringLiteral("SOFTWARE\\Norwald\\Zembo\\V1209\\"));
    EXPECT_FALSE(other.keyExists("Options"));
}

TEST_F(SettingsStoreTest, PositionBlockIsLittleEndian)
{
    const int32_t ltwh[4] = {254, -3, 301, 0x01020304};
    const QByteArray block = packInt32Block(ltwh);
    ASSERT_EQ(block.size(), 16);
    EXPECT_EQ(block.left(4), QByteArray("\xFE\x00\x00\x00", 4));
    EXPECT_EQ(block.mid(4, 4), QByteArray("\xFD\xFF\xFF\xFF", 4));
    EXPECT_EQ(block.mid(12, 4), QByteArray("\x04\x03\x02\x01", 4));
    int32_t back[4];
    ASSERT_TRUE(unpackInt32Block(block, back));
    EXPECT_EQ(std::vector<int32_t>(back, back + 4), std::vector<int32_t>(ltwh, ltwh + 4));
    EXPECT_FALSE(unpackInt32Block(block.left(15), back));
}

// --- the main window's values -----------------------------------------------------

using StartupTest = MainWindowTest;

TEST_F(StartupTest, FirstStartUsesTheDefaultsAndShutdownWritesEverything)
{
    TDlgMain& w = *window;
    EXPECT_EQ(w.pos(), QPoint(254, 204));
    EXPECT_EQ(w.size(), QSize(301, 472));
    EXPECT_TRUE(w.normPC->isChecked());
    for (QAction* a : {w.lowPC, w.highPC, w.externC, w.DelConfirm, w.ShowEditor})
        EXPECT_FALSE(a->isChecked()) << a->objectName().toStdString();
    EXPECT_TRUE(w.recentActions().isEmpty());
    EXPECT_EQ(w.LastFType, 1);
    EXPECT_TRUE(ws().LastR4PPath.empty());
    EXPECT_FALSE(ws().DelConfirm);

    destroyWindow();
    SettingsStore store;
    ASSERT_TRUE(store.keyExists("Files"));
    ASSERT_TRUE(store.keyExists("Options"));
    for (const char* v : {"HomePath", "LastR4PPath", "LastImportPath", "LastFType"})
        EXPECT_TRUE(store.valueNames("Files").contains(v)) << v;
    EXPECT_TRUE(store.readString("Files", "HomePath")->endsWith('/'));
    EXPECT_EQ(store.readInteger("Options", "PriorityClass"), 2);
    EXPECT_EQ(store.readBool("Options", "DelConfirm"), false);
    EXPECT_EQ(store.readBool("Options", "ShowEditor"), false);
    const auto position = store.readBinary("Options", "Position");
    ASSERT_TRUE(position);
    int32_t ltwh[4];
    ASSERT_TRUE(unpackInt32Block(*position, ltwh));
    EXPECT_EQ(ltwh[0], 254);
    EXPECT_EQ(ltwh[1], 204);
    EXPECT_EQ(ltwh[3], 472);
}

TEST_F(StartupTest, ValuesWrittenAtShutdownComeBackAtTheNextStart)
{
    TDlgMain& w = *window;
    w.DelConfirm->setChecked(true);
    w.ShowEditor->setChecked(true);
    w.highPC->trigger();
    w.move(120, 80);
    w.resize(333, 500);
    w.LastImportPath = "/importe/";
    w.LastFType = 3;
    ws().LastR4PPath = "/projekte/";
    w.addRecentFile("/projekte/a.r4p");
    w.addRecentFile("/projekte/b.r4p");
    destroyWindow();

    createWindow();
    TDlgMain& again = *window;
    EXPECT_TRUE(again.DelConfirm->isChecked());
    EXPECT_TRUE(ws().DelConfirm) << "the delete command sees the check mark";
    EXPECT_TRUE(again.ShowEditor->isChecked());
    EXPECT_TRUE(again.highPC->isChecked());
    EXPECT_FALSE(again.normPC->isChecked());
    EXPECT_EQ(again.pos(), QPoint(120, 80));
    EXPECT_EQ(again.size(), QSize(333, 500));
    EXPECT_EQ(again.LastImportPath, "/importe/");
    EXPECT_EQ(again.LastFType, 3);
    EXPECT_EQ(ws().LastR4PPath, "/projekte/");
    ASSERT_EQ(again.recentActions().size(), 2);
    EXPECT_EQ(again.recentActions()[0]->data().toString(), "/projekte/a.r4p");
    EXPECT_EQ(again.recentActions()[1]->data().toString(), "/projekte/b.r4p");
}

TEST_F(StartupTest, UnusableValuesLeaveTheDefaults)
{
    destroyWindow();
    {
        SettingsStore store;
        store.writeInteger("Files", "LastFType", 7);
        store.writeInteger("Options", "PriorityClass", 9);
        store.writeBinary("Options", "Position", QByteArray(12, '\x01'));
        store.writeString("Options", "DelConfirm", "ja");
        store.writeString("Files", "File_1", "/a.r4p");
        store.writeString("Files", "File_2", "");
        store.writeString("Files", "File_3", "/c.r4p");
    }
    createWindow();
    EXPECT_EQ(window->LastFType, 1);
    EXPECT_TRUE(window->normPC->isChecked());
    EXPECT_EQ(window->pos(), QPoint(254, 204));
    EXPECT_FALSE(window->DelConfirm->isChecked());
    // The list ends at the first empty entry.
    ASSERT_EQ(window->recentActions().size(), 1);
    EXPECT_EQ(window->recentActions()[0]->data().toString(), "/a.r4p");
}

TEST_F(StartupTest, EachPriorityClassSelectsItsItem)
{
    const std::pair<int, QAction* TDlgMain::*> cases[] = {
        {1, &TDlgMain::lowPC}, {2, &TDlgMain::normPC}, {3, &TDlgMain::highPC}, {4, &TDlgMain::externC}, {0, &TDlgMain::normPC}};
    for (const auto& [value, item] : cases) {
        destroyWindow();
        SettingsStore().writeInteger("Options", "PriorityClass", value);
        createWindow();
        EXPECT_TRUE(((*window).*item)->isChecked()) << value;
    }
}

TEST_F(StartupTest, ProjectsNamedOnTheCommandLineAreOpened)
{
    // A project file to open, written by the program itself.
    TreeItem* project = newProject();
    newMotion(project);
    const std::string file = tempFile("start.r4p");
    ASSERT_FALSE(writeProjectFile(project, file));
    project->NodeAs<TProject>()->Unsaved = false;
    select(project);
    window->CloseProj->trigger();
    ASSERT_EQ(ws().tree.TopLevelCount(), 0);

    window->openFiles({QString::fromStdString(file), QString::fromStdString(tempFile("notiz.txt"))});
    ASSERT_EQ(ws().tree.TopLevelCount(), 1);
    EXPECT_EQ(ws().tree.TopLevel(0)->NodeAs<TProject>()->FileName, file);
    EXPECT_EQ(ws().tree.Selected(), ws().tree.TopLevel(0));
    // A name that is no project file (and does not exist) is reported, not opened.
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.last().kind, DialogKind::Error);
}

// --- recent files -----------------------------------------------------------------

TEST(RecentFilesTest, KeepsSixDistinctNamesOldestFirst)
{
    RecentFiles recent;
    for (int i = 1; i <= 6; ++i)
        EXPECT_TRUE(recent.add(name(i)));
    EXPECT_TRUE(recent.add(name(7)));
    EXPECT_EQ(recent.files(), (QStringList{name(2), name(3), name(4), name(5), name(6), name(7)}));

    // Case does not make a new file, and a listed one keeps its place.
    EXPECT_FALSE(recent.add(name(3).toUpper()));
    EXPECT_FALSE(recent.add(name(2)));
    EXPECT_FALSE(recent.add(QString()));
    EXPECT_EQ(recent.files().front(), name(2));
    EXPECT_EQ(recent.count(), 6);
}

using RecentMenuTest = MainWindowTest;

TEST_F(RecentMenuTest, SaveAsAddsToTheFileMenu)
{
    TreeItem* project = newProject();
    QStringList saved;
    for (int i = 1; i <= 7; ++i) {
        const std::string file = tempFile("p" + std::to_string(i) + ".r4p");
        saved << QString::fromStdString(file);
        select(project);
        dialogs.chooseFileResult(file);
        window->SaveAs->trigger();
        ASSERT_EQ(window->recentFiles().count(), std::min(i, 6));
    }
    const QList<QAction*> entries = window->recentActions();
    ASSERT_EQ(entries.size(), 6);
    EXPECT_EQ(entries.front()->data().toString(), saved[1]) << "the seventh file drops the oldest";
    EXPECT_EQ(entries.back()->data().toString(), saved[6]);
    EXPECT_EQ(entries.back()->text(), saved[6]);

    // The entries follow a separator at the end of the file menu.
    const QList<QAction*> all = window->FileMenu->actions();
    const qsizetype at = all.indexOf(entries.front());
    ASSERT_GT(at, 0);
    EXPECT_TRUE(all[at - 1]->isSeparator());
    EXPECT_EQ(all[at - 2], window->Beenden1);

    // Saving under a name that differs only in case adds nothing.
    QString upper = saved[4];
    upper.replace("p5.r4p", "P5.r4p");
    dialogs.chooseFileResult(upper.toStdString());
    window->SaveAs->trigger();
    EXPECT_EQ(window->recentActions().size(), 6);
    EXPECT_EQ(window->recentActions().back()->data().toString(), saved[6]);
}

TEST_F(RecentMenuTest, AnEntryOpensItsFileAgainOrReportsItMissing)
{
    TreeItem* project = newProject();
    newMotion(project);
    select(project);
    const std::string file = tempFile("a&b.r4p");
    dialogs.chooseFileResult(file);
    window->SaveAs->trigger();
    ASSERT_EQ(window->recentActions().size(), 1);
    QAction* entry = window->recentActions().front();
    EXPECT_EQ(entry->text(), QString::fromStdString(tempFile("a&&b.r4p"))) << "no access key from the name";

    entry->trigger();
    ASSERT_EQ(ws().tree.TopLevelCount(), 2);
    TreeItem* opened = ws().tree.Selected();
    ASSERT_NE(opened, nullptr);
    EXPECT_NE(opened, project);
    EXPECT_EQ(opened->NodeAs<TProject>()->FileName, file);
    EXPECT_EQ(opened->ChildCount(), project->ChildCount());
    EXPECT_EQ(window->recentActions().front(), entry) << "opening does not move the entry";

    // A file gone since is reported, and nothing is opened.
    window->addRecentFile(tempFile("weg.r4p"));
    window->recentActions().back()->trigger();
    EXPECT_EQ(ws().tree.TopLevelCount(), 2);
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.last().text, "Fehler beim Lesen der Datei\r" + tempFile("weg.r4p"));
}

} // namespace
} // namespace vemra::test

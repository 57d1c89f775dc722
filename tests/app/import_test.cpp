// "&Import...": the dialog starts where the last successful import ended,
// and afterwards the main window shows the new project with its menus.
#include "app_fixture.h"

#include "import/dlg_import.h"

#include "support/test_data.h"

#include <QAction>
#include <QDir>

namespace vemra::test {
namespace {

using ImportWindowTest = MainWindowTest;

TEST_F(ImportWindowTest, DialogStartsWhereTheLastImportEnded)
{
    TDlgMain& w = *window;
    ImportController importer(w);
    changeWindows([&](AppWindows& windows) { windows.importer = &importer; });
    const auto folder = [](const char* name) { return QDir(QString::fromStdString(testDataPath(name).string())); };
    w.LastImportPath = folder("rxe").absolutePath();
    w.LastFType = 2;
    QString answer = QString::fromStdString(testDataPath("rxw/section-order.rxw").string());
    importer.setChooser([&](DlgImport& d) -> std::optional<QString> {
        EXPECT_EQ(d.windowTitle(), "Import");
        EXPECT_EQ(d.nameFilters(), (QStringList{"RX4-Eingabedatei (*.rx4)", "RX-EingabeDatei (*.rxe)",
                                                "RXwin-Eingabedatei (*.rxw)"}));
        EXPECT_EQ(d.selectedNameFilter(), d.nameFilters().at(w.LastFType - 1));
        EXPECT_EQ(d.directory().absolutePath(), QDir(w.LastImportPath).absolutePath());
        EXPECT_EQ(d.fileMode(), QFileDialog::ExistingFile);
        return answer.isEmpty() ? std::nullopt : std::optional<QString>(answer);
    });
    w.show();
    w.Bewegungimportieren1->trigger();

    TreeItem* project = w.workspace().tree.Selected();
    ASSERT_NE(project, nullptr);
    EXPECT_EQ(project->Text(), "section-order.rxw");
    EXPECT_EQ(editor.object, project);
    // Not a project file: saved only under a new name.
    EXPECT_FALSE(w.Save->isEnabled());
    EXPECT_TRUE(w.SaveAs->isEnabled());
    EXPECT_TRUE(w.Calc->isEnabled());
    EXPECT_EQ(w.LastFType, 3);
    EXPECT_EQ(QDir(w.LastImportPath).absolutePath(), folder("rxw").absolutePath());

    // A damaged file keeps folder and type of the last import that worked.
    const std::string broken = tempFile("abgebrochen.rxe");
    QFile f(QString::fromStdString(broken));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(" 5  0  0\r\n");
    f.close();
    answer = QString::fromStdString(broken);
    EXPECT_FALSE(importer.importFile());
    EXPECT_EQ(dialogs.last().text, "Fehler beim Lesen der Datei abgebrochen.rxe.");
    EXPECT_EQ(w.workspace().tree.TopLevelCount(), 1);
    EXPECT_EQ(w.LastFType, 3);
    EXPECT_EQ(QDir(w.LastImportPath).absolutePath(), folder("rxw").absolutePath());
    changeWindows([](AppWindows& windows) { windows.importer = nullptr; });
}

} // namespace
} // namespace vemra::test

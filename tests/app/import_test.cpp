// "&Import...": the dialog starts where the last import ended, and after an
// import the main window shows the new project with the menus it allows.
#include "app_fixture.h"

#include "import/dlg_import.h"

#include "support/test_data.h"

#include <QAction>
#include <QDir>

namespace vemra::test {
namespace {

class ImportWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        importer = std::make_unique<ImportController>(*window);
        AppWindows w = window->windows();
        w.importer = importer.get();
        window->setWindows(w);
    }
    void TearDown() override
    {
        importer.reset();
        MainWindowTest::TearDown();
    }
    static QString sample(const char* name) { return QString::fromStdString(testDataPath(name).string()); }

    std::unique_ptr<ImportController> importer;
};

TEST_F(ImportWindowTest, DialogStartsWhereTheLastImportEnded)
{
    TDlgMain& w = *window;
    w.LastImportPath = QString::fromStdString(testDataPath("rxe").string());
    w.LastFType = 2;
    int shown = 0;
    importer->setChooser([&](DlgImport& d) -> std::optional<QString> {
        ++shown;
        EXPECT_EQ(d.windowTitle(), "Import");
        EXPECT_EQ(d.nameFilters(), (QStringList{"RX4-Eingabedatei (*.rx4)", "RX-EingabeDatei (*.rxe)",
                                                "RXwin-Eingabedatei (*.rxw)"}));
        EXPECT_EQ(d.selectedNameFilter(), "RX-EingabeDatei (*.rxe)");
        EXPECT_EQ(d.directory().absolutePath(), QDir(w.LastImportPath).absolutePath());
        EXPECT_EQ(d.fileMode(), QFileDialog::ExistingFile);
        return sample("rxw/section-order.rxw");
    });
    w.show();
    w.Bewegungimportieren1->trigger();
    EXPECT_EQ(shown, 1);

    TreeItem* project = w.workspace().tree.Selected();
    ASSERT_NE(project, nullptr);
    EXPECT_EQ(project->Text(), "section-order.rxw");
    EXPECT_EQ(editor.object, project);
    // Not a project file: saved only under a new name.
    EXPECT_FALSE(w.Save->isEnabled());
    EXPECT_TRUE(w.SaveAs->isEnabled());
    EXPECT_TRUE(w.Calc->isEnabled());
    EXPECT_EQ(w.LastFType, 3);
    EXPECT_EQ(QDir(w.LastImportPath).absolutePath(), QDir(QString::fromStdString(testDataPath("rxw").string())).absolutePath());

    // Kept across a restart of the program.
    importer.reset();
    destroyWindow();
    createWindow();
    EXPECT_EQ(window->LastFType, 3);
    importer = std::make_unique<ImportController>(*window);
    importer->setChooser([&](DlgImport& d) -> std::optional<QString> {
        EXPECT_EQ(d.selectedNameFilter(), "RXwin-Eingabedatei (*.rxw)");
        return std::nullopt;
    });
    EXPECT_FALSE(importer->importFile());
}

TEST_F(ImportWindowTest, AFailedImportKeepsTheLastFolderAndType)
{
    TDlgMain& w = *window;
    w.LastImportPath = QString::fromStdString(testDataPath("rx4").string());
    w.LastFType = 1;
    const std::string broken = tempFile("abgebrochen.rxe");
    QFile f(QString::fromStdString(broken));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(" 5  0  0\r\n");
    f.close();
    importer->setChooser([&](DlgImport&) { return std::optional<QString>(QString::fromStdString(broken)); });
    EXPECT_FALSE(importer->importFile());
    EXPECT_EQ(dialogs.last().text, "Fehler beim Lesen der Datei abgebrochen.rxe.");
    EXPECT_EQ(w.workspace().tree.TopLevelCount(), 0);
    EXPECT_EQ(w.LastFType, 1);
    EXPECT_EQ(w.LastImportPath, QString::fromStdString(testDataPath("rx4").string()));
}

} // namespace
} // namespace vemra::test

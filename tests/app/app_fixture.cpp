#include "app_fixture.h"

#include "commands/file_commands.h"
#include "platform/qt/settings_store.h"
#include "support/test_data.h"

#include <QDir>
#include <QFile>
#include <QSettings>

namespace vemra::test {

namespace {
QString settingsRoot;
}

void setSettingsRoot(const QString& root)
{
    settingsRoot = root;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, root);
}

void clearSettings()
{
    SettingsStore store;
    const QString file = store.location();
    QSettings(file, QSettings::IniFormat).clear();
    QFile::remove(file);
}

void MainWindowTest::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    clearSettings();
    createWindow();
}

void MainWindowTest::TearDown()
{
    destroyWindow();
    clearSettings();
}

void MainWindowTest::createWindow()
{
    window = std::make_unique<TDlgMain>(dialogs);
    AppWindows w;
    w.editor = &editor;
    w.diagrams = &diagrams;
    w.reports = &reports;
    w.remoteSettings = &remoteSettings;
    window->setWindows(w);
}

void MainWindowTest::destroyWindow()
{
    window.reset();
}

TreeItem* MainWindowTest::newProject()
{
    return NewProjectCommand(ws());
}

TreeItem* MainWindowTest::newMotion(TreeItem* project)
{
    select(project);
    return NewMotionCommand(ws())->Parent();
}

TreeItem* MainWindowTest::select(TreeItem* item)
{
    ws().tree.SetSelected(item);
    return item;
}

TreeItem* MainWindowTest::openExample(const char* name)
{
    TreeItem* project = OpenProjectCommand(ws(), examplePath(name).string());
    EXPECT_NE(project, nullptr) << name;
    return project;
}

std::string MainWindowTest::tempFile(const std::string& name) const
{
    return QDir(dir.path()).filePath(QString::fromStdString(name)).toStdString();
}

} // namespace vemra::test

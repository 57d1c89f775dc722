// Shared set-up of the main-window tests: a temporary settings store,
// recording stand-ins for the windows the main window talks to, and a
// fixture that owns one main window with a scripted user.
#pragma once

#include "app_windows.h"
#include "dlg_main.h"

#include "commands/tree_commands.h"
#include "support/scripted_dialogs.h"
#include "model/tree_ops.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vemra::test {

// Points every SettingsStore of the test process below root.
void setSettingsRoot(const QString& root);
// Removes every stored setting, as on a machine where the program never ran.
void clearSettings();

// The whole file; empty when it cannot be read.
inline QByteArray fileBytes(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
inline QByteArray fileBytes(const std::string& name) { return fileBytes(QString::fromStdString(name)); }

// A test that starts and ends without stored settings.
class NoSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { clearSettings(); }
    void TearDown() override { clearSettings(); }
};

class RecordingEditor : public EditorWindow {
public:
    void SetObject(TreeItem* item) override
    {
        object = item;
        ++setCount;
    }
    void ClearObject() override
    {
        object = nullptr;
        ++clearCount;
    }
    bool isShown() const override { return shown; }
    void showEditor() override { shown = true; }
    void hideEditor() override { shown = false; }
    void bringToFront() override { ++frontCount; }

    TreeItem* object = nullptr;
    bool shown = false;
    int setCount = 0;
    int clearCount = 0;
    int frontCount = 0;
};

class RecordingDiagrams : public DiagramWindows {
public:
    void openFor(TreeItem* item) override { opened.push_back(item); }
    void markDirty(const std::vector<const TPaintObj*>& motions) override
    {
        dirty.insert(dirty.end(), motions.begin(), motions.end());
    }
    void redrawDirty() override
    {
        ++redraws;
        dirty.clear();
    }
    void removeMotion(TPaintObj* motion) override { removed.push_back(motion); }
    void closeFor(TreeItem* project) override { closed.push_back(project); }

    std::vector<TreeItem*> opened;
    std::vector<TreeItem*> closed;
    std::vector<const TPaintObj*> dirty;
    std::vector<const TPaintObj*> removed;
    int redraws = 0;
};

class RecordingReports : public ReportWindows {
public:
    void showFor(TreeItem* project) override { shown.push_back(project); }
    void closeFor(TreeItem* project) override { closed.push_back(project); }
    void rebuildFor(TreeItem* project) override { rebuilt.push_back(project); }

    std::vector<TreeItem*> shown;
    std::vector<TreeItem*> closed;
    std::vector<TreeItem*> rebuilt;
};

class ScriptedOptionsDialog : public OptionsDialog {
public:
    bool execModal() override
    {
        ++shown;
        return accept;
    }
    bool accept = true;
    int shown = 0;
};

// One main window with recording windows around it. Settings start empty.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the window (again) from the current settings.
    void createWindow();
    // Destroys the window, which writes the settings.
    void destroyWindow();

    Workspace& ws() { return window->workspace(); }
    // Changes some of the windows the main window talks to.
    void changeWindows(const std::function<void(AppWindows&)>& change)
    {
        AppWindows w = window->windows();
        change(w);
        window->setWindows(w);
    }
    // Model commands as the menu runs them; each returns the new item.
    TreeItem* newProject();
    TreeItem* newMotion(TreeItem* project);
    TreeItem* select(TreeItem* item);
    // A bundled example, opened as "Projekt ö&ffnen..." opens a file.
    TreeItem* openExample(const char* name);
    // The child of parent whose node is of type T, the n-th of them.
    template <class T> TreeItem* child(TreeItem* parent, int n = 0)
    {
        for (int i = 0; i < parent->ChildCount(); ++i)
            if (parent->Child(i)->NodeAs<T>() && n-- == 0)
                return parent->Child(i);
        return nullptr;
    }
    // A file name in the test's own folder.
    std::string tempFile(const std::string& name) const;

    ScriptedDialogs dialogs;
    RecordingEditor editor;
    RecordingDiagrams diagrams;
    RecordingReports reports;
    ScriptedOptionsDialog remoteSettings;
    std::unique_ptr<TDlgMain> window;
    QTemporaryDir dir;
};

} // namespace vemra::test

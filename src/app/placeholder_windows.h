// Stand-ins for the windows that this version does not have yet: the editor,
// the diagram and report windows, the option dialogs, the selection dialog,
// the import and the remote windows. They keep the places these windows take
// in the program (creation order, the main window's calls) and show only
// their caption and the node they were given; each is replaced by the real
// window when it exists.
#pragma once

#include "app_windows.h"

#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <map>
#include <vector>

class QLabel;

namespace vemra {

class TreeItem;

// The editor ("Eingabe"): a tool window beside the main window.
class PlaceholderEditor : public QWidget, public EditorWindow {
    Q_OBJECT
public:
    explicit PlaceholderEditor(QWidget* mainWindow);

    void SetObject(TreeItem* item) override;
    void ClearObject() override;
    bool isShown() const override { return isVisible(); }
    void showEditor() override { show(); }
    void hideEditor() override { hide(); }
    void bringToFront() override;

    TreeItem* object() const { return object_; }

private:
    QLabel* label_;
    TreeItem* object_ = nullptr;
};

// A modal dialog with its caption and OK / Cancel.
class PlaceholderDialog : public QDialog, public OptionsDialog {
    Q_OBJECT
public:
    PlaceholderDialog(const QString& caption, QWidget* parent);
    bool execModal() override { return exec() == QDialog::Accepted; }
};

class PlaceholderValueTable : public QDialog, public ValueTableWindow {
    Q_OBJECT
public:
    explicit PlaceholderValueTable(QWidget* parent);
    bool execModal() override { return exec() == QDialog::Accepted; }
    // Writes nothing yet.
    void tabulate(TreeItem*) override {}
};

// Report windows, one per project.
class PlaceholderReports : public ReportWindows {
public:
    explicit PlaceholderReports(QWidget* mainWindow) : mainWindow_(mainWindow) {}
    ~PlaceholderReports() override;

    void showFor(TreeItem* project) override;
    void closeFor(TreeItem* project) override;
    void rebuildFor(TreeItem* project) override;

    bool isOpenFor(TreeItem* project) const;

private:
    QWidget* mainWindow_;
    std::map<TreeItem*, QPointer<QWidget>> windows_;
};

// The import of older input files does not exist yet: nothing happens.
class PlaceholderImport : public ImportService {
public:
    bool importFile() override { return false; }
};

// Windows the main window never calls but that exist for the whole run.
class PlaceholderWindow : public QWidget {
    Q_OBJECT
public:
    PlaceholderWindow(const QString& caption, QWidget* parent);
};

} // namespace vemra

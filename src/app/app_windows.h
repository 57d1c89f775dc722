// What the main window needs of the other windows of the program: the
// editor, the diagram windows, the reports and the option dialogs. The main
// window only talks to these interfaces; each window family plugs its own
// implementation in at program start.
#pragma once

#include <vector>

namespace vemra {

class TreeItem;
class TPaintObj;

// The one editor window beside the main window.
class EditorWindow {
public:
    virtual ~EditorWindow() = default;
    // Shows item's node in the editor's fields (no window is shown by this).
    virtual void SetObject(TreeItem* item) = 0;
    virtual void ClearObject() = 0;
    virtual bool isShown() const = 0;
    virtual void showEditor() = 0;
    virtual void hideEditor() = 0;
    virtual void bringToFront() = 0;
    // Stores a value still being typed while the editor is the active
    // window (a shortcut reaches the main window's menu without the editor
    // losing the focus first).
    virtual void commitInput() {}
};

// All diagram windows; they are created on demand, any number of them.
class DiagramWindows {
public:
    virtual ~DiagramWindows() = default;
    // A new diagram window for the selected item.
    virtual void openFor(TreeItem* item) = 0;
    // Marks every window showing one of the motions for repainting.
    virtual void markDirty(const std::vector<const TPaintObj*>& motions) = 0;
    virtual void redrawDirty() = 0;
    // The motion is about to be destroyed.
    virtual void removeMotion(TPaintObj* motion) = 0;
    // The project is about to be closed or deleted: the windows that show
    // nothing but its motions go with it.
    virtual void closeFor(TreeItem* /*project*/) {}
};

// The report windows; at most one per project is shown at a time.
class ReportWindows {
public:
    virtual ~ReportWindows() = default;
    // Brings the report of item's project to the front or opens one.
    virtual void showFor(TreeItem* project) = 0;
    virtual void closeFor(TreeItem* project) = 0;
    virtual void rebuildFor(TreeItem* project) = 0;
};

// A modal dialog that edits options kept by its own window.
class OptionsDialog {
public:
    virtual ~OptionsDialog() = default;
    // Returns true when the user confirmed the dialog.
    virtual bool execModal() = 0;
};

// Diagram options: besides its modal use it keeps a list of all curves.
class DiagramOptionsWindow : public OptionsDialog {
public:
    virtual void refreshList() = 0;
};

// Value tables of a computed motion, and their options.
class ValueTableWindow : public OptionsDialog {
public:
    // Writes a value table of motion item (which has a current result).
    virtual void tabulate(TreeItem* motion) = 0;
};

// Import of input files of the older programs.
class ImportService {
public:
    virtual ~ImportService() = default;
    // Lets the user choose a file and imports it; false when nothing happened.
    virtual bool importFile() = 0;
};

// The windows the main window works with. All pointers are set at program
// start; none is owned here.
struct AppWindows {
    EditorWindow* editor = nullptr;
    DiagramWindows* diagrams = nullptr;
    ReportWindows* reports = nullptr;
    OptionsDialog* diagramDefaults = nullptr;
    OptionsDialog* pictureExportOptions = nullptr;
    OptionsDialog* about = nullptr;
    DiagramOptionsWindow* diagramOptions = nullptr;
    ValueTableWindow* valueTable = nullptr;
    OptionsDialog* remoteSettings = nullptr;
    ImportService* importer = nullptr;
};

} // namespace vemra

// The state that the tree commands share with the main window: the tree of
// open projects, the re-entry flags, the user dialogs and the hooks through
// which the model asks windows that live above it to follow a change.
#pragma once

#include "project_tree.h"
#include "user_dialogs.h"

#include <string>

namespace vemra {

// What the model asks of the windows. Every hook does nothing by default, so
// the core runs headless and a window implements only what it shows.
class WorkspaceHooks {
public:
    virtual ~WorkspaceHooks() = default;
    virtual void showInEditor(TreeItem* /*item*/) {}
    virtual void refreshDiagramOptionsList() {}
    // A motion definition is about to be destroyed: drop it from every
    // diagram window.
    virtual void removeFromDiagrams(TPaintObj* /*motion*/) {}
    virtual void closeReportsOf(TreeItem* /*project*/) {}
    virtual void rebuildReportsOf(TreeItem* /*project*/) {}
    virtual void redrawDirtyDiagrams() {}
    virtual void updateMenus(TreeItem* /*selected*/) {}
    // The main window's selection-changed handling (editor, menus).
    virtual void selectionChangedHandling(TreeItem* /*selected*/) {}
    virtual void addRecentFile(const std::string& /*fileName*/) {}
};

class Workspace {
public:
    explicit Workspace(UserDialogs& dialogs, WorkspaceHooks* hooks = nullptr)
        : dialogs_(&dialogs), hooks_(hooks ? hooks : &noHooks_)
    {
    }

    ProjectTree tree;
    // A deletion or project close is rebuilding the tree.
    bool Locked = false;
    // A computation runs; clearing it is the stop request.
    bool Calculating = false;
    // Check mark of "&Löschen mit Bestätigung".
    bool DelConfirm = false;
    // Folder of the last opened project, with its trailing separator.
    std::string LastR4PPath;

    UserDialogs& dialogs() const { return *dialogs_; }
    WorkspaceHooks& hooks() const { return *hooks_; }
    void setHooks(WorkspaceHooks* hooks) { hooks_ = hooks ? hooks : &noHooks_; }
    void setDialogs(UserDialogs& dialogs) { dialogs_ = &dialogs; }

private:
    UserDialogs* dialogs_;
    WorkspaceHooks noHooks_;
    WorkspaceHooks* hooks_;
};

} // namespace vemra

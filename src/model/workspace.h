// The state that the commands share with the windows: the tree of open
// projects, the re-entry flags, the user dialogs and the model's events.
#pragma once

#include "model_events.h"
#include "project_tree.h"
#include "user_dialogs.h"

#include <string>

namespace vemra {

class Workspace {
public:
    explicit Workspace(UserDialogs& dialogs) : dialogs_(&dialogs) {}

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
    void setDialogs(UserDialogs& dialogs) { dialogs_ = &dialogs; }
    ModelEvents& events() { return events_; }

private:
    UserDialogs* dialogs_;
    ModelEvents events_;
};

} // namespace vemra

// Records every model event, for tests that check what the model and the
// commands announce and in which state (a deletion announces its removals
// while the workspace is locked, its new selection after it is unlocked).
#pragma once

#include "model/workspace.h"

#include <string>
#include <vector>

namespace vemra::test {

class RecordingModelObserver : public ModelObserver {
public:
    explicit RecordingModelObserver(Workspace& ws) : ws_(ws) { ws_.events().subscribe(this); }
    ~RecordingModelObserver() override { ws_.events().unsubscribe(this); }
    RecordingModelObserver(const RecordingModelObserver&) = delete;
    RecordingModelObserver& operator=(const RecordingModelObserver&) = delete;

    void currentItemChanged(TreeItem* item) override { shown.push_back(item); }
    void selectionChanged(TreeItem* item) override
    {
        selectionHandled.push_back(item);
        lockedAtSelectionHandling = ws_.Locked;
    }
    void motionsChanged() override { ++refreshes; }
    void motionAboutToBeRemoved(TPaintObj* motion) override
    {
        removed.push_back(motion);
        lockedWhileRemoving = lockedWhileRemoving && ws_.Locked;
    }
    void projectAboutToBeRemoved(TreeItem* project) override { closedReports.push_back(project); }
    void projectContentChanged(TreeItem* project) override { rebuiltReports.push_back(project); }
    void resultsChanged(TreeItem* project) override { results.push_back(project); }
    void projectStateChanged(TreeItem* project) override { menuUpdates.push_back(project); }
    void projectSavedAs(TreeItem*, const std::string& fileName) override { recent.push_back(fileName); }
    void changeFinished() override { ++redraws; }

    std::vector<TreeItem*> shown;
    std::vector<TreeItem*> selectionHandled;
    bool lockedAtSelectionHandling = false;
    int refreshes = 0;
    std::vector<TPaintObj*> removed;
    bool lockedWhileRemoving = true;
    std::vector<TreeItem*> closedReports;
    std::vector<TreeItem*> rebuiltReports;
    std::vector<TreeItem*> results;
    std::vector<TreeItem*> menuUpdates;
    std::vector<std::string> recent;
    int redraws = 0;

private:
    Workspace& ws_;
};

} // namespace vemra::test

// Ties the result panel to the main window: the panel sits beside the tree
// (or below it, or on its own) and in the "&Fenster" menu, follows the selected
// project and every change of its results, and takes the user from an entry
// to its restriction in the tree and the editor. The tree marks the
// restrictions that the current explanation of their project names.
#pragma once

#include "model/model_events.h"

#include <QMetaObject>
#include <QPointer>

namespace vemra {

class ResultPanel;
class TDlgMain;
class TreeItem;

class ResultView : public ModelObserver {
public:
    explicit ResultView(TDlgMain& main);
    ~ResultView() override;
    ResultView(const ResultView&) = delete;
    ResultView& operator=(const ResultView&) = delete;

    ResultPanel& panel();

    // Shows the outcome of the latest computation of project. Any
    // computation may call it, a quiet one in the background too; the
    // project's tree marks follow as well.
    void showOutcomeOf(TreeItem* project);

    // ModelObserver
    void selectionChanged(TreeItem* item) override;
    void projectAboutToBeRemoved(TreeItem* project) override;
    void projectContentChanged(TreeItem* project) override;
    void resultsChanged(TreeItem* project) override;
    void projectStateChanged(TreeItem* project) override;
    void changeFinished() override;

private:
    // project's outcome or state changed: its marks, and the panel if it
    // shows project.
    void follow(TreeItem* project);
    void markTree(TreeItem* project);
    void choose(TreeItem* restriction);
    // The main window's width follows the tree and a panel docked beside it.
    void fitWidth();

    TDlgMain& main_;
    // A child of the main window, which may go first; otherwise the panel
    // goes with this view, as its connections call it.
    QPointer<ResultPanel> panel_;
};

} // namespace vemra

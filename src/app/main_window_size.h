// The main window's size. Its width follows the widest tree entry (collapsed
// ones included) with a panel docked beside the tree, the menu bar and the
// longest status text shown so far,
// and it is never wider or taller than the screen's available area;
// "maximised" means that width at nearly the available height. The sizer
// watches the window, the tree's entries and the status bar, and applies
// the rule whenever one of them changes.
#pragma once

#include <QObject>

class QMainWindow;
class QStatusBar;

namespace vemra {

class ProjectTreeView;

class MainWindowSizer : public QObject {
public:
    MainWindowSizer(QMainWindow& window, ProjectTreeView& tree, QStatusBar& status);

    // The width the rule asks for, before the screen limits it.
    int preferredWidth() const;
    // Sets the width now (and keeps the window on its screen).
    void apply();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Once the events of the moment are through: several changes at once
    // (a project opened) cost one layout.
    void schedule();
    void noteStatusWidth();
    void maximise();

    QMainWindow& window_;
    ProjectTreeView& tree_;
    QStatusBar& status_;
    // Widest status line so far: the window does not shrink back each time
    // a message goes, and so does not jump while a computation reports.
    int statusWidth_ = 0;
    bool applying_ = false;
    bool scheduled_ = false;
    bool placed_ = false;
};

} // namespace vemra

// TDlgSelOpt ("Optimierungsobjekt"): the modal choice of the optimisation
// object a restriction joins: a new one or one of its project's objects.
#pragma once

#include "editor/editor_session.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace vemra {

class ProjectTree;

class TDlgSelOpt : public QDialog, public OptimisationObjectChooser {
    Q_OBJECT
public:
    TDlgSelOpt(ProjectTree& tree, QWidget* parent);

    // Shows the dialog for the project of the tree's selected item; nothing
    // when no item is selected or the user does not confirm.
    std::optional<int> chooseOptimisationObject() override;
    // Fills the list for the selected item's project; false without one.
    bool fillList();

    QLabel* Label1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QPushButton* BtOK = nullptr;
    QPushButton* BtCancel = nullptr;

private:
    ProjectTree& tree_;
};

} // namespace vemra

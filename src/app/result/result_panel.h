// The dockable panel "Ergebnis": what the last computation of one project
// gave — the code with its message, fulfilment λ*, smoothness, the shift φ*
// of every optimisation object, the running time — and the restrictions
// that limit the result or contradict each other, each a click away from
// the tree and the editor. Where there is no explanation it says so.
#pragma once

#include "compute/outcome_summary.h"

#include <QDockWidget>

class QFormLayout;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace vemra {

class TreeItem;

class ResultPanel : public QDockWidget {
    Q_OBJECT
public:
    explicit ResultPanel(QWidget* parent = nullptr);

    // Shows what the last computation of project gave (nullptr: no project
    // is selected). Numbers with the locale's decimal separator.
    void showOutcomeOf(TreeItem* project);
    // Shows the same project again, after its outcome or captions changed.
    void refresh();
    TreeItem* project() const { return project_; }

    // What is shown, for tests and for the eye.
    QLabel* ProjectLabel = nullptr;
    QLabel* Headline = nullptr;
    QFormLayout* Facts = nullptr;
    QLabel* Note = nullptr;
    QLabel* ListTitle = nullptr;
    QTreeWidget* Entries = nullptr;

signals:
    // An entry of the list was clicked: its restriction as the panel found
    // it (the receiver checks that it is still in the tree).
    void restrictionChosen(vemra::TreeItem* restriction);

private:
    void display(const OutcomeSummary& s);
    void entryClicked(QTreeWidgetItem* item);

    TreeItem* project_ = nullptr;
    std::vector<TreeItem*> entryItems_;
};

inline constexpr const char* NoProjectSelectedText = "Kein Projekt ausgewählt.";

} // namespace vemra

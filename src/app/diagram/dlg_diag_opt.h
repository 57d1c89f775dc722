// "Optionen - Diagramm": the one modeless dialog of all diagram windows. It
// is attached to one window at a time and edits its motion list, the
// display of the motion definitions, its axes, quantities and highlight.
#pragma once

#include "app/app_windows.h"

#include "diagram/axis.h"
#include "diagram/diagram_page.h"

#include <QDialog>
#include <QPointer>

#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace vemra {

class DisplayGroup;
class TGrafik;
class TPaintObj;
class TreeItem;
class Workspace;

class TDlgDiagOpt : public QDialog, public DiagramOptionsWindow {
    Q_OBJECT
public:
    TDlgDiagOpt(Workspace& ws, QWidget* parent = nullptr);

    bool execModal() override;
    // Motion definitions came or went: the data tree follows.
    void refreshList() override;

    // Makes w the window edited here; rebuilds its slots and redraws it.
    void attach(TGrafik* w);
    TGrafik* window() const { return window_; }
    // w is closing: forget it and close.
    void windowClosing(TGrafik* w);
    // A quantity switched from the window's context menu.
    void toggleQuantity(int index);

    // Called when the display of a motion changed, so that every window
    // showing it is redrawn.
    std::function<void(const TPaintObj*)> motionRestyled;

    // Page "Daten".
    QTabWidget* Pages;
    QTreeWidget* TVGrafs;
    DisplayGroup* Display;
    // Page "Skalierung".
    QComboBox* CBAxis;
    QCheckBox* CBAutoRange;
    QLineEdit* EdMin;
    QLineEdit* EdMax;
    QCheckBox* CBZero;
    QCheckBox* CBGrid;
    QButtonGroup* RGEnds;
    QCheckBox* CB0;
    QCheckBox* CB1;
    QCheckBox* CB2;
    QCheckBox* CB3;
    QCheckBox* CBneg1;
    QCheckBox* CBShowRestrict;
    std::array<QCheckBox*, SlotCount> quantityBoxes() const { return {CB0, CB1, CB2, CB3, CBneg1}; }

    // The tree item of the data tree for a model item (nullptr if none).
    QTreeWidgetItem* treeItemFor(const TreeItem* item) const;
    // A click on the image of a motion node: shown or not.
    void toggleMembership(QTreeWidgetItem* node);
    // Leaving EdMin or EdMax (or Enter in them).
    void EdMinExit();
    void EdMaxExit();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildDataPage();
    void buildScalingPage();
    void rebuildTree();
    void updateTreeImages();
    void selectMotion(QTreeWidgetItem* node);
    // Slots from the quantity boxes; the axis list and controls follow.
    void rebuildSlots();
    void updateQuantityBoxes();
    void updateShowRestrictions();
    void refreshAxisControls();
    // The axes entry i of CBAxis edits: all five x axes, or one y axis.
    std::vector<TAxis*> chosenAxes() const;
    TAxis* shownAxis() const;
    bool xChosen() const;
    void redraw();

    Workspace& ws_;
    QPointer<TGrafik> window_;
    TreeItem* edited_ = nullptr;
    int loading_ = 0;
};

} // namespace vemra

// The tree control of the main window. It mirrors the model's ProjectTree
// (which stays the truth) through TreeObserver, turns the user's clicks,
// keys and drags into requests on the model, and refuses to expand or
// collapse a project while it is being computed.
#pragma once

#include "model/project_tree.h"

#include <QHash>
#include <QTreeWidget>

#include <vector>

class QMimeData;

namespace vemra {

class ProjectTreeView : public QTreeWidget, public TreeObserver {
    Q_OBJECT
public:
    // The only drag the tree accepts is one of its own items.
    static constexpr const char* DragMimeType = "application/x-vemra-tree-item";

    explicit ProjectTreeView(ProjectTree& tree, QWidget* parent = nullptr);
    ~ProjectTreeView() override;

    // Throws the view items away and mirrors the whole model again.
    void rebuild();

    QTreeWidgetItem* viewItem(const TreeItem* item) const;
    TreeItem* modelItem(const QTreeWidgetItem* item) const;
    // The model item under a point of the viewport; nullptr for free space.
    TreeItem* itemAtPoint(const QPoint& viewportPos) const;

    bool isItemExpanded(const TreeItem* item) const;
    // Expands or collapses on behalf of the program, even while the project
    // is being computed.
    void setItemExpanded(const TreeItem* item, bool expanded);

    // Text width of every item (with its icon, if it has one) plus its level
    // times the indent.
    std::vector<int> itemExtents() const;

    // The drag data for item, and the item a drag of this tree carries
    // (nullptr when the data comes from elsewhere or the item is gone).
    QMimeData* dragData(const TreeItem* item) const;
    TreeItem* draggedItem(const QMimeData* data) const;

    // TreeObserver
    void itemAdded(TreeItem* item) override;
    void itemAboutToBeDeleted(TreeItem* item) override;
    void itemTextChanged(TreeItem* item) override;
    void childrenReordered(TreeItem* parent) override;
    void selectionChanged(TreeItem* previous, TreeItem* current) override;

signals:
    // Before the selection moves, then after it moved (current may be none).
    void selectionChanging(vemra::TreeItem* previous, vemra::TreeItem* current);
    void selectionChangedTo(vemra::TreeItem* current);
    // The right mouse button was pressed on the tree.
    void editorRequested();
    // A project was dropped on free space.
    void projectDropped(vemra::TreeItem* project);
    // Status bar text while something is dragged over the tree.
    void dragStatus(const QString& text);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void addMirror(TreeItem* item);
    void forget(const TreeItem* item);
    void onCurrentItemChanged(QTreeWidgetItem* current);
    void onExpansionChanged(QTreeWidgetItem* item, bool expanded);
    bool isComputingProject(const QTreeWidgetItem* item) const;

    ProjectTree* tree_;
    QHash<const TreeItem*, QTreeWidgetItem*> mirror_;
    // Set while the view follows the model, so that its own signals are not
    // taken for user input.
    int following_ = 0;
};

} // namespace vemra

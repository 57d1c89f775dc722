#include "project_tree_view.h"

#include "commands/tree_commands.h"
#include "model/tree_ops.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QFontMetrics>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>

#include <functional>

namespace vemra {

namespace {

// A view item that knows its model item and sorts as the model does.
class MirrorItem : public QTreeWidgetItem {
public:
    explicit MirrorItem(TreeItem* item) : item_(item)
    {
        setText(0, QString::fromStdString(item->Text()));
        setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled);
    }
    TreeItem* item() const { return item_; }
    bool operator<(const QTreeWidgetItem& other) const override
    {
        const auto* o = dynamic_cast<const MirrorItem*>(&other);
        return o && item_->Index() < o->item_->Index();
    }

private:
    TreeItem* item_;
};

} // namespace

ProjectTreeView::ProjectTreeView(ProjectTree& tree, QWidget* parent) : QTreeWidget(parent), tree_(&tree)
{
    setObjectName(QStringLiteral("TVProjects"));
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setIndentation(19);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setUniformRowHeights(true);
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    setDropIndicatorShown(false);
    // The selection stays visible (in the active colour) when the tree loses
    // the focus, so the user always sees which node the editor shows.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);

    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { onCurrentItemChanged(current); });
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* i) { onExpansionChanged(i, true); });
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* i) { onExpansionChanged(i, false); });

    tree_->setObserver(this);
    rebuild();
}

ProjectTreeView::~ProjectTreeView()
{
    if (tree_)
        tree_->setObserver(nullptr);
}

void ProjectTreeView::rebuild()
{
    ++following_;
    clear();
    mirror_.clear();
    tree_->ForEach([this](TreeItem* item) { addMirror(item); });
    if (QTreeWidgetItem* v = viewItem(tree_->Selected()))
        setCurrentItem(v);
    --following_;
}

QTreeWidgetItem* ProjectTreeView::viewItem(const TreeItem* item) const
{
    return item ? mirror_.value(item, nullptr) : nullptr;
}

TreeItem* ProjectTreeView::modelItem(const QTreeWidgetItem* item) const
{
    const auto* m = dynamic_cast<const MirrorItem*>(item);
    return m ? m->item() : nullptr;
}

TreeItem* ProjectTreeView::itemAtPoint(const QPoint& viewportPos) const
{
    return modelItem(itemAt(viewportPos));
}

bool ProjectTreeView::isItemExpanded(const TreeItem* item) const
{
    const QTreeWidgetItem* v = viewItem(item);
    return v && v->isExpanded();
}

void ProjectTreeView::setItemExpanded(const TreeItem* item, bool expanded)
{
    if (QTreeWidgetItem* v = viewItem(item)) {
        ++following_;
        v->setExpanded(expanded);
        --following_;
    }
}

std::vector<int> ProjectTreeView::itemExtents() const
{
    std::vector<int> extents;
    const QFontMetrics metrics(font());
    const int step = indentation();
    // A marked item's icon stands before its text.
    const int icon = (iconSize().isValid() ? iconSize().width() : style()->pixelMetric(QStyle::PM_SmallIconSize))
                     + style()->pixelMetric(QStyle::PM_FocusFrameHMargin) * 2 + 2;
    std::function<void(const TreeItem*, int)> walk = [&](const TreeItem* item, int level) {
        const QTreeWidgetItem* shown = viewItem(item);
        extents.push_back(metrics.horizontalAdvance(QString::fromStdString(item->Text())) + level * step
                          + (shown && !shown->icon(0).isNull() ? icon : 0));
        for (int i = 0; i < item->ChildCount(); ++i)
            walk(item->Child(i), level + 1);
    };
    for (int i = 0; i < tree_->TopLevelCount(); ++i)
        walk(tree_->TopLevel(i), 0);
    return extents;
}

// --- following the model --------------------------------------------------------

void ProjectTreeView::addMirror(TreeItem* item)
{
    auto* v = new MirrorItem(item);
    if (QTreeWidgetItem* parent = viewItem(item->Parent()))
        parent->addChild(v);
    else
        addTopLevelItem(v);
    mirror_.insert(item, v);
}

void ProjectTreeView::itemAdded(TreeItem* item)
{
    ++following_;
    addMirror(item);
    --following_;
}

void ProjectTreeView::forget(const TreeItem* item)
{
    mirror_.remove(item);
    for (int i = 0; i < item->ChildCount(); ++i)
        forget(item->Child(i));
}

void ProjectTreeView::itemAboutToBeDeleted(TreeItem* item)
{
    QTreeWidgetItem* v = viewItem(item);
    forget(item);
    if (!v)
        return;
    // The model decides where the selection goes next and reports it; the
    // view must not move it to a neighbour on its own meanwhile.
    ++following_;
    delete v;
    --following_;
}

void ProjectTreeView::itemTextChanged(TreeItem* item)
{
    if (QTreeWidgetItem* v = viewItem(item))
        v->setText(0, QString::fromStdString(item->Text()));
}

void ProjectTreeView::childrenReordered(TreeItem* parent)
{
    // Sorting by the model's positions moves the rows in place, so expanded
    // branches and the selection stay as they were.
    ++following_;
    if (parent) {
        if (QTreeWidgetItem* v = viewItem(parent))
            v->sortChildren(0, Qt::AscendingOrder);
    } else {
        invisibleRootItem()->sortChildren(0, Qt::AscendingOrder);
    }
    --following_;
}

void ProjectTreeView::selectionChanged(TreeItem* previous, TreeItem* current)
{
    emit selectionChanging(previous, current);
    ++following_;
    if (QTreeWidgetItem* v = viewItem(current)) {
        setCurrentItem(v);
        scrollToItem(v);
    } else {
        setCurrentItem(nullptr);
        clearSelection();
    }
    --following_;
    emit selectionChangedTo(current);
}

void ProjectTreeView::onCurrentItemChanged(QTreeWidgetItem* current)
{
    if (following_ || !current)
        return;
    // The user moved the selection: tell the model, which reports back
    // through selectionChanged().
    tree_->SetSelected(modelItem(current));
}

bool ProjectTreeView::isComputingProject(const QTreeWidgetItem* item) const
{
    const TreeItem* m = modelItem(item);
    const auto* project = m && !m->Parent() ? m->NodeAs<TProject>() : nullptr;
    return project && project->Computing;
}

void ProjectTreeView::onExpansionChanged(QTreeWidgetItem* item, bool expanded)
{
    if (following_ || !isComputingProject(item))
        return;
    // A project under computation keeps its branch as it is: its nodes are
    // being rewritten.
    ++following_;
    item->setExpanded(!expanded);
    --following_;
}

// --- mouse and drag and drop ------------------------------------------------------

void ProjectTreeView::mousePressEvent(QMouseEvent* event)
{
    QTreeWidgetItem* hit = itemAt(event->position().toPoint());
    if (event->button() == Qt::RightButton) {
        if (TreeItem* item = modelItem(hit))
            tree_->SetSelected(item);
        emit editorRequested();
        event->accept();
        return;
    }
    // Free space keeps the selection.
    if (!hit) {
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

QMimeData* ProjectTreeView::dragData(const TreeItem* item) const
{
    auto* data = new QMimeData;
    // Only this process and this tree can make sense of the address; it is
    // checked against the live tree before use.
    const QByteArray payload = QByteArray::number(quintptr(this)) + ' ' + QByteArray::number(quintptr(item));
    data->setData(QString::fromLatin1(DragMimeType), payload);
    return data;
}

TreeItem* ProjectTreeView::draggedItem(const QMimeData* data) const
{
    if (!data || !data->hasFormat(QString::fromLatin1(DragMimeType)))
        return nullptr;
    const QList<QByteArray> parts = data->data(QString::fromLatin1(DragMimeType)).split(' ');
    if (parts.size() != 2 || parts[0].toULongLong() != quintptr(this))
        return nullptr;
    const auto address = static_cast<quintptr>(parts[1].toULongLong());
    TreeItem* found = nullptr;
    tree_->ForEach([&](TreeItem* i) {
        if (quintptr(i) == address)
            found = i;
    });
    return found;
}

void ProjectTreeView::startDrag(Qt::DropActions)
{
    TreeItem* item = modelItem(currentItem());
    if (!item)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(dragData(item));
    // Only copies: the view's own move handling would detach rows from the
    // model.
    drag->exec(Qt::CopyAction, Qt::CopyAction);
    emit dragStatus(QString());
}

void ProjectTreeView::dragEnterEvent(QDragEnterEvent* event)
{
    if (draggedItem(event->mimeData())) {
        event->acceptProposedAction();
        return;
    }
    emit dragStatus(QString());
    event->ignore();
}

void ProjectTreeView::dragMoveEvent(QDragMoveEvent* event)
{
    TreeItem* dragged = draggedItem(event->mimeData());
    if (!dragged) {
        emit dragStatus(QString());
        event->ignore();
        return;
    }
    TreeItem* target = itemAtPoint(event->position().toPoint());
    if (CanDropProject(dragged, target)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        emit dragStatus(QString::fromLatin1(CopyProjectStatusText));
        return;
    }
    if (!dragged->Parent() && target)
        emit dragStatus(QString());
    event->ignore();
}

void ProjectTreeView::dragLeaveEvent(QDragLeaveEvent* event)
{
    event->accept();
}

void ProjectTreeView::dropEvent(QDropEvent* event)
{
    TreeItem* dragged = draggedItem(event->mimeData());
    TreeItem* target = itemAtPoint(event->position().toPoint());
    if (!dragged || !CanDropProject(dragged, target)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit projectDropped(dragged);
}

} // namespace vemra

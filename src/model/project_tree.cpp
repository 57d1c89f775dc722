#include "project_tree.h"

#include <algorithm>
#include <atomic>

namespace vemra {

namespace {
// Trees are built in several threads at once by the command line's batch.
std::atomic<uint64_t> lastSerial{0};
} // namespace

TreeItem::TreeItem(std::unique_ptr<TNLMember> node, TreeItem* parent)
    : text_(node ? node->Caption : std::string()), serial_(++lastSerial), node_(std::move(node)), parent_(parent)
{
}

int TreeItem::Index() const
{
    if (parent_) {
        for (int i = 0; i < parent_->ChildCount(); ++i)
            if (parent_->Child(i) == this)
                return i;
        return -1;
    }
    if (!tree_)
        return -1;
    for (int i = 0; i < tree_->TopLevelCount(); ++i)
        if (tree_->TopLevel(i) == this)
            return i;
    return -1;
}

TreeItem* TreeItem::NextSibling() const
{
    const int i = Index();
    if (i < 0)
        return nullptr;
    if (parent_)
        return i + 1 < parent_->ChildCount() ? parent_->Child(i + 1) : nullptr;
    return i + 1 < tree_->TopLevelCount() ? tree_->TopLevel(i + 1) : nullptr;
}

ProjectTree::~ProjectTree()
{
    observer_ = nullptr;
}

std::vector<std::unique_ptr<TreeItem>>& ProjectTree::siblingsOf(TreeItem* parent)
{
    return parent ? parent->children_ : roots_;
}

TreeItem* ProjectTree::AddTopLevel(std::unique_ptr<TNLMember> node)
{
    auto item = std::make_unique<TreeItem>(std::move(node), nullptr);
    item->tree_ = this;
    TreeItem* raw = item.get();
    roots_.push_back(std::move(item));
    if (observer_)
        observer_->itemAdded(raw);
    return raw;
}

TreeItem* ProjectTree::AddChild(TreeItem* parent, std::unique_ptr<TNLMember> node)
{
    if (!parent)
        return AddTopLevel(std::move(node));
    auto item = std::make_unique<TreeItem>(std::move(node), parent);
    item->tree_ = this;
    TreeItem* raw = item.get();
    parent->children_.push_back(std::move(item));
    if (observer_)
        observer_->itemAdded(raw);
    return raw;
}

void ProjectTree::SetText(TreeItem* item, const std::string& text)
{
    if (!item || item->text_ == text)
        return;
    item->text_ = text;
    if (observer_)
        observer_->itemTextChanged(item);
}

void ProjectTree::forgetSelectionWithin(TreeItem* item)
{
    for (TreeItem* s = selected_; s; s = s->Parent())
        if (s == item) {
            // The view moves the selection to a neighbour itself; the model
            // only must not keep a dangling pointer.
            TreeItem* previous = selected_;
            selected_ = nullptr;
            if (observer_)
                observer_->selectionChanged(previous, nullptr);
            return;
        }
}

void ProjectTree::Delete(TreeItem* item)
{
    if (!item)
        return;
    if (observer_)
        observer_->itemAboutToBeDeleted(item);
    forgetSelectionWithin(item);
    auto& siblings = siblingsOf(item->Parent());
    auto it = std::find_if(siblings.begin(), siblings.end(), [item](const auto& p) { return p.get() == item; });
    if (it != siblings.end())
        siblings.erase(it);
}

TreeItem* ProjectTree::Adopt(TreeItem* parent, ProjectTree& source, TreeItem* item)
{
    if (!item || &source == this)
        return nullptr;
    source.forgetSelectionWithin(item);
    auto& from = source.siblingsOf(item->Parent());
    auto it = std::find_if(from.begin(), from.end(), [item](const auto& p) { return p.get() == item; });
    if (it == from.end())
        return nullptr;
    std::unique_ptr<TreeItem> owned = std::move(*it);
    from.erase(it);
    owned->parent_ = parent;
    siblingsOf(parent).push_back(std::move(owned));
    std::function<void(TreeItem*)> claim = [&](TreeItem* i) {
        i->tree_ = this;
        for (auto& child : i->children_)
            claim(child.get());
    };
    claim(item);
    announceSubtree(item);
    return item;
}

void ProjectTree::announceSubtree(TreeItem* item)
{
    if (!observer_)
        return;
    observer_->itemAdded(item);
    for (int i = 0; i < item->ChildCount(); ++i)
        announceSubtree(item->Child(i));
}

void ProjectTree::SwapNode(TreeItem* item, ProjectTree& source, TreeItem* other)
{
    if (!item || !other)
        return;
    std::swap(item->node_, other->node_);
    std::swap(item->text_, other->text_);
    if (observer_)
        observer_->itemTextChanged(item);
    if (source.observer_ && &source != this)
        source.observer_->itemTextChanged(other);
}

void ProjectTree::MoveTopLevel(TreeItem* item, int index)
{
    const int from = item ? item->Index() : -1;
    if (from < 0 || item->Parent() || index == from)
        return;
    index = std::clamp(index, 0, TopLevelCount() - 1);
    // Sorting by the wanted positions moves the row where a view can follow.
    std::vector<const TreeItem*> order;
    for (const auto& root : roots_)
        if (root.get() != item)
            order.push_back(root.get());
    order.insert(order.begin() + index, item);
    const auto rank = [&](const TreeItem* i) { return std::find(order.begin(), order.end(), i) - order.begin(); };
    SortChildren(nullptr, [&](const TreeItem* a, const TreeItem* b) { return rank(a) < rank(b); });
}

void ProjectTree::Clear()
{
    while (!roots_.empty())
        Delete(roots_.back().get());
}

void ProjectTree::SortChildren(TreeItem* parent, const std::function<bool(const TreeItem*, const TreeItem*)>& less)
{
    auto& siblings = siblingsOf(parent);
    if (std::is_sorted(siblings.begin(), siblings.end(),
                       [&](const auto& a, const auto& b) { return less(a.get(), b.get()); }))
        return;
    std::stable_sort(siblings.begin(), siblings.end(),
                     [&](const auto& a, const auto& b) { return less(a.get(), b.get()); });
    if (observer_)
        observer_->childrenReordered(parent);
}

void ProjectTree::SetSelected(TreeItem* item)
{
    if (item == selected_)
        return;
    TreeItem* previous = selected_;
    selected_ = item;
    if (observer_)
        observer_->selectionChanged(previous, item);
}

void ProjectTree::ForEach(const std::function<void(TreeItem*)>& f) const
{
    std::function<void(TreeItem*)> walk = [&](TreeItem* item) {
        f(item);
        for (int i = 0; i < item->ChildCount(); ++i)
            walk(item->Child(i));
    };
    for (const auto& root : roots_)
        walk(root.get());
}

bool ProjectTree::Contains(const TreeItem* item) const
{
    bool found = false;
    ForEach([&](TreeItem* i) { found = found || i == item; });
    return found;
}

} // namespace vemra

#include "project_tree.h"

#include <algorithm>

namespace vemra {

TreeItem::TreeItem(std::unique_ptr<TNLMember> node, TreeItem* parent)
    : text_(node ? node->Caption : std::string()), node_(std::move(node)), parent_(parent)
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

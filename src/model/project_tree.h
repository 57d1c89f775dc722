// The ordered tree of all open projects. Items own their nodes; nodes never
// know their parent or children. A view (the main window's tree control)
// mirrors it through TreeObserver.
#pragma once

#include "nodes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vemra {

class ProjectTree;

class TreeItem {
public:
    TreeItem(std::unique_ptr<TNLMember> node, TreeItem* parent);
    TreeItem(const TreeItem&) = delete;
    TreeItem& operator=(const TreeItem&) = delete;

    const std::string& Text() const { return text_; }
    // A number no other item of this run of the program has: who keeps an
    // item's place across a restore of its project (the diagram windows)
    // recognises it by this, even after renumbering.
    uint64_t Serial() const { return serial_; }
    TNLMember* Node() const { return node_.get(); }
    template <class T> T* NodeAs() const { return dynamic_cast<T*>(node_.get()); }

    TreeItem* Parent() const { return parent_; }
    int ChildCount() const { return static_cast<int>(children_.size()); }
    TreeItem* Child(int index) const { return children_[static_cast<size_t>(index)].get(); }
    TreeItem* FirstChild() const { return children_.empty() ? nullptr : children_.front().get(); }
    TreeItem* LastChild() const { return children_.empty() ? nullptr : children_.back().get(); }
    TreeItem* NextSibling() const;
    // Position among its siblings (top-level items: among the projects).
    int Index() const;

private:
    friend class ProjectTree;
    std::string text_;
    uint64_t serial_;
    std::unique_ptr<TNLMember> node_;
    TreeItem* parent_;
    std::vector<std::unique_ptr<TreeItem>> children_;
    ProjectTree* tree_ = nullptr;
};

// Notified of every structural change so that a view can follow.
class TreeObserver {
public:
    virtual ~TreeObserver() = default;
    virtual void itemAdded(TreeItem* /*item*/) {}
    // Called before the item and its subtree are destroyed.
    virtual void itemAboutToBeDeleted(TreeItem* /*item*/) {}
    virtual void itemTextChanged(TreeItem* /*item*/) {}
    // parent == nullptr: the top level was reordered.
    virtual void childrenReordered(TreeItem* /*parent*/) {}
    virtual void selectionChanged(TreeItem* /*previous*/, TreeItem* /*current*/) {}
};

class ProjectTree {
public:
    ProjectTree() = default;
    ProjectTree(const ProjectTree&) = delete;
    ProjectTree& operator=(const ProjectTree&) = delete;
    ~ProjectTree();

    // Both take ownership of node; the item's text is the node's Caption.
    TreeItem* AddTopLevel(std::unique_ptr<TNLMember> node);
    TreeItem* AddChild(TreeItem* parent, std::unique_ptr<TNLMember> node);
    void SetText(TreeItem* item, const std::string& text);
    // Removes item with its subtree and destroys their nodes.
    void Delete(TreeItem* item);
    // Moves item with its subtree out of source (another tree, which nobody
    // observes) to the end of parent's children here (parent == nullptr:
    // the top level). The items stay the same objects, so what refers to
    // them (an optimisation object's members) still does.
    TreeItem* Adopt(TreeItem* parent, ProjectTree& source, TreeItem* item);
    // Gives item the node (and text) of other, an item of source, and other
    // the node of item: an item keeps its place while its content is
    // replaced.
    void SwapNode(TreeItem* item, ProjectTree& source, TreeItem* other);
    // Moves a top-level item to position index among the projects.
    void MoveTopLevel(TreeItem* item, int index);
    void Clear();

    int TopLevelCount() const { return static_cast<int>(roots_.size()); }
    TreeItem* TopLevel(int index) const { return roots_[static_cast<size_t>(index)].get(); }
    TreeItem* FirstTopLevel() const { return roots_.empty() ? nullptr : roots_.front().get(); }

    // Stable sort of one level (parent == nullptr: the projects) by less.
    void SortChildren(TreeItem* parent, const std::function<bool(const TreeItem*, const TreeItem*)>& less);

    TreeItem* Selected() const { return selected_; }
    void SetSelected(TreeItem* item);

    // Calls f for every item in display order (parents before children).
    void ForEach(const std::function<void(TreeItem*)>& f) const;
    bool Contains(const TreeItem* item) const;

    void setObserver(TreeObserver* observer) { observer_ = observer; }

private:
    std::vector<std::unique_ptr<TreeItem>>& siblingsOf(TreeItem* parent);
    void forgetSelectionWithin(TreeItem* item);
    void announceSubtree(TreeItem* item);

    std::vector<std::unique_ptr<TreeItem>> roots_;
    TreeItem* selected_ = nullptr;
    TreeObserver* observer_ = nullptr;
};

} // namespace vemra

// The editor's hold on the node being edited, without widgets: which node it
// is, the copy taken for undo, change detection, the notifications a change
// causes, the link of a restriction to an optimisation object, and the
// restriction undo. The editor window fills its pages in between; whatever
// shows the project hears of changes through EditorHost and the model.
#pragma once

#include "model/workspace.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace vemra {

// What the editor needs from the program around it.
class EditorHost {
public:
    virtual ~EditorHost() = default;
    // The diagram windows that show item are to be drawn again.
    virtual void redrawDiagramsOf(TreeItem* item) = 0;
    // The reports of item's project are to be generated again.
    virtual void regenerateReportsOf(TreeItem* item) = 0;
    // The main window's computation command.
    virtual void setCalcEnabled(bool enabled) = 0;
};

// The modal choice of the optimisation object a restriction joins.
class OptimisationObjectChooser {
public:
    virtual ~OptimisationObjectChooser() = default;
    // 0 for "neues Optimierungsobjekt", i for the i-th existing object in
    // tree order; nothing when the user cancels.
    virtual std::optional<int> chooseOptimisationObject() = 0;
};

inline constexpr const char* NewOptimisationObjectText = "neues Optimierungsobjekt";
// How the edit menu names a change made in the editor to item.
std::string editActionName(const TreeItem* item);
// The entries the chooser offers for the project of item: the new object,
// then the tree texts of the project's optimisation objects in tree order.
std::vector<std::string> optimisationObjectChoices(const TreeItem* item);

// The node's values as they were when it was selected.
struct UndoCopy {
    std::array<int32_t, 10> IntPar{};   // 1..8
    std::array<double, 13> RealPar{};  // 1..12
    bool Modified = false;
    bool restriction = false;
    bool IsGlobal = false;
    std::array<double, 13> EffPar{}; // 1..12

    // The object number of a restriction's copy (its generic field 8).
    int32_t GroupNo() const { return IntPar[8]; }

    void take(const TNLMember& node);
    // Exact comparison of IntPar[1..8] and RealPar[1..12].
    bool differsFrom(const TNLMember& node) const;
};

struct ChangeState {
    // A parameter differs from the undo copy.
    bool changed = false;
    // Changed, or modified before.
    bool dirty = false;
    // Modified went from false to true by this change.
    bool toggled = false;
};

class EditorSession {
public:
    EditorSession(Workspace& ws, EditorHost& host);

    // Takes item's node (a member's restriction instead of the member) and
    // the undo copy.
    void setObject(TreeItem* item);
    void clearObject();
    // The project was computed while the node stayed selected: what was
    // computed counts as the node's state from now on, as after a new
    // selection (the computation cleared Modified; a later store that
    // changes nothing must not set it again).
    void resultsArrived();

    TreeItem* TreeNode() const { return treeNode_; }
    TNLMember* Node() const { return node_; }
    TRestr* restriction() const { return dynamic_cast<TRestr*>(node_); }
    const UndoCopy& undoCopy() const { return undo_; }
    Workspace& workspace() const { return ws_; }

    // Set during the first filling after a node was selected: that filling
    // shows, it changes nothing anyone has drawn.
    bool Loading = false;

    // Compares the node with the undo copy and marks it modified.
    ChangeState detectChange();
    // After the page was filled: rebuilds the tree captions of a
    // restriction (and of its member) and sorts, tells the program what the
    // change outdated, sets the computation command, and (unless Loading)
    // announces the change as committed. Returns the node's validity and
    // whether the coefficient grid needs filling.
    struct Outcome {
        bool valid = true;
        bool fillGrid = false;
    };
    Outcome finishUpdate(const ChangeState& change);

    // "Verschiebung zulassen" checked: joins an optimisation object (asking
    // which when the project has any). False when the user cancelled; the
    // restriction is then as before.
    bool linkRestriction(OptimisationObjectChooser& chooser);
    // "Verschiebung zulassen" unchecked: leaves the optimisation object.
    void unlinkRestriction();
    // The undo buttons: the restriction's parameters, effective parameters
    // and Modified as they were when it was selected, and its membership in
    // an optimisation object with them.
    void undoRestriction();

private:
    TreeItem* projectItem() const;
    // Removes the restriction's member from optimisation object g.
    void leaveGroup(int32_t g);
    // Moves the selection off an item that is about to go, onto the
    // restriction being edited.
    void keepSelectionOffItem(TreeItem* leaving);

    Workspace& ws_;
    EditorHost& host_;
    TreeItem* treeNode_ = nullptr;
    TNLMember* node_ = nullptr;
    UndoCopy undo_;
};

} // namespace vemra

// Which item-dependent commands of the main menu are available for the
// selected tree item. Kept free of widgets so the rules can be checked alone.
#pragma once

namespace vemra {

class TreeItem;
class TPaintObj;
class Workspace;

struct MenuState {
    bool Save = false;
    bool SaveAs = false;
    bool CloseProj = false;
    bool Calc = false;
    bool BatchCalc = false;
    bool MKHSHeader = false;
    bool MKRestabs = false;
    bool MKRestSpek = false;
    bool MKRestrel = false;
    bool Delete = false;
    bool NewRep = false;
    bool NewDiag = false;
    bool Editor = false;
    bool MkTable = false;

    bool operator==(const MenuState&) const = default;
};

MenuState menuStateFor(const Workspace& ws, TreeItem* item);

// The motion whose values a table of item shows: the motion above a
// restriction, a motion definition itself, otherwise none.
TPaintObj* tableMotionOf(TreeItem* item);

} // namespace vemra

#include "menu_state.h"

#include "model/file_names.h"
#include "model/tree_ops.h"

namespace vemra {

TPaintObj* tableMotionOf(TreeItem* item)
{
    if (!item)
        return nullptr;
    if (item->NodeAs<TRestr>())
        return item->Parent() ? item->Parent()->NodeAs<TPaintObj>() : nullptr;
    return item->NodeAs<TPaintObj>();
}

MenuState menuStateFor(const Workspace& ws, TreeItem* item)
{
    MenuState m;
    if (!item)
        return m;
    TProject* project = ProjectNodeOf(item);
    const TreeItem* parent = item->Parent();
    const TNLMember* node = item->Node();

    // The save command writes only files that already carry the project
    // extension; everything else has to go through "save as".
    m.Save = project && extensionPart(project->FileName) == ".r4p";
    m.SaveAs = m.CloseProj = m.MKHSHeader = m.NewRep = m.NewDiag = m.Editor = true;
    m.Calc = m.BatchCalc = CanCalc(ws, item);
    m.MKRestSpek = m.MKRestabs
        = dynamic_cast<const TRXHeader*>(node) || (parent && parent->NodeAs<TRXHeader>());
    m.MKRestrel = dynamic_cast<const TRelHeader*>(node) || (parent && parent->NodeAs<TRelHeader>());
    m.Delete = !dynamic_cast<const TRelHeader*>(node);
    const TPaintObj* motion = tableMotionOf(item);
    m.MkTable = motion && motion->HasResult && motion->ResultValid;
    return m;
}

} // namespace vemra

#include "rx_set_converter.h"

#include "tree_commands.h"

#include "model/tree_ops.h"

namespace vemra {

namespace {

void showCaption(Workspace& ws, TreeItem* item)
{
    item->Node()->MakeCaption();
    ws.tree.SetText(item, item->Node()->Caption);
}

} // namespace

void fillMotion(TRXHeader& motion, const TRXSet& set)
{
    motion.ShortName = set.Description;
    motion.Harmonics() = set.Harmonics;
    // Only a 1 makes eta variable; the second line then held its other limit.
    motion.EtaVariable() = set.EtaVariable == 1 ? 1 : 0;
    motion.EtaLimit() = set.EtaLimit;
    motion.EtaMax() = set.EtaMax;
    motion.Theta() = set.Theta;
}

void fillRestriction(TRestr& r, const TRXRestriction& line)
{
    const int32_t kind = line.Kind;
    const auto& v = line.r;
    const int32_t angles = line.V / 100;
    const int32_t lowerVariable = (line.V % 100) / 10;
    const int32_t upperVariable = line.V % 10;
    r.Kind() = kind;
    if (isSpectrumKind(kind)) {
        r.Harmonic() = line.B;
        r.SpectrumBound() = v[2];
        r.LowerMode() = angles == 1 ? 1 : 0;
        if (angles == 1)
            r.SpectrumLimit() = v[1];
    } else {
        r.PhiMin() = v[1];
        if (kind >= 4) {
            const bool interval = kind >= 10 && kind <= 13;
            r.PhiMinVar() = interval && (angles == 1 || angles == 3) ? 1 : 0;
            if (r.PhiMinVar())
                r.PhiMinLimit() = v[2];
            r.PhiMax() = v[3];
            r.PhiMaxVar() = interval && (angles == 2 || angles == 3) ? 1 : 0;
            if (r.PhiMaxVar())
                r.PhiMaxLimit() = v[4];
        }
        // A point restriction always has both bounds; an interval has those
        // that B names.
        const bool lower = line.B == 1 || line.B == 3;
        const bool upper = line.B == 2 || line.B == 3;
        if (kind >= 4 && !lower) {
            r.LowerMode() = -1;
        } else if (lower && lowerVariable == 2) {
            r.LowerMode() = 1;
            r.LowerLimit() = v[5];
            r.Lower() = v[6];
        } else {
            r.LowerMode() = 0;
            r.Lower() = v[5];
        }
        if (kind >= 4 && !upper) {
            r.UpperMode() = -1;
        } else if (upper && upperVariable == 2) {
            r.UpperMode() = 1;
            r.UpperLimit() = v[7];
            r.Upper() = v[8];
        } else {
            r.UpperMode() = 0;
            r.Upper() = v[7];
        }
    }
    r.EffPar = r.RealPar;
}

TreeItem* ConvertMotionSet(Workspace& ws, const TRXSet& set)
{
    TreeItem* project = ProjectOf(ws.tree.Selected());
    if (!project || ws.dialogs().askYesNo(NewProjectQuestion))
        project = NewProjectCommand(ws);
    ws.tree.SetSelected(project);

    // On the project the command makes the next motion definition with one
    // restriction, or shows the limit message.
    TreeItem* restriction = NewAbsRestrictionCommand(ws);
    if (!restriction)
        return nullptr;
    TreeItem* motionItem = restriction->Parent();
    fillMotion(*motionItem->NodeAs<TRXHeader>(), set);
    showCaption(ws, motionItem);

    for (size_t i = 0; i < set.Restrictions.size(); ++i) {
        // Selected is the restriction made last, so the next one goes below
        // the same motion.
        if (i > 0)
            restriction = NewAbsRestrictionCommand(ws);
        if (!restriction)
            break;
        fillRestriction(*restriction->NodeAs<TRestr>(), set.Restrictions[i]);
        showCaption(ws, restriction);
    }
    return motionItem;
}

} // namespace vemra

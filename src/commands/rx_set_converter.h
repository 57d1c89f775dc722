// Turns the data set of a single-motion file of an older program into a
// motion definition with its restrictions, in a new project or in the
// selected one, through the same commands as the menu.
#pragma once

#include "formats/rx_set.h"
#include "model/workspace.h"

namespace vemra {

inline constexpr const char* NewProjectQuestion = "Neues Projekt erzeugen?";

// Asks "Neues Projekt erzeugen?" when a project is selected (No: the motion
// goes into that one), then adds the motion definition with one restriction
// a restriction line (one restriction at its defaults when the set has
// none). Returns the motion's item; nullptr when the project already holds
// 10 motion definitions: the limit message was shown and nothing was added.
TreeItem* ConvertMotionSet(Workspace& ws, const TRXSet& set);

// What the set's numbers and codes mean for the nodes. The motion's number
// and the restriction's motion stay as the commands gave them.
void fillMotion(TRXHeader& motion, const TRXSet& set);
void fillRestriction(TRestr& restriction, const TRXRestriction& line);

} // namespace vemra

// A single-motion file (".rxe", ".rxw") imported as the desktop does it: the
// data set read, converted into a new project through the commands, and the
// project saved.
#pragma once

#include "commands/rx_set_converter.h"
#include "formats/project_file.h"
#include "model/workspace.h"

#include <string>

namespace vemra {

inline void importMotionSet(TRXSet (*read)(std::string), std::string bytes)
{
    TRXSet set;
    try {
        set = read(std::move(bytes));
    } catch (const ReadError&) {
        return;
    }
    SilentDialogs dialogs;
    Workspace ws(dialogs);
    if (TreeItem* motion = ConvertMotionSet(ws, set)) {
        RecordWriter out;
        WriteProject(out, motion);
    }
}

} // namespace vemra

// The per-user folder where the computation module's files live. The module
// gets no folder on its command line, so the folder is made the process's
// current directory for the whole run.
#pragma once

#include <QString>

namespace vemra {

// AppLocalDataLocation + "/work".
QString moduleWorkingDirectory();

// Creates the folder when missing and makes it current. On failure returns
// false with a message for the user; the current directory is unchanged.
bool enterModuleWorkingDirectory(QString* error = nullptr);

} // namespace vemra

// The marks of restrictions named by a computation's explanation, in the
// tree and in the result panel. They differ in shape, not only in colour:
// a bar pressing down on a triangle for a limiting restriction, a crossed
// circle for one of a conflicting set.
#pragma once

#include <QIcon>

namespace vemra {

QIcon limitIcon();
QIcon conflictIcon();
// Nothing to see, but it keeps the texts of marked and unmarked siblings in
// line.
QIcon blankIcon();

} // namespace vemra

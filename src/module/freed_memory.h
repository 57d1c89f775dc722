// How the synthesis module's process treats the memory its programmes free.
#pragma once

namespace vemra::module {

// Every linear programme allocates and frees work arrays of some hundred kilobytes. By
// default the C library hands such blocks back to the system as soon as they are freed (their
// own mappings, or a trimmed heap), and the next programme pays page faults to get them again:
// a fifth of the run on a small project. A process that lives for one computation keeps them.
// rx-10-L calls this first thing; so does the benchmark of whole runs, which is to time them as
// the program runs them.
void keepFreedMemoryForReuse();

} // namespace vemra::module

// The project file as the desktop opens it: read, sort, and write again what
// was read, also the part of a damaged file that stays open for the user to
// see and save under another name.
#include "fuzz_input.h"

#include "formats/project_file.h"
#include "model/tree_ops.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vemra;
    ProjectTree tree;
    try {
        ProjectFileReader().read(tree, bytesOf(data, size), "fuzz.r4p");
    } catch (const ReadError&) {
    }
    SortProject(tree);
    for (int i = 0; i < tree.TopLevelCount(); ++i) {
        RecordWriter out;
        WriteProject(out, tree.TopLevel(i));
    }
    return 0;
}

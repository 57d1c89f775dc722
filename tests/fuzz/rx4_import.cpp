// ".rx4" files (the module input of this and older programs) imported as a
// project and saved.
#include "fuzz_input.h"

#include "formats/project_file.h"
#include "formats/rx4_file.h"
#include "model/tree_ops.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vemra;
    ProjectTree tree;
    TreeItem* project = nullptr;
    try {
        project = Rx4Reader().read(tree, bytesOf(data, size), "fuzz.rx4");
    } catch (const ReadError&) {
        return 0;
    }
    SortProject(tree);
    RecordWriter out;
    WriteProject(out, project);
    return 0;
}

// Whatever reads as a project without error writes, reads back and writes
// again to the same tree and the same bytes: a project must survive being
// opened and saved any number of times.
#include "fuzz_input.h"
#include "support/tree_dump.h"

#include "formats/project_file.h"
#include "model/tree_ops.h"

#include <cstdio>
#include <cstdlib>

namespace {

using namespace vemra;

struct Pass {
    std::string bytes;
    std::string tree;
};

// Opens bytes as the desktop does (read, sort) and saves the project.
bool openAndSave(const std::string& bytes, Pass& pass)
{
    ProjectTree tree;
    TreeItem* project = nullptr;
    try {
        project = ProjectFileReader().read(tree, bytes, "fuzz.r4p");
    } catch (const ReadError&) {
        return false;
    }
    SortProject(tree);
    RecordWriter out;
    WriteProject(out, project);
    pass.bytes = out.bytes();
    pass.tree = treeDump(project);
    return true;
}

[[noreturn]] void differs(const char* what, const std::string& first, const std::string& second)
{
    std::fprintf(stderr, "The project does not survive reading and writing: the %s differs.\n"
                         "--- first\n%s\n--- second\n%s\n", what, first.c_str(), second.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Pass first, second;
    if (!openAndSave(bytesOf(data, size), first))
        return 0;
    if (!openAndSave(first.bytes, second))
        differs("second reading (an error)", first.bytes, "");
    if (first.tree != second.tree)
        differs("tree", first.tree, second.tree);
    if (first.bytes != second.bytes)
        differs("file", first.bytes, second.bytes);
    return 0;
}

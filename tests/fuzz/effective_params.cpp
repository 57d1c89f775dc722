// "remote$.rx5": the effective parameters of shiftable restrictions, applied
// to an example project with an optimisation object, numbered as the module
// input numbers it.
#include "fuzz_input.h"

#include "compute/module_input.h"
#include "compute/result_files.h"
#include "formats/file_io.h"
#include "formats/project_file.h"

#include <cstdlib>

namespace {

vemra::ProjectTree tree;
vemra::TreeItem* project = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    using namespace vemra;
    const std::string fileName = VEMRA_SOURCE_DIR "/examples/foerderer.r4p";
    const auto bytes = loadFile(fileName);
    if (!bytes)
        std::abort();
    project = ProjectFileReader().read(tree, *bytes, fileName);
    std::string input;
    WriteModuleInput(project, input);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    vemra::ApplyEffectiveParams(project, vemra::bytesOf(data, size));
    return 0;
}

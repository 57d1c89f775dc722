// The module's progress lines as the computation shows them: every line is
// parsed, and what the progress display says must be plain text.
#include "fuzz_input.h"

#include "compute/module_progress.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vemra;
    const std::string text = bytesOf(data, size);
    ModuleProgress progress;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        progress.take(std::string_view(text).substr(start, end - start));
        start = end + 1;
    }
    const std::string shown = progress.describe();
    if (shown.find('\0') != std::string::npos) {
        std::fprintf(stderr, "The progress display holds a NUL: \"%s\"\n", shown.c_str());
        std::abort();
    }
    return 0;
}

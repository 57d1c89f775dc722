// "rx4.err": the result code the module leaves.
#include "fuzz_input.h"

#include "compute/result_code.h"
#include "compute/result_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vemra;
    if (const auto code = parseResultCode(bytesOf(data, size)))
        resultCodeMessage(*code);
    return 0;
}

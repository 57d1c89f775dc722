// The synthesis module's own input reader: the records of "remote$.rx4" and
// their validation, up to the point where the solver would start.
#include "fuzz_input.h"

#include "module/input_reader.h"
#include "module/input_validator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vemra::module;
    const std::string text = vemra::bytesOf(data, size);
    const ReadResult read = readRecords(text);
    if (!read.error)
        validateRecords(read.records);
    return 0;
}

// The binary settings values of the diagrams and the picture export: the
// 28-byte display record and the 272-byte picture font. A block that reads
// must give the same value when it is written and read again.
#include "fuzz_input.h"

#include "diagram/picture_options.h"
#include "model/display_record.h"

#include <cstdio>
#include <cstdlib>

namespace {

template <class Setting> void roundTrip(const uint8_t* data, size_t size, const char* what)
{
    const auto value = Setting::fromBlock(data, size);
    if (!value)
        return;
    const auto block = value->toBlock();
    const auto again = Setting::fromBlock(block.data(), block.size());
    if (!again || !(*again == *value)) {
        std::fprintf(stderr, "The %s does not survive writing and reading.\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    roundTrip<vemra::DisplayRecord>(data, size, "display record");
    roundTrip<vemra::FontSetting>(data, size, "picture font");
    return 0;
}

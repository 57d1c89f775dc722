// ".rxe" files of older programs, read, converted and saved as a project.
#include "motion_set_import.h"
#include "fuzz_input.h"

#include "formats/rxe_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    vemra::importMotionSet(vemra::readRxe, vemra::bytesOf(data, size));
    return 0;
}

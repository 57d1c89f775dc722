#include "module/freed_memory.h"

#include <cstdlib> // defines __GLIBC__ where the C library is glibc

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace vemra::module {

void keepFreedMemoryForReuse()
{
#ifdef __GLIBC__
    constexpr int kKeep = 32 << 20; // the largest mapping threshold the library accepts
    mallopt(M_MMAP_THRESHOLD, kKeep);
    mallopt(M_TRIM_THRESHOLD, kKeep);
#endif
}

} // namespace vemra::module

// 32-bit values in the little-endian byte order of the stored settings blocks
// (the display record, the export font), whatever the machine's own order.
#pragma once

#include <cstdint>

namespace vemra {

inline void putLittleEndian32(uint8_t* p, int32_t v)
{
    const auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(u >> (8 * i));
}

inline int32_t getLittleEndian32(const uint8_t* p)
{
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= static_cast<uint32_t>(p[i]) << (8 * i);
    return static_cast<int32_t>(u);
}

} // namespace vemra

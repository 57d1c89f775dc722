// The fuzzer's bytes as the text a reader takes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vemra {

inline std::string bytesOf(const uint8_t* data, size_t size)
{
    return size ? std::string(reinterpret_cast<const char*>(data), size) : std::string();
}

} // namespace vemra

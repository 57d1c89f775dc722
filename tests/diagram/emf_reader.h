// Reads an enhanced metafile back into its records, checking the framing
// a player relies on: the header's signature, sizes and counts, record
// sizes that are multiples of four and stay inside the file.
#pragma once

#include "diagram/canvas.h"
#include "platform/qt/canvas/emf_canvas.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vemra::test {

// The little-endian number of `bytes` bytes at offset.
inline uint32_t littleEndian(const std::string& data, size_t offset, int bytes)
{
    uint32_t u = 0;
    for (int i = 0; i < bytes; ++i)
        u |= static_cast<uint32_t>(static_cast<uint8_t>(data.at(offset + i))) << (8 * i);
    return u;
}

struct EmfRecord {
    uint32_t type = 0;
    std::string data; // after type and size

    int32_t i32(size_t offset) const { return static_cast<int32_t>(littleEndian(data, offset, 4)); }
    int16_t i16(size_t offset) const { return static_cast<int16_t>(littleEndian(data, offset, 2)); }
    CanvasRect rect(size_t offset = 0) const { return {i32(offset), i32(offset + 4), i32(offset + 8), i32(offset + 12)}; }
    CanvasPoint point() const { return {i32(0), i32(4)}; }
    // Polyline16: bounds, count, then 16-bit points.
    std::vector<CanvasPoint> points() const
    {
        std::vector<CanvasPoint> p;
        const auto n = static_cast<size_t>(i32(16));
        for (size_t i = 0; i < n; ++i)
            p.push_back({i16(20 + 4 * i), i16(22 + 4 * i)});
        return p;
    }
    // ExtTextOutW: the characters (offsets count from the record's start).
    std::u16string text() const { return characters(36); }
    // The count of characters at `at`, their offset after it.
    std::u16string characters(size_t at) const
    {
        const auto n = static_cast<size_t>(i32(at));
        const auto offset = static_cast<size_t>(i32(at + 4)) - 8;
        std::u16string s;
        for (size_t i = 0; i < n; ++i)
            s.push_back(static_cast<char16_t>(static_cast<uint16_t>(i16(offset + 2 * i))));
        return s;
    }
};

struct EmfHeader {
    CanvasRect bounds, frame;
    size_t bytes = 0;
    size_t records = 0;
    std::u16string description;
};

struct EmfFile {
    EmfHeader header;
    std::vector<EmfRecord> records; // the header record included
    std::string error;
};

inline EmfFile readEmf(const std::string& bytes)
{
    EmfFile f;
    size_t pos = 0;
    const auto u32 = [&](size_t at) { return littleEndian(bytes, at, 4); };
    while (pos + 8 <= bytes.size()) {
        EmfRecord r;
        r.type = u32(pos);
        const uint32_t size = u32(pos + 4);
        if (size < 8 || size % 4 != 0 || pos + size > bytes.size()) {
            f.error = "bad record size at " + std::to_string(pos);
            return f;
        }
        r.data = bytes.substr(pos + 8, size - 8);
        f.records.push_back(std::move(r));
        pos += size;
        if (f.records.back().type == EmfCanvas::Eof)
            break;
    }
    if (pos != bytes.size())
        f.error = "bytes after the end record";
    if (f.records.empty() || f.records[0].type != EmfCanvas::Header) {
        f.error = "no header";
        return f;
    }
    const EmfRecord& h = f.records[0];
    if (static_cast<uint32_t>(h.i32(32)) != 0x464D4520)
        f.error = "no signature";
    f.header.bounds = h.rect(0);
    f.header.frame = h.rect(16);
    f.header.bytes = static_cast<uint32_t>(h.i32(40));
    f.header.records = static_cast<uint32_t>(h.i32(44));
    f.header.description = h.characters(52);
    return f;
}

} // namespace vemra::test

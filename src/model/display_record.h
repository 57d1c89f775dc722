// How a motion definition is drawn: two pen styles and six colours.
// New motion definitions copy the current diagram defaults.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace vemra {

// Colours are 0x00BBGGRR (red in the low byte); styles 0..4 are solid, dash,
// dot, dash-dot, dash-dot-dot.
struct DisplayRecord {
    uint8_t QStyle = 0;
    uint8_t SStyle = 0;
    int32_t QColor = 0x0000FF;      // red
    int32_t SColor = 0x000000;      // black
    int32_t MinColor = 0xFF0000;    // blue
    int32_t MaxColor = 0xFFFF00;    // aqua
    int32_t DomainColor = 0x800000; // navy
    int32_t ActivColor = 0;

    static constexpr size_t BlockSize = 28;
    // The 28-byte little-endian block kept in the settings store.
    std::array<uint8_t, BlockSize> toBlock() const;
    static std::optional<DisplayRecord> fromBlock(const uint8_t* data, size_t size);

    bool operator==(const DisplayRecord&) const = default;
};

// The defaults that new motion definitions copy. The diagram defaults
// dialog edits this value; until then it holds the built-in defaults.
DisplayRecord& diagramDefaults();

} // namespace vemra

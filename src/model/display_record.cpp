#include "display_record.h"

namespace vemra {

namespace {
void put32(uint8_t* p, int32_t v)
{
    const auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(u >> (8 * i));
}

int32_t get32(const uint8_t* p)
{
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= static_cast<uint32_t>(p[i]) << (8 * i);
    return static_cast<int32_t>(u);
}
} // namespace

std::array<uint8_t, DisplayRecord::BlockSize> DisplayRecord::toBlock() const
{
    std::array<uint8_t, BlockSize> block{};
    block[0] = QStyle;
    block[1] = SStyle;
    const int32_t colours[] = {QColor, SColor, MinColor, MaxColor, DomainColor, ActivColor};
    for (int i = 0; i < 6; ++i)
        put32(block.data() + 4 + 4 * i, colours[i]);
    return block;
}

std::optional<DisplayRecord> DisplayRecord::fromBlock(const uint8_t* data, size_t size)
{
    if (!data || size != BlockSize)
        return std::nullopt;
    DisplayRecord r;
    r.QStyle = data[0];
    r.SStyle = data[1];
    r.QColor = get32(data + 4);
    r.SColor = get32(data + 8);
    r.MinColor = get32(data + 12);
    r.MaxColor = get32(data + 16);
    r.DomainColor = get32(data + 20);
    r.ActivColor = get32(data + 24);
    return r;
}

DisplayRecord& diagramDefaults()
{
    static DisplayRecord defaults;
    return defaults;
}

} // namespace vemra

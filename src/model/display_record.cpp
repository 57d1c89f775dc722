#include "display_record.h"

#include "little_endian.h"

namespace vemra {

std::array<uint8_t, DisplayRecord::BlockSize> DisplayRecord::toBlock() const
{
    std::array<uint8_t, BlockSize> block{};
    block[0] = QStyle;
    block[1] = SStyle;
    const int32_t colours[] = {QColor, SColor, MinColor, MaxColor, DomainColor, ActivColor};
    for (int i = 0; i < 6; ++i)
        putLittleEndian32(block.data() + 4 + 4 * i, colours[i]);
    return block;
}

std::optional<DisplayRecord> DisplayRecord::fromBlock(const uint8_t* data, size_t size)
{
    if (!data || size != BlockSize)
        return std::nullopt;
    DisplayRecord r;
    r.QStyle = data[0];
    r.SStyle = data[1];
    r.QColor = getLittleEndian32(data + 4);
    r.SColor = getLittleEndian32(data + 8);
    r.MinColor = getLittleEndian32(data + 12);
    r.MaxColor = getLittleEndian32(data + 16);
    r.DomainColor = getLittleEndian32(data + 20);
    r.ActivColor = getLittleEndian32(data + 24);
    return r;
}

DisplayRecord& diagramDefaults()
{
    static DisplayRecord defaults;
    return defaults;
}

} // namespace vemra

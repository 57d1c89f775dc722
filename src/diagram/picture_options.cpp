#include "picture_options.h"

#include "formats/record_io.h"
#include "model/file_names.h"
#include "model/little_endian.h"
#include "model/save_dialog_memory.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace vemra {

namespace {

constexpr double kSqrt2 = 1.41421356237309504880;

int roundToInt(double v)
{
    return static_cast<int>(std::lround(v));
}

} // namespace

std::array<uint8_t, FontSetting::BlockSize> FontSetting::toBlock() const
{
    std::array<uint8_t, BlockSize> block{};
    putLittleEndian32(block.data(), Color);
    putLittleEndian32(block.data() + 4, Height);
    putLittleEndian32(block.data() + 8, Size);
    block[12] = Style;
    std::string name = utf8ToCp1252(Name);
    if (name.size() > 255)
        name.resize(255);
    block[13] = static_cast<uint8_t>(name.size());
    std::copy(name.begin(), name.end(), block.begin() + 14);
    return block;
}

std::optional<FontSetting> FontSetting::fromBlock(const uint8_t* data, size_t size)
{
    if (!data || size != BlockSize)
        return std::nullopt;
    FontSetting f;
    f.Color = getLittleEndian32(data);
    f.Height = getLittleEndian32(data + 4);
    f.Size = getLittleEndian32(data + 8);
    f.Style = data[12] & 0x0F;
    const size_t length = data[13]; // at most 255, always inside the block
    f.Name = cp1252ToUtf8(std::string_view(reinterpret_cast<const char*>(data + 14), length));
    return f;
}

PictureSize dinAdjust(int width, int height, bool landscape, SizeField changed)
{
    constexpr int largest = PictureExportOptions::MaxSize;
    int w = width;
    int h = height;
    if (changed == SizeField::Width) {
        if (landscape) {
            h = roundToInt(w / kSqrt2);
        } else {
            h = roundToInt(w * kSqrt2);
            if (h > largest) {
                h = largest;
                w = roundToInt(h / kSqrt2);
            }
        }
    } else if (landscape) {
        w = roundToInt(h * kSqrt2);
        if (w > largest) {
            w = largest;
            h = roundToInt(w / kSqrt2);
        }
    } else {
        w = roundToInt(h / kSqrt2);
    }
    return {w, h};
}

double bitmapScale(int resolution, double screenPixelsPerInch)
{
    if (!(screenPixelsPerInch > 0))
        return 1.0;
    switch (resolution) {
    case 1: return 180.0 / screenPixelsPerInch;
    case 2: return 300.0 / screenPixelsPerInch;
    default: return 1.0;
    }
}

PictureSize bitmapPixels(int widthMm, int heightMm, double screenPixelsPerInch, double scale)
{
    const double perMm = screenPixelsPerInch / 25.4;
    return {roundToInt(widthMm * perMm * scale), roundToInt(heightMm * perMm * scale)};
}

PictureFormat pictureFormatFor(const std::string& extension)
{
    std::string e = extension;
    std::transform(e.begin(), e.end(), e.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (e == ".BMP")
        return PictureFormat::Bmp;
    if (e == ".PNG")
        return PictureFormat::Png;
    if (e == ".WMF" || e == ".EMF")
        return PictureFormat::Emf;
    if (e == ".SVG")
        return PictureFormat::Svg;
    if (e == ".PDF")
        return PictureFormat::Pdf;
    return PictureFormat::Unknown;
}

FileDialogRequest pictureSaveRequest(const std::vector<TreeItem*>& items)
{
    FileDialogRequest request;
    request.save = true;
    request.title = "Grafik sichern";
    for (const PictureFilter& f : PictureFilters)
        request.filters.emplace_back(f.caption, f.pattern);
    request.defaultExtension = PictureFilters.front().extension + 1;
    request.confirmOverwrite = true;
    request.initialDirectory = items.empty() ? std::string() : projectFolderOf(items.front());
    request.placeKey = PicturePlace;
    return request;
}

std::string unknownFormatMessage(const std::string& extension)
{
    return "Unbekanntes Format: " + extension + "\rDie Grafik wurde nicht gesichert.";
}

} // namespace vemra

// Size, proportion, resolution and font of exported, copied and printed
// pictures, how they are kept as settings values, and the file formats a
// picture can be saved in.
#pragma once

#include "model/user_dialogs.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vemra {

class TreeItem;

// The picture font. Kept as a 272-byte block: colour, height in pixels,
// size in points, style bits (bold, italic, underline, strike-out) and the
// name as a length byte with up to 255 single-byte characters. The size
// decides; the height is kept for the block's sake.
struct FontSetting {
    int32_t Color = 0;
    int32_t Height = -11;
    int32_t Size = 8;
    uint8_t Style = 0;
    std::string Name = "MS Sans Serif"; // UTF-8

    static constexpr size_t BlockSize = 272;
    static constexpr uint8_t Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8;

    std::array<uint8_t, BlockSize> toBlock() const;
    // None for a block of another size (a damaged or hand-edited value).
    static std::optional<FontSetting> fromBlock(const uint8_t* data, size_t size);

    bool operator==(const FontSetting&) const = default;
};

struct PictureExportOptions {
    // Keep width and height in the proportion of the DIN paper sizes.
    bool Din = false;
    // With Din: the picture is wider than high.
    bool Landscape = false;
    int Width = 100;  // mm
    int Height = 150; // mm
    // 0: screen resolution, 1: 180 dpi, 2: 300 dpi.
    int Resolution = 0;
    FontSetting Font;

    static constexpr int MinSize = 50;
    static constexpr int MaxSize = 200;
};

// Which of the two size fields the user changed last.
enum class SizeField { Width, Height };

struct PictureSize {
    int width;
    int height;
    bool operator==(const PictureSize&) const = default;
};

// Width and height brought into the DIN proportion, the changed field
// leading; a result beyond the largest size takes the largest size and
// gives way in the other field.
PictureSize dinAdjust(int width, int height, bool landscape, SizeField changed);

// The factor by which bitmaps are larger than the screen picture for a
// resolution choice.
double bitmapScale(int resolution, double screenPixelsPerInch);
// Bitmap pixels for a picture of widthMm x heightMm.
PictureSize bitmapPixels(int widthMm, int heightMm, double screenPixelsPerInch, double scale);

enum class PictureFormat { Bmp, Png, Emf, Svg, Pdf, Unknown };

// By the extension (".bmp", ".EMF", ...; ".wmf" is written as an enhanced
// metafile).
PictureFormat pictureFormatFor(const std::string& extension);

// The save dialog's file types: caption and pattern.
struct PictureFilter {
    const char* caption;
    const char* pattern;
    const char* extension;
};
inline constexpr std::array<PictureFilter, 5> PictureFilters = {{
    {"Windows Bitmap (*.bmp)", "*.bmp", ".bmp"},
    {"Windows Metafile (*.wmf)", "*.wmf", ".wmf"},
    {"Enhanced  Metafile (*.emf)", "*.emf", ".emf"},
    {"Scalable Vector Graphics (*.svg)", "*.svg", ".svg"},
    {"PDF-Dokument (*.pdf)", "*.pdf", ".pdf"},
}};

// The save dialog of a picture showing items (motion definitions): it
// starts in the folder of the first one's project, keeps its place, and a
// name typed without extension takes the one of the file type chosen.
FileDialogRequest pictureSaveRequest(const std::vector<TreeItem*>& items);

// The message for a file name whose extension names no picture format.
std::string unknownFormatMessage(const std::string& extension);

} // namespace vemra

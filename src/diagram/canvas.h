// The drawing surface every diagram paints on: a pen with colour and style,
// a solid brush, lines, polylines, rectangles, text and one rectangular clip.
// The screen bitmap, the printer, PDF, SVG and metafiles implement it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vemra {

// 0x00BBGGRR, red in the low byte, as in the display record.
using Color = int32_t;
inline constexpr Color ColorBlack = 0x000000;
inline constexpr Color ColorWhite = 0xFFFFFF;
inline constexpr Color ColorGray = 0x808080;

inline constexpr int colorRed(Color c) { return c & 0xFF; }
inline constexpr int colorGreen(Color c) { return (c >> 8) & 0xFF; }
inline constexpr int colorBlue(Color c) { return (c >> 16) & 0xFF; }
inline constexpr Color makeColor(int r, int g, int b) { return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16); }

enum class PenStyle : uint8_t { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4 };

// A stored style byte; anything unknown draws solid rather than invisibly.
inline PenStyle penStyleFromByte(uint8_t style)
{
    return style <= 4 ? static_cast<PenStyle>(style) : PenStyle::Solid;
}

struct CanvasPoint {
    int x = 0;
    int y = 0;
    bool operator==(const CanvasPoint&) const = default;
};

// Right and bottom lie outside, as with every rectangle of the canvas.
struct CanvasRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const CanvasRect&) const = default;
};

class Canvas {
public:
    virtual ~Canvas() = default;

    // The pen draws lines and the outline of rectangles, one device pixel
    // wide; the brush fills rectangles.
    void SetPenColor(Color c)
    {
        penColor_ = c;
        penChanged();
    }
    void SetPenStyle(PenStyle s)
    {
        penStyle_ = s;
        penChanged();
    }
    void SetPen(Color c, PenStyle s = PenStyle::Solid)
    {
        penColor_ = c;
        penStyle_ = s;
        penChanged();
    }
    void SetBrushColor(Color c)
    {
        brushColor_ = c;
        brushChanged();
    }
    Color PenColor() const { return penColor_; }
    PenStyle PenStyleValue() const { return penStyle_; }
    Color BrushColor() const { return brushColor_; }

    virtual void MoveTo(int x, int y) = 0;
    // A line from the current position to (x, y), which becomes current.
    virtual void LineTo(int x, int y) = 0;
    virtual void Polyline(const CanvasPoint* points, int count) = 0;
    // Outline with the pen, inside with the brush; corners in any order.
    virtual void Rectangle(int x1, int y1, int x2, int y2) = 0;
    // Text with its top left corner at (x, y), UTF-8.
    virtual void TextOut(int x, int y, const std::string& text) = 0;
    virtual int TextWidth(const std::string& text) = 0;
    virtual int TextHeight(const std::string& text) = 0;

    // The clip rectangle; none means everything is drawn.
    virtual std::optional<CanvasRect> ClipRect() const = 0;
    virtual void SetClipRect(const std::optional<CanvasRect>& rect) = 0;

protected:
    virtual void penChanged() {}
    virtual void brushChanged() {}

private:
    Color penColor_ = ColorBlack;
    PenStyle penStyle_ = PenStyle::Solid;
    Color brushColor_ = ColorWhite;
};

} // namespace vemra

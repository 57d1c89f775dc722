// The canvas that writes an enhanced metafile (".emf", also for ".wmf"
// names): the records are written here directly, text is measured with
// the font as Qt finds it. One logical unit is 0.1 mm.
#pragma once

#include "diagram/canvas.h"
#include "diagram/picture_options.h"

#include <QByteArray>
#include <QFont>
#include <QFontMetrics>

#include <map>
#include <utility>
#include <vector>

namespace vemra {

class EmfCanvas : public Canvas {
public:
    // A picture of widthMm x heightMm; the font's size in points becomes
    // its height on paper.
    EmfCanvas(int widthMm, int heightMm, const FontSetting& font);

    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Polyline(const CanvasPoint* points, int count) override;
    void Rectangle(int x1, int y1, int x2, int y2) override;
    void TextOut(int x, int y, const std::string& text) override;
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string& text) override;
    std::optional<CanvasRect> ClipRect() const override { return clip_; }
    void SetClipRect(const std::optional<CanvasRect>& rect) override;

    // The finished file: header, records, end record.
    QByteArray finish();

    // Record types this canvas writes.
    enum Record : uint32_t {
        Header = 1,
        Polyline32 = 4,
        SetWindowExtEx = 9,
        SetWindowOrgEx = 10,
        SetViewportExtEx = 11,
        SetViewportOrgEx = 12,
        Eof = 14,
        SetMapMode = 17,
        SetBkMode = 18,
        SetTextAlign = 22,
        SetTextColor = 24,
        MoveToEx = 27,
        IntersectClipRect = 30,
        SaveDC = 33,
        RestoreDC = 34,
        SelectObject = 37,
        CreatePen = 38,
        CreateBrushIndirect = 39,
        EmrRectangle = 43,
        EmrLineTo = 54,
        ExtCreateFontIndirectW = 82,
        ExtTextOutW = 84,
        Polyline16 = 87,
    };

private:
    void record(uint32_t type, const QByteArray& payload);
    void realisePen();
    void realiseBrush();
    uint32_t newHandle() { return nextHandle_++; }

    int widthMm_;
    int heightMm_;
    QFont font_;
    QFontMetrics metrics_;
    QByteArray body_;
    uint32_t records_ = 0;
    uint32_t nextHandle_ = 1;
    std::map<std::pair<Color, PenStyle>, uint32_t> pens_;
    std::map<Color, uint32_t> brushes_;
    uint32_t selectedPen_ = 0;
    uint32_t selectedBrush_ = 0;
    uint32_t savedPen_ = 0;
    uint32_t savedBrush_ = 0;
    int posX_ = 0;
    int posY_ = 0;
    std::optional<CanvasRect> clip_;
    // Bounds of everything drawn, for the header.
    int boundsLeft_ = 0, boundsTop_ = 0, boundsRight_ = -1, boundsBottom_ = -1;
    void include(int x, int y);
};

// The font of a picture as Qt can draw it: the named family, or the
// system's sans-serif font where that family does not exist. The size is
// left to the caller.
QFont pictureFont(const FontSetting& setting);

} // namespace vemra

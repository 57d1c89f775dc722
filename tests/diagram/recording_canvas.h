// A canvas that remembers what was drawn, for tests that check geometry.
// Text metrics are fixed: every character 6 pixels wide, lines 13 high.
#pragma once

#include "diagram/canvas.h"

#include <optional>
#include <string>
#include <vector>

namespace vemra::test {

class RecordingCanvas : public Canvas {
public:
    enum class Kind { Line, Polyline, Rectangle, Text, Clip };
    struct Op {
        Kind kind;
        Color pen;
        PenStyle style;
        Color brush;
        std::vector<CanvasPoint> points; // line: 2, rectangle: 2 corners
        std::string text;
        std::optional<CanvasRect> clip;
    };

    static constexpr int CharWidth = 6;
    static constexpr int LineHeight = 13;

    void MoveTo(int x, int y) override { pos_ = {x, y}; }
    void LineTo(int x, int y) override
    {
        record(Kind::Line, {pos_, {x, y}});
        pos_ = {x, y};
    }
    void Polyline(const CanvasPoint* points, int count) override
    {
        record(Kind::Polyline, std::vector<CanvasPoint>(points, points + count));
    }
    void Rectangle(int x1, int y1, int x2, int y2) override { record(Kind::Rectangle, {{x1, y1}, {x2, y2}}); }
    void TextOut(int x, int y, const std::string& text) override
    {
        record(Kind::Text, {{x, y}});
        ops.back().text = text;
    }
    int TextWidth(const std::string& text) override
    {
        int characters = 0;
        for (unsigned char c : text)
            characters += (c & 0xC0) != 0x80;
        return CharWidth * characters;
    }
    int TextHeight(const std::string&) override { return LineHeight; }
    std::optional<CanvasRect> ClipRect() const override { return clip_; }
    void SetClipRect(const std::optional<CanvasRect>& rect) override
    {
        clip_ = rect;
        record(Kind::Clip, {});
    }

    std::vector<Op> of(Kind kind) const
    {
        std::vector<Op> result;
        for (const Op& op : ops)
            if (op.kind == kind)
                result.push_back(op);
        return result;
    }
    std::vector<Op> withPen(Kind kind, Color pen) const
    {
        std::vector<Op> result;
        for (const Op& op : of(kind))
            if (op.pen == pen)
                result.push_back(op);
        return result;
    }
    std::vector<std::string> texts() const
    {
        std::vector<std::string> result;
        for (const Op& op : of(Kind::Text))
            result.push_back(op.text);
        return result;
    }

    std::vector<Op> ops;

private:
    void record(Kind kind, std::vector<CanvasPoint> points)
    {
        ops.push_back({kind, PenColor(), PenStyleValue(), BrushColor(), std::move(points), {}, clip_});
    }

    CanvasPoint pos_;
    std::optional<CanvasRect> clip_;
};

} // namespace vemra::test

#include "emf_canvas.h"

#include "qpainter_canvas.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QtEndian>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace vemra {

namespace {

constexpr uint32_t kSignature = 0x464D4520; // " EMF"
constexpr uint32_t kVersion = 0x00010000;
constexpr uint32_t kIsotropic = 7;
constexpr uint32_t kTransparent = 1;
constexpr uint32_t kAlignTopLeft = 0;
constexpr uint32_t kCompatibleGraphics = 1;
constexpr uint32_t kFontHandle = 1; // created first, never replaced
constexpr int kHeaderSize = 108;

// Little-endian record payloads.
class Bytes {
public:
    Bytes& u32(uint32_t v)
    {
        char b[4];
        qToLittleEndian<quint32>(v, b);
        data.append(b, 4);
        return *this;
    }
    Bytes& i32(int32_t v) { return u32(static_cast<uint32_t>(v)); }
    Bytes& i16(int16_t v)
    {
        char b[2];
        qToLittleEndian<qint16>(v, b);
        data.append(b, 2);
        return *this;
    }
    Bytes& f32(float v)
    {
        uint32_t u = 0;
        std::memcpy(&u, &v, 4);
        return u32(u);
    }
    Bytes& rect(int l, int t, int r, int b) { return i32(l).i32(t).i32(r).i32(b); }
    Bytes& utf16(const QString& s)
    {
        for (QChar c : s)
            i16(static_cast<int16_t>(c.unicode()));
        return *this;
    }
    Bytes& pad()
    {
        while (data.size() % 4)
            data.append('\0');
        return *this;
    }
    QByteArray data;
};

bool fitsShort(int v)
{
    return v >= SHRT_MIN && v <= SHRT_MAX;
}

// Font height on paper in 0.1 mm: a point is 25.4/72 mm.
int fontUnits(int points)
{
    return std::max(1, static_cast<int>(std::lround(points * 254.0 / 72.0)));
}

} // namespace

QFont pictureFont(const FontSetting& setting)
{
    const QString family = QString::fromStdString(setting.Name);
    QFont font(family);
    if (family.isEmpty() || !QFontDatabase::hasFamily(family)) {
        // Named as the family that is actually drawn, so that a metafile
        // names a font that exists.
        font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        font.setStyleHint(QFont::SansSerif);
        font.setFamily(QFontInfo(font).family());
    }
    font.setBold(setting.Style & FontSetting::Bold);
    font.setItalic(setting.Style & FontSetting::Italic);
    font.setUnderline(setting.Style & FontSetting::Underline);
    font.setStrikeOut(setting.Style & FontSetting::StrikeOut);
    return font;
}

namespace {
QFont unitFont(const FontSetting& setting)
{
    QFont f = pictureFont(setting);
    f.setPixelSize(fontUnits(setting.Size));
    // Metrics in whole logical units that any player reproduces.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}
} // namespace

EmfCanvas::EmfCanvas(int widthMm, int heightMm, const FontSetting& setting)
    : widthMm_(std::max(widthMm, 1)), heightMm_(std::max(heightMm, 1)), font_(unitFont(setting)), metrics_(font_)
{
    const int w = widthMm_ * 10;
    const int h = heightMm_ * 10;
    record(SetMapMode, Bytes().u32(kIsotropic).data);
    record(SetWindowExtEx, Bytes().i32(w).i32(h).data);
    record(SetWindowOrgEx, Bytes().i32(0).i32(0).data);
    record(SetViewportExtEx, Bytes().i32(w).i32(h).data);
    record(SetViewportOrgEx, Bytes().i32(0).i32(0).data);
    record(SetBkMode, Bytes().u32(kTransparent).data);
    record(SetTextAlign, Bytes().u32(kAlignTopLeft).data);
    record(SetTextColor, Bytes().u32(static_cast<uint32_t>(setting.Color) & 0xFFFFFF).data);

    // The font: its height is the character height (negative), as the
    // point size means.
    const QFontInfo info(font_);
    QString face = info.family().left(31);
    Bytes logFont;
    logFont.u32(newHandle());
    logFont.i32(-font_.pixelSize()).i32(0).i32(0).i32(0).i32(font_.bold() ? 700 : 400);
    logFont.data.append(static_cast<char>(font_.italic() ? 1 : 0));
    logFont.data.append(static_cast<char>(font_.underline() ? 1 : 0));
    logFont.data.append(static_cast<char>(font_.strikeOut() ? 1 : 0));
    logFont.data.append(static_cast<char>(1)); // default character set
    logFont.data.append(4, '\0');              // precisions, quality, pitch and family
    logFont.utf16(face);
    for (qsizetype i = face.size(); i < 32; ++i)
        logFont.i16(0);
    record(ExtCreateFontIndirectW, logFont.data);
    record(SelectObject, Bytes().u32(kFontHandle).data);
}

void EmfCanvas::record(uint32_t type, const QByteArray& payload)
{
    Bytes r;
    r.u32(type).u32(static_cast<uint32_t>(8 + payload.size()));
    r.data.append(payload);
    r.pad();
    // The size field counts the padding too.
    qToLittleEndian<quint32>(static_cast<quint32>(r.data.size()), r.data.data() + 4);
    body_.append(r.data);
    ++records_;
}

void EmfCanvas::include(int x, int y)
{
    if (boundsRight_ < boundsLeft_) {
        boundsLeft_ = boundsRight_ = x;
        boundsTop_ = boundsBottom_ = y;
        return;
    }
    boundsLeft_ = std::min(boundsLeft_, x);
    boundsRight_ = std::max(boundsRight_, x);
    boundsTop_ = std::min(boundsTop_, y);
    boundsBottom_ = std::max(boundsBottom_, y);
}

// Pens and brushes are created once per colour and style and selected when
// a drawing needs them, so a picture holds only the few objects it uses.
void EmfCanvas::realisePen()
{
    const auto key = std::make_pair(PenColor() & 0xFFFFFF, PenStyleValue());
    auto it = pens_.find(key);
    if (it == pens_.end()) {
        const uint32_t handle = newHandle();
        record(CreatePen, Bytes()
                              .u32(handle)
                              .u32(static_cast<uint32_t>(key.second))
                              .i32(0)
                              .i32(0)
                              .u32(static_cast<uint32_t>(key.first))
                              .data);
        it = pens_.emplace(key, handle).first;
    }
    if (selectedPen_ != it->second) {
        record(SelectObject, Bytes().u32(it->second).data);
        selectedPen_ = it->second;
    }
}

void EmfCanvas::realiseBrush()
{
    const Color key = BrushColor() & 0xFFFFFF;
    auto it = brushes_.find(key);
    if (it == brushes_.end()) {
        const uint32_t handle = newHandle();
        record(CreateBrushIndirect, Bytes().u32(handle).u32(0).u32(static_cast<uint32_t>(key)).u32(0).data);
        it = brushes_.emplace(key, handle).first;
    }
    if (selectedBrush_ != it->second) {
        record(SelectObject, Bytes().u32(it->second).data);
        selectedBrush_ = it->second;
    }
}

void EmfCanvas::MoveTo(int x, int y)
{
    // The pen of the coming line is selected before the move: players that
    // gather lines into paths start a new path at a pen change, and that
    // path must begin with the move.
    realisePen();
    posX_ = x;
    posY_ = y;
    record(MoveToEx, Bytes().i32(x).i32(y).data);
}

void EmfCanvas::LineTo(int x, int y)
{
    realisePen();
    record(EmrLineTo, Bytes().i32(x).i32(y).data);
    include(posX_, posY_);
    include(x, y);
    posX_ = x;
    posY_ = y;
}

void EmfCanvas::Polyline(const CanvasPoint* points, int count)
{
    if (count < 2)
        return;
    realisePen();
    int l = points[0].x, r = l, t = points[0].y, b = t;
    bool small = true;
    for (int i = 0; i < count; ++i) {
        l = std::min(l, points[i].x);
        r = std::max(r, points[i].x);
        t = std::min(t, points[i].y);
        b = std::max(b, points[i].y);
        small = small && fitsShort(points[i].x) && fitsShort(points[i].y);
    }
    include(l, t);
    include(r, b);
    Bytes p;
    p.rect(l, t, r, b).u32(static_cast<uint32_t>(count));
    for (int i = 0; i < count; ++i) {
        if (small)
            p.i16(static_cast<int16_t>(points[i].x)).i16(static_cast<int16_t>(points[i].y));
        else
            p.i32(points[i].x).i32(points[i].y);
    }
    record(small ? Polyline16 : Polyline32, p.data);
}

void EmfCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    realisePen();
    realiseBrush();
    const int l = std::min(x1, x2), r = std::max(x1, x2), t = std::min(y1, y2), b = std::max(y1, y2);
    record(EmrRectangle, Bytes().rect(l, t, r, b).data);
    include(l, t);
    include(r - 1, b - 1);
}

void EmfCanvas::TextOut(int x, int y, const std::string& text)
{
    const QString s = QString::fromStdString(text);
    if (s.isEmpty())
        return;
    const int n = static_cast<int>(s.size());
    const int w = metrics_.horizontalAdvance(s);
    const int h = metrics_.height();
    include(x, y);
    include(x + w, y + h);

    // Offsets from the start of the record: the fixed part is 76 bytes.
    const uint32_t offString = 76;
    const uint32_t offDx = offString + static_cast<uint32_t>((2 * n + 3) / 4 * 4);
    Bytes p;
    p.rect(x, y, x + w, y + h);
    p.u32(kCompatibleGraphics).f32(0).f32(0);
    p.i32(x).i32(y).u32(static_cast<uint32_t>(n)).u32(offString).u32(0).rect(0, 0, -1, -1).u32(offDx);
    p.utf16(s).pad();
    // Advances in whole units that add up to the measured width, so the
    // player places every character where it was measured.
    int done = 0;
    for (int i = 0; i < n; ++i) {
        const int next = metrics_.horizontalAdvance(s.left(i + 1));
        p.i32(next - done);
        done = next;
    }
    record(ExtTextOutW, p.data);
}

int EmfCanvas::TextWidth(const std::string& text)
{
    return metrics_.horizontalAdvance(QString::fromStdString(text));
}

int EmfCanvas::TextHeight(const std::string&)
{
    return metrics_.height();
}

void EmfCanvas::SetClipRect(const std::optional<CanvasRect>& rect)
{
    // The clip is kept in a saved state of its own, so that going back to
    // the previous clip is one restore.
    if (clip_) {
        record(RestoreDC, Bytes().i32(-1).data);
        selectedPen_ = savedPen_;
        selectedBrush_ = savedBrush_;
    }
    clip_ = rect;
    if (!rect)
        return;
    savedPen_ = selectedPen_;
    savedBrush_ = selectedBrush_;
    record(SaveDC, {});
    record(IntersectClipRect, Bytes().rect(rect->left, rect->top, rect->right, rect->bottom).data);
}

QByteArray EmfCanvas::finish()
{
    if (clip_)
        SetClipRect(std::nullopt);
    Bytes eof;
    eof.u32(Eof).u32(20).u32(0).u32(16).u32(20);

    const QString description = QStringLiteral("Vemra") + QChar(0) + QStringLiteral("Diagramm") + QChar(0) + QChar(0);
    Bytes text;
    text.utf16(description).pad();
    const uint32_t headerSize = kHeaderSize + static_cast<uint32_t>(text.data.size());
    const uint32_t total = headerSize + static_cast<uint32_t>(body_.size()) + 20;

    const int w = widthMm_ * 10;
    const int h = heightMm_ * 10;
    Bytes header;
    header.u32(Header).u32(headerSize);
    if (boundsRight_ < boundsLeft_)
        header.rect(0, 0, -1, -1);
    else
        header.rect(std::max(boundsLeft_, 0), std::max(boundsTop_, 0), std::min(boundsRight_, w - 1),
                    std::min(boundsBottom_, h - 1));
    header.rect(0, 0, widthMm_ * 100, heightMm_ * 100); // frame in 0.01 mm
    header.u32(kSignature).u32(kVersion).u32(total).u32(records_ + 2);
    header.i16(static_cast<int16_t>(nextHandle_)).i16(0);
    header.u32(static_cast<uint32_t>(description.size())).u32(kHeaderSize);
    header.u32(0);                              // palette entries
    header.i32(w).i32(h);                       // reference device in pixels (0.1 mm each)
    header.i32(widthMm_).i32(heightMm_);        // ... and in millimetres
    header.u32(0).u32(0).u32(0);                // no pixel format, no OpenGL
    header.i32(widthMm_ * 1000).i32(heightMm_ * 1000); // micrometres
    header.data.append(text.data);
    return header.data + body_ + eof.data;
}

} // namespace vemra

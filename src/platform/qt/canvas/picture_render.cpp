#include "picture_render.h"

#include "emf_canvas.h"
#include "qpainter_canvas.h"

#include "formats/file_io.h"
#include "model/file_names.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <cmath>
#include <memory>

namespace vemra {

namespace {

// Vector pictures use 0.1 mm as their unit, like the metafile, so that text
// and ticks have the same proportions in every format.
constexpr int kUnitsPerMm = 10;
constexpr double kUnitsPerInch = 254.0;

int pointsToPixels(double points, double pixelsPerInch)
{
    return std::max(1, static_cast<int>(std::lround(points * pixelsPerInch / 72.0)));
}

void drawVector(QPaintDevice& device, const PictureJob& job, int pixelStep)
{
    QPainter painter(&device);
    const int w = job.widthMm * kUnitsPerMm;
    const int h = job.heightMm * kUnitsPerMm;
    QPainterCanvas canvas(painter, pictureFontPixels(job.font, pointsToPixels(job.font.Size, kUnitsPerInch)),
                          toQColor(job.font.Color), 1.0);
    job.draw(canvas, w, h, pixelStep);
}

} // namespace

QFont pictureFontPixels(const FontSetting& setting, int pixels)
{
    QFont f = pictureFont(setting);
    f.setPixelSize(std::max(pixels, 1));
    return f;
}

QImage renderBitmap(const PictureJob& job)
{
    const double r = bitmapScale(job.resolution, job.screenPixelsPerInch);
    const PictureSize size = bitmapPixels(job.widthMm, job.heightMm, job.screenPixelsPerInch, r);
    QImage image(std::max(size.width, 1), std::max(size.height, 1), QImage::Format_RGB32);
    image.fill(Qt::white);
    const double dpi = job.screenPixelsPerInch * r;
    image.setDotsPerMeterX(static_cast<int>(std::lround(dpi / 0.0254)));
    image.setDotsPerMeterY(static_cast<int>(std::lround(dpi / 0.0254)));
    // The font grows with the resolution: its size in points times r,
    // rounded, at the screen's pixels per inch.
    const auto points = std::lround(job.font.Size * r);
    QPainter painter(&image);
    QPainterCanvas canvas(painter, pictureFontPixels(job.font, pointsToPixels(points, job.screenPixelsPerInch)),
                          toQColor(job.font.Color));
    job.draw(canvas, image.width(), image.height(), 1);
    painter.end();
    return image;
}

QByteArray renderMetafile(const PictureJob& job)
{
    EmfCanvas canvas(job.widthMm, job.heightMm, job.font);
    // A sample every millimetre.
    job.draw(canvas, job.widthMm * kUnitsPerMm, job.heightMm * kUnitsPerMm, kUnitsPerMm);
    return canvas.finish();
}

QByteArray renderSvg(const PictureJob& job)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(job.widthMm * kUnitsPerMm, job.heightMm * kUnitsPerMm));
    svg.setViewBox(QRect(0, 0, job.widthMm * kUnitsPerMm, job.heightMm * kUnitsPerMm));
    svg.setResolution(static_cast<int>(kUnitsPerInch));
    svg.setTitle(QStringLiteral("Diagramm"));
    svg.setDescription(QStringLiteral("Vemra"));
    drawVector(svg, job, 2);
    return bytes;
}

QByteArray renderPdf(const PictureJob& job)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setPageSize(QPageSize(QSizeF(job.widthMm, job.heightMm), QPageSize::Millimeter));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(static_cast<int>(kUnitsPerInch));
        pdf.setCreator(QStringLiteral("Vemra"));
        pdf.setTitle(QStringLiteral("Diagramm"));
        drawVector(pdf, job, 2);
    }
    return bytes;
}

std::optional<std::string> writePictureFile(const std::string& fileName, const PictureJob& job)
{
    const std::string extension = extensionPart(fileName);
    QByteArray bytes;
    switch (pictureFormatFor(extension)) {
    case PictureFormat::Bmp:
    case PictureFormat::Png: {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        const bool bmp = pictureFormatFor(extension) == PictureFormat::Bmp;
        if (!renderBitmap(job).save(&buffer, bmp ? "BMP" : "PNG"))
            return "Die Grafik konnte nicht erzeugt werden.";
        break;
    }
    case PictureFormat::Emf: bytes = renderMetafile(job); break;
    case PictureFormat::Svg: bytes = renderSvg(job); break;
    case PictureFormat::Pdf: bytes = renderPdf(job); break;
    case PictureFormat::Unknown: return unknownFormatMessage(extension);
    }
    return replaceFile(fileName, bytes.toStdString());
}

void ensurePictureRendering(const char* argv0)
{
    if (QCoreApplication::instance())
        return;
    // Pictures need fonts, and fonts need the GUI application object; no
    // window is ever shown, so no display is needed either.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // It lives until the process ends: tearing it down while the program
    // exits would race the destruction of Qt's own globals.
    static int argc = 1;
    static char* argv[] = {const_cast<char*>(argv0 ? argv0 : "vemra"), nullptr};
    static auto* application = new QGuiApplication(argc, argv);
    (void)application;
}

} // namespace vemra

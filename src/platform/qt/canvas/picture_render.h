// A diagram page as a picture: bitmap, enhanced metafile, SVG or PDF, each
// of the size, resolution and font the picture export options give. The
// window's export, its clipboard copy and vemra-cli's plot all come here.
#pragma once

#include "picture_job.h"

#include <QByteArray>
#include <QFont>
#include <QImage>

namespace vemra {

// The bitmap at the chosen resolution; its dots per metre say so.
QImage renderBitmap(const PictureJob& job);
QByteArray renderMetafile(const PictureJob& job);
QByteArray renderSvg(const PictureJob& job);
QByteArray renderPdf(const PictureJob& job);

// The picture font at a size in device pixels.
QFont pictureFontPixels(const FontSetting& setting, int pixels);

} // namespace vemra

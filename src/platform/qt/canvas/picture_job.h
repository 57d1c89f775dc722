// What it takes to make a picture of a diagram page, without naming any
// toolkit, so that the command line can ask for pictures too.
#pragma once

#include "diagram/canvas.h"
#include "diagram/picture_options.h"

#include <functional>
#include <optional>
#include <string>

namespace vemra {

struct PictureJob {
    // Draws the page on a canvas of width x height, a curve sample every
    // pixelStep device pixels.
    std::function<void(Canvas& canvas, int width, int height, int pixelStep)> draw;
    int widthMm = 100;
    int heightMm = 150;
    // 0: screen resolution, 1: 180 dpi, 2: 300 dpi (bitmaps only).
    int resolution = 0;
    FontSetting font;
    double screenPixelsPerInch = 96;
};

// Writes the picture in the format its extension names (".bmp", ".png",
// ".emf", ".wmf", ".svg", ".pdf"), replacing the file atomically. Returns
// the message for the user when nothing was written.
std::optional<std::string> writePictureFile(const std::string& fileName, const PictureJob& job);

// Makes sure pictures with text can be rendered in a program without
// windows: creates the GUI application object on the offscreen platform
// when none exists. argv0: the program's name.
void ensurePictureRendering(const char* argv0);

} // namespace vemra

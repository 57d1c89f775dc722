// One axis of a diagram: chooses a readable value range and tick spacing
// from a raw range and a number of divisions, and maps values to device
// pixels and back.
#pragma once

#include <cstdint>

namespace vemra {

class TAxis {
public:
    // Displayed range after SetMinMax.
    double Min = 0;
    double Max = 0;
    // Device coordinates of Min and Max. On a value axis PixelStart is the
    // bottom edge, so Factor is negative there.
    int32_t PixelStart = 0;
    int32_t PixelEnd = 0;
    // Smallest multiples of the steps that are not below Min.
    double FirstMajor = 0;
    double FirstMinor = 0;
    double Factor = 0;
    double Offset = 0;
    // 0: the raw range exactly, 1: rounded out to minor ticks, 2: to major.
    uint8_t EndsMode = 1;
    bool WithZero = false;
    // Steps of 9 and 4.5 instead of 10 and 5, for degrees.
    bool AngleAxis = false;
    // The window computes the raw range itself.
    bool AutoRange = true;
    double RawMin = 0;
    double RawMax = 0;
    bool Grid = false;
    double MinorStep = 0;
    double MajorStep = 0;

    void SetMinMax(int divisions, double rawMin, double rawMax);
    void SetBorder(int32_t pixelStart, int32_t pixelEnd);
    // Nearest pixel (ties to even); 0 when the value has no pixel.
    int32_t Scale(double value) const;
    // 0 when the axis has no extent.
    double UnScale(int32_t pixel) const;
    double GetMin() const { return PixelStart; }
    double GetMax() const { return PixelEnd; }

private:
    void updateFactor();
};

// The smallest multiple i·step (i an integer) that is not below value, and
// the largest that is not above it: the very doubles that counting i up or
// down from 0 finds, without the count. step > 0.
double multipleAtOrAbove(double value, double step);
double multipleAtOrBelow(double value, double step);

} // namespace vemra

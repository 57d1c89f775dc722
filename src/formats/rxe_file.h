// ".rxe" files of older programs: one motion definition as two lines (harmonic
// count and eta variability, then eta and theta) followed by one restriction
// a line, up to a "ccc" line or the end of the file.
#pragma once

#include "format_reader.h"

namespace vemra {

inline constexpr const char* RxeExtension = ".rxe";

// Throws ReadError with the line of the damage, IncompleteFileError when the
// file ends before its second line.
TRXSet readRxe(std::string bytes);

class RxeReader : public FormatReader {
public:
    // Also in upper case, as files from Windows machines often are named.
    bool handles(const std::string& extension) const override;
    Content content() const override { return Content::MotionSet; }
    TRXSet readMotionSet(std::string bytes) const override { return readRxe(std::move(bytes)); }
};

} // namespace vemra

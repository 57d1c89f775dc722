// ".rxw" files of older programs: one motion definition in sections
// ("[Version]", "[Description]", "[MLAbs]", "[MinM]", "[Result]") in any order;
// lines outside a section and unknown sections are passed over.
#pragma once

#include "format_reader.h"

namespace vemra {

inline constexpr const char* RxwExtension = ".rxw";

// Throws ReadError with the line of the damage, IncompleteFileError when the
// file holds no complete "[MLAbs]" section.
TRXSet readRxw(std::string bytes);

class RxwReader : public FormatReader {
public:
    // Also in upper case, as files from Windows machines often are named.
    bool handles(const std::string& extension) const override;
    Content content() const override { return Content::MotionSet; }
    TRXSet readMotionSet(std::string bytes) const override { return readRxw(std::move(bytes)); }
};

} // namespace vemra

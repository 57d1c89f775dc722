#include "rxe_file.h"

#include "old_input_text.h"

namespace vemra {

TRXSet readRxe(std::string bytes)
{
    const InputText text(std::move(bytes));
    const auto& lines = text.lines();
    TRXSet set;
    if (!lines.empty())
        readMotionLine1(lines[0], set);
    if (lines.size() < 2)
        throw IncompleteFileError("Die Datei endet vor der zweiten Zeile.");
    readMotionLine2(lines[1], set);
    for (std::size_t i = 2; i < lines.size() && !isEndOfRestrictions(lines[i]); ++i)
        // Blank lines (often at the end of a hand-edited file) hold nothing.
        if (!isBlankLine(lines[i].text))
            readRestrictionLine(lines[i], set);
    return set;
}

bool RxeReader::handles(const std::string& extension) const
{
    return sameExtension(extension, RxeExtension);
}

} // namespace vemra

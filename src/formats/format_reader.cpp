#include "format_reader.h"

#include <stdexcept>

namespace vemra {

// A reader overrides the one of the two that its content() names; the
// commands ask content() first, so reaching these is a programming error.

TreeItem* FormatReader::read(ProjectTree&, std::string, const std::string&)
{
    throw std::logic_error("Dieses Dateiformat enthält kein Projekt.");
}

TRXSet FormatReader::readMotionSet(std::string) const
{
    throw std::logic_error("Dieses Dateiformat enthält keine einzelne Bewegungsvorgabe.");
}

} // namespace vemra

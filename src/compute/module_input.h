// The synthesis module's input: the whole project as a flat sequence of
// two-line node records (nine integers, twelve reals), in tree order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vemra {

class TNLMember;
class TreeItem;

// One integer field: right-aligned in 4 characters.
std::string moduleIntField(int32_t value);
// One real field: FormatSig(10, value) right-aligned in 12 characters.
std::string moduleRealField(double value);
// A value whose text fills its field (a 4-digit integer, "-6970.811543") or
// is wider gets one blank in front, so no two numbers ever touch. Shorter
// texts are padded on the left as usual.
std::string alignModuleField(const std::string& text, std::size_t width);

// Appends the two lines (CR LF) of node's IntPar[1..9] and RealPar[1..12]
// to file and clears node's Modified flag.
void WriteModuleRecord(TNLMember& node, std::string& file);

// Appends the records of the project that contains item: the project, each
// absolute motion definition followed by its restrictions, the
// restrictions of the relative motion definitions; optimisation objects
// and their members are left out. Every node that gets a record is numbered
// in IntPar[9] by its position (the project is 1), which is how the module's
// answer finds its restriction again, and every restriction's EffPar starts
// over as a copy of its RealPar.
void WriteModuleInput(TreeItem* item, std::string& file);

} // namespace vemra

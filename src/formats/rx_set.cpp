#include "rx_set.h"

#include "old_input_text.h"
#include "record_io.h"

#include "model/nodes.h"

namespace vemra {

namespace {

// One of the right-aligned codes in the first nine columns.
int32_t columnCode(const InputLine& line, std::size_t column, const char* what)
{
    std::string_view text = column < line.text.size() ? line.text.substr(column, 3) : std::string_view();
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    int32_t value = 0;
    if (text.empty() || leadingInt(text, line.number, value) != text.size())
        throw ReadError(line.number, std::string("In den Spalten ") + std::to_string(column + 1) + "-" +
                                         std::to_string(column + 3) + " steht keine ganze Zahl (" + what + ").");
    return value;
}

} // namespace

void readMotionLine1(const InputLine& line, TRXSet& set)
{
    LineScanner in(line);
    set.Harmonics = in.requireInt("der Harmonischenzahl K");
    set.EtaVariable = in.requireInt("der Kennzahl E");
    // Some writers leave the unused third number out.
    set.Unused = in.nextInt().value_or(0);
    if (set.Harmonics < 0 || set.Harmonics > MaxHarmonicCount)
        throw ReadError(line.number, "Die Harmonischenzahl K = " + std::to_string(set.Harmonics) + " ist unzulässig.");
}

void readMotionLine2(const InputLine& line, TRXSet& set)
{
    LineScanner in(line);
    set.EtaMax = in.requireReal("eta max");
    if (set.EtaVariable == 1)
        set.EtaLimit = in.requireReal("der Grenze des variablen eta");
    else
        set.EtaLimit = 0;
    set.Theta = in.requireReal("theta");
}

bool isEndOfRestrictions(const InputLine& line)
{
    return line.text.substr(0, 3) == "ccc";
}

void readRestrictionLine(const InputLine& line, TRXSet& set)
{
    if (set.Restrictions.size() >= static_cast<std::size_t>(TRXSet::MaxRestrictions))
        throw ReadError(line.number, "Mehr als " + std::to_string(TRXSet::MaxRestrictions) +
                                         " Restriktionen in einer Bewegungsvorgabe.");
    TRXRestriction r;
    r.Kind = columnCode(line, 0, "Restriktionsart");
    r.B = columnCode(line, 3, "Schrankenkennung");
    r.V = columnCode(line, 6, "Variabilitätskennung");
    if (isRelativeKind(r.Kind))
        throw ReadError(line.number, "Eine relative Restriktion (Art " + std::to_string(r.Kind) +
                                         ") braucht zwei Bewegungsvorgaben; die Datei beschreibt nur eine.");
    if (!isBandKind(r.Kind) && !isSpectrumKind(r.Kind))
        throw ReadError(line.number, "Unbekannte Restriktionsart " + std::to_string(r.Kind) + ".");
    if (isSpectrumKind(r.Kind) && (r.B < 0 || r.B > MaxHarmonicCount))
        throw ReadError(line.number, "Die Ordnung der Harmonischen " + std::to_string(r.B) + " ist unzulässig.");
    LineScanner in(line, 9);
    for (int i = 1; i <= 8; ++i)
        r.r[static_cast<std::size_t>(i)] = in.requireReal(("des Wertes r" + std::to_string(i)).c_str());
    set.Restrictions.push_back(r);
}

} // namespace vemra

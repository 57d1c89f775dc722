// How each node class reads and writes its records in the project file.

#include "nodes.h"
#include "record_io.h"

#include <algorithm>
#include <cstdint>

namespace vemra {

namespace {

constexpr int IntWidth = 4;
constexpr int StyleWidth = 3;
constexpr int ColourWidth = 10;

// Every real of a record line stands behind two blanks.
void writeRealLine(RecordWriter& out, const std::array<double, 13>& values)
{
    for (int i = 1; i <= 12; ++i) {
        out.spaces(2);
        out.realField(values[static_cast<size_t>(i)]);
    }
    out.endLine();
}

void readRealLine(RecordReader& in, std::array<double, 13>& values)
{
    for (int i = 1; i <= 12; ++i)
        values[static_cast<size_t>(i)] = in.readReal();
    in.nextLine();
}

// Pen styles 1..4 are stored as they are; anything else draws solid.
uint8_t styleFromCode(int32_t code)
{
    return code >= 1 && code <= 4 ? static_cast<uint8_t>(code) : 0;
}

// Reads count coefficients, one per line (a count below 1 reads nothing and
// leaves the vector with that count, as the rest of the model expects).
void readCoefficients(RecordReader& in, TVector& v, int32_t count)
{
    v.ReSize(count);
    if (v.Count() != count)
        throw ReadError(in.line(), "Nicht genug Speicher für " + std::to_string(count) + " Koeffizienten.");
    for (int32_t i = 0; i < count; ++i) {
        v[i] = in.readReal();
        in.nextLine();
    }
}

} // namespace

// --- TNLMember --------------------------------------------------------------

void TNLMember::WriteTo(RecordWriter& out)
{
    for (int i = 1; i <= 9; ++i)
        out.intField(IntPar[static_cast<size_t>(i)], IntWidth);
    out.endLine();
    writeRealLine(out, RealPar);
    Modified = false;
}

void TNLMember::ReadFrom(RecordReader& in)
{
    // Into a copy first: a record that breaks off leaves the node as it was
    // instead of half overwritten.
    auto ints = IntPar;
    auto reals = RealPar;
    for (int i = 1; i <= 9; ++i)
        ints[static_cast<size_t>(i)] = in.readInt();
    readRealLine(in, reals);
    IntPar = ints;
    RealPar = reals;
    Modified = false;
}

// --- TProject ---------------------------------------------------------------

void TProject::WriteTo(RecordWriter& out)
{
    IntPar[9] = HasResults ? 1 : 0;
    IntPar[7] = AllValid ? 1 : 0;
    if (IntPar[6] == 0) {
        // Advanced settings off: the module uses its own defaults, and the
        // file should not keep values that are not in effect.
        IntPar[4] = 0;
        IntPar[5] = 0;
        RealPar[1] = 0;
    }
    TNLMember::WriteTo(out);
    out.stringLine(Description);
}

void TProject::ReadFrom(RecordReader& in)
{
    TNLMember::ReadFrom(in);
    HasResults = IntPar[9] == 1;
    AllValid = IntPar[7] == 1;
    Description = in.readStringLine();
    Unsaved = false;
}

// --- TPaintObj --------------------------------------------------------------

void TPaintObj::Save(RecordWriter& out)
{
    // The reader takes the coefficient counts from IntPar[8] alone: n values
    // of s, n of q and 2(n - 1) of the torque term. Writing exactly that many
    // keeps the file readable even when a vector is shorter than usual (a
    // torque term that was never derived is written as zeros).
    const int32_t n = HasResult ? std::max<int32_t>(sSC.Count(), 0) : 0;
    IntPar[8] = n;
    IntPar[7] = ResultValid ? 0 : ResultHarm;
    TNLMember::WriteTo(out);
    if (n > 0) {
        auto writeSeries = [&](const TVector& v, int32_t count) {
            for (int32_t i = 0; i < count; ++i) {
                out.realField(i < v.Count() ? v[i] : 0.0);
                out.endLine();
            }
        };
        writeSeries(sSC, n);
        writeSeries(qSC, n);
        writeSeries(mSC, 2 * (n - 1));
    }
    out.intField(styleFromCode(QStyle), StyleWidth);
    out.intField(styleFromCode(SStyle), StyleWidth);
    for (int32_t colour : {QColor, SColor, MinColor, MaxColor, DomainColor})
        out.intField(colour, ColourWidth);
    out.endLine();
    Modified = false;
}

void TPaintObj::Load(RecordReader& in)
{
    ReadFrom(in);
    // A negative count stores no result, like 0.
    const int32_t n = std::max<int32_t>(IntPar[8], 0);
    const int64_t values = n > 0 ? 4 * int64_t(n) - 2 : 0;
    // Each value takes at least one character and a line end.
    if (values > 0 && uint64_t(values) > in.remainingBytes() / 2 + 1)
        throw ReadError(in.line(), "Die Datei enthält weniger Koeffizienten als angegeben (" + std::to_string(n) + ").");

    const bool valid = IntPar[7] == 0;
    readCoefficients(in, sSC, n);
    readCoefficients(in, qSC, n);
    // 2(n - 1) is -2 without a result: an empty vector, nothing is read.
    const int32_t torqueCount = 2 * (n - 1);
    readCoefficients(in, mSC, torqueCount);
    const int32_t qStyle = in.readInt();
    const int32_t sStyle = in.readInt();
    std::array<int32_t, 5> colours{};
    for (int32_t& c : colours)
        c = in.readInt();
    in.nextLine();

    // The flags are set only once the coefficients are in, so a motion that
    // broke off while reading never claims a result it does not hold.
    HasResult = n > 0;
    ResultValid = valid;
    ResultHarm = valid ? IntPar[3] : IntPar[7];
    QStyle = styleFromCode(qStyle);
    SStyle = styleFromCode(sStyle);
    QColor = colours[0];
    SColor = colours[1];
    MinColor = colours[2];
    MaxColor = colours[3];
    DomainColor = colours[4];
    Modified = false;
}

// --- TRXHeader --------------------------------------------------------------

void TRXHeader::Save(RecordWriter& out)
{
    TPaintObj::Save(out);
    out.stringLine(ShortName);
}

void TRXHeader::Load(RecordReader& in)
{
    TPaintObj::Load(in);
    ShortName = in.readStringLine();
}

// --- TRestr -----------------------------------------------------------------

void TRestr::WriteTo(RecordWriter& out)
{
    TNLMember::WriteTo(out);
    // The reader expects the effective parameters exactly when GroupNo is
    // positive; deciding by the same test keeps the records in step even
    // for a restriction whose IsGlobal flag disagrees with its GroupNo.
    if (GroupNo() > 0)
        writeRealLine(out, EffPar);
}

void TRestr::ReadFrom(RecordReader& in)
{
    TNLMember::ReadFrom(in);
    IsGlobal = GroupNo() > 0;
    if (IsGlobal)
        readRealLine(in, EffPar);
    else
        EffPar = RealPar;
    Modified = false;
}

} // namespace vemra

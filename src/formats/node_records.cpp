#include "node_records.h"

#include "model/nodes.h"

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

// --- every node --------------------------------------------------------------

void writeGenericRecord(RecordWriter& out, TNLMember& node)
{
    for (int i = 1; i <= 9; ++i)
        out.intField(node.IntPar[static_cast<size_t>(i)], IntWidth);
    out.endLine();
    writeRealLine(out, node.RealPar);
    node.Modified = false;
}

void readGenericRecord(RecordReader& in, TNLMember& node)
{
    // Into a copy first: a record that breaks off leaves the node as it was
    // instead of half overwritten.
    auto ints = node.IntPar;
    auto reals = node.RealPar;
    for (int i = 1; i <= 9; ++i)
        ints[static_cast<size_t>(i)] = in.readInt();
    readRealLine(in, reals);
    node.IntPar = ints;
    node.RealPar = reals;
    node.Modified = false;
}

// --- projects ---------------------------------------------------------------

void writeProjectRecord(RecordWriter& out, TProject& project)
{
    project.StoredHasResults() = project.HasResults ? 1 : 0;
    project.StoredAllValid() = project.AllValid ? 1 : 0;
    if (project.AdvancedSettings() == 0) {
        // Advanced settings off: the module uses its own defaults, and the
        // file should not keep values that are not in effect.
        project.SamplesPerStep() = 0;
        project.OptimisationSteps() = 0;
        project.StepWidth() = 0;
    }
    writeGenericRecord(out, project);
    out.stringLine(project.Description);
}

void readProjectRecord(RecordReader& in, TProject& project)
{
    readGenericRecord(in, project);
    project.HasResults = project.StoredHasResults() == 1;
    project.AllValid = project.StoredAllValid() == 1;
    project.Description = in.readStringLine();
    project.Unsaved = false;
}

// --- motion definitions ------------------------------------------------------

void writeMotionRecord(RecordWriter& out, TRXHeader& motion)
{
    // The reader takes the coefficient counts from the stored count alone: n
    // values of s, n of q and 2(n - 1) of the torque term. Writing exactly
    // that many keeps the file readable even when a vector is shorter than
    // usual (a torque term that was never derived is written as zeros).
    const int32_t n = motion.HasResult ? std::max<int32_t>(motion.sSC.Count(), 0) : 0;
    motion.StoredCoefficientCount() = n;
    motion.StoredResultHarm() = motion.ResultValid ? 0 : motion.ResultHarm;
    writeGenericRecord(out, motion);
    if (n > 0) {
        auto writeSeries = [&](const TVector& v, int32_t count) {
            for (int32_t i = 0; i < count; ++i) {
                out.realField(i < v.Count() ? v[i] : 0.0);
                out.endLine();
            }
        };
        writeSeries(motion.sSC, n);
        writeSeries(motion.qSC, n);
        writeSeries(motion.mSC, 2 * (n - 1));
    }
    out.intField(styleFromCode(motion.QStyle), StyleWidth);
    out.intField(styleFromCode(motion.SStyle), StyleWidth);
    for (int32_t colour : {motion.QColor, motion.SColor, motion.MinColor, motion.MaxColor, motion.DomainColor})
        out.intField(colour, ColourWidth);
    out.endLine();
    out.stringLine(motion.ShortName);
    motion.Modified = false;
}

void readMotionRecord(RecordReader& in, TRXHeader& motion)
{
    readGenericRecord(in, motion);
    // A negative count stores no result, like 0.
    const int32_t n = std::max<int32_t>(motion.StoredCoefficientCount(), 0);
    const int64_t values = n > 0 ? 4 * int64_t(n) - 2 : 0;
    // Each value takes at least one character and a line end.
    if (values > 0 && uint64_t(values) > in.remainingBytes() / 2 + 1)
        throw ReadError(in.line(), "Die Datei enthält weniger Koeffizienten als angegeben (" + std::to_string(n) + ").");

    const bool valid = motion.StoredResultHarm() == 0;
    readCoefficients(in, motion.sSC, n);
    readCoefficients(in, motion.qSC, n);
    // 2(n - 1) is -2 without a result: an empty vector, nothing is read.
    const int32_t torqueCount = 2 * (n - 1);
    readCoefficients(in, motion.mSC, torqueCount);
    const int32_t qStyle = in.readInt();
    const int32_t sStyle = in.readInt();
    std::array<int32_t, 5> colours{};
    for (int32_t& c : colours)
        c = in.readInt();
    in.nextLine();

    // The flags are set only once the coefficients are in, so a motion that
    // broke off while reading never claims a result it does not hold.
    motion.HasResult = n > 0;
    motion.ResultValid = valid;
    motion.ResultHarm = valid ? motion.Harmonics() : motion.StoredResultHarm();
    motion.QStyle = styleFromCode(qStyle);
    motion.SStyle = styleFromCode(sStyle);
    motion.QColor = colours[0];
    motion.SColor = colours[1];
    motion.MinColor = colours[2];
    motion.MaxColor = colours[3];
    motion.DomainColor = colours[4];
    motion.ShortName = in.readStringLine();
    motion.Modified = false;
}

// --- restrictions ---------------------------------------------------------------

void writeRestrictionRecord(RecordWriter& out, TRestr& restriction)
{
    writeGenericRecord(out, restriction);
    // The reader expects the effective parameters exactly when GroupNo is
    // positive; deciding by the same test keeps the records in step even
    // for a restriction whose IsGlobal flag disagrees with its GroupNo.
    if (restriction.GroupNo() > 0)
        writeRealLine(out, restriction.EffPar);
}

void readRestrictionRecord(RecordReader& in, TRestr& restriction)
{
    readGenericRecord(in, restriction);
    restriction.IsGlobal = restriction.GroupNo() > 0;
    if (restriction.IsGlobal)
        readRealLine(in, restriction.EffPar);
    else
        restriction.EffPar = restriction.RealPar;
    restriction.Modified = false;
}

} // namespace vemra

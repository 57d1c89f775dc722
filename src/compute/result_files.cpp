#include "result_files.h"

#include "module_files.h"
#include "number_scanner.h"

#include "protocol/exchange_files.h"

#include "model/tree_ops.h"

#include <array>
#include <vector>

namespace vemra {

namespace {

// A real results file is a few hundred kilobytes at most.
constexpr std::size_t MaxResultFileBytes = 64u << 20;

void resetEffectiveParams(TreeItem* project)
{
    for (int i = 0; i < project->ChildCount(); ++i) {
        TreeItem* header = project->Child(i);
        if (!header->NodeAs<TPaintObj>())
            continue;
        for (int j = 0; j < header->ChildCount(); ++j)
            if (auto* r = header->Child(j)->NodeAs<TRestr>())
                r->EffPar = r->RealPar;
    }
}

bool applyRecords(TreeItem* project, std::string_view text)
{
    NumberScanner in(text);
    while (!in.atEnd()) {
        std::array<int32_t, 10> ints{};
        std::array<double, 13> reals{};
        const auto first = in.readInt();
        if (!first)
            return false;
        ints[1] = *first;
        // A lone number at the very end is how a trailing line reads; it
        // starts no record.
        if (in.atEnd())
            break;
        for (int i = 2; i <= 9; ++i) {
            const auto v = in.readInt();
            if (!v)
                return false;
            ints[i] = *v;
        }
        for (int i = 1; i <= 12; ++i) {
            const auto v = in.readReal();
            if (!v)
                return false;
            reals[i] = *v;
        }
        if (ints[1] < 1 || ints[8] < 1 || ints[9] < 1)
            continue;
        TreeItem* found = FindByIdent(ints[9], project);
        if (auto* r = found ? found->NodeAs<TRestr>() : nullptr)
            for (int k = 1; k <= 12; ++k)
                r->EffPar[k] = reals[k];
    }
    return true;
}

} // namespace

std::optional<int32_t> readResultCodeFile(const std::filesystem::path& file)
{
    const auto bytes = readWholeFile(file, MaxResultFileBytes);
    if (!bytes)
        return std::nullopt;
    return parseResultCode(*bytes);
}

std::optional<int32_t> parseResultCode(std::string_view text)
{
    const std::string_view line = text.substr(0, text.find('\n'));
    NumberScanner in(line);
    const auto code = in.readInt();
    if (!code || !in.atEnd())
        return std::nullopt;
    return code;
}

bool ReadEffectiveParams(TreeItem* project, const std::filesystem::path& file)
{
    if (!project)
        return false;
    const auto bytes = readWholeFile(file, MaxResultFileBytes);
    return ApplyEffectiveParams(project, bytes ? std::optional<std::string_view>(*bytes) : std::nullopt);
}

bool ApplyEffectiveParams(TreeItem* project, std::optional<std::string_view> text)
{
    if (!project)
        return false;
    if (text && applyRecords(project, *text))
        return true;
    resetEffectiveParams(project);
    return false;
}

bool ReadCoefficientFile(TRXHeader& motion, const std::filesystem::path& directory)
{
    const auto bytes = readWholeFile(directory / protocol::coefficientFileName(motion.Number()), MaxResultFileBytes);
    return bytes && ReadCoefficients(motion, *bytes);
}

bool ReadCoefficients(TRXHeader& motion, std::string_view text)
{
    const int32_t k = motion.Harmonics();
    if (k < 0 || k > MaxReadableHarmonics)
        return false;
    const int32_t count = 2 * k + 2;
    std::vector<double> values(static_cast<std::size_t>(count));
    NumberScanner in(text);
    for (int32_t h = 0; h <= k; ++h) {
        const auto cosine = in.readReal();
        const auto sine = cosine ? in.readReal() : std::nullopt;
        if (!sine)
            return false;
        values[static_cast<std::size_t>(2 * h + 1)] = *cosine;
        values[static_cast<std::size_t>(2 * h)] = *sine;
    }
    motion.sSC.ReSize(count);
    if (motion.sSC.Count() != count)
        return false;
    for (int32_t i = 0; i < count; ++i)
        motion.sSC[i] = values[static_cast<std::size_t>(i)];
    motion.ResultValid = true;
    return true;
}

} // namespace vemra

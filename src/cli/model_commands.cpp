// vemra-cli resave, actual, eval, extrema and band: the model's file, actual
// values and evaluation seen from outside, with numbers printed exactly.
#include "commands.h"
#include "project_loading.h"

#include "formats/project_file.h"
#include "model/tree_ops.h"

#include <cstdlib>

#include <charconv>
#include <iostream>
#include <optional>

namespace vemra::cli {

namespace {

int usageError(const char* usage)
{
    std::cerr << "Aufruf: vemra-cli " << usage << '\n';
    return ExitUsage;
}

std::optional<double> parseReal(const std::string& text)
{
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<int> parseInt(const std::string& text)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

TPaintObj* findMotion(TreeItem* project, const std::string& name)
{
    TreeItem* item = findMotionItem(project, name);
    return item ? item->NodeAs<TPaintObj>() : nullptr;
}

enum class Curve { S, Q, M };

std::optional<Curve> parseCurve(const std::string& text)
{
    if (text == "s")
        return Curve::S;
    if (text == "q")
        return Curve::Q;
    if (text == "M")
        return Curve::M;
    return std::nullopt;
}

// What the evaluation commands share: the project, its motion and the order.
struct MotionArgs {
    ConsoleWorkspace console;
    TPaintObj* motion = nullptr;
};

// Loads args[0] and finds the motion args[1]; prints the reason otherwise.
int openMotion(const Args& args, MotionArgs& out)
{
    TreeItem* project = loadProject(out.console.ws, args[0]);
    if (!project)
        return ExitBadInput;
    out.motion = findMotion(project, args[1]);
    if (!out.motion) {
        std::cerr << "Bewegungsvorgabe " << args[1] << " nicht gefunden.\n";
        return ExitUsage;
    }
    return ExitOk;
}

} // namespace

int runResave(const Args& args)
{
    static const char* usage = "resave DATEI.r4p AUSGABE.r4p";
    if (args.size() != 2)
        return usageError(usage);
    ConsoleWorkspace console;
    TreeItem* project = loadProject(console.ws, args[0]);
    if (!project)
        return ExitBadInput;
    if (auto error = writeProjectFile(project, args[1])) {
        std::cerr << *error << '\n';
        return ExitBadInput;
    }
    return ExitOk;
}

int runActual(const Args& args)
{
    if (args.size() != 1)
        return usageError("actual DATEI.r4p");
    ConsoleWorkspace console;
    TreeItem* project = loadProject(console.ws, args[0]);
    if (!project)
        return ExitBadInput;
    console.ws.tree.ForEach([&](TreeItem* item) {
        const auto* r = item->NodeAs<TRestr>();
        if (!r || ProjectOf(item) != project)
            return;
        std::cout << item->Parent()->Text() << '\t' << item->Text() << '\t';
        for (int i = 1; i <= 4; ++i)
            std::cout << exactNumber(r->ActS[i]) << ' ';
        for (int i = 1; i <= 4; ++i)
            std::cout << exactNumber(r->ActQ[i]) << (i < 4 ? " " : "\n");
    });
    return ExitOk;
}

int runEval(const Args& args)
{
    static const char* usage = "eval DATEI.r4p BEWEGUNG s|q|M ABLEITUNG WINKEL...";
    if (args.size() < 5)
        return usageError(usage);
    const auto curve = parseCurve(args[2]);
    const auto order = parseInt(args[3]);
    if (!curve || !order || *order < 0 || *order > 255)
        return usageError(usage);
    std::vector<double> angles;
    for (size_t i = 4; i < args.size(); ++i) {
        const auto phi = parseReal(args[i]);
        if (!phi)
            return usageError(usage);
        angles.push_back(*phi);
    }
    MotionArgs m;
    if (int status = openMotion(args, m))
        return status;
    const auto n = static_cast<uint8_t>(*order);
    for (double phi : angles) {
        const double v = *curve == Curve::S ? m.motion->Calc_s(n, phi)
                         : *curve == Curve::Q ? m.motion->Calc_q(n, phi)
                                              : m.motion->Calc_M(phi);
        std::cout << exactNumber(v) << '\n';
    }
    return ExitOk;
}

int runExtrema(const Args& args)
{
    static const char* usage = "extrema DATEI.r4p BEWEGUNG s|q|M ABLEITUNG VON BIS";
    if (args.size() != 6)
        return usageError(usage);
    const auto curve = parseCurve(args[2]);
    const auto order = parseInt(args[3]);
    auto lo = parseReal(args[4]);
    auto hi = parseReal(args[5]);
    if (!curve || !order || *order < 0 || *order > 255 || !lo || !hi)
        return usageError(usage);
    MotionArgs m;
    if (int status = openMotion(args, m))
        return status;
    const auto n = static_cast<uint8_t>(*order);
    if (*curve == Curve::S)
        m.motion->GetMinMax_s(n, *lo, *hi);
    else if (*curve == Curve::Q)
        m.motion->GetMinMax_q(n, *lo, *hi);
    else
        m.motion->GetMinMax_M(*lo, *hi);
    std::cout << exactNumber(*lo) << ' ' << exactNumber(*hi) << '\n';
    return ExitOk;
}

int runBand(const Args& args)
{
    static const char* usage = "band DATEI.r4p BEWEGUNG ABLEITUNG VON BIS UNTEN OBEN";
    if (args.size() != 7)
        return usageError(usage);
    const auto order = parseInt(args[2]);
    auto from = parseReal(args[3]);
    auto to = parseReal(args[4]);
    const auto lower = parseReal(args[5]);
    const auto upper = parseReal(args[6]);
    if (!order || *order < 0 || *order > 255 || !from || !to || !lower || !upper)
        return usageError(usage);
    MotionArgs m;
    if (int status = openMotion(args, m))
        return status;
    m.motion->GetMinMax_phi(static_cast<uint8_t>(*order), *from, *to, *lower, *upper);
    std::cout << exactNumber(*from) << ' ' << exactNumber(*to) << '\n';
    return ExitOk;
}

} // namespace vemra::cli

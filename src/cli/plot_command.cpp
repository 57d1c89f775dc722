// vemra-cli plot: the picture of a diagram window drawn without a window,
// into a bitmap, metafile, SVG or PDF file.
#include "commands.h"
#include "project_loading.h"

#include "diagram/diagram_page.h"
#include "diagram/picture_options.h"
#include "model/tree_ops.h"

#ifdef VEMRA_CLI_PICTURES
#include "platform/qt/canvas/picture_job.h"
#endif

#include <charconv>
#include <iostream>
#include <optional>
#include <sstream>

namespace vemra::cli {

namespace {

constexpr const char* PlotUsage = "plot DATEI.r4p AUSGABE.{png,bmp,svg,pdf,emf} [--motion N|I-J]... "
                                  "[--quantities 0,1,2,3,-1] [--width MM --height MM]";

std::optional<int> parseInt(const std::string& text)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}


std::optional<QuantitySet> parseQuantities(const std::string& list)
{
    QuantitySet set{};
    std::istringstream in(list);
    std::string part;
    bool any = false;
    while (std::getline(in, part, ',')) {
        const auto order = parseInt(part);
        bool known = false;
        for (size_t q = 0; order && q < QuantityOrders.size(); ++q)
            if (QuantityOrders[q] == *order) {
                set[q] = true;
                known = any = true;
            }
        if (!known)
            return std::nullopt;
    }
    if (!any)
        return std::nullopt;
    return set;
}

int usageError(const std::string& why)
{
    if (!why.empty())
        std::cerr << why << '\n';
    std::cerr << "Aufruf: vemra-cli " << PlotUsage << '\n';
    return ExitUsage;
}

} // namespace

int runPlot(const Args& args)
{
    std::vector<std::string> files;
    std::vector<std::string> motionNames;
    QuantitySet quantities{true, true, true, false, false};
    PictureExportOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--motion" && hasValue) {
            motionNames.push_back(args[++i]);
        } else if (a == "--quantities" && hasValue) {
            const auto set = parseQuantities(args[++i]);
            if (!set)
                return usageError("Größen sind 0, 1, 2, 3 und -1, durch Kommas getrennt: " + args[i]);
            quantities = *set;
        } else if ((a == "--width" || a == "--height") && hasValue) {
            const auto mm = parseInt(args[++i]);
            if (!mm || *mm < 10 || *mm > 2000)
                return usageError("Breite und Höhe in Millimetern, 10 bis 2000: " + args[i]);
            (a == "--width" ? options.Width : options.Height) = *mm;
        } else if (a.rfind("--", 0) == 0) {
            return usageError("Unbekannte Option: " + a);
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2)
        return usageError({});

#ifndef VEMRA_CLI_PICTURES
    std::cerr << "Diese Ausgabe von vemra-cli wurde ohne Qt gebaut und kann keine Grafiken zeichnen.\n";
    return ExitUsage;
#else
    ConsoleWorkspace console;
    TreeItem* project = loadProject(console.ws, files[0]);
    if (!project)
        return ExitBadInput;

    DiagramPage page;
    page.SetQuantities(quantities);
    for (const std::string& name : motionNames) {
        TreeItem* item = findMotionItem(project, name);
        if (!item) {
            std::cerr << "Keine Bewegungsvorgabe " << name << " im Projekt.\n";
            return ExitBadInput;
        }
        page.Items.push_back(item);
    }
    if (motionNames.empty())
        for (int i = 0; i < project->ChildCount(); ++i)
            if (project->Child(i)->NodeAs<TPaintObj>())
                page.Items.push_back(project->Child(i));

    ensurePictureRendering("vemra-cli");
    PictureJob job;
    job.draw = [&](Canvas& canvas, int w, int h, int step) { page.Draw(canvas, w, h, step); };
    job.widthMm = options.Width;
    job.heightMm = options.Height;
    job.font = options.Font;
    if (const auto error = writePictureFile(files[1], job)) {
        std::string text = *error;
        for (char& c : text)
            if (c == '\r')
                c = '\n';
        std::cerr << text << '\n';
        return ExitBadInput;
    }
    return ExitOk;
#endif
}

} // namespace vemra::cli

// A main window with the real diagram windows and diagram dialogs around it
// and an example project open.
#pragma once

#include "app_fixture.h"

#include "diagram/diagram_windows.h"
#include "diagram/dlg_diag_default.h"
#include "diagram/dlg_diag_opt.h"
#include "diagram/dlg_pict_ex_opt.h"
#include "diagram/grafik_window.h"

namespace vemra::test {

// Whether any pixel of the image has the colour.
inline bool hasPixel(const QImage& image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour)
                return true;
    return false;
}

class DiagramAppTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        defaults = new TDlgDiagDefault(ws(), window.get());
        exportOptions = new TDlgPictExOpt(window.get());
        options = new TDlgDiagOpt(ws(), window.get());
        list = std::make_unique<DiagramWindowList>(DiagramContext{window.get(), options, defaults, exportOptions});
        defaults->redrawAll = [this] { list->redrawAll(); };
        changeWindows([this](AppWindows& w) {
            w.diagrams = list.get();
            w.diagramOptions = options;
            w.diagramDefaults = defaults;
            w.pictureExportOptions = exportOptions;
        });
    }
    void TearDown() override
    {
        window->setWindows({});
        list.reset();
        MainWindowTest::TearDown();
    }

    // A window for item, as "&Diagramm" opens it.
    TGrafik* openWindow(TreeItem* item)
    {
        const auto before = list->windows().size();
        list->openFor(item);
        const auto windows = list->windows();
        return windows.size() > before ? windows.back() : nullptr;
    }

    TDlgDiagDefault* defaults = nullptr;
    TDlgPictExOpt* exportOptions = nullptr;
    TDlgDiagOpt* options = nullptr;
    std::unique_ptr<DiagramWindowList> list;
};

// With a diagram window of the "hubkurve" example open.
class HubWindowTest : public DiagramAppTest {
protected:
    void SetUp() override
    {
        DiagramAppTest::SetUp();
        w = openWindow(openExample("hubkurve.r4p"));
        ASSERT_NE(w, nullptr);
    }
    TGrafik* w = nullptr;
};

} // namespace vemra::test

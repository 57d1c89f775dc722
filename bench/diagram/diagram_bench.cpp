// Cost of redrawing a diagram window with five diagrams and ten motions of
// five harmonics: one curve value the fast way and the exact way, the page
// on a canvas that draws nothing (layout, ranges, evaluation), and the whole
// picture on a 1920 x 1080 bitmap, which should take less than a frame.
#include "diagram/curve_sampler.h"
#include "diagram/diagram_page.h"

#include "model/project_tree.h"

#include <benchmark/benchmark.h>

#ifdef VEMRA_BENCH_QT
#include "platform/qt/canvas/picture_render.h"
#include "platform/qt/canvas/qpainter_canvas.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#endif

#include <memory>

namespace vemra {
namespace {

constexpr int kHarmonics = 5;
constexpr int kMotions = 10;

// Motion m: a smooth law with eta > 0 (so q is drawn too), a torque term,
// an interval band on s and a point restriction on s´.
void fillMotion(TRXHeader& r, int m)
{
    r.IntPar[2] = m + 1;
    r.IntPar[3] = kHarmonics;
    r.sSC.ReSize(2 * kHarmonics + 2);
    r.qSC.ReSize(2 * kHarmonics + 2);
    r.mSC.ReSize(2 * (2 * kHarmonics + 1));
    r.sSC[0] = 3.0;
    r.sSC[1] = 10.0 * m;
    for (int k = 1; k <= kHarmonics; ++k) {
        r.sSC[2 * k] = 20.0 / (k * k) * (1 + 0.1 * m);
        r.sSC[2 * k + 1] = 7.0 / (k * k * k);
    }
    r.qSC.assign(r.sSC);
    for (int k = 1; k <= 2 * kHarmonics; ++k)
        r.mSC[2 * k] = 50.0 / k;
    r.HasResult = r.ResultValid = true;
}

struct BenchPage {
    ProjectTree tree;
    DiagramPage page;
    BenchPage()
    {
        TreeItem* project = tree.AddTopLevel(std::make_unique<TProject>());
        for (int m = 0; m < kMotions; ++m) {
            auto motion = std::make_unique<TRXHeader>();
            fillMotion(*motion, m);
            TreeItem* item = tree.AddChild(project, std::move(motion));
            auto band = std::make_unique<TRestr>();
            band->Kind() = 10;
            band->EffPar[2] = 30 + m;
            band->EffPar[4] = 120 + m;
            band->LowerMode() = 0;
            band->UpperMode() = 1;
            band->EffPar[6] = -20;
            band->EffPar[8] = 60;
            band->EffPar[7] = 80;
            tree.AddChild(item, std::move(band));
            auto point = std::make_unique<TRestr>();
            point->Kind() = 1;
            point->EffPar[2] = 200;
            point->LowerMode() = 0;
            point->UpperMode() = 0;
            point->EffPar[6] = -5;
            point->EffPar[8] = 5;
            tree.AddChild(item, std::move(point));
            page.Items.push_back(item);
        }
        page.SetQuantities({true, true, true, true, true});
        for (TDiagram& d : page.Diagrams)
            d.XAxis.SetMinMax(8, 0, 360);
    }
};

void BM_CurveValue_Exact(benchmark::State& state)
{
    TRXHeader m;
    fillMotion(m, 3);
    double phi = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(m.Calc_s(1, phi));
        phi = phi > 360 ? 0 : phi + 0.37;
    }
}
BENCHMARK(BM_CurveValue_Exact);

void BM_CurveValue_Sampler(benchmark::State& state)
{
    TRXHeader m;
    fillMotion(m, 3);
    const CurveSampler s(m, CurveSampler::Curve::S, 1);
    double phi = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(s(phi));
        phi = phi > 360 ? 0 : phi + 0.37;
    }
}
BENCHMARK(BM_CurveValue_Sampler);

void BM_CurveSweep_1920(benchmark::State& state)
{
    TRXHeader m;
    fillMotion(m, 3);
    const CurveSampler s(m, CurveSampler::Curve::S, 1);
    std::vector<double> values(1920);
    for (auto _ : state) {
        s.sweep(0, 360.0 / 1920, values.size(), values.data());
        benchmark::DoNotOptimize(values.back());
    }
}
BENCHMARK(BM_CurveSweep_1920)->Unit(benchmark::kMicrosecond);

// The automatic value ranges of all five slots (exact evaluation).
void BM_Page_AutoRanges(benchmark::State& state)
{
    BenchPage b;
    for (auto _ : state)
        for (int slot = 0; slot < SlotCount; ++slot)
            benchmark::DoNotOptimize(b.page.AutoValueRange(slot));
}
BENCHMARK(BM_Page_AutoRanges)->Unit(benchmark::kMillisecond);

// Draws nothing, measures text as a small screen font would.
class NullCanvas : public Canvas {
public:
    void MoveTo(int, int) override {}
    void LineTo(int, int) override {}
    void Polyline(const CanvasPoint* points, int count) override { benchmark::DoNotOptimize(points[count - 1]); }
    void Rectangle(int, int, int, int) override {}
    void TextOut(int, int, const std::string&) override {}
    int TextWidth(const std::string& text) override { return 6 * static_cast<int>(text.size()); }
    int TextHeight(const std::string&) override { return 13; }
    std::optional<CanvasRect> ClipRect() const override { return clip_; }
    void SetClipRect(const std::optional<CanvasRect>& r) override { clip_ = r; }

private:
    std::optional<CanvasRect> clip_;
};

void BM_Page_NoRaster_1920x1080(benchmark::State& state)
{
    BenchPage b;
    NullCanvas canvas;
    for (auto _ : state)
        b.page.Draw(canvas, 1920, 1080, 1);
}
BENCHMARK(BM_Page_NoRaster_1920x1080)->Unit(benchmark::kMillisecond);

#ifdef VEMRA_BENCH_QT
void BM_Page_Bitmap_1920x1080(benchmark::State& state)
{
    BenchPage b;
    QImage image(1920, 1080, QImage::Format_RGB32);
    QPainter painter(&image);
    QPainterCanvas canvas(painter, pictureFontPixels(FontSetting(), 11), Qt::black);
    for (auto _ : state)
        b.page.Draw(canvas, image.width(), image.height(), 1);
}
BENCHMARK(BM_Page_Bitmap_1920x1080)->Unit(benchmark::kMillisecond);
#endif

} // namespace
} // namespace vemra

int main(int argc, char** argv)
{
#ifdef VEMRA_BENCH_QT
    // Text needs the GUI application object; no window is shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

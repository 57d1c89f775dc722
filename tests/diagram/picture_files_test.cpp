// Pictures of a diagram page as files: a bitmap and an SVG decoded back, a
// metafile parsed record by record, the unknown format, and vemra-cli plot.
#include "emf_reader.h"

#include "diagram/diagram_page.h"
#include "platform/qt/canvas/picture_render.h"

#include "commands/file_commands.h"
#include "model/tree_ops.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"
#include "support/test_data.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

namespace vemra {
namespace {

// The example project on a page with its motions, as a window shows it.
struct ExamplePage {
    test::ScriptedDialogs dialogs;
    Workspace ws{dialogs};
    DiagramPage page;
    PictureJob job;

    explicit ExamplePage(const char* name = "hubkurve.r4p")
    {
        TreeItem* project = readProjectFile(ws, test::examplePath(name).string());
        EXPECT_NE(project, nullptr);
        SortProject(ws.tree);
        for (int i = 0; project && i < project->ChildCount(); ++i)
            if (project->Child(i)->NodeAs<TPaintObj>())
                page.Items.push_back(project->Child(i));
        job.draw = [this](Canvas& c, int w, int h, int step) { page.Draw(c, w, h, step); };
    }
};

bool isBlack(QRgb c)
{
    return qRed(c) < 64 && qGreen(c) < 64 && qBlue(c) < 64;
}

TEST(PictureFiles, BitmapsDecodeBackAtTheirResolution)
{
    ExamplePage e("foerderer.r4p");
    ASSERT_FALSE(e.page.Items.empty());
    test::TempDir dir;
    struct Case {
        int resolution;
        int width, height, dpi;
    };
    for (const Case& c : {Case{0, 378, 567, 96}, Case{2, 1181, 1772, 300}}) {
        SCOPED_TRACE(c.resolution);
        e.job.resolution = c.resolution;
        const std::string file = (dir.path() / "bild.bmp").string();
        ASSERT_FALSE(writePictureFile(file, e.job));
        QImage image;
        ASSERT_TRUE(image.load(QString::fromStdString(file), "BMP"));
        EXPECT_EQ(image.width(), c.width);
        EXPECT_EQ(image.height(), c.height);
        EXPECT_NEAR(image.dotsPerMeterX() * 0.0254, c.dpi, 1);
        EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));
        // The frames of the three diagrams, where the page laid them out.
        for (int i = 0; i < 3; ++i) {
            const TDiagram& d = e.page.Diagrams[static_cast<size_t>(i)];
            // Right and bottom edge lie outside the plot's clip: no
            // restriction or curve paints over them.
            EXPECT_TRUE(isBlack(image.pixel(d.Right, d.Top))) << i;
            EXPECT_TRUE(isBlack(image.pixel(d.Right, (d.Top + d.Bottom) / 2))) << i;
            EXPECT_TRUE(isBlack(image.pixel((d.Left + d.Right) / 2, d.Bottom))) << i;
            EXPECT_EQ(image.pixel(d.Right + 1, (d.Top + d.Bottom) / 2), qRgb(255, 255, 255)) << i;
        }
        // The output motion is drawn in its own colour (red by default).
        bool red = false;
        for (int y = 0; y < image.height() && !red; ++y)
            for (int x = 0; x < image.width() && !red; ++x)
                red = image.pixel(x, y) == qRgb(255, 0, 0);
        EXPECT_TRUE(red);
    }
}

TEST(PictureFiles, SvgAndPdfAreVectorPicturesOfTheSize)
{
    ExamplePage e;
    test::TempDir dir;
    const std::string svgFile = (dir.path() / "bild.svg").string();
    ASSERT_FALSE(writePictureFile(svgFile, e.job));
    QSvgRenderer svg(QString::fromStdString(svgFile));
    ASSERT_TRUE(svg.isValid());
    EXPECT_EQ(svg.viewBox(), QRect(0, 0, 1000, 1500));
    const QByteArray content = QByteArray::fromStdString(test::readTestFile(svgFile));
    EXPECT_TRUE(content.contains("width=\"100mm\"") || content.contains("width=\"100.0mm\"")) << content.left(400).data();
    EXPECT_TRUE(content.contains("Weg s, q"));
    EXPECT_TRUE(content.contains("Beschleunigung"));
    // Rendered back: the first frame in black where the page put it.
    QImage image(1000, 1500, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    svg.render(&painter);
    painter.end();
    // (A line of 0.1 mm on a pixel border shades the pixels on both sides.)
    const TDiagram& d = e.page.Diagrams[0];
    const int y = (d.Top + d.Bottom) / 2;
    EXPECT_LT(std::min(qGray(image.pixel(d.Left - 1, y)), qGray(image.pixel(d.Left, y))), 160);
    EXPECT_EQ(image.pixel(d.Left + 5, y), qRgb(255, 255, 255));

    const std::string pdfFile = (dir.path() / "bild.pdf").string();
    ASSERT_FALSE(writePictureFile(pdfFile, e.job));
    const QByteArray bytes = QByteArray::fromStdString(test::readTestFile(pdfFile));
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_TRUE(bytes.contains("/MediaBox [0 0 283"));
}

TEST(PictureFiles, MetafileRecordByRecord)
{
    ExamplePage e;
    test::TempDir dir;
    const std::string file = (dir.path() / "bild.wmf").string();
    ASSERT_FALSE(writePictureFile(file, e.job));
    const std::string bytes = test::readTestFile(file);
    const test::EmfFile emf = test::readEmf(bytes);
    ASSERT_TRUE(emf.error.empty()) << emf.error;

    EXPECT_EQ(emf.header.frame, (CanvasRect{0, 0, 10000, 15000}));
    EXPECT_EQ(emf.header.bytes, bytes.size());
    EXPECT_EQ(emf.header.records, emf.records.size());
    EXPECT_EQ(emf.header.description, u"Vemra" + std::u16string(1, 0) + u"Diagramm" + std::u16string(2, 0));
    EXPECT_EQ(emf.records.back().type, EmfCanvas::Eof);

    const std::set<uint32_t> known = {EmfCanvas::Header, EmfCanvas::Polyline32, EmfCanvas::SetWindowExtEx,
                                      EmfCanvas::SetWindowOrgEx, EmfCanvas::SetViewportExtEx,
                                      EmfCanvas::SetViewportOrgEx, EmfCanvas::Eof, EmfCanvas::SetMapMode,
                                      EmfCanvas::SetBkMode, EmfCanvas::SetTextAlign, EmfCanvas::SetTextColor,
                                      EmfCanvas::MoveToEx, EmfCanvas::IntersectClipRect, EmfCanvas::SaveDC,
                                      EmfCanvas::RestoreDC, EmfCanvas::SelectObject, EmfCanvas::CreatePen,
                                      EmfCanvas::CreateBrushIndirect, EmfCanvas::EmrRectangle, EmfCanvas::EmrLineTo,
                                      EmfCanvas::ExtCreateFontIndirectW, EmfCanvas::ExtTextOutW,
                                      EmfCanvas::Polyline16};
    int saves = 0;
    int depth = 0;
    std::vector<CanvasRect> clips;
    std::vector<std::u16string> texts;
    size_t polylines = 0;
    for (const test::EmfRecord& r : emf.records) {
        EXPECT_TRUE(known.count(r.type)) << r.type;
        if (r.type == EmfCanvas::SaveDC) {
            ++saves;
            ++depth;
        } else if (r.type == EmfCanvas::RestoreDC) {
            --depth;
            EXPECT_GE(depth, 0);
        } else if (r.type == EmfCanvas::IntersectClipRect) {
            EXPECT_EQ(depth, 1);
            clips.push_back(r.rect());
        } else if (r.type == EmfCanvas::ExtTextOutW) {
            texts.push_back(r.text());
        } else if (r.type == EmfCanvas::Polyline16) {
            ++polylines;
            EXPECT_LE(r.points().size(), static_cast<size_t>(51));
        }
    }
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(saves, 3);
    ASSERT_EQ(clips.size(), 3u);
    EXPECT_GE(polylines, 3u); // a sample every millimetre: two polylines a curve
    // In units of 0.1 mm, the plots of the page's last layout.
    for (size_t i = 0; i < 3; ++i) {
        const TDiagram& d = e.page.Diagrams[i];
        EXPECT_EQ(clips[i], (CanvasRect{d.Left, d.Top, d.Right, d.Bottom}));
        EXPECT_GT(d.Right, 900);
    }
    EXPECT_EQ(texts.front(), u"Weg s, q");
    EXPECT_NE(std::find(texts.begin(), texts.end(), u"360"), texts.end());

    // The first lines drawn are the frame of the first diagram.
    const TDiagram& d = e.page.Diagrams[0];
    std::vector<CanvasPoint> path;
    for (const test::EmfRecord& r : emf.records) {
        if (r.type == EmfCanvas::MoveToEx && path.empty())
            path.push_back(r.point());
        else if (r.type == EmfCanvas::EmrLineTo && !path.empty() && path.size() < 5)
            path.push_back(r.point());
    }
    EXPECT_EQ(path, (std::vector<CanvasPoint>{{d.Left, d.Top}, {d.Right, d.Top}, {d.Right, d.Bottom},
                                              {d.Left, d.Bottom}, {d.Left, d.Top}}));
}

TEST(PictureFiles, UnknownFormatWritesNothing)
{
    ExamplePage e;
    test::TempDir dir;
    const auto file = dir.path() / "bild.gif";
    const auto error = writePictureFile(file.string(), e.job);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, "Unbekanntes Format: .gif\rDie Grafik wurde nicht gesichert.");
    EXPECT_FALSE(std::filesystem::exists(file));
}

#ifdef VEMRA_CLI
int runCli(const std::string& arguments)
{
    const std::string command = std::string("'") + VEMRA_CLI + "' " + arguments + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(PictureFiles, CommandLinePlot)
{
    test::TempDir dir;
    const std::string project = "'" + test::examplePath("greifer.r4p").string() + "'";
    const auto png = dir.path() / "plot.png";
    ASSERT_EQ(runCli("plot " + project + " '" + png.string() + "' --quantities 0,-1 --width 200 --height 100"), 0);
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(png.string())));
    EXPECT_EQ(image.size(), QSize(756, 378));

    const auto emf = dir.path() / "plot.emf";
    ASSERT_EQ(runCli("plot " + project + " '" + emf.string() + "' --motion 1"), 0);
    const test::EmfFile parsed = test::readEmf(test::readTestFile(emf));
    EXPECT_TRUE(parsed.error.empty()) << parsed.error;

    EXPECT_EQ(runCli("plot " + project + " '" + (dir.path() / "x.gif").string() + "'"), 2);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "x.gif"));
    EXPECT_EQ(runCli("plot " + project + " '" + png.string() + "' --motion 9"), 2);
    EXPECT_EQ(runCli("plot " + project + " '" + png.string() + "' --quantities 4"), 1);
    EXPECT_EQ(runCli("plot " + project), 1);
}
#endif

} // namespace
} // namespace vemra

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

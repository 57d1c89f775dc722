// The report window: what the RTF reader makes of the report's source, and
// the windows' life with the main window (show, rebuild, close, save, copy,
// print).
#include "app_fixture.h"

#include "app/report/rtf_document_reader.h"
#include "app/report/rtf_report_window.h"

#include "commands/file_commands.h"
#include "report/report_date.h"
#include "report/report_file.h"
#include "report/rtf_report.h"
#include "support/test_data.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QPrinter>
#include <QScreen>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFragment>
#include <QTextLayout>

namespace vemra::test {
namespace {

QByteArray goldenRtf(const char* name)
{
    const std::string bytes = readTestFile(testDataPath(std::string("rtf/") + name));
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QStringList blocks(const QTextDocument& doc)
{
    QStringList result;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        result << b.text();
    return result;
}

QTextBlock blockStartingWith(const QTextDocument& doc, const QString& text)
{
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.text().startsWith(text))
            return b;
    ADD_FAILURE() << "no block starts with " << text.toStdString();
    return {};
}

// The character format of the first occurrence of text inside block.
QTextCharFormat formatOf(const QTextBlock& block, const QString& text)
{
    for (auto it = block.begin(); !it.atEnd(); ++it)
        if (it.fragment().text().contains(text))
            return it.fragment().charFormat();
    ADD_FAILURE() << "no fragment holds " << text.toStdString();
    return {};
}

TEST(RtfDocumentReader, ShowsTheReportsTextAndLayout)
{
    RtfDocumentReader reader(RtfReadOptions{QLatin1Char(','), false});
    QTextDocument doc;
    reader.read(goldenRtf("loesung-results-comma.rtf"), doc);
    const QStringList text = blocks(doc);

    EXPECT_EQ(reader.pageHeader().left, QStringLiteral("Lösung.r4p"));
    EXPECT_EQ(reader.pageHeader().right, QStringLiteral("5.12.2026"));
    ASSERT_GT(text.size(), 20);
    EXPECT_EQ(text[0], QStringLiteral("Projekt: Lösung.r4p"));
    EXPECT_EQ(text[1], QStringLiteral("Variante {2} aus C:\\Daten\\Kurven – Stößel"));
    EXPECT_EQ(text[2], QStringLiteral("Stand: 5.12.2026"));
    for (const QString& line : {QStringLiteral("\t\t\t\tη\t=\t 0,5\t( 0,8)"), QStringLiteral("\tn\tsn\tcn\t√ (cn2 + sn2)"),
                                QStringLiteral("Forderung 5  (verknüpft im Optimierungsobjekt 1)")})
        EXPECT_TRUE(text.contains(line)) << line.toStdString();

    // Title: centred Arial, 16 pt bold.
    const QTextBlock title = doc.begin();
    EXPECT_EQ(title.blockFormat().alignment(), Qt::AlignHCenter);
    const QTextCharFormat titleFont = formatOf(title, QStringLiteral("Projekt"));
    EXPECT_EQ(titleFont.fontPointSize(), 16);
    EXPECT_EQ(titleFont.fontWeight(), QFont::Bold);
    EXPECT_EQ(titleFont.fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
    const QTextBlock coefficients = blockStartingWith(doc, QStringLiteral("\tn\tsn"));
    EXPECT_EQ(formatOf(coefficients, QStringLiteral("2")).verticalAlignment(), QTextCharFormat::AlignSuperScript);

    // A requirement line, indented by 600 twips. Laid out, its sections sit
    // where the stops put them (measured from the page margin): decimal
    // separators on the decimal stops, also behind an empty section, signs
    // centred on theirs.
    const QTextBlock eta = blockStartingWith(doc, QStringLiteral("\t\t\t\tη"));
    EXPECT_NEAR(eta.blockFormat().leftMargin(), 40, 1e-9);
    EXPECT_EQ(formatOf(eta, QStringLiteral("η")).fontFamilies().toStringList(),
              QStringList{QStringLiteral("Times New Roman")});
    doc.setTextWidth(1000);
    enum Edge { Start, Centre, End };
    struct Case {
        QString line;
        QChar at;
        bool last;
        int twips;
        Edge edge;
    };
    for (const Case& c : {
             Case{QStringLiteral("\t\t 10,0\t≤\ts\t≤\t 40,0"), QLatin1Char(','), false, 4000, Start},
             Case{QStringLiteral("\t\t 10,0\t≤\ts\t≤\t 40,0"), QLatin1Char(','), true, 7000, Start},
             Case{QStringLiteral("\t\t 10,0\t≤\ts\t≤\t 40,0"), QLatin1Char('s'), false, 5500, Centre},
             Case{QStringLiteral("\t\t-5,5\t≤\tφ*\t≤\t 160,0"), QLatin1Char(','), false, 4000, Start},
             Case{QStringLiteral("\t\t\t\tη\t=\t 0,5\t( 0,8)"), QChar(0x03B7), false, 5500, Centre},
             Case{QStringLiteral("\t\t\t\tη\t=\t 0,5\t( 0,8)"), QLatin1Char(','), true, 8500, Start},
             Case{QStringLiteral("\t1\t 20,0\t-5,0\t 20,6155"), QLatin1Char('1'), false, 2000, End},
             Case{QStringLiteral("\t1\t 20,0\t-5,0\t 20,6155"), QLatin1Char(','), true, 5500, Start},
         }) {
        const QTextBlock block = blockStartingWith(doc, c.line);
        ASSERT_TRUE(block.isValid());
        doc.documentLayout()->blockBoundingRect(block); // lays the block out
        ASSERT_EQ(block.layout()->lineCount(), 1);
        const QTextLine line = block.layout()->lineAt(0);
        const QString text = block.text();
        const int i = c.last ? text.lastIndexOf(c.at) : text.indexOf(c.at);
        const qreal x = c.edge == Start ? line.cursorToX(i)
                        : c.edge == End ? line.cursorToX(i + 1)
                                        : (line.cursorToX(i) + line.cursorToX(i + 1)) / 2;
        EXPECT_NEAR(x - line.cursorToX(0), (c.twips - 600) / 15.0, 1.0) << c.line.toStdString() << " at " << i;
    }
}

TEST(RtfDocumentReader, SmallPieces)
{
    struct Case {
        const char* rtf;
        bool symbolInstalled;
        QString text;
    };
    for (const Case& c : {
             Case{R"({\rtf1{\fonttbl{\f0 Times;}{\f2 Symbol;}}a\'e4\'80\\\{\} {\f2 hqjS)" "\xA3\xD6" "}b}", false,
                  QStringLiteral("aä€\\{} ηθφΣ≤√b")},
             Case{R"({\rtf1{\fonttbl{\f2 Symbol;}}{\f2 h}})", true, QStringLiteral("h")},
             Case{R"({\rtf1 x{\*\unknown hidden}{\stylesheet{\s0 Normal;}}y\par z})", false, QStringLiteral("xy\nz")},
             Case{R"({\rtf1 \u8364?\tab-5})", false, QStringLiteral("€\t")},
             Case{R"({\rtf1 unbalanced}}} {)", false, QStringLiteral("unbalanced ")},
         }) {
        RtfDocumentReader reader(RtfReadOptions{QLatin1Char('.'), c.symbolInstalled});
        QTextDocument doc;
        reader.read(QByteArray(c.rtf), doc);
        EXPECT_EQ(doc.toPlainText(), c.text) << c.rtf;
    }
}

class ReportWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        set = std::make_unique<ReportWindowSet>(
            ReportWindowContext{window.get(), &dialogs, [this]() -> QPrinter& { return window->printer(); }, &calendar});
        changeWindows([this](AppWindows& w) { w.reports = set.get(); });
    }
    void TearDown() override
    {
        changeWindows([this](AppWindows& w) { w.reports = &reports; });
        set.reset();
        MainWindowTest::TearDown();
    }

    FixedCalendar calendar{ReportDate{1, 2, 2027}};
    std::unique_ptr<ReportWindowSet> set;
};

TEST_F(ReportWindowTest, OneWindowPerProjectFollowsTheModel)
{
    TreeItem* hub = openExample("hubkurve.r4p");
    TreeItem* greifer = openExample("greifer.r4p");
    EXPECT_EQ(set->windowCount(), 1); // created at start, hidden

    select(hub->Child(0));
    window->UpdateMenus(hub->Child(0));
    window->NewRep->trigger();
    TRTFReport* report = set->windowFor(hub);
    ASSERT_NE(report, nullptr);
    EXPECT_TRUE(report->isVisible());
    EXPECT_EQ(report->windowTitle(), QStringLiteral("Report hubkurve.r4p"));
    EXPECT_EQ(set->windowCount(), 1);
    EXPECT_TRUE(report->view()->toPlainText().contains(QStringLiteral("Stand: 1.2.2027")));
    // The page is taller than this screen: the window takes the free area.
    const QRect area = report->screen()->availableGeometry();
    ASSERT_LT(area.height(), 820);
    EXPECT_TRUE(area.contains(report->geometry()));
    EXPECT_GT(report->height(), area.height() - 60);

    set->showFor(hub);
    set->showFor(greifer);
    EXPECT_EQ(set->windowCount(), 2);
    EXPECT_NE(set->windowFor(greifer), report);

    // An edit of the project rebuilds its report.
    hub->NodeAs<TProject>()->Description = "Neue Beschreibung {1}";
    ws().events().projectContentChanged(hub);
    EXPECT_TRUE(report->view()->toPlainText().contains(QStringLiteral("Neue Beschreibung {1}")));

    // Saved under a new name, the project's report carries it.
    select(hub);
    ASSERT_TRUE(SaveProjectAsCommand(ws(), tempFile("Kurve B.r4p")));
    EXPECT_EQ(report->windowTitle(), QStringLiteral("Report Kurve B.r4p"));
    EXPECT_EQ(report->pageHeader().left, QStringLiteral("Kurve B.r4p"));

    // Closing hides the window and frees it for the next report.
    report->close();
    EXPECT_FALSE(report->isVisible());
    EXPECT_EQ(report->GetProject(), nullptr);
    EXPECT_EQ(set->windowFor(hub), nullptr);
    hub->NodeAs<TProject>()->Description = "unbeachtet";
    set->rebuildFor(hub);
    EXPECT_FALSE(report->view()->toPlainText().contains(QStringLiteral("unbeachtet")));
    set->showFor(hub);
    EXPECT_EQ(set->windowFor(hub), report);
    EXPECT_EQ(set->windowCount(), 2);

    // A project that goes takes its report with it.
    ws().events().projectAboutToBeRemoved(greifer);
    EXPECT_EQ(set->windowFor(greifer), nullptr);
}

TEST_F(ReportWindowTest, SaveCopyAndPrint)
{
    TreeItem* hub = openExample("hubkurve.r4p");
    set->showFor(hub);
    TRTFReport* report = set->windowFor(hub);
    ASSERT_NE(report, nullptr);

    QStringList popup;
    for (QAction* a : report->popupMenu()->actions())
        popup << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(popup, (QStringList{"Hauptfenster", "-", "Drucken", "Sichern unter...", "Kopieren"}));
    EXPECT_EQ(report->actCopy->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));

    const std::string saved = tempFile("bericht.doc");
    dialogs.chooseFileResult(saved).answerYes();
    report->actSave->trigger();
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].title, "Report sichern");
    EXPECT_EQ(dialogs.last().text, ReportExtensionQuestion);
    const std::string bytes = reportFileBytes(report->Lines());
    EXPECT_EQ(fileBytes(saved), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));

    EXPECT_FALSE(report->actCopy->isEnabled());
    QTextCursor cursor = report->view()->document()->find(QStringLiteral("Projekt: hubkurve.r4p"));
    report->view()->setTextCursor(cursor);
    EXPECT_TRUE(report->actCopy->isEnabled());
    report->actCopy->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Projekt: hubkurve.r4p"));

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(tempFile("report.pdf")));
    report->printTo(printer);
    EXPECT_EQ(printer.docName(), QStringLiteral("Vemra-Report: hubkurve.r4p"));
    const QByteArray content = fileBytes(printer.outputFileName());
    EXPECT_TRUE(content.startsWith("%PDF"));
    EXPECT_GE(content.count("/Type /Page\n") + content.count("/Type /Page\r") + content.count("/Type /Page "), 2)
        << "the report of hubkurve fills more than one page";
}

} // namespace
} // namespace vemra::test

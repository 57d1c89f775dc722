#include "rtf_report_window.h"

#include "app/window_layout.h"

#include "model/numeric.h"
#include "model/tree_ops.h"
#include "model/user_dialogs.h"
#include "report/report_date.h"
#include "report/report_file.h"
#include "report/rtf_report.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace vemra {

namespace {

QByteArray bytesOf(const std::vector<std::string>& lines)
{
    const std::string bytes = reportFileBytes(lines);
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

// --- one window ---------------------------------------------------------------

TRTFReport::TRTFReport(const ReportWindowContext& context)
    : QWidget(context.mainWindow, Qt::Window), context_(context)
{
    setObjectName(QStringLiteral("TRTFReport"));
    setWindowTitle(QStringLiteral("Report"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new QTextEdit(this);
    view_->setReadOnly(true);
    // Read, select and copy with keyboard as well as mouse.
    view_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(view_);
    resize(720, 820);

    popup_ = new QMenu(this);
    actMainWindow = popup_->addAction(QStringLiteral("Hauptfenster"), this, &TRTFReport::showMainWindow);
    popup_->addSeparator();
    actPrint = popup_->addAction(QStringLiteral("Drucken"), this, &TRTFReport::printReport);
    actSave = popup_->addAction(QStringLiteral("Sichern unter..."), this, &TRTFReport::saveReport);
    actCopy = popup_->addAction(QStringLiteral("Kopieren"), this, &TRTFReport::copySelection);
    actCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    actCopy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    actCopy->setEnabled(false);
    addAction(actCopy);

    connect(view_, &QTextEdit::customContextMenuRequested, this, [this](const QPoint& pos) {
        // Printers come and go while the program runs.
        actPrint->setEnabled(!QPrinterInfo::availablePrinterNames().isEmpty());
        popup_->popup(view_->viewport()->mapToGlobal(pos));
    });
    connect(view_, &QTextEdit::copyAvailable, actCopy, &QAction::setEnabled);
}

QString TRTFReport::projectName() const
{
    return project_ ? QString::fromStdString(project_->Text()) : QString();
}

void TRTFReport::SetProject(TreeItem* item)
{
    project_ = ProjectOf(item);
    Generate();
}

void TRTFReport::Generate()
{
    if (!project_)
        return;
    lines_ = GenerateReport(project_, context_.calendar->today());
    setWindowTitle(QString::fromStdString(reportCaption(project_)));

    // A rebuilt report keeps the place the reader was looking at.
    QScrollBar* bar = view_->verticalScrollBar();
    const int position = bar->value();
    RtfReadOptions options;
    options.decimalSeparator = QLatin1Char(localeDecimalSeparator());
    RtfDocumentReader reader(options);
    reader.read(bytesOf(lines_), *view_->document());
    header_ = reader.pageHeader();
    // The view's cursor went along with the text to its end; back to the
    // start, so that showing the window does not scroll down to it.
    view_->setTextCursor(QTextCursor(view_->document()));
    bar->setValue(std::min(position, bar->maximum()));
    actCopy->setEnabled(false);
}

void TRTFReport::showMainWindow()
{
    if (QWidget* main = context_.mainWindow) {
        main->show();
        main->raise();
        main->activateWindow();
    }
}

void TRTFReport::printReport()
{
    if (!project_ || !context_.printer)
        return;
    QPrinter& printer = context_.printer();
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    printTo(printer);
}

void TRTFReport::printTo(QPrinter& printer)
{
    printer.setDocName(QStringLiteral("Vemra-Report: ") + projectName());
    printReportDocument(*view_->document(), header_, printer);
}

void TRTFReport::saveReport()
{
    if (!project_ || !context_.dialogs)
        return;
    const auto chosen = context_.dialogs->chooseFile(reportSaveRequest(project_));
    if (chosen)
        SaveReportCommand(*context_.dialogs, lines_, *chosen);
}

void TRTFReport::copySelection()
{
    if (view_->textCursor().hasSelection())
        view_->copy();
}

void TRTFReport::closeEvent(QCloseEvent* event)
{
    project_ = nullptr;
    hide();
    event->accept();
}

// --- all windows --------------------------------------------------------------

ReportWindowSet::ReportWindowSet(const ReportWindowContext& context) : context_(context)
{
    windows_.emplace_back(new TRTFReport(context_));
}

ReportWindowSet::~ReportWindowSet()
{
    for (auto& w : windows_)
        delete w.data();
}

TRTFReport* ReportWindowSet::windowFor(TreeItem* item) const
{
    TreeItem* project = ProjectOf(item);
    if (!project)
        return nullptr;
    for (const auto& w : windows_)
        if (w && w->GetProject() == project)
            return w;
    return nullptr;
}

int ReportWindowSet::windowCount() const
{
    return static_cast<int>(std::count_if(windows_.begin(), windows_.end(), [](const auto& w) { return !w.isNull(); }));
}

void ReportWindowSet::showFor(TreeItem* item)
{
    TreeItem* project = ProjectOf(item);
    if (!project)
        return;
    TRTFReport* window = windowFor(project);
    if (!window) {
        // A closed window is as good as a new one.
        for (const auto& w : windows_)
            if (w && !w->GetProject()) {
                window = w;
                break;
            }
        if (!window) {
            window = new TRTFReport(context_);
            windows_.emplace_back(window);
        }
        window->SetProject(project);
    }
    // The report's page is tall; on a small screen the window takes what
    // the desktop leaves free rather than reaching below its edge.
    if (!window->isVisible())
        fitToAvailableArea(*window);
    window->show();
    window->raise();
    window->activateWindow();
}

void ReportWindowSet::closeFor(TreeItem* project)
{
    for (const auto& w : windows_)
        if (w && w->GetProject() && w->GetProject() == ProjectOf(project))
            w->close();
}

void ReportWindowSet::rebuildFor(TreeItem* project)
{
    for (const auto& w : windows_)
        if (w && w->GetProject() && w->GetProject() == ProjectOf(project))
            w->Generate();
}

// --- printing -----------------------------------------------------------------

void printReportDocument(const QTextDocument& document, const RtfPageHeader& header, QPrinter& printer)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    std::unique_ptr<QTextDocument> doc(document.clone());
    QAbstractTextDocumentLayout* layout = doc->documentLayout();
    layout->setPaintDevice(&printer);

    // Margins in the document's units (96 per inch), which the layout
    // scales to the printer; the header sits in the top margin.
    const qreal unit = 96.0 / 2.54;
    const qreal margin = 2.0 * unit;
    QTextFrameFormat frame = doc->rootFrame()->frameFormat();
    frame.setLeftMargin(margin);
    frame.setRightMargin(margin);
    frame.setTopMargin(margin + 0.5 * unit);
    frame.setBottomMargin(margin);
    doc->rootFrame()->setFrameFormat(frame);
    const QRectF page(0, 0, printer.width(), printer.height());
    doc->setPageSize(page.size());

    const qreal scale = printer.logicalDpiY() / 96.0;
    QFont headerFont(QStringLiteral("Arial"), 8);
    headerFont.setBold(true);
    headerFont.setItalic(true);
    headerFont.setUnderline(true);
    const QRectF headerBox(margin * scale, margin * scale - 2 * QFontMetricsF(headerFont, &printer).height(),
                           page.width() - 2 * margin * scale, QFontMetricsF(headerFont, &printer).height() * 1.5);

    const int pages = doc->pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            printer.newPage();
        painter.save();
        painter.translate(0, -i * page.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, i * page.height(), page.width(), page.height());
        layout->draw(&painter, context);
        painter.restore();

        painter.setFont(headerFont);
        painter.drawText(headerBox, Qt::AlignLeft | Qt::AlignBottom, header.left);
        painter.drawText(headerBox, Qt::AlignRight | Qt::AlignBottom, header.right);
    }
    painter.end();
}

} // namespace vemra

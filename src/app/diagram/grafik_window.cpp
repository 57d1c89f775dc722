#include "grafik_window.h"

#include "dlg_diag_opt.h"
#include "dlg_pict_ex_opt.h"

#include "app/dlg_main.h"
#include "app/project_tree_view.h"

#include "diagram/picture_options.h"
#include "model/file_names.h"
#include "model/tree_ops.h"
#include "platform/qt/canvas/emf_canvas.h"
#include "platform/qt/canvas/picture_render.h"
#include "platform/qt/canvas/qpainter_canvas.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QResizeEvent>
#include <QVBoxLayout>

#include <cmath>

namespace vemra {

namespace {

// The panel around the paint box; it places the box whenever its size
// changes.
class GrafikPanel : public QFrame {
public:
    GrafikPanel(TGrafik& window) : QFrame(&window), window_(window)
    {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setLineWidth(2);
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QFrame::resizeEvent(event);
        window_.layoutPaintBox();
    }

private:
    TGrafik& window_;
};

const char* const QuantityCaptions[SlotCount] = {"&Weg", "&Geschwindigkeit", "&Beschleunigung", "&Ruck",
                                                 "&Antriebsmoment"};

int pointsToPixels(double points, double pixelsPerInch)
{
    return std::max(1, static_cast<int>(std::lround(points * pixelsPerInch / 72.0)));
}

} // namespace

// --- paint box ----------------------------------------------------------------------

GrafikPaintBox::GrafikPaintBox(TGrafik& window) : QWidget(window.panel()), window_(window)
{
    setObjectName(QStringLiteral("PaintBox"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GrafikPaintBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, window_.Bitmap);
    if (window_.ZoomDragging) {
        // The rubber band inverts what lies under it.
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawRect(window_.ZoomRect.normalized());
    }
}

void GrafikPaintBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    window_.ZoomDragging = true;
    const QPoint p = event->position().toPoint();
    window_.ZoomRect = QRect(p, p);
    update();
}

void GrafikPaintBox::mouseMoveEvent(QMouseEvent* event)
{
    if (!window_.ZoomDragging)
        return;
    window_.ZoomRect.setBottomRight(event->position().toPoint());
    update();
}

void GrafikPaintBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !window_.ZoomDragging)
        return;
    window_.ZoomDragging = false;
    window_.ZoomRect.setBottomRight(event->position().toPoint());
    update();
    window_.zoom(window_.ZoomRect);
}

void GrafikPaintBox::mouseDoubleClickEvent(QMouseEvent*)
{
    window_.ZoomDragging = false;
    window_.showOptions();
}

void GrafikPaintBox::contextMenuEvent(QContextMenuEvent* event)
{
    window_.updateMenu();
    window_.PopupMenu->exec(event->globalPos());
}

// --- window -------------------------------------------------------------------------

TGrafik::TGrafik(const DiagramContext& context, QWidget* parent) : QWidget(parent, Qt::Window), context_(context)
{
    setObjectName(QStringLiteral("TGrafik"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Grafik"));
    setAcceptDrops(true);
    panel_ = new GrafikPanel(*this);
    paintBox_ = new GrafikPaintBox(*this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel_);

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    const auto entry = [this](const char* name, const QString& caption, void (TGrafik::*command)()) {
        QAction* a = PopupMenu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, [this, command] { (this->*command)(); });
        return a;
    };
    Hauptfenster = entry("Hauptfenster", QStringLiteral("&Hauptfenster"), &TGrafik::showMainWindow);
    GrafikOptionen = entry("GrafikOptionen", QStringLiteral("Grafik-&Optionen"), &TGrafik::showOptions);
    PopupMenu->addSeparator();
    GrafikKopieren = entry("GrafikKopieren", QStringLiteral("Grafik &kopieren"), &TGrafik::copyToClipboard);
    GrafikSichern = entry("GrafikSichern", QStringLiteral("Grafik &sichern ..."), &TGrafik::saveAs);
    GrafikDrucken = entry("GrafikDrucken", QStringLiteral("Grafik &drucken"), &TGrafik::print);
    PopupMenu->addSeparator();
    AutoSkalierung = entry("AutoSkalierung", QStringLiteral("automatische Skalierung"), &TGrafik::autoScale);
    PopupMenu->addSeparator();
    for (int i = 0; i < SlotCount; ++i) {
        QAction* a = PopupMenu->addAction(QString::fromUtf8(QuantityCaptions[i]));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, i] { toggleQuantity(i); });
        Quantities[static_cast<size_t>(i)] = a;
    }

    resize(420, 560);
}

TGrafik::~TGrafik()
{
    if (context_.options)
        context_.options->windowClosing(this);
}

void TGrafik::Redraw()
{
    if (bitmapSize_.isEmpty())
        layoutPaintBox();
    const QSize size = bitmapSize_.isEmpty() ? QSize(1, 1) : bitmapSize_;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (Bitmap.size() != size)
        Bitmap = QImage(size, QImage::Format_RGB32);
    {
        QPainter painter(&Bitmap);
        const FontSetting font = context_.exportOptions ? context_.exportOptions->options().Font : FontSetting();
        QPainterCanvas canvas(painter,
                              pictureFontPixels(font, pointsToPixels(font.Size, TDlgPictExOpt::screenPixelsPerInch())),
                              toQColor(font.Color));
        Page.Draw(canvas, size.width(), size.height(), 1);
    }
    QApplication::restoreOverrideCursor();
    LastWidth = size.width();
    LastHeight = size.height();
    paintBox_->update();
    Dirty = false;
}

void TGrafik::layoutPaintBox()
{
    const PaintBoxGeometry g = PaintBoxSize(panel_->width(), panel_->height(), panel_->frameWidth());
    Landscape = g.Landscape;
    paintBox_->setGeometry(g.BoxLeft, g.BoxTop, g.BoxWidth, g.BoxHeight);
    bitmapSize_ = QSize(g.BitmapWidth, g.BitmapHeight);
    if (g.BitmapWidth != LastWidth || g.BitmapHeight != LastHeight)
        Redraw();
}

void TGrafik::RemoveItem(const TreeItem* item)
{
    Page.RemoveItem(item);
    Dirty = true;
}

bool TGrafik::AddItem(TreeItem* item)
{
    if (!item || !item->NodeAs<TPaintObj>() || Page.Contains(item))
        return false;
    Page.Items.push_back(item);
    return true;
}

PictureJob TGrafik::pictureJob() const
{
    PictureJob job;
    // The picture is laid out on a copy, so that the window's own layout
    // (which the zoom reads) stays as the screen shows it.
    job.draw = [page = Page](Canvas& c, int w, int h, int step) mutable { page.Draw(c, w, h, step); };
    if (context_.exportOptions) {
        const PictureExportOptions& o = context_.exportOptions->options();
        job.widthMm = o.Width;
        job.heightMm = o.Height;
        job.resolution = o.Resolution;
        job.font = o.Font;
    }
    job.screenPixelsPerInch = TDlgPictExOpt::screenPixelsPerInch();
    return job;
}

// --- menu commands -------------------------------------------------------------------

void TGrafik::updateMenu()
{
    const QuantitySet shown = Page.Quantities();
    const auto count = std::count(shown.begin(), shown.end(), true);
    for (size_t i = 0; i < Quantities.size(); ++i) {
        Quantities[i]->setChecked(shown[i]);
        Quantities[i]->setEnabled(!(count == 1 && shown[i]));
    }
    GrafikDrucken->setEnabled(!QPrinterInfo::availablePrinters().isEmpty());
}

void TGrafik::showMainWindow()
{
    if (QWidget* main = context_.main) {
        main->show();
        main->raise();
        main->activateWindow();
    }
}

void TGrafik::showOptions()
{
    if (!context_.options)
        return;
    context_.options->attach(this);
    context_.options->show();
    context_.options->raise();
}

void TGrafik::autoScale()
{
    Page.AutoScale();
    if (context_.options)
        context_.options->attach(this);
    else
        Redraw();
}

void TGrafik::toggleQuantity(int index)
{
    if (context_.options) {
        context_.options->attach(this);
        context_.options->toggleQuantity(index);
        return;
    }
    QuantitySet set = Page.Quantities();
    set[static_cast<size_t>(index)] = !set[static_cast<size_t>(index)];
    if (std::count(set.begin(), set.end(), true) == 0)
        return;
    Page.SetQuantities(set);
    Redraw();
}

void TGrafik::zoom(const QRect& rect)
{
    // The corners as the mouse gave them, in any order (the page sorts
    // them); normalising the rectangle here would cost it a pixel.
    if (!Page.Zoom(CanvasRect{rect.left(), rect.top(), rect.right(), rect.bottom()}))
        return;
    if (context_.options)
        context_.options->attach(this);
    else
        Redraw();
}

void TGrafik::copyToClipboard()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const PictureJob job = pictureJob();
    auto* data = new QMimeData;
    data->setImageData(renderBitmap(job));
    // The vector flavours: SVG for most programs, the metafile for those
    // that take it.
    data->setData(QStringLiteral("image/svg+xml"), renderSvg(job));
    data->setData(QStringLiteral("image/x-emf"), renderMetafile(job));
    QApplication::clipboard()->setMimeData(data);
    QApplication::restoreOverrideCursor();
}

void TGrafik::saveAs()
{
    if (!context_.main)
        return;
    UserDialogs& dialogs = context_.main->workspace().dialogs();
    const auto fileName = dialogs.chooseFile(pictureSaveRequest(Page.Items));
    if (!fileName)
        return;
    if (pictureFormatFor(extensionPart(*fileName)) == PictureFormat::Unknown) {
        dialogs.error(unknownFormatMessage(extensionPart(*fileName)));
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto error = writePictureFile(*fileName, pictureJob());
    QApplication::restoreOverrideCursor();
    if (error)
        dialogs.error(*error);
}

void TGrafik::print()
{
    if (context_.main && !QPrinterInfo::availablePrinters().isEmpty())
        printTo(context_.main->printer());
}

void TGrafik::printTo(QPrinter& printer)
{
    const QPageLayout::Orientation previous = printer.pageLayout().orientation();
    printer.setPageOrientation(Landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPainter painter;
    if (painter.begin(&printer)) {
        const PictureJob job = pictureJob();
        const double dpi = printer.resolution();
        // Lines of about 0.1 mm: a printer pixel alone is next to invisible.
        QPainterCanvas canvas(painter, pictureFontPixels(job.font, pointsToPixels(job.font.Size, dpi)),
                              toQColor(job.font.Color), std::max(1.0, dpi / 254.0));
        job.draw(canvas, printer.width(), printer.height(), 2);
        painter.end();
    }
    printer.setPageOrientation(previous);
}

// --- events ---------------------------------------------------------------------------

void TGrafik::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && context_.options)
        context_.options->attach(this);
}

void TGrafik::closeEvent(QCloseEvent* event)
{
    if (context_.options)
        context_.options->windowClosing(this);
    event->accept();
}

void TGrafik::status(const QString& text)
{
    if (context_.main)
        context_.main->setStatusText(text);
}

TreeItem* TGrafik::acceptableDrag(const QMimeData* data)
{
    TreeItem* item = context_.main && context_.main->TVProjects ? context_.main->TVProjects->draggedItem(data) : nullptr;
    if (item && item->NodeAs<TRXHeader>()) {
        status(QStringLiteral("Bewegungsgesetz grafisch darstellen"));
        return item;
    }
    status(item && item->NodeAs<TProject>() ? QStringLiteral("Projekt ist bereits im Diagramm enthalten") : QString());
    return nullptr;
}

void TGrafik::dragEnterEvent(QDragEnterEvent* event)
{
    // Every drag from the tree is followed, so that the window hears when it
    // leaves again; whether it may drop is said with each move.
    if (!context_.main || !context_.main->TVProjects || !context_.main->TVProjects->draggedItem(event->mimeData())) {
        event->ignore();
        return;
    }
    const bool acceptable = acceptableDrag(event->mimeData()) != nullptr;
    event->setDropAction(acceptable ? Qt::CopyAction : Qt::IgnoreAction);
    event->accept();
}

void TGrafik::dragMoveEvent(QDragMoveEvent* event)
{
    if (acceptableDrag(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TGrafik::dragLeaveEvent(QDragLeaveEvent* event)
{
    status(QString());
    event->accept();
}

void TGrafik::dropEvent(QDropEvent* event)
{
    TreeItem* item = acceptableDrag(event->mimeData());
    status(QString());
    if (!item) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (AddItem(item)) {
        if (context_.options)
            context_.options->attach(this);
        else
            Redraw();
    }
}

} // namespace vemra

// A diagram window ("Grafik"): the curves of a list of motion definitions
// in up to five diagrams, drawn into an off-screen bitmap of DIN
// proportions. The user zooms with the mouse, switches quantities and
// opens the options, copies, saves and prints the picture through the
// context menu, and drops motion definitions from the project tree on it.
#pragma once

#include "diagram/diagram_page.h"
#include "platform/qt/canvas/picture_job.h"

#include <QFrame>
#include <QImage>
#include <QWidget>

#include <array>
#include <string>

class QAction;
class QMenu;
class QMimeData;
class QPrinter;

namespace vemra {

class TDlgDiagDefault;
class TDlgDiagOpt;
class TDlgMain;
class TDlgPictExOpt;
class TGrafik;

// What a diagram window needs of the rest of the program.
struct DiagramContext {
    TDlgMain* main = nullptr;
    TDlgDiagOpt* options = nullptr;
    TDlgDiagDefault* defaults = nullptr;
    TDlgPictExOpt* exportOptions = nullptr;
};

// The part of the window that shows the bitmap and the zoom rectangle.
class GrafikPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit GrafikPaintBox(TGrafik& window);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    TGrafik& window_;
};

class TGrafik : public QWidget {
    Q_OBJECT
public:
    TGrafik(const DiagramContext& context, QWidget* parent);
    ~TGrafik() override;

    // Slots, items, highlight colour and ShowRestrictions.
    DiagramPage Page;
    QImage Bitmap;
    int LastWidth = 0;
    int LastHeight = 0;
    bool Landscape = false;
    bool Dirty = false;
    bool ZoomDragging = false;
    QRect ZoomRect;

    // Draws the page onto the bitmap at its size and shows it.
    void Redraw();
    // Removes every occurrence of item and marks the window for redrawing.
    void RemoveItem(const TreeItem* item);
    // Adds a motion definition at the end of the list (once).
    bool AddItem(TreeItem* item);
    // A picture job for the current page, with the export options.
    PictureJob pictureJob() const;

    // The context menu's commands.
    void showMainWindow();
    void showOptions();
    void copyToClipboard();
    void saveAs();
    void print();
    void printTo(QPrinter& printer);
    void autoScale();
    void toggleQuantity(int index);
    // Applies a zoom rectangle in bitmap pixels: the press and release
    // points as its top left and bottom right corners, in whatever order.
    void zoom(const QRect& rect);

    QMenu* PopupMenu;
    QAction* Hauptfenster;
    QAction* GrafikOptionen;
    QAction* GrafikKopieren;
    QAction* GrafikSichern;
    QAction* GrafikDrucken;
    QAction* AutoSkalierung;
    std::array<QAction*, SlotCount> Quantities;
    // Brings the menu's check marks and enabled states up to date.
    void updateMenu();

    GrafikPaintBox* paintBox() const { return paintBox_; }
    QFrame* panel() const { return panel_; }
    const DiagramContext& context() const { return context_; }

    // Sets the paint box and bitmap sizes for the panel's size; redraws when
    // the bitmap size changed.
    void layoutPaintBox();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // What a drag from the project tree would do here; sets the status.
    TreeItem* acceptableDrag(const QMimeData* data);
    void status(const QString& text);

    DiagramContext context_;
    QFrame* panel_;
    GrafikPaintBox* paintBox_;
    QSize bitmapSize_;
};

} // namespace vemra

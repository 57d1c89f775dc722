#include "main_window_size.h"

#include "project_tree_view.h"
#include "window_layout.h"

#include <QDockWidget>
#include <QEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>

#include <algorithm>

namespace vemra {

namespace {

// Status widths are rounded up to steps of this many pixels, so that a
// running clock or a growing step number widens the window once, not at
// every digit.
constexpr int StatusStep = 40;

} // namespace

MainWindowSizer::MainWindowSizer(QMainWindow& window, ProjectTreeView& tree, QStatusBar& status)
    : QObject(&window), window_(window), tree_(tree), status_(status)
{
    window_.installEventFilter(this);
    status_.installEventFilter(this);
    QAbstractItemModel* model = tree_.model();
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(model, signal, this, [this] { schedule(); });
    connect(model, &QAbstractItemModel::dataChanged, this, [this] { schedule(); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { schedule(); });
    connect(&status_, &QStatusBar::messageChanged, this, [this] { noteStatusWidth(); });
}

int MainWindowSizer::preferredWidth() const
{
    const int frame = tree_.width() - tree_.viewport()->width();
    const int width = mainWindowWidth(tree_.itemExtents(), frame, tree_.indentation(), tree_.x());
    // A panel docked beside the tree (only the right side is offered)
    // keeps its own width.
    int docked = 0;
    for (QDockWidget* dock : window_.findChildren<QDockWidget*>(Qt::FindDirectChildrenOnly))
        if (dock->isVisible() && !dock->isFloating() && window_.dockWidgetArea(dock) == Qt::RightDockWidgetArea)
            docked += dock->width() + window_.style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, &window_);
    // A menu bar here does not wrap into a second line as it would on
    // Windows; the window stays wide enough to show every menu title.
    return std::max({width + docked, window_.menuBar()->sizeHint().width(), statusWidth_});
}

void MainWindowSizer::apply()
{
    scheduled_ = false;
    if (applying_ || window_.isMaximized() || window_.isFullScreen())
        return;
    applying_ = true;
    const int w = preferredWidth();
    if (w != window_.width())
        window_.resize(w, window_.height());
    if (window_.isVisible())
        fitToAvailableArea(window_);
    applying_ = false;
}

void MainWindowSizer::schedule()
{
    if (scheduled_)
        return;
    scheduled_ = true;
    QTimer::singleShot(0, this, [this] { apply(); });
}

void MainWindowSizer::noteStatusWidth()
{
    // The message and the widgets beside it (the computation's progress),
    // with the status bar's margins and its size grip.
    const int message = status_.fontMetrics().horizontalAdvance(status_.currentMessage());
    int beside = 0;
    for (const QLabel* label : status_.findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly))
        if (label->isVisible())
            beside += label->sizeHint().width();
    const int needed = message + beside + 40;
    const int rounded = (needed + StatusStep - 1) / StatusStep * StatusStep;
    if (message + beside > 0 && rounded > statusWidth_) {
        statusWidth_ = rounded;
        schedule();
    }
}

void MainWindowSizer::maximise()
{
    // Maximised means: the tree's width, nearly the available height.
    QTimer::singleShot(0, this, [this] {
        if (!(window_.windowState() & Qt::WindowMaximized))
            return;
        const QScreen* screen = window_.screen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
        window_.setWindowState(window_.windowState() & ~Qt::WindowMaximized);
        const WindowRect r = maximisedGeometry(preferredWidth(), {area.left(), area.top(), area.width(), area.height()});
        window_.move(r.left, r.top);
        window_.resize(r.width, r.height);
        fitToAvailableArea(window_);
    });
}

bool MainWindowSizer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &status_) {
        // The progress beside the message grew or shrank.
        if (event->type() == QEvent::LayoutRequest)
            noteStatusWidth();
        return false;
    }
    switch (event->type()) {
    case QEvent::Resize:
        // Whenever the window is resized, its width is the rule's.
        if (!applying_)
            schedule();
        break;
    case QEvent::Show:
        if (!placed_) {
            placed_ = true;
            schedule();
        }
        break;
    case QEvent::WindowStateChange:
        if (window_.windowState() & Qt::WindowMaximized)
            maximise();
        break;
    default:
        break;
    }
    return false;
}

} // namespace vemra

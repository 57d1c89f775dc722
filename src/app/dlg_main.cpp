#include "dlg_main.h"

#include "computation_controller.h"
#include "computation_progress_indicator.h"
#include "help/help_window.h"
#include "main_window_size.h"
#include "menu_state.h"
#include "project_tree_view.h"

#include "commands/file_commands.h"
#include "commands/tree_commands.h"
#include "model/tree_ops.h"
#include "platform/qt/help_browser.h"
#include "platform/qt/settings_store.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <exception>

namespace vemra {

namespace {

// A file name as menu caption: "&" must not become an access key.
QString menuCaptionForFile(const QString& fileName)
{
    QString caption = fileName;
    caption.replace(QLatin1Char('&'), QLatin1String("&&"));
    return caption;
}

} // namespace

TDlgMain::TDlgMain(UserDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), ws_(dialogs), help_(std::make_unique<HelpBrowser>())
{
    setObjectName(QStringLiteral("TDlgMain"));
    setWindowTitle(QStringLiteral("Vemra"));
    ws_.events().subscribe(this);

    TVProjects = new ProjectTreeView(ws_.tree, this);
    setCentralWidget(TVProjects);
    SB = new QStatusBar(this);
    SB->setObjectName(QStringLiteral("SB"));
    SB->setSizeGripEnabled(true);
    setStatusBar(SB);
    CalcProgress = new ComputationProgressIndicator(SB);
    SB->addPermanentWidget(CalcProgress);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);

    connect(TVProjects, &ProjectTreeView::selectionChanging, this,
            [this](TreeItem* previous, TreeItem* current) { TVProjectsChanging(previous, current); });
    connect(TVProjects, &ProjectTreeView::selectionChangedTo, this, [this](TreeItem* current) { TVProjectsChange(current); });
    connect(TVProjects, &ProjectTreeView::editorRequested, this, [this] { EditorClick(); });
    connect(TVProjects, &ProjectTreeView::dragStatus, this, [this](const QString& text) { setStatusText(text); });
    connect(TVProjects, &ProjectTreeView::projectDropped, this, [this](TreeItem* project) {
        guarded([&] { DropProject(ws_, project, nullptr); });
    });

    createMenus();
    connectMenus();
    sizer_ = new MainWindowSizer(*this, *TVProjects, *SB);

    move(254, 204);
    resize(301, 472);
    MainSettings settings;
    settings.read(SettingsStore());
    applySettings(settings);

    PConfig->setEnabled(!QPrinterInfo::availablePrinters().isEmpty());
}

TDlgMain::~TDlgMain()
{
    writeSettings();
    help_->terminate();
    // The view observes the tree; it must go before the tree does.
    delete TVProjects;
    TVProjects = nullptr;
    ws_.events().unsubscribe(this);
}

void TDlgMain::setWindows(const AppWindows& windows)
{
    windows_ = windows;
}

void TDlgMain::setComputation(ComputationController* computation)
{
    computation_ = computation;
}

// --- settings ---------------------------------------------------------------------

void TDlgMain::applySettings(const MainSettings& s)
{
    LastFType = s.LastFType;
    ws_.LastR4PPath = s.LastR4PPath.toStdString();
    LastImportPath = s.LastImportPath;
    recent_.assign(s.recentFiles);
    rebuildRecentMenu();
    DelConfirm->setChecked(s.DelConfirm);
    ws_.DelConfirm = s.DelConfirm;
    ShowEditor->setChecked(s.ShowEditor);
    setPriority(s.priority);
    // A position on a screen that is gone would hide the window.
    bool onScreen = false;
    for (const QScreen* screen : QGuiApplication::screens())
        onScreen = onScreen || screen->availableGeometry().intersects(s.position);
    if (onScreen && s.position.width() > 0 && s.position.height() > 0) {
        move(s.position.topLeft());
        resize(s.position.size());
    }
}

MainSettings TDlgMain::currentSettings() const
{
    MainSettings s;
    s.LastFType = LastFType;
    s.LastR4PPath = QString::fromStdString(ws_.LastR4PPath);
    s.LastImportPath = LastImportPath;
    s.recentFiles = recent_.files();
    s.DelConfirm = DelConfirm->isChecked();
    s.ShowEditor = ShowEditor->isChecked();
    s.priority = priority();
    // A minimised window reports the place it will come back to.
    s.position = isMinimized() ? normalGeometry() : QRect(pos(), size());
    return s;
}

void TDlgMain::writeSettings()
{
    SettingsStore store;
    currentSettings().write(store, QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator());
    QString error;
    if (!store.flush(&error))
        qWarning("%s", qPrintable(error));
}

PriorityClass TDlgMain::priority() const
{
    if (lowPC->isChecked())
        return PriorityClass::Low;
    if (highPC->isChecked())
        return PriorityClass::High;
    if (externC->isChecked())
        return PriorityClass::Extern;
    return PriorityClass::Normal;
}

void TDlgMain::setPriority(PriorityClass p)
{
    QAction* a = p == PriorityClass::Low ? lowPC
        : p == PriorityClass::High       ? highPC
        : p == PriorityClass::Extern     ? externC
                                         : normPC;
    a->setChecked(true);
    checkedPriority_ = a;
}

void TDlgMain::externCClick()
{
    // The remote mode counts only once its settings were confirmed.
    QAction* previous = checkedPriority_;
    const bool confirmed = windows_.remoteSettings && windows_.remoteSettings->execModal();
    if (confirmed) {
        checkedPriority_ = externC;
        externC->setChecked(true);
    } else if (previous) {
        previous->setChecked(true);
    }
}

// --- recent files -----------------------------------------------------------------

void TDlgMain::rebuildRecentMenu()
{
    for (QAction* a : recentActions_) {
        FileMenu->removeAction(a);
        a->deleteLater();
    }
    recentActions_.clear();
    if (recent_.count() == 0)
        return;
    if (!recentSeparator_) {
        recentSeparator_ = FileMenu->addSeparator();
        recentSeparator_->setObjectName(QStringLiteral("RecentSeparator"));
    }
    for (const QString& f : recent_.files()) {
        QAction* a = FileMenu->addAction(menuCaptionForFile(f));
        a->setData(f);
        connect(a, &QAction::triggered, this, [this, f] { openRecentClick(f); });
        recentActions_ << a;
    }
}

void TDlgMain::addRecentFile(const std::string& fileName)
{
    if (recent_.add(QString::fromStdString(fileName)))
        rebuildRecentMenu();
}

void TDlgMain::projectSavedAs(TreeItem* /*project*/, const std::string& fileName)
{
    addRecentFile(fileName);
}

// --- tree events ------------------------------------------------------------------

void TDlgMain::TVProjectsChanging(TreeItem* previous, TreeItem* current)
{
    if (!ws_.Locked) {
        if (previous) {
            SetHighlight(previous, false);
            MarkDiagrams(previous, false);
        }
        if (current)
            SetHighlight(current, true);
    }
    MarkDiagrams(current, true);
}

void TDlgMain::TVProjectsChange(TreeItem* current)
{
    EditorWindow* editor = windows_.editor;
    if (ws_.Locked) {
        if (editor)
            editor->ClearObject();
        return;
    }
    if (editor) {
        if (current) {
            editor->SetObject(current);
            if (ShowEditor->isChecked() && !editor->isShown())
                editor->showEditor();
        } else {
            editor->ClearObject();
            if (editor->isShown())
                editor->hideEditor();
        }
    }
    UpdateMenus(current);
}

void TDlgMain::selectionChanged(TreeItem* item)
{
    TVProjectsChange(item);
}

// --- services ---------------------------------------------------------------------

void TDlgMain::UpdateMenus(TreeItem* item)
{
    const MenuState m = menuStateFor(ws_, item);
    Save->setEnabled(m.Save);
    SaveAs->setEnabled(m.SaveAs);
    CloseProj->setEnabled(m.CloseProj);
    // Between the projects of a batch the computation commands stay off even
    // though no single run is active.
    const bool batch = computation_ && computation_->BatchMode();
    Calc->setEnabled(m.Calc && !batch);
    BatchCalc->setEnabled(m.BatchCalc && !batch);
    MKHSHeader->setEnabled(m.MKHSHeader);
    MKRestabs->setEnabled(m.MKRestabs);
    MKRestSpek->setEnabled(m.MKRestSpek);
    MKRestrel->setEnabled(m.MKRestrel);
    Delete->setEnabled(m.Delete);
    NewRep->setEnabled(m.NewRep);
    NewDiag->setEnabled(m.NewDiag);
    Editor->setEnabled(m.Editor);
    MkTable->setEnabled(m.MkTable);
}

void TDlgMain::projectStateChanged(TreeItem* project)
{
    UpdateMenus(ws_.tree.Selected());
    // A report carries the project's name, which a new file name changes.
    if (windows_.reports)
        windows_.reports->rebuildFor(project);
}

void TDlgMain::MarkDiagrams(TreeItem* item, bool redraw)
{
    if (!windows_.diagrams)
        return;
    const auto motions = affectedMotions(item);
    if (!motions.empty())
        windows_.diagrams->markDirty(motions);
    if (redraw)
        windows_.diagrams->redrawDirty();
}

void TDlgMain::RegenerateReports(TreeItem* item)
{
    if (windows_.reports)
        if (TreeItem* project = ProjectOf(item))
            windows_.reports->rebuildFor(project);
}

void TDlgMain::currentItemChanged(TreeItem* item)
{
    if (windows_.editor)
        windows_.editor->SetObject(item);
}

void TDlgMain::motionsChanged()
{
    if (windows_.diagramOptions)
        windows_.diagramOptions->refreshList();
}

void TDlgMain::motionAboutToBeRemoved(TPaintObj* motion)
{
    if (windows_.diagrams)
        windows_.diagrams->removeMotion(motion);
}

void TDlgMain::projectAboutToBeRemoved(TreeItem* project)
{
    if (windows_.reports)
        windows_.reports->closeFor(project);
    if (windows_.diagrams)
        windows_.diagrams->closeFor(project);
}

void TDlgMain::projectContentChanged(TreeItem* project)
{
    if (windows_.reports)
        windows_.reports->rebuildFor(project);
}

void TDlgMain::resultsChanged(TreeItem* project)
{
    MarkDiagrams(project, false);
    if (windows_.reports)
        windows_.reports->rebuildFor(project);
}

void TDlgMain::changeFinished()
{
    if (windows_.diagrams)
        windows_.diagrams->redrawDirty();
}

void TDlgMain::setStatusText(const QString& text)
{
    if (text.isEmpty())
        SB->clearMessage();
    else
        SB->showMessage(text);
}

QString TDlgMain::statusText() const
{
    return SB->currentMessage();
}

// --- commands ---------------------------------------------------------------------

void TDlgMain::guarded(const std::function<void()>& command)
{
    if (windows_.editor)
        windows_.editor->commitInput();
    try {
        command();
    } catch (const std::exception& e) {
        ws_.dialogs().error(e.what());
    }
}

void TDlgMain::ffnen1Click()
{
    guarded([&] {
        if (const auto file = ws_.dialogs().chooseFile(openProjectDialogRequest(ws_)))
            OpenProjectCommand(ws_, *file);
    });
}

void TDlgMain::openRecentClick(const QString& fileName)
{
    guarded([&] { OpenRecentCommand(ws_, fileName.toStdString()); });
}

void TDlgMain::SaveClick()
{
    guarded([&] { SaveProjectCommand(ws_); });
}

void TDlgMain::SaveAsClick()
{
    TreeItem* selected = ws_.tree.Selected();
    if (!selected)
        return;
    guarded([&] {
        if (const auto file = ws_.dialogs().chooseFile(saveProjectDialogRequest(ws_, selected)))
            SaveProjectAsCommand(ws_, *file);
    });
}

void TDlgMain::CloseProjClick()
{
    guarded([&] { CloseProjectCommand(ws_); });
}

void TDlgMain::DeleteClick()
{
    guarded([&] { DeleteCommand(ws_); });
}

void TDlgMain::EditorClick()
{
    if (!windows_.editor)
        return;
    if (!windows_.editor->isShown())
        windows_.editor->showEditor();
    windows_.editor->bringToFront();
}

QString TDlgMain::helpFile()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/vemra.html");
}

void TDlgMain::ShowHelpClick()
{
    const QString file = helpFile();
    if (!QFileInfo::exists(file)) {
        ws_.dialogs().error("Die Hilfedatei \"" + QDir::toNativeSeparators(file).toStdString()
                            + "\" wurde nicht gefunden.");
        return;
    }
    if (help_->open(file))
        return;
    // Without a browser the help is shown in a window of the program.
    if (!helpWindow_)
        helpWindow_ = new HelpWindow(this);
    helpWindow_->showFile(file);
}

bool TDlgMain::HelpStarted() const
{
    return help_->started();
}

void TDlgMain::setHelpBrowser(std::unique_ptr<HelpBrowser> browser)
{
    if (browser) {
        help_->terminate();
        help_ = std::move(browser);
    }
}

QPrinter& TDlgMain::printer()
{
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void TDlgMain::openFiles(const QStringList& fileNames)
{
    for (const QString& f : fileNames)
        guarded([&] { OpenProjectCommand(ws_, QDir::toNativeSeparators(QFileInfo(f).absoluteFilePath()).toStdString()); });
}

// --- window -----------------------------------------------------------------------

void TDlgMain::closeEvent(QCloseEvent* event)
{
    if (!closeConfirmed_) {
        if (!CloseQuery(ws_)) {
            event->ignore();
            return;
        }
        closeConfirmed_ = true;
    }
    if (computation_ && computation_->running()) {
        // The computation is still on the call stack below this event; the
        // window may only go once it has unwound (it stops within moments,
        // as Calculating was just cleared).
        closePending_ = true;
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

void TDlgMain::finishPendingClose()
{
    if (!closePending_)
        return;
    closePending_ = false;
    QTimer::singleShot(0, this, [this] { close(); });
}

int TDlgMain::preferredWidth() const
{
    return sizer_->preferredWidth();
}

void TDlgMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        UpdateMenus(ws_.tree.Selected());
    }
}

} // namespace vemra

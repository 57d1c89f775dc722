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
#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <exception>

namespace vemra {

namespace {

QAction* addEntry(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut = {})
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    return a;
}

QAction* addSeparator(QMenu* menu, const char* name)
{
    QAction* a = menu->addSeparator();
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

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

void TDlgMain::createMenus()
{
    QMenuBar* bar = menuBar();

    FileMenu = bar->addMenu(QStringLiteral("&Datei"));
    ffnen1 = addEntry(FileMenu, "ffnen1", QStringLiteral("Projekt ö&ffnen..."), QKeySequence(Qt::CTRL | Qt::Key_O));
    Save = addEntry(FileMenu, "Save", QStringLiteral("Projekt &sichern"), QKeySequence(Qt::CTRL | Qt::Key_S));
    SaveAs = addEntry(FileMenu, "SaveAs", QStringLiteral("Projekt sichern &unter..."));
    CloseProj = addEntry(FileMenu, "CloseProj", QStringLiteral("Projekt sch&ließen"));
    addSeparator(FileMenu, "N1");
    Bewegungimportieren1 = addEntry(FileMenu, "Bewegungimportieren1", QStringLiteral("&Import..."));
    MkTable = addEntry(FileMenu, "MkTable", QStringLiteral("&Wertetabelle..."));
    addSeparator(FileMenu, "N2");
    PConfig = addEntry(FileMenu, "PConfig", QStringLiteral("&Drucker einrichten..."));
    addSeparator(FileMenu, "N7");
    Beenden1 = addEntry(FileMenu, "Beenden1", QStringLiteral("&Beenden"));

    EditMenu = bar->addMenu(QStringLiteral("&Bearbeiten"));
    NewObj = EditMenu->addMenu(QStringLiteral("&Neu"));
    NewObj->setObjectName(QStringLiteral("NewObj"));
    MKProjekt = addEntry(NewObj, "MKProjekt", QStringLiteral("&Projekt"), QKeySequence(Qt::CTRL | Qt::Key_N));
    MKHSHeader = addEntry(NewObj, "MKHSHeader", QStringLiteral("&Bewegungsvorgabe (abs)"));
    MKRestabs = addEntry(NewObj, "MKRestabs", QStringLiteral("Restriktion (&absolut)"));
    MKRestSpek = addEntry(NewObj, "MKRestSpek", QStringLiteral("Restriktion (&Spektrum)"));
    MKRestrel = addEntry(NewObj, "MKRestrel", QStringLiteral("Restriktion (&relativ)"));
    Editor = addEntry(EditMenu, "Editor", QStringLiteral("&Editieren"), QKeySequence(Qt::CTRL | Qt::Key_E));
    Delete = addEntry(EditMenu, "Delete", QStringLiteral("&Löschen"), QKeySequence(Qt::CTRL | Qt::Key_Delete));
    addSeparator(EditMenu, "N3");
    Calc = addEntry(EditMenu, "Calc", QStringLiteral("&Berechnen"), QKeySequence(Qt::CTRL | Qt::Key_B));
    BatchCalc = addEntry(EditMenu, "BatchCalc", QStringLiteral("&alle Berechnen"));
    StopCalc = addEntry(EditMenu, "StopCalc", QStringLiteral("Berechnung &abbrechen"), QKeySequence(Qt::CTRL | Qt::Key_Q));

    OptionsMenu = bar->addMenu(QStringLiteral("&Optionen"));
    Liste1 = OptionsMenu->addMenu(QStringLiteral("&Projektliste"));
    Liste1->setObjectName(QStringLiteral("Liste1"));
    DelConfirm = addEntry(Liste1, "DelConfirm", QStringLiteral("&Löschen mit Bestätigung"));
    DelConfirm->setCheckable(true);
    ShowEditor = addEntry(Liste1, "ShowEditor", QStringLiteral("&Editor immer anzeigen"));
    ShowEditor->setCheckable(true);
    CalcMod = OptionsMenu->addMenu(QStringLiteral("&Berechnungsmodul"));
    CalcMod->setObjectName(QStringLiteral("CalcMod"));
    CalcModGroup = new QActionGroup(this);
    CalcModGroup->setExclusive(true);
    lowPC = addEntry(CalcMod, "lowPC", QStringLiteral("&geringe Priorität"));
    normPC = addEntry(CalcMod, "normPC", QStringLiteral("&normale Priorität"));
    highPC = addEntry(CalcMod, "highPC", QStringLiteral("&hohe Priorität"));
    externC = addEntry(CalcMod, "externC", QStringLiteral("&extern ..."));
    for (QAction* a : {lowPC, normPC, highPC, externC}) {
        a->setCheckable(true);
        CalcModGroup->addAction(a);
    }
    normPC->setChecked(true);
    checkedPriority_ = normPC;
    Table = addEntry(OptionsMenu, "Table", QStringLiteral("&Wertetabelle..."));
    Grafik1 = addEntry(OptionsMenu, "Grafik1", QStringLiteral("&Grafik..."));
    GrfEx = addEntry(OptionsMenu, "GrfEx", QStringLiteral("Bitmap-&Export..."));

    WindowMenu = bar->addMenu(QStringLiteral("&Fenster"));
    NewDiag = addEntry(WindowMenu, "NewDiag", QStringLiteral("&Diagramm"), QKeySequence(Qt::CTRL | Qt::Key_D));
    NewRep = addEntry(WindowMenu, "NewRep", QStringLiteral("&Report"), QKeySequence(Qt::CTRL | Qt::Key_R));

    HelpMenu = bar->addMenu(QStringLiteral("&Hilfe"));
    ShowHelp = addEntry(HelpMenu, "ShowHelp", QStringLiteral("&Hilfethemen"), QKeySequence(Qt::Key_F1));
    Info1 = addEntry(HelpMenu, "Info1", QStringLiteral("In&fo..."));

    for (QAction* a : {MKRestabs, MKRestSpek, MKRestrel, Editor, Delete, Calc, StopCalc, NewRep})
        a->setEnabled(false);

    connect(ffnen1, &QAction::triggered, this, [this] { ffnen1Click(); });
    connect(Save, &QAction::triggered, this, [this] { SaveClick(); });
    connect(SaveAs, &QAction::triggered, this, [this] { SaveAsClick(); });
    connect(CloseProj, &QAction::triggered, this, [this] { CloseProjClick(); });
    connect(Bewegungimportieren1, &QAction::triggered, this, [this] {
        if (windows_.importer)
            guarded([&] { windows_.importer->importFile(); });
    });
    connect(MkTable, &QAction::triggered, this, [this] {
        TreeItem* item = ws_.tree.Selected();
        if (item && windows_.valueTable) {
            TreeItem* motion = item->NodeAs<TRestr>() ? item->Parent() : item;
            guarded([&] { windows_.valueTable->tabulate(motion); });
        }
    });
    connect(PConfig, &QAction::triggered, this, [this] {
        QPrintDialog dialog(&printer(), this);
        dialog.setWindowTitle(QStringLiteral("Drucker einrichten"));
        dialog.exec();
    });
    connect(Beenden1, &QAction::triggered, this, [this] { close(); });

    connect(MKProjekt, &QAction::triggered, this, [this] { guarded([&] { NewProjectCommand(ws_); }); });
    connect(MKHSHeader, &QAction::triggered, this, [this] { guarded([&] { NewMotionCommand(ws_); }); });
    connect(MKRestabs, &QAction::triggered, this, [this] { guarded([&] { NewAbsRestrictionCommand(ws_); }); });
    connect(MKRestSpek, &QAction::triggered, this, [this] { guarded([&] { NewSpectrumRestrictionCommand(ws_); }); });
    connect(MKRestrel, &QAction::triggered, this, [this] { guarded([&] { NewRelRestrictionCommand(ws_); }); });
    connect(Editor, &QAction::triggered, this, [this] { EditorClick(); });
    connect(Delete, &QAction::triggered, this, [this] { DeleteClick(); });
    connect(Calc, &QAction::triggered, this, [this] {
        if (computation_)
            guarded([&] { computation_->CalcClick(); });
    });
    connect(BatchCalc, &QAction::triggered, this, [this] {
        if (computation_)
            guarded([&] { computation_->BatchCalcClick(); });
    });
    connect(StopCalc, &QAction::triggered, this, [this] {
        if (computation_)
            computation_->StopCalcClick();
    });

    connect(DelConfirm, &QAction::toggled, this, [this](bool on) { ws_.DelConfirm = on; });
    for (QAction* a : {lowPC, normPC, highPC})
        connect(a, &QAction::triggered, this, [this, a] { checkedPriority_ = a; });
    connect(externC, &QAction::triggered, this, [this] { externCClick(); });
    connect(Table, &QAction::triggered, this, [this] {
        if (windows_.valueTable)
            windows_.valueTable->execModal();
    });
    connect(Grafik1, &QAction::triggered, this, [this] {
        if (windows_.diagramDefaults)
            windows_.diagramDefaults->execModal();
    });
    connect(GrfEx, &QAction::triggered, this, [this] {
        if (windows_.pictureExportOptions)
            windows_.pictureExportOptions->execModal();
    });
    connect(NewDiag, &QAction::triggered, this, [this] {
        if (windows_.diagrams && ws_.tree.Selected())
            guarded([&] { windows_.diagrams->openFor(ws_.tree.Selected()); });
    });
    connect(NewRep, &QAction::triggered, this, [this] {
        if (windows_.reports && ws_.tree.Selected())
            guarded([&] { windows_.reports->showFor(ProjectOf(ws_.tree.Selected())); });
    });
    connect(ShowHelp, &QAction::triggered, this, [this] { ShowHelpClick(); });
    connect(Info1, &QAction::triggered, this, [this] {
        if (windows_.about)
            windows_.about->execModal();
    });
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

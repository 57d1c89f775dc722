#include "dlg_main.h"

#include "computation_controller.h"

#include "commands/tree_commands.h"
#include "model/tree_ops.h"

#include <QAction>
#include <QActionGroup>
#include <QMenuBar>
#include <QPrintDialog>

// The main window's menu bar: its entries (names, captions, shortcuts) and what each one does.

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

} // namespace

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
}

void TDlgMain::connectMenus()
{
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

} // namespace vemra

// The main window: the tree of open projects, the main menu and the status
// bar. It owns the workspace (the project tree and its flags), binds the
// menu to the commands, keeps its settings and the recently used files, and
// passes the model's events on to the other windows.
#pragma once

#include "app_windows.h"
#include "main_settings.h"
#include "recent_files.h"

#include "model/workspace.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QPrinter;
class QStatusBar;
class QTimer;

namespace vemra {

class HelpBrowser;
class HelpWindow;
class MainWindowSizer;
class ProjectTreeView;
class ComputationController;
class ComputationProgressIndicator;

class TDlgMain : public QMainWindow, public ModelObserver {
    Q_OBJECT
public:
    // Reads the settings; creates no node (the diagram defaults that new
    // nodes copy are set up by windows created after this one).
    explicit TDlgMain(UserDialogs& dialogs, QWidget* parent = nullptr);
    // Writes the settings and ends a help browser this window started.
    ~TDlgMain() override;

    Workspace& workspace() { return ws_; }
    // The other windows, plugged in once they exist.
    void setWindows(const AppWindows& windows);
    const AppWindows& windows() const { return windows_; }
    void setComputation(ComputationController* computation);
    ComputationController* computation() const { return computation_; }

    // Services for the other windows.
    void UpdateMenus(TreeItem* item);
    void MarkDiagrams(TreeItem* item, bool redraw);
    void RegenerateReports(TreeItem* item);

    // The width the window takes (it follows the widest tree entry).
    int preferredWidth() const;
    // Opens project files given on the command line.
    void openFiles(const QStringList& fileNames);
    // The shared printer that printer setup configures.
    QPrinter& printer();
    // Help file beside the program.
    static QString helpFile();

    const RecentFiles& recentFiles() const { return recent_; }
    void addRecentFile(const std::string& fileName);
    QString LastImportPath;
    int LastFType = 1;
    bool HelpStarted() const;
    // The browser launcher of the help command (replaceable for tests).
    void setHelpBrowser(std::unique_ptr<HelpBrowser> browser);
    // The help inside the program, once no browser could show it.
    HelpWindow* helpWindow() const { return helpWindow_; }

    // Controls.
    ProjectTreeView* TVProjects = nullptr;
    QStatusBar* SB = nullptr;
    // Beside the status text: the progress of a running computation.
    ComputationProgressIndicator* CalcProgress = nullptr;
    QTimer* Timer1 = nullptr;

    // Menu entries, named as everywhere in the product.
    QMenu* FileMenu = nullptr;
    QMenu* EditMenu = nullptr;
    QMenu* OptionsMenu = nullptr;
    QMenu* WindowMenu = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* ffnen1 = nullptr;
    QAction* Save = nullptr;
    QAction* SaveAs = nullptr;
    QAction* CloseProj = nullptr;
    QAction* Bewegungimportieren1 = nullptr;
    QAction* MkTable = nullptr;
    QAction* PConfig = nullptr;
    QAction* Beenden1 = nullptr;
    QMenu* NewObj = nullptr;
    QAction* MKProjekt = nullptr;
    QAction* MKHSHeader = nullptr;
    QAction* MKRestabs = nullptr;
    QAction* MKRestSpek = nullptr;
    QAction* MKRestrel = nullptr;
    QAction* Editor = nullptr;
    QAction* Delete = nullptr;
    QAction* Calc = nullptr;
    QAction* BatchCalc = nullptr;
    QAction* StopCalc = nullptr;
    QMenu* Liste1 = nullptr;
    QAction* DelConfirm = nullptr;
    QAction* ShowEditor = nullptr;
    QMenu* CalcMod = nullptr;
    QActionGroup* CalcModGroup = nullptr;
    QAction* lowPC = nullptr;
    QAction* normPC = nullptr;
    QAction* highPC = nullptr;
    QAction* externC = nullptr;
    QAction* Table = nullptr;
    QAction* Grafik1 = nullptr;
    QAction* GrfEx = nullptr;
    QAction* NewDiag = nullptr;
    QAction* NewRep = nullptr;
    QAction* ShowHelp = nullptr;
    QAction* Info1 = nullptr;
    // The recently used files behind the separator at the end of "&Datei".
    QList<QAction*> recentActions() const { return recentActions_; }

    PriorityClass priority() const;
    void setPriority(PriorityClass p);
    void setStatusText(const QString& text);
    QString statusText() const;

    // ModelObserver: the model's changes, passed on to the windows.
    void currentItemChanged(TreeItem* item) override;
    void selectionChanged(TreeItem* item) override;
    void motionsChanged() override;
    void motionAboutToBeRemoved(TPaintObj* motion) override;
    void projectAboutToBeRemoved(TreeItem* project) override;
    void projectContentChanged(TreeItem* project) override;
    void resultsChanged(TreeItem* project) override;
    void projectStateChanged(TreeItem* project) override;
    void projectSavedAs(TreeItem* project, const std::string& fileName) override;
    void changeFinished() override;

    // Tree events.
    void TVProjectsChanging(TreeItem* previous, TreeItem* current);
    void TVProjectsChange(TreeItem* current);

    // Menu handlers.
    void ffnen1Click();
    void SaveClick();
    void SaveAsClick();
    void CloseProjClick();
    void openRecentClick(const QString& fileName);
    void DeleteClick();
    void EditorClick();
    void ShowHelpClick();
    void externCClick();

signals:
    // The window accepted its close: the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createMenus();
    void connectMenus();
    void rebuildRecentMenu();
    void applySettings(const MainSettings& settings);
    MainSettings currentSettings() const;
    void writeSettings();
    // Runs a command; an exception it throws is reported to the user.
    void guarded(const std::function<void()>& command);
    // Finishes a close that was accepted while a computation was unwinding.
    void finishPendingClose();

    Workspace ws_;
    AppWindows windows_;
    ComputationController* computation_ = nullptr;
    RecentFiles recent_;
    QList<QAction*> recentActions_;
    QAction* recentSeparator_ = nullptr;
    std::unique_ptr<HelpBrowser> help_;
    HelpWindow* helpWindow_ = nullptr;
    std::unique_ptr<QPrinter> printer_;
    QAction* checkedPriority_ = nullptr;
    bool closeConfirmed_ = false;
    bool closePending_ = false;
    MainWindowSizer* sizer_ = nullptr;
    bool shownOnce_ = false;

    friend class ComputationController;
};

} // namespace vemra

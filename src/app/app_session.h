// One run of the desktop program: creates the windows once each, in the
// order in which they depend on each other, and ties them together.
#pragma once

#include "app_windows.h"

#include "report/report_date.h"

#include <QApplication>

#include <memory>

namespace vemra {

class TDlgMain;
class UserDialogs;
class DiagramWindowList;
class ReportWindowSet;
class ImportController;
class ComputationController;
class LiveLoop;
class UndoMenu;
class ResultView;

class AppSession {
public:
    explicit AppSession(UserDialogs& dialogs);
    ~AppSession();
    AppSession(const AppSession&) = delete;
    AppSession& operator=(const AppSession&) = delete;

    TDlgMain& main() { return *main_; }
    ComputationController& computation() { return *computation_; }
    ResultView& results() { return *results_; }

private:
    // The date of the reports.
    SystemCalendar calendar_;
    // The main window is created first and destroyed last.
    std::unique_ptr<TDlgMain> main_;
    std::unique_ptr<DiagramWindowList> diagrams_;
    std::unique_ptr<ReportWindowSet> reports_;
    std::unique_ptr<ImportController> importer_;
    std::unique_ptr<ComputationController> computation_;
    std::unique_ptr<LiveLoop> live_;
    std::unique_ptr<UndoMenu> undo_;
    std::unique_ptr<ResultView> results_;
};

// The application object: reports an error that escapes an event handler
// instead of ending the program.
class VemraApplication : public QApplication {
public:
    VemraApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Program-wide settings made before any window exists: names, icon, German
// standard texts of Qt's own dialogs, the decimal separator of the report.
void initialiseApplication(QApplication& app);
// Qt's own buttons and dialogs ("Ja", "Nein", "Abbrechen", the file dialog)
// in German. False when the translation is not installed.
bool installGermanQtTranslations(QApplication& app);

} // namespace vemra

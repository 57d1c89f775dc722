// The report window of one project: the RTF report shown read-only, with
// a popup menu to bring up the main window, print, save and copy. All
// report windows of the program are kept by ReportWindowSet.
#pragma once

#include "app/app_windows.h"
#include "app/report/rtf_document_reader.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QPrinter;
class QTextEdit;

namespace vemra {

class Calendar;
class TreeItem;
class UserDialogs;

// What every report window needs of the program.
struct ReportWindowContext {
    QWidget* mainWindow = nullptr;
    UserDialogs* dialogs = nullptr;
    // The printer that printer setup configures.
    std::function<QPrinter&()> printer;
    const Calendar* calendar = nullptr;
};

class TRTFReport : public QWidget {
    Q_OBJECT
public:
    explicit TRTFReport(const ReportWindowContext& context);

    // Shows the report of item's project.
    void SetProject(TreeItem* item);
    TreeItem* GetProject() const { return project_; }
    // Rebuilds the lines and the view; nothing without a project.
    void Generate();
    const std::vector<std::string>& Lines() const { return lines_; }
    const RtfPageHeader& pageHeader() const { return header_; }
    QTextEdit* view() const { return view_; }

    // The popup menu's commands.
    void showMainWindow();
    void printReport();
    void saveReport();
    void copySelection();
    // Prints without asking (the print dialog is done): the document
    // titled "Vemra-Report: " + the project's name.
    void printTo(QPrinter& printer);

    QMenu* popupMenu() const { return popup_; }
    QAction* actMainWindow = nullptr;
    QAction* actPrint = nullptr;
    QAction* actSave = nullptr;
    QAction* actCopy = nullptr;

protected:
    // Closing hides the window and lets go of the project, so that later
    // rebuilds and new reports pass it by.
    void closeEvent(QCloseEvent* event) override;

private:
    QString projectName() const;

    ReportWindowContext context_;
    TreeItem* project_ = nullptr;
    std::vector<std::string> lines_;
    RtfPageHeader header_;
    QTextEdit* view_ = nullptr;
    QMenu* popup_ = nullptr;
};

// Every report window of the program; at most one shows a project.
class ReportWindowSet : public ReportWindows {
public:
    // Creates the first (hidden) window right away, in the program's
    // start-up order.
    explicit ReportWindowSet(const ReportWindowContext& context);
    ~ReportWindowSet() override;

    void showFor(TreeItem* project) override;
    void closeFor(TreeItem* project) override;
    void rebuildFor(TreeItem* project) override;

    // The window showing item's project, or nullptr.
    TRTFReport* windowFor(TreeItem* item) const;
    int windowCount() const;

private:
    ReportWindowContext context_;
    std::vector<QPointer<TRTFReport>> windows_;
};

// Prints document on printer with header (the project's name left, the
// date right) at the top of every page.
void printReportDocument(const class QTextDocument& document, const RtfPageHeader& header, QPrinter& printer);

} // namespace vemra

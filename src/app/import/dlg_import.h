// "&Import...": the file dialog DlgImport and the main window's import
// service, which runs the import command on the chosen file and keeps the
// folder and file type of the last import for the next time.
#pragma once

#include "app/app_windows.h"

#include "commands/import_command.h"

#include <QFileDialog>

#include <functional>
#include <optional>

namespace vemra {

class TDlgMain;

class DlgImport : public QFileDialog {
    Q_OBJECT
public:
    explicit DlgImport(QWidget* parent);
    // Starts in the folder and with the filter of the last import (1 ".rx4",
    // 2 ".rxe", 3 ".rxw").
    void prepare(const QString& lastImportPath, int lastFType);
    // The chosen file, nothing when the user cancelled.
    std::optional<QString> choose();
};

class ImportController : public ImportService {
public:
    explicit ImportController(TDlgMain& main) : main_(main) {}

    // A fresh dialog each time: one that stays hidden between imports can
    // keep the completion list of a typed name on the screen.
    bool importFile() override;

    // Replaces the modal run of the dialog (the tests choose the file).
    void setChooser(std::function<std::optional<QString>(DlgImport&)> chooser) { chooser_ = std::move(chooser); }

private:
    TDlgMain& main_;
    std::function<std::optional<QString>(DlgImport&)> chooser_;
};

} // namespace vemra

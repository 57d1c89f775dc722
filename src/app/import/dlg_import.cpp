#include "dlg_import.h"

#include "app/dlg_main.h"

#include "platform/qt/qt_user_dialogs.h"

#include <QDir>
#include <QFileInfo>

namespace vemra {

DlgImport::DlgImport(QWidget* parent) : QFileDialog(parent, QString::fromUtf8(ImportDialogTitle))
{
    setObjectName(QStringLiteral("DlgImport"));
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::ExistingFile);
    FileDialogRequest request;
    request.filters = importFilters();
    setNameFilters(QtUserDialogs::nameFilters(request));
}

void DlgImport::prepare(const QString& lastImportPath, int lastFType)
{
    setDirectory(!lastImportPath.isEmpty() && QFileInfo(lastImportPath).isDir() ? lastImportPath : QDir::homePath());
    const QStringList filters = nameFilters();
    if (lastFType >= 1 && lastFType <= filters.size())
        selectNameFilter(filters.at(lastFType - 1));
}

std::optional<QString> DlgImport::choose()
{
    if (exec() != QDialog::Accepted || selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(QFileInfo(selectedFiles().front()).absoluteFilePath());
}

ImportController::ImportController(TDlgMain& main) : main_(main), dialog_(new DlgImport(&main)) {}

bool ImportController::importFile()
{
    dialog_->prepare(main_.LastImportPath, main_.LastFType);
    const std::optional<QString> file = chooser_ ? chooser_(*dialog_) : dialog_->choose();
    if (!file)
        return false;
    ImportSettings settings{main_.LastImportPath.toStdString(), main_.LastFType};
    if (!ImportCommand(main_.workspace(), settings, file->toStdString()))
        return false;
    main_.LastImportPath = QString::fromStdString(settings.LastImportPath);
    main_.LastFType = settings.LastFType;
    return true;
}

} // namespace vemra

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

bool ImportController::importFile()
{
    std::optional<QString> file;
    {
        DlgImport dialog(&main_);
        dialog.prepare(main_.LastImportPath, main_.LastFType);
        file = chooser_ ? chooser_(dialog) : dialog.choose();
    }
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

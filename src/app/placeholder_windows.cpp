#include "placeholder_windows.h"

#include "model/tree_ops.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace vemra {

namespace {

constexpr const char* NotYetText = "Dieses Fenster ist in dieser Version noch nicht enthalten.";

void buildDialog(QDialog* dialog, const QString& caption)
{
    dialog->setWindowTitle(caption);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(new QLabel(QString::fromUtf8(NotYetText), dialog));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
}

QString describe(const TreeItem* item)
{
    return item ? QString::fromStdString(item->Text()) : QString();
}

} // namespace

// --- editor -------------------------------------------------------------------

PlaceholderEditor::PlaceholderEditor(QWidget* mainWindow) : QWidget(mainWindow, Qt::Tool)
{
    setObjectName(QStringLiteral("TDlgRestr"));
    setWindowTitle(QStringLiteral("Eingabe"));
    auto* layout = new QVBoxLayout(this);
    label_ = new QLabel(this);
    label_->setWordWrap(true);
    layout->addWidget(label_);
    layout->addWidget(new QLabel(QString::fromUtf8(NotYetText), this));
    resize(320, 160);
}

void PlaceholderEditor::SetObject(TreeItem* item)
{
    object_ = item;
    label_->setText(describe(item));
}

void PlaceholderEditor::ClearObject()
{
    object_ = nullptr;
    label_->clear();
}

void PlaceholderEditor::bringToFront()
{
    raise();
    activateWindow();
}

// --- dialogs ------------------------------------------------------------------

PlaceholderDialog::PlaceholderDialog(const QString& caption, QWidget* parent) : QDialog(parent)
{
    buildDialog(this, caption);
}

PlaceholderValueTable::PlaceholderValueTable(QWidget* parent) : QDialog(parent)
{
    buildDialog(this, QStringLiteral("Vorgabe Wertetabelle"));
}

PlaceholderWindow::PlaceholderWindow(const QString& caption, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromUtf8(NotYetText), this));
}

// --- reports ------------------------------------------------------------------

PlaceholderReports::~PlaceholderReports()
{
    for (auto& [project, widget] : windows_)
        delete widget.data();
}

bool PlaceholderReports::isOpenFor(TreeItem* project) const
{
    const auto it = windows_.find(project);
    return it != windows_.end() && !it->second.isNull();
}

void PlaceholderReports::showFor(TreeItem* project)
{
    if (!project)
        return;
    QPointer<QWidget>& w = windows_[project];
    if (!w) {
        w = new QWidget(mainWindow_, Qt::Window);
        w->setAttribute(Qt::WA_DeleteOnClose);
        auto* layout = new QVBoxLayout(w);
        layout->addWidget(new QLabel(QString::fromUtf8(NotYetText), w));
        w->resize(400, 300);
    }
    w->setWindowTitle(QStringLiteral("Report - ") + describe(project));
    w->show();
    w->raise();
}

void PlaceholderReports::closeFor(TreeItem* project)
{
    const auto it = windows_.find(project);
    if (it == windows_.end())
        return;
    delete it->second.data();
    windows_.erase(it);
}

void PlaceholderReports::rebuildFor(TreeItem* project)
{
    if (isOpenFor(project))
        windows_[project]->setWindowTitle(QStringLiteral("Report - ") + describe(project));
}

} // namespace vemra

#include "dlg_sel_opt.h"

#include "editor/field_help.h"
#include "model/project_tree.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace vemra {

TDlgSelOpt::TDlgSelOpt(ProjectTree& tree, QWidget* parent) : QDialog(parent), tree_(tree)
{
    setObjectName(QStringLiteral("TDlgSelOpt"));
    setWindowTitle(QStringLiteral("Optimierungsobjekt"));
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("einfügen in:"), this);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setToolTip(QString::fromStdString(fieldHelp("ListBox1")));
    layout->addWidget(Label1);
    layout->addWidget(ListBox1);
    auto* buttons = new QHBoxLayout;
    BtOK = new QPushButton(QStringLiteral("OK"), this);
    BtOK->setDefault(true);
    BtCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    buttons->addStretch();
    buttons->addWidget(BtOK);
    buttons->addWidget(BtCancel);
    layout->addLayout(buttons);
    connect(BtOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    resize(260, 220);
}

bool TDlgSelOpt::fillList()
{
    ListBox1->clear();
    TreeItem* selected = tree_.Selected();
    if (!selected)
        return false;
    for (const std::string& entry : optimisationObjectChoices(selected))
        ListBox1->addItem(QString::fromStdString(entry));
    ListBox1->setCurrentRow(0);
    return true;
}

std::optional<int> TDlgSelOpt::chooseOptimisationObject()
{
    if (!fillList())
        return std::nullopt;
    if (exec() != QDialog::Accepted || ListBox1->currentRow() < 0)
        return std::nullopt;
    return ListBox1->currentRow();
}

} // namespace vemra

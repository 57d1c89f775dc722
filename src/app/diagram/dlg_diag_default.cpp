#include "dlg_diag_default.h"

#include "display_controls.h"

#include "model/workspace.h"
#include "platform/qt/settings_store.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace vemra {

TDlgDiagDefault::TDlgDiagDefault(Workspace& ws, QWidget* parent) : QDialog(parent), ws_(ws)
{
    setObjectName(QStringLiteral("TDlgDiagDefault"));
    setWindowTitle(QStringLiteral("Vorgabe"));
    Display = new DisplayGroup(this);
    BtEverywhere = new QPushButton(QString::fromUtf8("überall ändern"), this);
    BtEverywhere->setObjectName(QStringLiteral("BtEverywhere"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Display);
    layout->addWidget(BtEverywhere);
    layout->addWidget(buttons);

    // Edits take effect at once, as the settings they are.
    connect(Display, &DisplayGroup::recordEdited, this, [this](const DisplayRecord& r) {
        settings_.Record = r;
        diagramDefaults() = r;
    });
    connect(Display, &DisplayGroup::highlightEdited, this, [this](Color c) { settings_.HLColor = c; });
    connect(BtEverywhere, &QPushButton::clicked, this, [this] { BtEverywhereClick(); });

    DiagramDefaultSettings stored;
    readDiagramDefaults(SettingsStore(), stored);
    setSettings(stored);
}

TDlgDiagDefault::~TDlgDiagDefault()
{
    SettingsStore store;
    writeDiagramDefaults(store, settings_);
    QString error;
    if (!store.flush(&error))
        qWarning("%s", qPrintable(error));
}

void TDlgDiagDefault::setSettings(const DiagramDefaultSettings& settings)
{
    settings_ = settings;
    diagramDefaults() = settings.Record;
    Display->setRecord(settings.Record);
    Display->setHighlight(settings.HLColor);
}

bool TDlgDiagDefault::execModal()
{
    setSettings(settings_);
    exec();
    return true;
}

void TDlgDiagDefault::BtEverywhereClick()
{
    ws_.tree.ForEach([this](TreeItem* item) {
        if (auto* motion = item->NodeAs<TPaintObj>())
            motion->setDisplayRecord(settings_.Record);
    });
    if (redrawAll)
        redrawAll();
}

} // namespace vemra

#include "about_box.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

#ifndef VEMRA_VERSION
#define VEMRA_VERSION "0.0.0"
#endif

namespace vemra {

QString TAboutBox::versionText()
{
    return QStringLiteral("Version ") + QStringLiteral(VEMRA_VERSION);
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TAboutBox"));
    setWindowTitle(QStringLiteral("Info"));

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/vemra/vemra.svg")).pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);
    top->addWidget(icon);

    auto* text = new QLabel(this);
    text->setObjectName(QStringLiteral("ProductText"));
    text->setTextFormat(Qt::RichText);
    text->setText(QStringLiteral("<h2>Vemra</h2><p>%1</p>"
                                 "<p>Bewegungsgesetze durch harmonische Synthese:<br>"
                                 "Projekte mit Bewegungsvorgaben und Restriktionen anlegen,<br>"
                                 "mit dem Berechnungsmodul rx-10-L berechnen<br>"
                                 "und die Ergebnisse als Diagramm, Report und Wertetabelle auswerten.</p>")
                      .arg(versionText()));
    top->addWidget(text, 1);
    layout->addLayout(top);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace vemra

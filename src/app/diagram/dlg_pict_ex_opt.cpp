#include "dlg_pict_ex_opt.h"

#include "diagram_settings.h"

#include "platform/qt/canvas/emf_canvas.h"
#include "platform/qt/settings_store.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace vemra {

namespace {

// A label that reports clicks, for the font panel.
class ClickLabel : public QLabel {
public:
    ClickLabel(std::function<void()> onClick, QWidget* parent) : QLabel(parent), onClick_(std::move(onClick)) {}

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            onClick_();
    }

private:
    std::function<void()> onClick_;
};

FontSetting fromQFont(const QFont& f, Color color)
{
    FontSetting s;
    s.Name = f.family().toStdString();
    s.Size = std::max(1, static_cast<int>(std::lround(f.pointSizeF())));
    s.Height = -static_cast<int>(std::lround(s.Size * TDlgPictExOpt::screenPixelsPerInch() / 72.0));
    s.Color = color;
    s.Style = static_cast<uint8_t>((f.bold() ? FontSetting::Bold : 0) | (f.italic() ? FontSetting::Italic : 0) |
                                   (f.underline() ? FontSetting::Underline : 0) |
                                   (f.strikeOut() ? FontSetting::StrikeOut : 0));
    return s;
}

} // namespace

FontChooser& fontChooser()
{
    static FontChooser chooser = [](const FontSetting& current, QWidget* parent) -> std::optional<FontSetting> {
        QFont initial = pictureFont(current);
        initial.setPointSize(current.Size);
        QFontDialog dialog(initial, parent);
        dialog.setWindowTitle(QStringLiteral("Schriftart"));
        // The sizes the dialog offers: 8 to 20 points.
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        QFont chosen = dialog.selectedFont();
        chosen.setPointSizeF(std::clamp(chosen.pointSizeF(), 8.0, 20.0));
        return fromQFont(chosen, current.Color);
    };
    return chooser;
}

double TDlgPictExOpt::screenPixelsPerInch()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

TDlgPictExOpt::TDlgPictExOpt(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TDlgPictExOpt"));
    setWindowTitle(QStringLiteral("Optionen (Bitmap-Export)"));

    CBDin = new QCheckBox(QString::fromUtf8("Din-Seitenverhältnis"), this);
    CBDin->setObjectName(QStringLiteral("CBDin"));
    CBLandscape = new QCheckBox(QStringLiteral("Hochformat"), this);
    CBLandscape->setObjectName(QStringLiteral("CBLandscape"));
    SEdWidth = new QSpinBox(this);
    SEdWidth->setObjectName(QStringLiteral("SEdWidth"));
    SEdHeight = new QSpinBox(this);
    SEdHeight->setObjectName(QStringLiteral("SEdHeight"));
    for (QSpinBox* s : {SEdWidth, SEdHeight}) {
        s->setRange(PictureExportOptions::MinSize, PictureExportOptions::MaxSize);
        s->setSingleStep(10);
        s->setSuffix(QStringLiteral(" mm"));
    }
    CBRes = new QComboBox(this);
    CBRes->setObjectName(QStringLiteral("CBRes"));
    CBRes->addItems({QString::number(std::lround(screenPixelsPerInch())) + QStringLiteral(" dpi (Bildschirm)"),
                     QStringLiteral("180 dpi"), QStringLiteral("300 dpi")});
    PanelFont = new ClickLabel([this] { PanelFontClick(); }, this);
    PanelFont->setObjectName(QStringLiteral("PanelFont"));
    PanelFont->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelFont->setAlignment(Qt::AlignCenter);
    PanelFont->setMinimumHeight(40);
    PanelFont->setCursor(Qt::PointingHandCursor);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Breite:"), SEdWidth);
    form->addRow(QString::fromUtf8("Höhe:"), SEdHeight);
    form->addRow(CBDin);
    form->addRow(CBLandscape);
    form->addRow(QString::fromUtf8("Auflösung:"), CBRes);
    form->addRow(QStringLiteral("Schriftart"), PanelFont);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(340);

    connect(CBDin, &QCheckBox::toggled, this, [this](bool on) {
        CBLandscape->setEnabled(on);
        keepProportion(SizeField::Width);
    });
    connect(CBLandscape, &QCheckBox::toggled, this, [this] { keepProportion(SizeField::Width); });
    connect(SEdWidth, &QSpinBox::valueChanged, this, [this] { keepProportion(SizeField::Width); });
    connect(SEdHeight, &QSpinBox::valueChanged, this, [this] { keepProportion(SizeField::Height); });

    readPictureExportOptions(SettingsStore(), options_);
    loadControls();
}

TDlgPictExOpt::~TDlgPictExOpt()
{
    SettingsStore store;
    writePictureExportOptions(store, options_);
    QString error;
    if (!store.flush(&error))
        qWarning("%s", qPrintable(error));
}

void TDlgPictExOpt::setOptions(const PictureExportOptions& options)
{
    options_ = options;
    loadControls();
}

void TDlgPictExOpt::loadControls()
{
    adjusting_ = true;
    CBDin->setChecked(options_.Din);
    CBLandscape->setChecked(options_.Landscape);
    CBLandscape->setEnabled(options_.Din);
    SEdWidth->setValue(options_.Width);
    SEdHeight->setValue(options_.Height);
    CBRes->setCurrentIndex(std::clamp(options_.Resolution, 0, 2));
    shownFont_ = options_.Font;
    adjusting_ = false;
    showFont();
}

PictureExportOptions TDlgPictExOpt::controlValues() const
{
    PictureExportOptions o;
    o.Din = CBDin->isChecked();
    o.Landscape = CBLandscape->isChecked();
    o.Width = SEdWidth->value();
    o.Height = SEdHeight->value();
    o.Resolution = CBRes->currentIndex();
    o.Font = shownFont_;
    return o;
}

bool TDlgPictExOpt::execModal()
{
    loadControls();
    if (exec() != QDialog::Accepted)
        return false;
    options_ = controlValues();
    return true;
}

void TDlgPictExOpt::keepProportion(SizeField changed)
{
    if (adjusting_ || !CBDin->isChecked())
        return;
    adjusting_ = true;
    const PictureSize s = dinAdjust(SEdWidth->value(), SEdHeight->value(), CBLandscape->isChecked(), changed);
    SEdWidth->setValue(s.width);
    SEdHeight->setValue(s.height);
    adjusting_ = false;
}

void TDlgPictExOpt::PanelFontClick()
{
    if (const auto f = fontChooser()(shownFont_, this)) {
        shownFont_ = *f;
        showFont();
    }
}

void TDlgPictExOpt::showFont()
{
    QFont f = pictureFont(shownFont_);
    f.setPointSize(std::max(shownFont_.Size, 1));
    PanelFont->setFont(f);
    PanelFont->setText(QString::fromStdString(shownFont_.Name) + QStringLiteral(", ") +
                       QString::number(shownFont_.Size) + QStringLiteral(" pt"));
}

} // namespace vemra

#include "display_controls.h"

#include "platform/qt/canvas/qpainter_canvas.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QStylePainter>

namespace vemra {

namespace {

// A line in the given style across rect, 5 pixels in from both ends.
void drawStyleLine(QPainter& painter, const QRect& rect, int style, const QColor& color)
{
    QPainterCanvas canvas(painter, painter.font(), color);
    canvas.SetPen(fromQColor(color), penStyleFromByte(static_cast<uint8_t>(style)));
    const int y = rect.center().y();
    canvas.MoveTo(rect.left() + 5, y);
    canvas.LineTo(rect.right() - 5, y);
}

class StyleDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        o.text.clear();
        o.widget->style()->drawControl(QStyle::CE_ItemViewItem, &o, painter, o.widget);
        painter->save();
        const QColor c = (option.state & QStyle::State_Selected) ? option.palette.highlightedText().color()
                                                                 : option.palette.text().color();
        drawStyleLine(*painter, option.rect, index.row(), c);
        painter->restore();
    }
};

const QColor DisabledLabel(0x80, 0x80, 0x80);

} // namespace

ColorChooser& colorChooser()
{
    static ColorChooser chooser = [](Color current, QWidget* parent) -> std::optional<Color> {
        const QColor c = QColorDialog::getColor(toQColor(current), parent);
        if (!c.isValid())
            return std::nullopt;
        return fromQColor(c);
    };
    return chooser;
}

// --- colour panel -----------------------------------------------------------------

ColorPanel::ColorPanel(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setFixedSize(40, 20);
    setCursor(Qt::PointingHandCursor);
}

void ColorPanel::setColor(Color c)
{
    color_ = c;
    update();
}

void ColorPanel::choose()
{
    if (!isEnabled())
        return;
    if (const auto c = colorChooser()(color_, this)) {
        setColor(*c);
        emit colorChosen(*c);
    }
}

void ColorPanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        choose();
}

void ColorPanel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    p.fillRect(contentsRect(), isEnabled() ? toQColor(color_) : palette().color(QPalette::Window));
}

// --- style box --------------------------------------------------------------------

PenStyleBox::PenStyleBox(QWidget* parent) : QComboBox(parent)
{
    for (int i = 0; i < 5; ++i)
        addItem(QString());
    setItemDelegate(new StyleDelegate(this));
    setMinimumWidth(90);
}

void PenStyleBox::paintEvent(QPaintEvent*)
{
    QStylePainter p(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    p.drawComplexControl(QStyle::CC_ComboBox, option);
    if (currentIndex() < 0)
        return;
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    drawStyleLine(p, field, currentIndex(), isEnabled() ? palette().text().color() : DisabledLabel);
}

// --- the group --------------------------------------------------------------------

DisplayGroup::DisplayGroup(QWidget* parent) : QGroupBox(QStringLiteral(" Darstellung "), parent)
{
    auto* grid = new QGridLayout(this);
    const auto row = [&](int r, const QString& caption, QWidget* first, QWidget* second) {
        auto* label = new QLabel(caption, this);
        grid->addWidget(label, r, 0);
        if (first)
            grid->addWidget(first, r, 1);
        if (second)
            grid->addWidget(second, r, 2);
        return label;
    };
    sLine = new PenStyleBox(this);
    sLine->setObjectName(QStringLiteral("sLine"));
    sColor = new ColorPanel(this);
    sColor->setObjectName(QStringLiteral("sColor"));
    qLine = new PenStyleBox(this);
    qLine->setObjectName(QStringLiteral("qLine"));
    qColor = new ColorPanel(this);
    qColor->setObjectName(QStringLiteral("qColor"));
    minColor = new ColorPanel(this);
    minColor->setObjectName(QStringLiteral("minColor"));
    maxColor = new ColorPanel(this);
    maxColor->setObjectName(QStringLiteral("maxColor"));
    DomainColor = new ColorPanel(this);
    DomainColor->setObjectName(QStringLiteral("DomainColor"));
    activColor = new ColorPanel(this);
    activColor->setObjectName(QStringLiteral("activColor"));

    recordLabels_ = {row(0, QStringLiteral("Bewegungsgesetz (s)"), sLine, sColor),
                     row(1, QStringLiteral("Abtriebsbewegung (q)"), qLine, qColor),
                     row(2, QStringLiteral("Minimalforderung:"), nullptr, minColor),
                     row(3, QStringLiteral("Maximalforderung:"), nullptr, maxColor),
                     row(4, QString::fromUtf8("zulässiger Bereich:"), nullptr, DomainColor)};
    row(5, QStringLiteral("Hervorhebung:"), nullptr, activColor);

    for (ColorPanel* p : {sColor, qColor, minColor, maxColor, DomainColor})
        connect(p, &ColorPanel::colorChosen, this, [this] { edited(); });
    for (PenStyleBox* b : {sLine, qLine})
        connect(b, &QComboBox::currentIndexChanged, this, [this] { edited(); });
    connect(activColor, &ColorPanel::colorChosen, this, [this](Color c) { emit highlightEdited(c); });
    setRecord(std::nullopt);
}

void DisplayGroup::setRecord(const std::optional<DisplayRecord>& record)
{
    loading_ = true;
    record_ = record;
    const bool on = record.has_value();
    for (QWidget* w : std::initializer_list<QWidget*>{sLine, qLine, sColor, qColor, minColor, maxColor, DomainColor})
        w->setEnabled(on);
    for (QLabel* l : recordLabels_) {
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, on ? palette().color(QPalette::WindowText) : DisabledLabel);
        l->setPalette(p);
    }
    if (on) {
        sLine->setCurrentIndex(std::min<int>(record->SStyle, 4));
        qLine->setCurrentIndex(std::min<int>(record->QStyle, 4));
        sColor->setColor(record->SColor);
        qColor->setColor(record->QColor);
        minColor->setColor(record->MinColor);
        maxColor->setColor(record->MaxColor);
        DomainColor->setColor(record->DomainColor);
    } else {
        sLine->setCurrentIndex(-1);
        qLine->setCurrentIndex(-1);
    }
    loading_ = false;
}

void DisplayGroup::setHighlight(Color c)
{
    activColor->setColor(c);
}

Color DisplayGroup::highlight() const
{
    return activColor->color();
}

void DisplayGroup::edited()
{
    if (loading_ || !record_)
        return;
    record_->SStyle = static_cast<uint8_t>(std::max(sLine->currentIndex(), 0));
    record_->QStyle = static_cast<uint8_t>(std::max(qLine->currentIndex(), 0));
    record_->SColor = sColor->color();
    record_->QColor = qColor->color();
    record_->MinColor = minColor->color();
    record_->MaxColor = maxColor->color();
    record_->DomainColor = DomainColor->color();
    emit recordEdited(*record_);
}

} // namespace vemra

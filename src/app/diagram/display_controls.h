// The controls that edit how motion definitions are drawn: colour panels,
// line style boxes, and the group " Darstellung " that the diagram options
// and the diagram defaults share.
#pragma once

#include "diagram/canvas.h"
#include "model/display_record.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>

#include <functional>
#include <optional>

class QLabel;

namespace vemra {

// Lets the user pick a colour, starting from current; none when cancelled.
// The colour dialog by default; tests put their own answer here.
using ColorChooser = std::function<std::optional<Color>(Color current, QWidget* parent)>;
ColorChooser& colorChooser();

// A panel filled with its colour; a click chooses a new one.
class ColorPanel : public QFrame {
    Q_OBJECT
public:
    explicit ColorPanel(QWidget* parent = nullptr);
    Color color() const { return color_; }
    void setColor(Color c);
    // What a click does.
    void choose();

signals:
    void colorChosen(vemra::Color color);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Color color_ = 0;
};

// The five line styles, each entry drawn as a line in its style.
class PenStyleBox : public QComboBox {
    Q_OBJECT
public:
    explicit PenStyleBox(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

class DisplayGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit DisplayGroup(QWidget* parent = nullptr);

    // The record shown; none disables everything but the highlight.
    void setRecord(const std::optional<DisplayRecord>& record);
    std::optional<DisplayRecord> record() const { return record_; }
    void setHighlight(Color c);
    Color highlight() const;

    PenStyleBox* sLine;
    PenStyleBox* qLine;
    ColorPanel* sColor;
    ColorPanel* qColor;
    ColorPanel* minColor;
    ColorPanel* maxColor;
    ColorPanel* DomainColor;
    ColorPanel* activColor;

signals:
    void recordEdited(const vemra::DisplayRecord& record);
    void highlightEdited(vemra::Color color);

private:
    void edited();
    std::optional<DisplayRecord> record_;
    std::vector<QLabel*> recordLabels_;
    bool loading_ = false;
};

} // namespace vemra

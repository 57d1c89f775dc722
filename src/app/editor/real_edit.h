// TRealEdit: the entry field of every real value in the editor. It keeps the
// value next to the text, reads a decimal point whatever the locale, clamps
// into optional limits, and does not let the focus go while its text is no
// number.
#pragma once

#include "editor/real_value.h"

#include <QLineEdit>

#include <functional>

namespace vemra {

class TRealEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TRealEdit(QWidget* parent = nullptr);

    long double ValueMin() const { return value_.ValueMin(); }
    long double ValueMax() const { return value_.ValueMax(); }
    void setValueMin(long double v);
    void setValueMax(long double v);
    // Validates the text first: 0 when it is no number.
    long double Value();
    void setValue(long double v);
    // Takes the text as the value (clamped, with the limit shown); false
    // when the text is no number.
    bool Validate();
    // Significant digits of the text the field writes.
    int MaxLength() const { return value_.MaxLength; }
    void setMaxLength(int digits) { value_.MaxLength = digits; }

    // What the field does instead of a plain beep (tests count them).
    static void setBeeper(std::function<void()> beeper);

    // Room for a number of the field's digits, not a line of text.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The focus left the field, or Enter was pressed, with a number in it.
    void exited();
    void enterPressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void refuse();
    void showValueText();

    RealValue value_;
};

} // namespace vemra

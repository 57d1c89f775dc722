#include "real_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

namespace vemra {

namespace {

std::function<void()>& beeper()
{
    static std::function<void()> b;
    return b;
}

} // namespace

TRealEdit::TRealEdit(QWidget* parent) : QLineEdit(parent)
{
    setText(QString::fromStdString(value_.text()));
}

QSize TRealEdit::sizeHint() const
{
    QSize size = QLineEdit::sizeHint();
    size.setWidth(fontMetrics().horizontalAdvance(QStringLiteral("-0.000000000")) + 12);
    return size;
}

QSize TRealEdit::minimumSizeHint() const
{
    QSize size = QLineEdit::minimumSizeHint();
    size.setWidth(fontMetrics().horizontalAdvance(QStringLiteral("-0.00000")) + 12);
    return size;
}

void TRealEdit::setBeeper(std::function<void()> b)
{
    beeper() = std::move(b);
}

void TRealEdit::showValueText()
{
    const QString text = QString::fromStdString(value_.text());
    if (text != this->text())
        setText(text);
}

void TRealEdit::setValueMin(long double v)
{
    value_.setText(text().toStdString());
    value_.setValueMin(v);
    showValueText();
}

void TRealEdit::setValueMax(long double v)
{
    value_.setText(text().toStdString());
    value_.setValueMax(v);
    showValueText();
}

void TRealEdit::setValue(long double v)
{
    value_.setValue(v);
    showValueText();
}

bool TRealEdit::Validate()
{
    value_.setText(text().toStdString());
    const bool ok = value_.Validate();
    if (ok)
        showValueText();
    return ok;
}

long double TRealEdit::Value()
{
    return Validate() ? value_.storedValue() : 0;
}

void TRealEdit::refuse()
{
    if (beeper())
        beeper()();
    else
        QApplication::beep();
}

void TRealEdit::keyPressEvent(QKeyEvent* event)
{
    if (isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!Validate()) {
            refuse();
            setFocus();
            event->accept();
            return;
        }
        emit enterPressed();
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString typed = event->text();
    if (typed.size() == 1) {
        const char32_t mapped = fieldCharacter(typed.at(0).unicode());
        if (mapped != typed.at(0).unicode()) {
            QKeyEvent replaced(event->type(), event->key(), event->modifiers(), QString(QChar(mapped)),
                               event->isAutoRepeat(), static_cast<ushort>(event->count()));
            QLineEdit::keyPressEvent(&replaced);
            event->setAccepted(replaced.isAccepted());
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TRealEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // Leaving the window or opening a menu is no exit from the field; the
    // editor commits a half-typed value itself when it is deactivated.
    if (isReadOnly() || event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    if (!Validate()) {
        refuse();
        // The focus is still moving; take it back once it has arrived.
        QTimer::singleShot(0, this, [this] {
            if (isVisible() && isEnabled())
                setFocus(Qt::OtherFocusReason);
        });
        return;
    }
    emit exited();
}

} // namespace vemra

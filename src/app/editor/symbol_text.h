// Greek letters and relation signs in the editor's labels. Where the
// "Symbol" font exists and maps Latin letters to Greek ones (Windows) the
// labels use it; everywhere else they show the Unicode characters, so that
// they read "η", "θ", "φ", "≤" and "√" on every platform.
#pragma once

#include <QFont>
#include <QString>

namespace vemra {

struct SymbolText {
    QString text;
    // Set only when the Symbol font is used.
    bool symbolFont = false;
};

// symbolLatin: the text in the Symbol font's encoding ("h" is η, "£" is ≤);
// unicode: the same text in Unicode.
SymbolText symbolText(const char* symbolLatin, const QString& unicode);

// Applies t to a label or button.
template <class W> void setSymbolText(W* widget, const SymbolText& t)
{
    if (t.symbolFont) {
        QFont f = widget->font();
        f.setFamily(QStringLiteral("Symbol"));
        widget->setFont(f);
    }
    widget->setText(t.text);
}

template <class W> void setSymbolText(W* widget, const char* symbolLatin, const QString& unicode)
{
    setSymbolText(widget, symbolText(symbolLatin, unicode));
}

} // namespace vemra

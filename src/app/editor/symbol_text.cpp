#include "symbol_text.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace vemra {

namespace {

bool symbolFontMapsLatin()
{
#ifdef Q_OS_WIN
    static const bool available = QFontDatabase::families().contains(QStringLiteral("Symbol"));
    return available;
#else
    // Elsewhere a font called "Symbol" is usually a stand-in that shows the
    // Latin letters as they are.
    return false;
#endif
}

} // namespace

SymbolText symbolText(const char* symbolLatin, const QString& unicode)
{
    if (symbolFontMapsLatin())
        return {QString::fromLatin1(symbolLatin), true};
    return {unicode, false};
}

} // namespace vemra

// Reads RTF of the kind the report writes (fonts, sizes, bold, italic,
// underline, alignment, indents, spacing, left, right, centre and decimal
// tab stops, sub- and superscript, \'hh escapes, a page header) into a
// QTextDocument for the report window.
// Characters of the Symbol font become the Unicode letters they show when
// that font is not installed.
#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

#include <optional>

class QTextDocument;

namespace vemra {

struct RtfReadOptions {
    // The character decimal tab stops align on (the report's separator).
    QChar decimalSeparator = QLatin1Char('.');
    // Whether a font named "Symbol" with its own encoding can be used;
    // unset: ask the font database.
    std::optional<bool> symbolFontInstalled;
};

// The page header, split at its tab: the name on the left, the date on the
// right.
struct RtfPageHeader {
    QString left;
    QString right;
};

class RtfDocumentReader {
public:
    explicit RtfDocumentReader(RtfReadOptions options = {});

    // Replaces the content of document by the body of rtf. Never fails: what
    // it does not know it leaves out.
    void read(const QByteArray& rtf, QTextDocument& document);
    const RtfPageHeader& pageHeader() const { return header_; }

    // The Unicode character that byte shows in the Symbol font.
    static QChar symbolCharacter(unsigned char byte);
    // The character that byte stands for in Windows-1252.
    static QChar cp1252Character(unsigned char byte);

private:
    RtfReadOptions options_;
    RtfPageHeader header_;
};

} // namespace vemra

#include "rtf_document_reader.h"

#include <QFontMetricsF>
#include <QFontDatabase>
#include <QList>
#include <QStringList>
#include <QMap>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>
#include <cmath>
#include <vector>

namespace vemra {

namespace {

// Lengths in RTF are twips (1/1440 inch); a text document measures in
// pixels of 96 per inch, which printing scales to the printer.
qreal pixels(int twips)
{
    return twips / 15.0;
}

// A tab that cannot reach its place still takes a sliver of room, so that
// the text document does not jump to a later stop.
constexpr qreal MinTabWidth = 1.0 / 16;

enum class Destination { Body, FontTable, Header, Skip };

struct CharState {
    Destination destination = Destination::Body;
    int font = 0;
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QTextCharFormat::VerticalAlignment vertical = QTextCharFormat::AlignNormal;

    bool sameLook(const CharState& o) const
    {
        return font == o.font && halfPoints == o.halfPoints && bold == o.bold && italic == o.italic &&
               underline == o.underline && vertical == o.vertical;
    }
};

struct TabStop {
    int twips;
    QTextOption::TabType type;
};

struct ParagraphState {
    Qt::Alignment alignment = Qt::AlignLeft;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    std::vector<TabStop> tabs;
    QTextOption::TabType nextTab = QTextOption::LeftTab;
};

class Parser {
public:
    Parser(const RtfReadOptions& options, QTextDocument& document, RtfPageHeader& header)
        : options_(options), document_(document), cursor_(&document), header_(header)
    {
        symbolInstalled_ = options.symbolFontInstalled ? *options.symbolFontInstalled
                                                       : QFontDatabase::families().contains(QStringLiteral("Symbol"));
    }

    void run(const QByteArray& rtf)
    {
        data_ = rtf;
        pos_ = 0;
        while (pos_ < data_.size()) {
            const char c = data_[pos_++];
            switch (c) {
            case '{':
                stack_.push_back(state_);
                break;
            case '}':
                closeGroup();
                break;
            case '\\':
                control();
                break;
            case '\r':
            case '\n':
                break;
            default:
                character(QChar(), static_cast<unsigned char>(c));
            }
        }
        finish();
    }

private:
    void closeGroup()
    {
        if (state_.destination == Destination::FontTable)
            commitFontName();
        if (stack_.empty())
            return; // a stray brace: ignore it
        const Destination leaving = state_.destination;
        state_ = stack_.back();
        stack_.pop_back();
        if (leaving == Destination::Header && state_.destination != Destination::Header)
            splitHeader();
    }

    void control()
    {
        if (pos_ >= data_.size())
            return;
        const char c = data_[pos_];
        if (isLetter(c)) {
            QByteArray word;
            while (pos_ < data_.size() && isLetter(data_[pos_]))
                word += data_[pos_++];
            bool hasParam = false;
            int param = 0;
            bool negative = false;
            if (pos_ < data_.size() && data_[pos_] == '-' && pos_ + 1 < data_.size() && isDigit(data_[pos_ + 1])) {
                negative = true;
                ++pos_;
            }
            while (pos_ < data_.size() && isDigit(data_[pos_])) {
                hasParam = true;
                param = param * 10 + (data_[pos_++] - '0');
                if (param > 100000000)
                    param = 100000000;
            }
            if (negative)
                param = -param;
            if (pos_ < data_.size() && data_[pos_] == ' ')
                ++pos_;
            controlWord(word, hasParam, param);
            return;
        }
        ++pos_;
        switch (c) {
        case '\'': {
            const int hi = pos_ < data_.size() ? hexValue(data_[pos_]) : -1;
            const int lo = pos_ + 1 < data_.size() ? hexValue(data_[pos_ + 1]) : -1;
            if (hi >= 0 && lo >= 0) {
                pos_ += 2;
                character(QChar(), static_cast<unsigned char>(hi * 16 + lo));
            }
            break;
        }
        case '\\':
        case '{':
        case '}':
            character(QChar(), static_cast<unsigned char>(c));
            break;
        case '~':
            character(QChar(0x00A0), 0);
            break;
        case '_':
            character(QChar(0x2011), 0);
            break;
        case '*':
            state_.destination = Destination::Skip;
            break;
        case '\r':
        case '\n':
            paragraph();
            break;
        default:
            break; // optional hyphen and other symbols: nothing to show
        }
    }

    void controlWord(const QByteArray& w, bool hasParam, int param)
    {
        const bool on = !hasParam || param != 0;
        if (w == "par") {
            paragraph();
        } else if (w == "pard") {
            paragraph_ = ParagraphState{};
        } else if (w == "plain") {
            const Destination d = state_.destination;
            state_ = CharState{};
            state_.font = defaultFont_;
            state_.destination = d;
        } else if (w == "tab") {
            character(QLatin1Char('\t'), 0);
        } else if (w == "line") {
            character(QChar::LineSeparator, 0);
        } else if (w == "f") {
            state_.font = param;
            if (state_.destination == Destination::FontTable) {
                fontIndex_ = param;
                fontName_.clear();
            }
        } else if (w == "deff") {
            defaultFont_ = param;
            state_.font = param;
        } else if (w == "fs") {
            state_.halfPoints = hasParam && param > 0 ? param : 24;
        } else if (w == "b") {
            state_.bold = on;
        } else if (w == "i") {
            state_.italic = on;
        } else if (w == "ul") {
            state_.underline = on;
        } else if (w == "ulnone") {
            state_.underline = false;
        } else if (w == "sub") {
            state_.vertical = QTextCharFormat::AlignSubScript;
        } else if (w == "super") {
            state_.vertical = QTextCharFormat::AlignSuperScript;
        } else if (w == "nosupersub") {
            state_.vertical = QTextCharFormat::AlignNormal;
        } else if (w == "ql") {
            paragraph_.alignment = Qt::AlignLeft;
        } else if (w == "qc") {
            paragraph_.alignment = Qt::AlignHCenter;
        } else if (w == "qr") {
            paragraph_.alignment = Qt::AlignRight;
        } else if (w == "qj") {
            paragraph_.alignment = Qt::AlignJustify;
        } else if (w == "li") {
            paragraph_.leftIndent = param;
        } else if (w == "ri") {
            paragraph_.rightIndent = param;
        } else if (w == "fi") {
            paragraph_.firstIndent = param;
        } else if (w == "sb") {
            paragraph_.spaceBefore = param;
        } else if (w == "sa") {
            paragraph_.spaceAfter = param;
        } else if (w == "tql") {
            paragraph_.nextTab = QTextOption::LeftTab;
        } else if (w == "tqr") {
            paragraph_.nextTab = QTextOption::RightTab;
        } else if (w == "tqc") {
            paragraph_.nextTab = QTextOption::CenterTab;
        } else if (w == "tqdec") {
            paragraph_.nextTab = QTextOption::DelimiterTab;
        } else if (w == "tx") {
            paragraph_.tabs.push_back({param, paragraph_.nextTab});
            paragraph_.nextTab = QTextOption::LeftTab;
        } else if (w == "u") {
            // A Unicode character, followed by its stand-in for older
            // readers, which is skipped.
            character(QChar(static_cast<char16_t>(param < 0 ? param + 65536 : param)), 0);
            skipStandIn();
        } else if (w == "fonttbl") {
            state_.destination = Destination::FontTable;
        } else if (w == "header") {
            state_.destination = Destination::Header;
            header_ = RtfPageHeader{};
            headerText_.clear();
        } else if (w == "stylesheet" || w == "info" || w == "colortbl" || w == "headerf" || w == "headerl" ||
                   w == "headerr" || w == "footer" || w == "footerf" || w == "footerl" || w == "footerr" ||
                   w == "pict" || w == "object" || w == "field" || w == "fldinst" || w == "listtable" ||
                   w == "listoverridetable" || w == "generator") {
            state_.destination = Destination::Skip;
        } else if (w == "lquote") {
            character(QChar(0x2018), 0);
        } else if (w == "rquote") {
            character(QChar(0x2019), 0);
        } else if (w == "ldblquote") {
            character(QChar(0x201C), 0);
        } else if (w == "rdblquote") {
            character(QChar(0x201D), 0);
        } else if (w == "endash") {
            character(QChar(0x2013), 0);
        } else if (w == "emdash") {
            character(QChar(0x2014), 0);
        } else if (w == "bullet") {
            character(QChar(0x2022), 0);
        }
        // Everything else (\rtf, \ansi, \s, \keep, \keepn, \dn, \up...)
        // changes nothing that the view shows. Narrowed letters
        // (\charscalex) are left at their width: on top of the smaller size
        // of an index they would no longer be legible on screen.
    }

    void skipStandIn()
    {
        if (pos_ >= data_.size())
            return;
        if (data_[pos_] == '\\' && pos_ + 1 < data_.size() && data_[pos_ + 1] == '\'')
            pos_ += std::min<qsizetype>(4, data_.size() - pos_);
        else if (data_[pos_] != '{' && data_[pos_] != '}' && data_[pos_] != '\\')
            ++pos_;
    }

    // A character of the text: either a Unicode character (byte 0) or a
    // byte of the document's code page.
    void character(QChar unicode, unsigned char byte)
    {
        switch (state_.destination) {
        case Destination::Skip:
            return;
        case Destination::FontTable:
            if (byte == ';')
                commitFontName();
            else
                fontName_ += unicode.isNull() ? RtfDocumentReader::cp1252Character(byte) : unicode;
            return;
        case Destination::Header:
            headerText_ += unicode.isNull() ? RtfDocumentReader::cp1252Character(byte) : unicode;
            return;
        case Destination::Body:
            break;
        }
        QChar shown = unicode;
        CharState look = state_;
        if (unicode.isNull()) {
            if (isSymbolFont(state_.font) && !symbolInstalled_) {
                shown = RtfDocumentReader::symbolCharacter(byte);
                look.font = defaultFont_;
            } else {
                shown = RtfDocumentReader::cp1252Character(byte);
            }
        }
        if (runs_.empty() || !runs_.back().look.sameLook(look))
            runs_.push_back({QString(), look});
        runs_.back().text += shown;
    }

    // Puts the paragraph's text into the document.
    void flushRuns()
    {
        placeTabs();
        for (const Run& run : runs_)
            if (!run.text.isEmpty())
                cursor_.insertText(run.text, charFormat(run.look));
        runs_.clear();
    }

    // Where each tab of the paragraph ends, as a word processor places it:
    // at the next stop behind the text so far, the section after it left
    // aligned, right aligned, centred or aligned on its decimal separator
    // (a section without one ends at the stop). The text document gets
    // these places as plain left stops: its own right, centre and decimal
    // stops do not keep to the section they belong to (a decimal stop looks
    // for a separator even in later sections and mislays empty ones).
    void placeTabs()
    {
        placedTabs_.clear();
        // The sections between the tabs, measured in the fonts they use.
        struct Section {
            qreal width = 0;
            qreal beforeSeparator = -1; // width up to the first separator
        };
        std::vector<Section> sections(1);
        for (const Run& run : runs_) {
            const QFontMetricsF metrics(measuringFont(run.look));
            QString piece;
            auto addPiece = [&] {
                Section& s = sections.back();
                const qsizetype separator = piece.indexOf(options_.decimalSeparator);
                if (s.beforeSeparator < 0 && separator >= 0)
                    s.beforeSeparator = s.width + metrics.horizontalAdvance(piece.left(separator));
                s.width += metrics.horizontalAdvance(piece);
                piece.clear();
            };
            for (const QChar c : run.text) {
                if (c == QLatin1Char('\t')) {
                    addPiece();
                    sections.emplace_back();
                } else {
                    piece += c;
                }
            }
            addPiece();
        }
        if (sections.size() < 2)
            return;

        const ParagraphState& p = paragraph_;
        qreal x = pixels(p.firstIndent) + sections[0].width;
        for (size_t i = 1; i < sections.size(); ++i) {
            const Section& section = sections[i];
            qreal start = x;
            bool found = false;
            for (const TabStop& t : p.tabs) {
                const qreal stop = pixels(t.twips - p.leftIndent);
                if (stop <= x + MinTabWidth)
                    continue;
                found = true;
                switch (t.type) {
                case QTextOption::LeftTab: start = stop; break;
                case QTextOption::RightTab: start = stop - section.width; break;
                case QTextOption::CenterTab: start = stop - section.width / 2; break;
                case QTextOption::DelimiterTab:
                    start = stop - (section.beforeSeparator >= 0 ? section.beforeSeparator : section.width);
                    break;
                }
                break;
            }
            if (!found) {
                // Beyond the last stop: the default stops, half an inch apart
                // from the page margin.
                const qreal step = pixels(720);
                const qreal margin = pixels(p.leftIndent);
                start = (std::floor((x + margin) / step) + 1) * step - margin;
            }
            // Text that does not fit before its stop starts where the text
            // before it ends, as far as a tab can still be seen.
            start = std::max(start, x + MinTabWidth);
            placedTabs_.push_back(start);
            x = start + section.width;
        }
    }

    // The font the text document will use for a run.
    QFont measuringFont(const CharState& look) const
    {
        QFont font = charFormat(look).font().resolve(document_.defaultFont());
        // Sub- and superscripts are set smaller.
        if (look.vertical != QTextCharFormat::AlignNormal)
            font.setPointSizeF(font.pointSizeF() * 2 / 3);
        return font;
    }

    QTextCharFormat charFormat(const CharState& s) const
    {
        QTextCharFormat f;
        const QString family = fonts_.value(s.font, fonts_.value(defaultFont_));
        if (!family.isEmpty())
            f.setFontFamilies({family});
        f.setFontPointSize(s.halfPoints / 2.0);
        f.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(s.italic);
        f.setFontUnderline(s.underline);
        f.setVerticalAlignment(s.vertical);
        return f;
    }

    QTextBlockFormat blockFormat() const
    {
        const ParagraphState& p = paragraph_;
        QTextBlockFormat b;
        b.setAlignment(p.alignment);
        b.setLeftMargin(pixels(p.leftIndent));
        b.setRightMargin(pixels(p.rightIndent));
        b.setTextIndent(pixels(p.firstIndent));
        b.setTopMargin(pixels(p.spaceBefore));
        b.setBottomMargin(pixels(p.spaceAfter));
        QList<QTextOption::Tab> tabs;
        for (const qreal position : placedTabs_)
            tabs.append(QTextOption::Tab(position, QTextOption::LeftTab));
        b.setTabPositions(tabs);
        return b;
    }

    void paragraph()
    {
        if (state_.destination != Destination::Body)
            return;
        flushRuns();
        cursor_.setBlockFormat(blockFormat());
        cursor_.insertBlock();
    }

    void finish()
    {
        flushRuns();
        cursor_.setBlockFormat(blockFormat());
    }

    void commitFontName()
    {
        if (fontIndex_ >= 0) {
            fonts_[fontIndex_] = fontName_.trimmed();
            fontIndex_ = -1;
        }
        fontName_.clear();
    }

    void splitHeader()
    {
        const QString text = headerText_.trimmed();
        const auto tab = text.indexOf(QLatin1Char('\t'));
        header_.left = tab < 0 ? text : text.left(tab).trimmed();
        header_.right = tab < 0 ? QString() : text.mid(tab + 1).trimmed();
    }

    bool isSymbolFont(int font) const
    {
        return fonts_.value(font).compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0;
    }

    static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static int hexValue(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    const RtfReadOptions& options_;
    const QTextDocument& document_;
    QTextCursor cursor_;
    RtfPageHeader& header_;
    bool symbolInstalled_ = false;

    QByteArray data_;
    qsizetype pos_ = 0;
    CharState state_;
    std::vector<CharState> stack_;
    ParagraphState paragraph_;
    QMap<int, QString> fonts_;
    int defaultFont_ = 0;
    int fontIndex_ = -1;
    QString fontName_;
    QString headerText_;
    struct Run {
        QString text;
        CharState look;
    };
    std::vector<Run> runs_;
    // Where the tabs of the current paragraph end (from its indent).
    std::vector<qreal> placedTabs_;
};

} // namespace

RtfDocumentReader::RtfDocumentReader(RtfReadOptions options) : options_(options) {}

void RtfDocumentReader::read(const QByteArray& rtf, QTextDocument& document)
{
    document.clear();
    QTextOption option = document.defaultTextOption();
    // RTF's default tab stops lie half an inch apart.
    option.setTabStopDistance(pixels(720));
    document.setDefaultTextOption(option);
    header_ = RtfPageHeader{};
    Parser(options_, document, header_).run(rtf);
}

QChar RtfDocumentReader::cp1252Character(unsigned char byte)
{
    // 0x80..0x9F hold the typographic characters; the rest is Latin-1.
    static const char16_t high[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    if (byte >= 0x80 && byte <= 0x9F)
        return QChar(high[byte - 0x80]);
    return QChar(static_cast<char16_t>(byte));
}

QChar RtfDocumentReader::symbolCharacter(unsigned char byte)
{
    // The Greek letters of the Symbol font sit on the Latin letters that
    // sound alike.
    static const char16_t lower[26] = {0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3, 0x03B7, 0x03B9,
                                       0x03C6, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1,
                                       0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6};
    static const char16_t upper[26] = {0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399,
                                       0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F, 0x03A0, 0x0398, 0x03A1,
                                       0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396};
    if (byte >= 'a' && byte <= 'z')
        return QChar(lower[byte - 'a']);
    if (byte >= 'A' && byte <= 'Z')
        return QChar(upper[byte - 'A']);
    switch (byte) {
    case 0x22: return QChar(0x2200); // for all
    case 0x24: return QChar(0x2203); // there exists
    case 0x27: return QChar(0x220B);
    case 0x2A: return QLatin1Char('*');
    case 0x2D: return QChar(0x2212); // minus
    case 0x40: return QChar(0x2245);
    case 0xA1: return QChar(0x03D2);
    case 0xA2: return QChar(0x2032); // prime
    case 0xA3: return QChar(0x2264); // less or equal
    case 0xA5: return QChar(0x221E); // infinity
    case 0xB0: return QChar(0x00B0);
    case 0xB1: return QChar(0x00B1);
    case 0xB2: return QChar(0x2033);
    case 0xB3: return QChar(0x2265); // greater or equal
    case 0xB4: return QChar(0x00D7);
    case 0xB5: return QChar(0x221D);
    case 0xB6: return QChar(0x2202);
    case 0xB7: return QChar(0x2022);
    case 0xB8: return QChar(0x00F7);
    case 0xB9: return QChar(0x2260);
    case 0xBA: return QChar(0x2261);
    case 0xBB: return QChar(0x2248);
    case 0xAE: return QChar(0x2192);
    case 0xD6: return QChar(0x221A); // square root
    case 0xE5: return QChar(0x2211);
    default: return cp1252Character(byte);
    }
}

} // namespace vemra

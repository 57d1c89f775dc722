#include "rtf_text.h"

#include "formats/record_io.h"
#include "model/numeric.h"

namespace vemra {

std::string escapeRtfText(std::string_view utf8)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : utf8ToCp1252(utf8)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
        } else if (byte >= 0x80) {
            out += "\\'";
            out += hex[byte >> 4];
            out += hex[byte & 0x0F];
        } else if (byte < 0x20 || byte == 0x7F) {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

std::string F6(double x)
{
    return LocalizeDecimal(FormatSig(6, x));
}

std::string F5(double x)
{
    return LocalizeDecimal(FormatSig(5, x));
}

bool endsWithControlWord(std::string_view source)
{
    size_t end = source.size();
    while (end > 0 && source[end - 1] >= '0' && source[end - 1] <= '9')
        --end;
    if (end > 0 && source[end - 1] == '-' && end < source.size())
        --end;
    size_t letters = end;
    while (letters > 0 && ((source[letters - 1] >= 'a' && source[letters - 1] <= 'z') ||
                           (source[letters - 1] >= 'A' && source[letters - 1] <= 'Z')))
        --letters;
    if (letters == end || letters == 0 || source[letters - 1] != '\\')
        return false;
    // An escaped backslash ("\\tab") is text, not the start of a control
    // word: count the backslashes in front.
    size_t slashes = 0;
    for (size_t i = letters; i > 0 && source[i - 1] == '\\'; --i)
        ++slashes;
    return slashes % 2 == 1;
}

RtfLine& RtfLine::operator<<(std::string_view text)
{
    if (!text.empty() && ((text.front() >= '0' && text.front() <= '9') || text.front() == '-') &&
        endsWithControlWord(text_))
        text_ += ' ';
    text_ += text;
    return *this;
}

} // namespace vemra

// Pieces of RTF source: user texts made safe for the document, numbers in
// the report's notation, and lines that keep numbers apart from the
// control words before them.
#pragma once

#include <string>
#include <string_view>

namespace vemra {

// A UTF-8 text of the model (a name, a description) as RTF source in plain
// ASCII: "\", "{" and "}" escaped, every other character outside ASCII as
// \'hh of its Windows-1252 byte (the umlauts therefore as \'E4 ... \'DF),
// characters without such a byte as "?", control characters as blanks.
std::string escapeRtfText(std::string_view utf8);

// Six resp. five significant digits with the locale's decimal separator.
std::string F6(double x);
std::string F5(double x);

// True when source ends in a control word (such as "\tab" or "\fs24"), so
// that text starting with a letter, a digit or "-" would be read as part of
// it.
bool endsWithControlWord(std::string_view source);

// One line of RTF source under construction.
class RtfLine {
public:
    RtfLine() = default;
    explicit RtfLine(std::string start) : text_(std::move(start)) {}

    // Appends RTF source or a number. Text that starts with a digit or "-"
    // gets a separating blank when it would otherwise run into a control
    // word: "\tab" followed by "-5.5" is the control word "\tab-5" to every
    // reader.
    RtfLine& operator<<(std::string_view text);
    RtfLine& operator<<(const std::string& text) { return *this << std::string_view(text); }
    RtfLine& operator<<(const char* text) { return *this << std::string_view(text); }
    RtfLine& operator<<(int value) { return *this << std::to_string(value); }

    const std::string& str() const { return text_; }
    operator const std::string&() const { return text_; }

private:
    std::string text_;
};

} // namespace vemra

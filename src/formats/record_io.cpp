#include "record_io.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace vemra {

namespace {

constexpr size_t MaxStringLength = 255;

// Windows-1252 0x80..0x9F. The five codes the code page leaves unassigned
// map to the C1 control of the same value, as Windows itself converts them,
// so that any byte read from a file is written back unchanged.
constexpr std::array<char32_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char cp1252Byte(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (size_t i = 0; i < HighControls.size(); ++i)
        if (HighControls[i] == c)
            return static_cast<char>(0x80 + i);
    return '?';
}

// Decodes one UTF-8 character at text[pos]; advances pos. Malformed input
// yields a code that has no Windows-1252 byte, so it becomes "?".
char32_t decodeUtf8(std::string_view text, size_t& pos)
{
    constexpr char32_t Bad = 0xFFFD;
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80)
        return lead;
    int more = 0;
    char32_t c = 0;
    if ((lead & 0xE0) == 0xC0) {
        more = 1;
        c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        more = 2;
        c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        more = 3;
        c = lead & 0x07;
    } else {
        return Bad;
    }
    for (int i = 0; i < more; ++i) {
        if (pos >= text.size() || (static_cast<unsigned char>(text[pos]) & 0xC0) != 0x80)
            return Bad;
        c = (c << 6) | (static_cast<unsigned char>(text[pos++]) & 0x3F);
    }
    return c;
}

bool isWhite(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// For error messages: a short, printable excerpt of an offending token.
std::string excerpt(std::string_view token)
{
    constexpr size_t Shown = 24;
    std::string text = cp1252ToUtf8(token.substr(0, Shown));
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20)
            c = '?';
    return token.size() > Shown ? text + "..." : text;
}

// A number token that from_chars called out of range: decide between
// overflow and underflow from its decimal magnitude.
bool magnitudeAboveOne(std::string_view token)
{
    const size_t e = token.find_first_of("eE");
    long exponent = 0;
    if (e != std::string_view::npos) {
        // Digits and a sign only, so the locale plays no part; a huge
        // exponent saturates, which is all the decision needs.
        const std::string digits(token.substr(e + 1));
        exponent = std::clamp(std::strtol(digits.c_str(), nullptr, 10), -100000L, 100000L);
    }
    const std::string_view mantissa = token.substr(0, e);
    const size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::string_view whole = mantissa.substr(0, point);
    const std::string_view fraction = mantissa.substr(std::min(point + 1, mantissa.size()));
    long integerDigits = 0;
    if (const size_t first = whole.find_first_of("123456789"); first != std::string_view::npos)
        integerDigits = static_cast<long>(whole.size() - first);
    else if (const size_t lead = fraction.find_first_of("123456789"); lead != std::string_view::npos)
        integerDigits = -static_cast<long>(lead);
    else
        return false;
    return integerDigits + exponent > 0;
}

} // namespace

// --- conversions ------------------------------------------------------------

std::string cp1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        if (u >= 0x80 && u <= 0x9F)
            appendUtf8(out, HighControls[u - 0x80]);
        else
            appendUtf8(out, u);
    }
    return out;
}

std::string utf8ToCp1252(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size())
        out += cp1252Byte(decodeUtf8(text, pos));
    return out;
}

std::string formatReal23(double value)
{
    if (std::isnan(value) || std::isinf(value)) {
        // Not a number the editor lets anyone enter, but a file must never
        // become unreadable because of one: the reader accepts these words.
        const std::string word = std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF");
        return std::string(23 - word.size(), ' ') + word;
    }
    // 15 significant digits survive text -> double -> text unchanged, so a
    // file that is read and written again stays byte-identical.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    const std::string_view text(buf, static_cast<size_t>(res.ptr - buf));
    const size_t e = text.find('e');
    const std::string_view mantissa = text.substr(0, e);
    const char expSign = text[e + 1];
    const std::string_view expDigits = text.substr(e + 2);

    std::string out;
    out.reserve(23);
    out += value < 0 ? '-' : ' ';
    out += mantissa;
    out += 'E';
    out += expSign;
    out.append(4 - std::min<size_t>(expDigits.size(), 4), '0');
    out += expDigits;
    return out;
}

namespace {

// Whether the mantissa of a number token has more significant digits than a
// real field keeps.
bool moreDigitsThanKept(std::string_view token)
{
    int digits = 0;
    bool leading = true;
    for (const char c : token) {
        if (c == 'e' || c == 'E')
            break;
        if (c < '0' || c > '9')
            continue;
        leading = leading && c == '0';
        if (!leading)
            ++digits;
    }
    return digits > 15;
}

} // namespace

// --- RecordWriter -------------------------------------------------------------

void RecordWriter::intField(int64_t value, int width)
{
    const std::string text = std::to_string(value);
    const auto w = static_cast<size_t>(std::max(width, 0));
    if (text.size() >= w)
        out_ += ' ';
    else
        out_.append(w - text.size(), ' ');
    out_ += text;
}

void RecordWriter::realField(double value)
{
    out_ += formatReal23(value);
}

void RecordWriter::spaces(int count)
{
    if (count > 0)
        out_.append(static_cast<size_t>(count), ' ');
}

void RecordWriter::stringLine(const std::string& text)
{
    std::string bytes = utf8ToCp1252(text);
    if (bytes.size() > MaxStringLength)
        bytes.resize(MaxStringLength);
    // A line break inside the text would split the record and shift every
    // field after it.
    for (char& c : bytes)
        if (c == '\r' || c == '\n')
            c = ' ';
    out_ += bytes;
    endLine();
}

void RecordWriter::endLine()
{
    out_ += "\r\n";
}

// --- RecordReader -------------------------------------------------------------

RecordReader::RecordReader(std::string bytes) : bytes_(std::move(bytes)) {}

void RecordReader::skipWhite()
{
    while (pos_ < bytes_.size() && isWhite(bytes_[pos_])) {
        const char c = bytes_[pos_++];
        if (c == '\n' || (c == '\r' && (pos_ >= bytes_.size() || bytes_[pos_] != '\n')))
            ++line_;
    }
}

std::string_view RecordReader::token()
{
    skipWhite();
    const size_t start = pos_;
    while (pos_ < bytes_.size() && !isWhite(bytes_[pos_])) {
        // Other writers glue a negative number to the previous one
        // ("0.5-0.25", "12-1234"): a sign right after a digit or a point
        // starts the next number. After an exponent letter it is part of it.
        const char c = bytes_[pos_];
        if ((c == '-' || c == '+') && pos_ > start) {
            const char before = bytes_[pos_ - 1];
            if (isDigit(before) || before == '.')
                break;
        }
        ++pos_;
    }
    // A number may end with the file: editors and mail programs often drop
    // the final line end. A file cut short is still caught by the records
    // and lines that it then lacks.
    return std::string_view(bytes_).substr(start, pos_ - start);
}

int32_t RecordReader::readInt()
{
    std::string_view text = token();
    if (text.empty())
        throw ReadError(line_, "Unerwartetes Dateiende: ganze Zahl erwartet.");
    const std::string_view original = text;
    if (text.size() > 1 && text[0] == '+' && isDigit(text[1]))
        text.remove_prefix(1);
    int32_t value = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (res.ec == std::errc::result_out_of_range)
        throw ReadError(line_, "Ganze Zahl außerhalb des zulässigen Bereichs: \"" + excerpt(original) + "\".");
    if (res.ec != std::errc() || res.ptr != text.data() + text.size())
        throw ReadError(line_, "Ganze Zahl erwartet statt \"" + excerpt(original) + "\".");
    return value;
}

double RecordReader::readReal()
{
    const std::string_view text = token();
    if (text.empty())
        throw ReadError(line_, "Unerwartetes Dateiende: Zahl erwartet.");
    const double value = parseReal(text);
    // A value is taken as a save will keep it, so that the project read is
    // the project that is saved and read again: the file keeps no sign of a
    // zero, no sign or payload of a NaN, and 15 significant digits (a value
    // written with more, by hand or by another program, is rounded).
    if (value == 0)
        return 0.0;
    if (std::isnan(value))
        return std::numeric_limits<double>::quiet_NaN();
    if (!moreDigitsThanKept(text) || !std::isfinite(value))
        return value;
    const std::string kept = formatReal23(value);
    return parseReal(std::string_view(kept).substr(kept.find_first_not_of(' ')));
}

double RecordReader::parseReal(std::string_view text) const
{
    const std::string_view original = text;
    bool negative = false;
    if (text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+')
        text.remove_prefix(1);
    else if (text.size() > 1 && text[0] == '-')
        negative = true;
    double value = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (res.ptr != text.data() + text.size() ||
        (res.ec != std::errc() && res.ec != std::errc::result_out_of_range))
        throw ReadError(line_, "Zahl erwartet statt \"" + excerpt(original) + "\".");
    if (res.ec == std::errc::result_out_of_range) {
        // A value just beyond the double range (the 15-digit rounding of the
        // largest double) or below the smallest one: keep the nearest double.
        const std::string_view magnitude = negative ? text.substr(1) : text;
        const double nearest = magnitudeAboveOne(magnitude) ? std::numeric_limits<double>::max() : 0.0;
        value = negative ? -nearest : nearest;
    }
    return value;
}

std::string RecordReader::readStringLine()
{
    const size_t start = pos_;
    while (pos_ < bytes_.size() && bytes_[pos_] != '\r' && bytes_[pos_] != '\n')
        ++pos_;
    const std::string_view text =
        std::string_view(bytes_).substr(start, std::min(pos_ - start, MaxStringLength));
    std::string result = cp1252ToUtf8(text);
    nextLine();
    return result;
}

void RecordReader::nextLine()
{
    while (pos_ < bytes_.size() && bytes_[pos_] != '\r' && bytes_[pos_] != '\n')
        ++pos_;
    if (pos_ >= bytes_.size())
        return;
    if (bytes_[pos_] == '\r' && pos_ + 1 < bytes_.size() && bytes_[pos_ + 1] == '\n')
        ++pos_;
    ++pos_;
    ++line_;
}

bool RecordReader::atEnd() const
{
    for (size_t i = pos_; i < bytes_.size(); ++i)
        if (!isWhite(bytes_[i]))
            return false;
    return true;
}

} // namespace vemra

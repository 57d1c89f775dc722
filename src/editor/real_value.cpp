#include "real_value.h"

#include "model/numeric.h"

#include <charconv>
#include <cmath>

namespace vemra {

namespace {

// x rounded to `digits` significant digits, a decimal tie away from zero:
// 12345 gives 12350 with four digits, as a user counts, where the nearest
// binary tie rule would give 12340.
double roundedHalfUp(double x, int digits)
{
    if (!std::isfinite(x) || x == 0 || digits <= 0)
        return x;
    char buf[64];
    const auto end = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific).ptr;
    std::string mantissa;
    const char* p = buf;
    for (; p != end && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            mantissa += *p;
    if (static_cast<int>(mantissa.size()) <= digits)
        return x;
    int exponent = 0;
    std::from_chars(p + (p[1] == '+' ? 2 : 1), end, exponent);
    const bool up = mantissa[static_cast<size_t>(digits)] >= '5';
    mantissa.resize(static_cast<size_t>(digits));
    if (up) {
        int i = digits - 1;
        for (; i >= 0 && mantissa[static_cast<size_t>(i)] == '9'; --i)
            mantissa[static_cast<size_t>(i)] = '0';
        if (i >= 0) {
            ++mantissa[static_cast<size_t>(i)];
        } else {
            mantissa.insert(mantissa.begin(), '1');
            ++exponent;
        }
    }
    const std::string text = mantissa.substr(0, 1) + "." + mantissa.substr(1) + "e" + std::to_string(exponent);
    double rounded = x;
    std::from_chars(text.data(), text.data() + text.size(), rounded);
    return x < 0 ? -rounded : rounded;
}

} // namespace

std::string formatFieldNumber(int digits, long double value)
{
    if (digits <= 0) {
        char buf[64];
        const auto end = std::to_chars(buf, buf + sizeof buf, static_cast<double>(value)).ptr;
        return std::string(buf, end);
    }
    std::string text = FormatSig(digits, roundedHalfUp(static_cast<double>(value), digits));
    // " 0.0" stays: zero has no digits to lead with.
    if (value != 0 && text.size() > 2 && text.compare(1, 2, "0.") == 0)
        text.erase(1, 1);
    return text;
}

std::optional<long double> parseFieldNumber(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);

    // Only the plain forms a user types: [sign] digits [. digits] [E [sign]
    // digits]; no "inf", "nan", hexadecimal or thousands separators.
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const size_t start = i;
    size_t mantissaDigits = 0;
    const auto digit = [&](size_t at) { return at < text.size() && text[at] >= '0' && text[at] <= '9'; };
    while (digit(i)) {
        ++i;
        ++mantissaDigits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (digit(i)) {
            ++i;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        if (!digit(i))
            return std::nullopt;
        while (digit(i))
            ++i;
    }
    if (i != text.size())
        return std::nullopt;

    long double value = 0;
    const auto [end, ec] = std::from_chars(text.data() + start, text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

char32_t fieldCharacter(char32_t typed)
{
    if (typed == U'e')
        return U'E';
    if (typed == U',')
        return U'.';
    return typed;
}

long double RealValue::clamp(long double v) const
{
    if (!limitsActive())
        return v;
    if (v > max_)
        return max_;
    if (v < min_)
        return min_;
    return v;
}

void RealValue::setValueMin(long double v)
{
    if (v < max_) {
        min_ = v;
        if (value_ < min_)
            setValue(min_);
    } else {
        min_ = max_;
    }
}

void RealValue::setValueMax(long double v)
{
    if (v > min_) {
        max_ = v;
        if (value_ > max_)
            setValue(max_);
    } else {
        max_ = min_;
    }
}

void RealValue::setValue(long double v)
{
    value_ = clamp(v);
    text_ = formatFieldNumber(MaxLength, value_);
}

bool RealValue::Validate()
{
    const auto parsed = parseFieldNumber(text_);
    if (!parsed)
        return false;
    if (clamp(*parsed) != *parsed)
        setValue(*parsed);
    else
        value_ = *parsed;
    return true;
}

long double RealValue::readValue()
{
    return Validate() ? value_ : 0;
}

} // namespace vemra

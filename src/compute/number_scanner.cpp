#include "number_scanner.h"

#include <charconv>
#include <cmath>

namespace vemra {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// from_chars takes no leading "+"; module files from other writers may have it.
std::string_view withoutPlus(std::string_view t)
{
    if (t.size() > 1 && t.front() == '+' && t[1] != '-' && t[1] != '+')
        t.remove_prefix(1);
    return t;
}

// For a number that does not fit a double: true when it is too small rather
// than too large. (strtod would tell, but it follows the process locale.)
bool isUnderflow(std::string_view t)
{
    const auto e = t.find_first_of("eE");
    if (e != std::string_view::npos)
        return e + 1 < t.size() && t[e + 1] == '-';
    const auto point = t.find('.');
    const std::string_view integral = t.substr(0, point);
    return integral.find_first_of("123456789") == std::string_view::npos;
}

} // namespace

bool NumberScanner::atEnd()
{
    while (pos_ < text_.size() && isBlank(text_[pos_]))
        ++pos_;
    return pos_ >= text_.size();
}

std::string_view NumberScanner::token()
{
    if (atEnd())
        return {};
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !isBlank(text_[pos_]))
        ++pos_;
    return text_.substr(start, pos_ - start);
}

std::optional<int32_t> NumberScanner::readInt()
{
    const std::string_view t = withoutPlus(token());
    if (t.empty())
        return std::nullopt;
    int32_t value = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (ec != std::errc() || end != t.data() + t.size())
        return std::nullopt;
    return value;
}

std::optional<double> NumberScanner::readReal()
{
    const std::string_view t = withoutPlus(token());
    if (t.empty())
        return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value, std::chars_format::general);
    if (end != t.data() + t.size())
        return std::nullopt;
    if (ec == std::errc::result_out_of_range) {
        // Too small for a double is harmless and reads as zero; too large is
        // refused.
        if (!isUnderflow(t))
            return std::nullopt;
        value = 0.0;
    } else if (ec != std::errc()) {
        return std::nullopt;
    }
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace vemra

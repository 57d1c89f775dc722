#include "numeric.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace vemra {

double ChopEps = 1e-6;

namespace {
char decimalSeparator = '.';
}

std::string FormatSig(int digits, double x)
{
    if (std::isnan(x))
        return " nan ";
    if (std::isinf(x))
        return " inf ";
    if (x == 0.0)
        return " 0.0";
    if (digits < 1)
        digits = 1;
    if (digits > 30)
        digits = 30;

    // Scientific notation rounds to the wanted number of significant digits
    // for us: d.ddd e±X means 0.dddd × 10^(X+1). to_chars, unlike printf,
    // never follows the process locale, so a German decimal comma cannot
    // creep into files.
    char buf[64];
    const auto end = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific, digits - 1).ptr;
    std::string mantissa;
    const char* p = buf;
    for (; p != end && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            mantissa += *p;
    int exponent = 0;
    if (p != end)
        std::from_chars(p + (p[1] == '+' ? 2 : 1), end, exponent);
    exponent += 1;
    while (mantissa.size() > 1 && mantissa.back() == '0')
        mantissa.pop_back();

    std::string text;
    const int n = static_cast<int>(mantissa.size());
    if (exponent > 0 && exponent <= digits) {
        std::string padded = mantissa;
        if (n <= exponent)
            padded.append(static_cast<size_t>(exponent + 1 - n), '0');
        text = padded.substr(0, static_cast<size_t>(exponent)) + "." + padded.substr(static_cast<size_t>(exponent));
    } else if (exponent == 0) {
        text = "0." + mantissa;
    } else if (exponent < 0 && -exponent < digits) {
        text = "0." + std::string(static_cast<size_t>(-exponent), '0') + mantissa;
    } else {
        std::string exp = std::to_string(std::abs(exponent));
        if (exp.size() < 2)
            exp = "0" + exp;
        text = "0." + mantissa + (exponent < 0 ? "E-" : "E+") + exp;
    }
    return (x < 0 ? "-" : " ") + text;
}

double Chop(double x)
{
    return std::fabs(x) < ChopEps ? 0.0 : x;
}

void setLocaleDecimalSeparator(char separator)
{
    decimalSeparator = separator;
}

char localeDecimalSeparator()
{
    return decimalSeparator;
}

std::string LocalizeDecimal(std::string s)
{
    auto pos = s.find('.');
    if (pos == std::string::npos)
        pos = s.find(',');
    if (pos != std::string::npos)
        s[pos] = decimalSeparator;
    return s;
}

std::string cut255(const std::string& s)
{
    size_t characters = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        // A UTF-8 character starts at every byte that is not a continuation byte.
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (characters == 255)
                return s.substr(0, i);
            ++characters;
        }
    }
    return s;
}

} // namespace vemra

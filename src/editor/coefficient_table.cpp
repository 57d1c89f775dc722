#include "coefficient_table.h"

#include "model/numeric.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace vemra {

namespace {

// Position of the decimal point, or the end of a text without one.
size_t pointOf(const std::string& s)
{
    const size_t p = s.find('.');
    return p == std::string::npos ? s.size() : p;
}

struct Values {
    double s = 0, c = 0, m = 0;
};

} // namespace

std::string generalNumber(double x)
{
    if (std::isnan(x))
        return "NAN";
    if (std::isinf(x))
        return x < 0 ? "-INF" : "INF";
    if (x == 0)
        return "0";
    char buf[64];
    const auto end = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific, 14).ptr;
    std::string digits;
    const char* p = buf;
    for (; p != end && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits += *p;
    int exponent = 0;
    if (p != end)
        std::from_chars(p + (p[1] == '+' ? 2 : 1), end, exponent);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string text;
    const int n = static_cast<int>(digits.size());
    if (exponent >= -5 && exponent < 15) {
        if (exponent < 0) {
            text = "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
        } else if (n <= exponent + 1) {
            text = digits + std::string(static_cast<size_t>(exponent + 1 - n), '0');
        } else {
            text = digits.substr(0, static_cast<size_t>(exponent + 1)) + "." + digits.substr(static_cast<size_t>(exponent + 1));
        }
    } else {
        text = digits.substr(0, 1);
        if (n > 1)
            text += "." + digits.substr(1);
        text += "E" + std::to_string(exponent);
    }
    return (x < 0 ? "-" : "") + text;
}

CoefficientTable coefficientTable(const TPaintObj& motion, CoefficientSource source, int order, Magnitude magnitude)
{
    CoefficientTable t;
    t.headers = {"k", "s_k", "c_k", magnitude == Magnitude::AbsSum ? "|c_k|+|s_k|" : "(s_k²+c_k²)^½"};
    t.eta = FormatSig(8, motion.sSC.Count() > 0 ? motion.sSC[0] : 0.0);

    ChopEps = 1e-6;
    const bool isM = source == CoefficientSource::M;
    const auto d = static_cast<uint8_t>(isM ? 0 : std::clamp(order, 0, 3));
    const int n = std::max(0, isM ? 2 * motion.ResultHarm : motion.ResultHarm);
    const auto sine = [&](int k) {
        switch (source) {
        case CoefficientSource::S: return motion.s_sin(d, static_cast<uint8_t>(k));
        case CoefficientSource::Q: return motion.q_sin(d, static_cast<uint8_t>(k));
        case CoefficientSource::M: return motion.m_sin(k);
        }
        return 0.0;
    };
    const auto cosine = [&](int k) {
        switch (source) {
        case CoefficientSource::S: return motion.s_cos(d, static_cast<uint8_t>(k));
        case CoefficientSource::Q: return motion.q_cos(d, static_cast<uint8_t>(k));
        case CoefficientSource::M: return motion.m_cos(k);
        }
        return 0.0;
    };

    // The accessors take harmonic numbers below 256; no stored result comes
    // near that (the module allows at most 59 harmonics per motion).
    const int last = std::min(n, isM ? 254 : 255);
    std::vector<Values> v(static_cast<size_t>(last) + 1);
    double sum = 0;
    v[0].c = Chop(cosine(0));
    for (int k = 1; k <= last; ++k) {
        Values& x = v[static_cast<size_t>(k)];
        x.s = Chop(sine(k));
        x.c = Chop(cosine(k));
        x.m = magnitude == Magnitude::AbsSum ? std::fabs(x.s) + std::fabs(x.c) : std::sqrt(x.s * x.s + x.c * x.c);
        sum += x.m;
    }
    const bool withSum = magnitude == Magnitude::AbsSum;

    // Every number of one filling stands on the same decimal point.
    std::vector<std::string*> numbers;
    t.rows.resize(v.size() + (withSum ? 1 : 0));
    for (size_t k = 0; k < v.size(); ++k) {
        auto& row = t.rows[k];
        char kText[16];
        std::snprintf(kText, sizeof kText, "%2d", static_cast<int>(k));
        row[0] = kText;
        row[2] = FormatSig(6, v[k].c);
        numbers.push_back(&row[2]);
        if (k > 0) {
            row[1] = FormatSig(6, v[k].s);
            row[3] = FormatSig(6, v[k].m);
            numbers.push_back(&row[1]);
            numbers.push_back(&row[3]);
        }
    }
    if (withSum) {
        auto& row = t.rows.back();
        row[0] = "Sum";
        row[3] = FormatSig(6, sum);
        numbers.push_back(&row[3]);
    }
    size_t point = 0;
    size_t after = 0;
    for (const std::string* s : numbers) {
        point = std::max(point, pointOf(*s));
        after = std::max(after, s->size() - pointOf(*s));
    }
    for (std::string* s : numbers) {
        const size_t p = pointOf(*s);
        const size_t tail = s->size() - p;
        *s = std::string(point - p, ' ') + *s + std::string(after - tail, ' ');
    }

    // Row 0 of s and q carries eta as it came from the module, unchopped.
    for (size_t k = 0; k < v.size(); ++k) {
        if (k == 0)
            t.lines.push_back(isM ? " " + generalNumber(v[0].c)
                                  : " " + generalNumber(motion.sSC.Count() > 0 ? motion.sSC[0] : 0.0) + "\t " +
                                        generalNumber(v[0].c));
        else
            t.lines.push_back(" " + generalNumber(v[k].s) + "\t " + generalNumber(v[k].c) + "\t " +
                              generalNumber(v[k].m));
    }
    return t;
}

std::string centredText(const std::string& text, int columnWidth, int charWidth)
{
    if (charWidth <= 0)
        return text;
    // Characters, not bytes: the headers carry "²" and "½".
    int length = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80)
            ++length;
    const int pad = (columnWidth - length * charWidth) / 2 / charWidth;
    return pad > 0 ? std::string(static_cast<size_t>(pad), ' ') + text : text;
}

std::string clipboardText(const std::vector<std::string>& lines)
{
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += '\r';
        text += lines[i];
    }
    return text;
}

std::string tableFileText(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

} // namespace vemra

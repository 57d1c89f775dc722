#include "old_input_text.h"

#include "record_io.h"

#include "model/numeric.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace vemra {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isSign(char c)
{
    return c == '+' || c == '-';
}

bool startsInt(char c)
{
    return isDigit(c) || isSign(c);
}

bool startsReal(char c)
{
    return startsInt(c) || c == '.';
}

bool continuesReal(char c)
{
    return startsReal(c) || c == 'E' || c == 'e';
}

// For messages: a short, printable excerpt.
std::string shown(std::string_view token)
{
    constexpr std::size_t Shown = 24;
    std::string text = cp1252ToUtf8(token.substr(0, Shown));
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20)
            c = '?';
    return token.size() > Shown ? text + "..." : text;
}

// from_chars takes no "+"; a plus right before a digit (or a point, for
// reals) is dropped.
std::string_view withoutPlus(std::string_view run, bool real)
{
    if (run.size() > 1 && run[0] == '+' && (isDigit(run[1]) || (real && run[1] == '.')))
        run.remove_prefix(1);
    return run;
}

// The real that run begins with and how many characters it takes (0: none).
std::size_t leadingReal(std::string_view run, int line, double& value)
{
    const std::string_view text = withoutPlus(run, true);
    const std::size_t skipped = run.size() - text.size();
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (res.ec == std::errc::invalid_argument)
        return 0;
    const auto used = static_cast<std::size_t>(res.ptr - text.data());
    if (res.ec == std::errc::result_out_of_range || !std::isfinite(value))
        throw ReadError(line, "Zahl außerhalb des darstellbaren Bereichs: \"" + shown(run.substr(0, used + skipped)) + "\".");
    return used + skipped;
}

} // namespace

// --- InputText ------------------------------------------------------------------

InputText::InputText(std::string bytes) : bytes_(std::move(bytes))
{
    if (bytes_.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        bytes_.erase(0, 3);
        utf8_ = true;
    }
    const std::string_view all(bytes_);
    std::size_t start = 0;
    int number = 1;
    while (start < all.size()) {
        std::size_t end = start;
        while (end < all.size() && all[end] != '\r' && all[end] != '\n')
            ++end;
        InputLine line{all.substr(start, end - start), number++, end < all.size()};
        lines_.push_back(line);
        if (end < all.size() && all[end] == '\r' && end + 1 < all.size() && all[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
}

std::string InputText::toText(std::string_view text) const
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    text = text.substr(first, last - first);
    // UTF-8 texts go through Windows-1252 as well: the project file stores
    // nothing else, and a malformed sequence must not reach the model.
    return cut255(cp1252ToUtf8(utf8_ ? utf8ToCp1252(text) : std::string(text)));
}

void requireLineEnd(const InputLine& line)
{
    if (!line.ended)
        throw ReadError(line.number, "Die Datei endet mitten in Zeile " + std::to_string(line.number) +
                                         "; sie ist offenbar abgeschnitten.");
}

bool isBlankLine(std::string_view text)
{
    for (char c : text)
        if (!isBlank(c))
            return false;
    return true;
}

bool sameExtension(const std::string& extension, const char* lowerCase)
{
    std::string lower = extension;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower == lowerCase;
}

std::size_t leadingInt(std::string_view token, int line, int32_t& value)
{
    const std::string_view text = withoutPlus(token, false);
    const std::size_t skipped = token.size() - text.size();
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (res.ec == std::errc::invalid_argument)
        return 0;
    const auto used = static_cast<std::size_t>(res.ptr - text.data());
    if (res.ec == std::errc::result_out_of_range)
        throw ReadError(line, "Ganze Zahl außerhalb des 32-Bit-Bereichs: \"" + shown(token.substr(0, used + skipped)) + "\".");
    return used + skipped;
}

// --- LineScanner ----------------------------------------------------------------

void LineScanner::fail(const std::string& what) const
{
    throw ReadError(line_.number, what);
}

bool LineScanner::atEnd() const
{
    return isBlankLine(line_.text.substr(std::min(pos_, line_.text.size())));
}

std::optional<int32_t> LineScanner::findInt()
{
    const std::string_view t = line_.text;
    while (pos_ < t.size() && !startsInt(t[pos_]))
        ++pos_;
    if (pos_ >= t.size())
        return std::nullopt;
    std::size_t end = pos_;
    while (end < t.size() && startsInt(t[end]))
        ++end;
    const std::string_view run = t.substr(pos_, end - pos_);
    int32_t value = 0;
    const std::size_t used = leadingInt(run, line_.number, value);
    if (used == 0)
        fail("Ganze Zahl erwartet statt \"" + shown(run) + "\".");
    pos_ += used;
    return value;
}

std::optional<double> LineScanner::findReal()
{
    const std::string_view t = line_.text;
    while (pos_ < t.size() && !startsReal(t[pos_]))
        ++pos_;
    if (pos_ >= t.size())
        return std::nullopt;
    std::size_t end = pos_ + 1;
    while (end < t.size() && continuesReal(t[end]))
        ++end;
    const std::string_view run = t.substr(pos_, end - pos_);
    double value = 0;
    const std::size_t used = leadingReal(run, line_.number, value);
    if (used == 0)
        fail("Zahl erwartet statt \"" + shown(run) + "\".");
    pos_ += used;
    return value;
}

std::string_view LineScanner::strictToken()
{
    const std::string_view t = line_.text;
    while (pos_ < t.size() && isBlank(t[pos_]))
        ++pos_;
    const std::size_t start = pos_;
    while (pos_ < t.size() && !isBlank(t[pos_])) {
        // Other writers glue a negative number to the previous one; after an
        // exponent letter the sign belongs to the exponent.
        if (isSign(t[pos_]) && pos_ > start && (isDigit(t[pos_ - 1]) || t[pos_ - 1] == '.'))
            break;
        ++pos_;
    }
    return t.substr(start, pos_ - start);
}

std::optional<int32_t> LineScanner::nextInt()
{
    const std::string_view token = strictToken();
    if (token.empty())
        return std::nullopt;
    int32_t value = 0;
    if (leadingInt(token, line_.number, value) != token.size())
        fail("Ganze Zahl erwartet statt \"" + shown(token) + "\".");
    return value;
}

std::optional<double> LineScanner::nextReal()
{
    const std::string_view token = strictToken();
    if (token.empty())
        return std::nullopt;
    double value = 0;
    if (leadingReal(token, line_.number, value) != token.size())
        fail("Zahl erwartet statt \"" + shown(token) + "\".");
    return value;
}

int32_t LineScanner::requireInt(const char* what)
{
    const auto value = nextInt();
    if (!value)
        fail(std::string("Die Zeile endet vor ") + what + ".");
    return *value;
}

double LineScanner::requireReal(const char* what)
{
    const auto value = nextReal();
    if (!value)
        fail(std::string("Die Zeile endet vor ") + what + ".");
    return *value;
}

} // namespace vemra

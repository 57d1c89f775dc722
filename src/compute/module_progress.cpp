#include "module_progress.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>

namespace vemra {

namespace {

// ASCII letters and the UTF-8 capitals of Latin-1 (Ä, Ö, Ü among them) in
// lower case; everything else as it is.
std::string lowerCase(std::string_view text)
{
    std::string lower(text);
    for (std::size_t i = 0; i < lower.size(); ++i) {
        const auto c = static_cast<unsigned char>(lower[i]);
        if (c >= 'A' && c <= 'Z') {
            lower[i] = static_cast<char>(c - 'A' + 'a');
        } else if (c == 0xC3 && i + 1 < lower.size()) {
            const auto next = static_cast<unsigned char>(lower[i + 1]);
            if (next >= 0x80 && next <= 0x9E && next != 0x97)
                lower[i + 1] = static_cast<char>(next + 0x20);
            ++i;
        }
    }
    return lower;
}

bool isLetter(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || u >= 0x80;
}

struct Found {
    std::size_t end = std::string::npos; // just after the word
    std::size_t word = 0;                // which of the words
};

// The earliest of words that starts a word in text.
Found findFirstWord(const std::string& text, std::initializer_list<std::string_view> words)
{
    Found best;
    std::size_t bestStart = std::string::npos;
    std::size_t index = 0;
    for (std::string_view word : words) {
        for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
            if (at > 0 && isLetter(text[at - 1]))
                continue;
            if (at < bestStart) {
                bestStart = at;
                best = {at + word.size(), index};
            }
            break;
        }
        ++index;
    }
    return best;
}

std::size_t skipSeparators(const std::string& text, std::size_t at)
{
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == ':' || text[at] == '='))
        ++at;
    return at;
}

std::optional<int32_t> integerAt(const std::string& text, std::size_t at)
{
    at = skipSeparators(text, at);
    int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data() + at, text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data() + at)
        return std::nullopt;
    return value;
}

// A number with "." or, where a digit follows it, "," as decimal separator
// (a comma followed by a space separates the next item).
std::optional<double> numberAt(const std::string& text, std::size_t at)
{
    at = skipSeparators(text, at);
    std::string digits;
    for (std::size_t i = at; i < text.size(); ++i) {
        const char c = text[i];
        const bool digitFollows = i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '9';
        if ((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == '+' || c == '-')
            digits += c;
        else if (c == ',' && digitFollows)
            digits += '.';
        else
            break;
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end == digits.data())
        return std::nullopt;
    return value;
}

std::optional<double> valueAfter(const std::string& text, std::initializer_list<std::string_view> words)
{
    const Found found = findFirstWord(text, words);
    if (found.end == std::string::npos)
        return std::nullopt;
    return numberAt(text, found.end);
}

std::string fourDecimals(double value)
{
    char text[64];
    auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 4);
    // From about 1e59 on the fixed form does not fit; the scientific one
    // always does.
    if (written.ec != std::errc())
        written = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, 4);
    return std::string(text, written.ptr);
}

} // namespace

std::optional<ProgressLine> parseProgressLine(std::string_view line)
{
    const std::string text = lowerCase(line);
    const Found found = findFirstWord(text, {"stufe", "stage", "schritt", "step"});
    if (found.end == std::string::npos)
        return std::nullopt;
    ProgressLine progress;
    const auto number = integerAt(text, found.end);
    if (!number)
        return std::nullopt;
    if (found.word >= 2) {
        progress.step = std::max<int32_t>(*number, 1);
        // "3 von 20" / "3 of 20"
        std::size_t at = text.find_first_not_of("0123456789", skipSeparators(text, found.end));
        at = at == std::string::npos ? text.size() : text.find_first_not_of(' ', at);
        for (std::string_view of : {"von", "of"})
            if (at != std::string::npos && text.compare(at, of.size(), of) == 0)
                progress.steps = std::max<int32_t>(integerAt(text, at + of.size()).value_or(0), 0);
    }
    progress.fulfilment = valueAfter(text, {"erfüllungsgrad", "fulfilment", "fulfillment"});
    progress.smoothness = valueAfter(text, {"glattheit", "smoothness"});
    return progress;
}

bool ModuleProgress::take(std::string_view line)
{
    ++lines_;
    auto progress = parseProgressLine(line);
    if (!progress)
        return false;
    const std::string before = describe();
    latest_ = std::move(progress);
    return describe() != before;
}

std::string ModuleProgress::describe() const
{
    if (!latest_)
        return {};
    std::string text;
    if (latest_->step == 0)
        text = "Stufe 0";
    else if (latest_->steps > 0)
        text = "Schritt " + std::to_string(latest_->step) + " von " + std::to_string(latest_->steps);
    else
        text = "Schritt " + std::to_string(latest_->step);
    if (latest_->fulfilment)
        text += ", Erfüllungsgrad " + fourDecimals(*latest_->fulfilment);
    return text;
}

std::string formatElapsed(int64_t seconds)
{
    seconds = std::max<int64_t>(seconds, 0);
    const auto twoDigits = [](int64_t v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    const int64_t hours = seconds / 3600;
    const int64_t minutes = seconds / 60 % 60;
    if (hours > 0)
        return std::to_string(hours) + ":" + twoDigits(minutes) + ":" + twoDigits(seconds % 60);
    return std::to_string(minutes) + ":" + twoDigits(seconds % 60);
}

} // namespace vemra

#include "module/input_reader.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

namespace vemra::module {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// from_chars rejects a leading "+", which hand-edited files do contain.
std::string_view withoutPlus(std::string_view token)
{
    if (token.size() > 1 && token.front() == '+')
        token.remove_prefix(1);
    return token;
}

std::optional<double> parseReal(std::string_view token)
{
    token = withoutPlus(token);
    double value = 0.0;
    const char* end = token.data() + token.size();
    auto [ptr, ec] = std::from_chars(token.data(), end, value, std::chars_format::general);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> parseInteger(std::string_view token)
{
    std::string_view digits = withoutPlus(token);
    long long value = 0;
    const char* end = digits.data() + digits.size();
    auto [ptr, ec] = std::from_chars(digits.data(), end, value);
    if (ec == std::errc() && ptr == end) {
        if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
            return std::nullopt;
        return static_cast<int>(value);
    }
    // Some writers put integers as "4.0"; accept them when the value is integral.
    auto real = parseReal(token);
    if (!real || std::trunc(*real) != *real || *real < std::numeric_limits<int>::min()
        || *real > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(*real);
}

std::string shortened(std::string_view token)
{
    constexpr std::size_t maxShown = 40;
    std::string shown(token.substr(0, maxShown));
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f)
            c = '?';
    if (token.size() > maxShown)
        shown += "...";
    return shown;
}

} // namespace

std::string InputDiagnostic::text() const
{
    if (record <= 0)
        return message;
    std::ostringstream out;
    out << "Datensatz " << record;
    if (!field.empty())
        out << ", Feld " << field;
    out << ": " << message;
    return out.str();
}

std::string genericFieldName(int fieldIndex)
{
    if (fieldIndex < kIntFieldCount)
        return "IntPar[" + std::to_string(fieldIndex + 1) + "]";
    return "RealPar[" + std::to_string(fieldIndex - kIntFieldCount + 1) + "]";
}

std::vector<std::string_view> splitNumberTokens(std::string_view text)
{
    std::vector<std::string_view> tokens;
    std::size_t start = std::string_view::npos;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (isBlank(c)) {
            if (start != std::string_view::npos) {
                tokens.push_back(text.substr(start, i - start));
                start = std::string_view::npos;
            }
            continue;
        }
        if (start == std::string_view::npos) {
            start = i;
            continue;
        }
        const char previous = text[i - 1];
        if ((c == '-' || c == '+') && (isDigit(previous) || previous == '.')) {
            tokens.push_back(text.substr(start, i - start));
            start = i;
        }
    }
    if (start != std::string_view::npos)
        tokens.push_back(text.substr(start));
    return tokens;
}

ReadResult readRecords(std::string_view text)
{
    ReadResult result;
    const auto tokens = splitNumberTokens(text);
    result.records.reserve(tokens.size() / kFieldsPerRecord);

    // Every token is read before the count is judged, so an unreadable number is reported
    // where it is, even in a file that also ends early.
    RawRecord record;
    for (std::size_t t = 0; t < tokens.size(); ++t) {
        const int recordNumber = static_cast<int>(t / kFieldsPerRecord + 1);
        const int f = static_cast<int>(t % kFieldsPerRecord);
        const std::string_view token = tokens[t];
        if (f < kIntFieldCount) {
            auto value = parseInteger(token);
            if (!value) {
                result.error = InputDiagnostic{recordNumber, genericFieldName(f),
                                               "\"" + shortened(token) + "\" ist keine ganze Zahl"};
                return result;
            }
            record.ints[static_cast<std::size_t>(f)] = *value;
        } else {
            auto value = parseReal(token);
            if (!value) {
                result.error = InputDiagnostic{recordNumber, genericFieldName(f),
                                               "\"" + shortened(token) + "\" ist keine endliche Zahl"};
                return result;
            }
            record.reals[static_cast<std::size_t>(f - kIntFieldCount)] = *value;
        }
        if (f == kFieldsPerRecord - 1)
            result.records.push_back(record);
    }
    if (const std::size_t rest = tokens.size() % kFieldsPerRecord; rest != 0) {
        result.error = InputDiagnostic{static_cast<int>(result.records.size() + 1),
                                       genericFieldName(static_cast<int>(rest)),
                                       "fehlt: die Datei endet mitten im Datensatz"};
        return result;
    }
    if (result.records.empty())
        result.error = InputDiagnostic{1, "", "die Datei enthält keinen Datensatz"};
    return result;
}

ReadResult readRecordFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ReadResult result;
        result.error = InputDiagnostic{0, "", "die Eingabedatei " + path.string() + " lässt sich nicht öffnen"};
        return result;
    }
    std::ostringstream content;
    content << in.rdbuf();
    return readRecords(content.str());
}

} // namespace vemra::module

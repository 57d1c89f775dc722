#include "report_date.h"

#include <charconv>
#include <ctime>

namespace vemra {

namespace {

bool leapYear(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int month, int year)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : days[month - 1];
}

std::optional<int> parsePart(const std::string& text)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

std::string ReportDate::text() const
{
    return std::to_string(day) + "." + std::to_string(month) + "." + std::to_string(year);
}

std::optional<ReportDate> parseReportDate(const std::string& text)
{
    const auto first = text.find('.');
    const auto second = first == std::string::npos ? first : text.find('.', first + 1);
    if (second == std::string::npos)
        return std::nullopt;
    const auto d = parsePart(text.substr(0, first));
    const auto m = parsePart(text.substr(first + 1, second - first - 1));
    const auto y = parsePart(text.substr(second + 1));
    if (!d || !m || !y || *y < 1 || *y > 9999 || *m < 1 || *m > 12 || *d < 1 || *d > daysInMonth(*m, *y))
        return std::nullopt;
    return ReportDate{*d, *m, *y};
}

ReportDate SystemCalendar::today() const
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return ReportDate{local.tm_mday, local.tm_mon + 1, local.tm_year + 1900};
}

} // namespace vemra

// The date a report carries ("5.12.2026"), and where it comes from: the
// system's calendar in the program, a fixed day in tests and on request of
// the command line.
#pragma once

#include <optional>
#include <string>

namespace vemra {

struct ReportDate {
    int day = 1;
    int month = 1;
    int year = 1970;

    // Day, month and year without leading zeros, joined by ".".
    std::string text() const;
};

// "D.M.YYYY" (leading zeros allowed); nothing for a text that is no date of
// the calendar.
std::optional<ReportDate> parseReportDate(const std::string& text);

class Calendar {
public:
    virtual ~Calendar() = default;
    virtual ReportDate today() const = 0;
};

// The local date of the machine.
class SystemCalendar : public Calendar {
public:
    ReportDate today() const override;
};

class FixedCalendar : public Calendar {
public:
    explicit FixedCalendar(ReportDate date) : date_(date) {}
    ReportDate today() const override { return date_; }

private:
    ReportDate date_;
};

} // namespace vemra

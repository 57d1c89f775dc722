// The numeric entry field without its widget: the text it writes, what it
// accepts as a number, and how limits act on typed and set values.
#include "editor/real_value.h"

#include <gtest/gtest.h>

namespace vemra {
namespace {

TEST(FieldNumberTest, WritesSignificantDigitsWithALeadingPoint)
{
    struct Case {
        int digits;
        long double value;
        const char* text;
    };
    const Case cases[] = {
        {10, 0.25L, " .25"},       {10, 1.0L, " 1.0"},          {10, 100.0L, " 100.0"},
        {10, 0.0001L, " .0001"},   {10, -3.5L, "-3.5"},         {10, 1.5e12L, " .15E+13"},
        {10, 0.0L, " 0.0"},        {4, 12345.0L, " .1235E+05"}, {10, 0.0025L, " .0025"},
        {10, 25.0L, " 25.0"},      {2, 0.125L, " .13"},         {4, 9.9995L, " 10.0"},
        {4, -0.00015L, "-.00015"}, {3, -0.00015L, "-.15E-03"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatFieldNumber(c.digits, c.value), c.text) << static_cast<double>(c.value);
}

TEST(FieldNumberTest, ParsesOnlyPlainNumbersWithAPoint)
{
    struct Case {
        const char* text;
        bool ok;
        double value;
    };
    const Case cases[] = {
        {"1.5E-3", true, 0.0015}, {"  2 ", true, 2},      {".25", true, 0.25},     {"-3.5", true, -3.5},
        {"+4", true, 4},          {"5.", true, 5},        {"1e2", true, 100},      {"abc", false, 0},
        {"1,5", false, 0},        {"", false, 0},         {"-", false, 0},         {".", false, 0},
        {"1e", false, 0},         {"inf", false, 0},      {"nan", false, 0},       {"0x10", false, 0},
        {"1e5000", false, 0},     {"1.5E-3x", false, 0},  {"1 2", false, 0},
    };
    for (const Case& c : cases) {
        const auto v = parseFieldNumber(c.text);
        ASSERT_EQ(v.has_value(), c.ok) << '"' << c.text << '"';
        EXPECT_DOUBLE_EQ(static_cast<double>(v.value_or(0)), c.value) << c.text;
    }
    EXPECT_EQ(fieldCharacter(U'e'), U'E');
    EXPECT_EQ(fieldCharacter(U','), U'.');
    EXPECT_EQ(fieldCharacter(U'x'), U'x');
}

TEST(RealValueTest, LimitsClampTypedAndSetValuesAndCollapseWhenCrossed)
{
    RealValue v;
    v.setValue(50);
    v.setValueMax(10);
    EXPECT_EQ(v.storedValue(), 10) << "a new maximum pulls the value in";
    EXPECT_EQ(v.text(), " 10.0");
    v.setValueMin(-5);
    v.setText("-7");
    ASSERT_TRUE(v.Validate());
    EXPECT_EQ(v.text(), "-5.0");
    v.setText("abc");
    EXPECT_FALSE(v.Validate());
    EXPECT_EQ(v.storedValue(), -5) << "no number: the value stays";
    EXPECT_EQ(v.readValue(), 0);
    v.setValueMin(20);
    EXPECT_EQ(v.ValueMin(), 10) << "a minimum above the maximum collapses onto it";
    EXPECT_FALSE(v.limitsActive());
    v.setValue(42);
    EXPECT_EQ(v.storedValue(), 42);
}

} // namespace
} // namespace vemra

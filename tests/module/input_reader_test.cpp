#include "module/input_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace vemra::module {
namespace {

std::vector<std::string> tokens(std::string_view text)
{
    std::vector<std::string> out;
    for (auto t : splitNumberTokens(text))
        out.emplace_back(t);
    return out;
}

TEST(NumberTokens, SignAfterDigitOrPointStartsNewNumber)
{
    EXPECT_EQ(tokens("0.0-0.1234567891E+11"), (std::vector<std::string>{"0.0", "-0.1234567891E+11"}));
    EXPECT_EQ(tokens(" 12-1234"), (std::vector<std::string>{"12", "-1234"}));
    EXPECT_EQ(tokens("5.-3"), (std::vector<std::string>{"5.", "-3"}));
    EXPECT_EQ(tokens("1+2"), (std::vector<std::string>{"1", "+2"}));
}

TEST(NumberTokens, ExponentSignsAndLeadingSignsStayInTheNumber)
{
    EXPECT_EQ(tokens("1.5E-03 -2e+4\t-7"), (std::vector<std::string>{"1.5E-03", "-2e+4", "-7"}));
    EXPECT_EQ(tokens("\r\n  \r\n"), std::vector<std::string>{});
}

std::string record(const std::string& ints, const std::string& reals) { return ints + "\r\n" + reals + "\r\n"; }

const std::string kInts = "   0   0   1   0   0   0   0   0   1";
const std::string kReals = " 0.25 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 -0.1E-11";

TEST(ReadRecords, ReadsIntegersAndRealsWhateverTheLineLayout)
{
    // The same numbers as one record, once in two lines, once glued and wrapped.
    auto a = readRecords(record(kInts, kReals));
    auto b = readRecords("0 0 1 0 0\n0 0 0 1 0.25 0.0 0.0 0.0 0.0 0.0\n0.0 0.0 0.0 0.0 0.0-0.1E-11");
    ASSERT_FALSE(a.error) << a.error->text();
    ASSERT_FALSE(b.error) << b.error->text();
    ASSERT_EQ(a.records.size(), 1u);
    ASSERT_EQ(b.records.size(), 1u);
    EXPECT_EQ(a.records[0].intPar(3), 1);
    EXPECT_EQ(a.records[0].realPar(1), 0.25);
    EXPECT_EQ(a.records[0].realPar(12), -1e-12);
    EXPECT_EQ(a.records[0].ints, b.records[0].ints);
    EXPECT_EQ(a.records[0].reals, b.records[0].reals);
}

TEST(ReadRecords, AcceptsIntegralRealsAndPlusSignsInIntegerFields)
{
    auto r = readRecords("0 0 +2.0 0 0 0 0 0 1  1 2 3 4 5 6 7 8 9 10 11 12");
    ASSERT_FALSE(r.error) << r.error->text();
    EXPECT_EQ(r.records[0].intPar(3), 2);
}

TEST(ReadRecords, NamesRecordAndFieldOfBadNumbers)
{
    auto notInteger = readRecords(record(kInts, kReals) + "0 1 2.5 0 0 0 0 0 2\n" + kReals);
    ASSERT_TRUE(notInteger.error);
    EXPECT_EQ(notInteger.error->record, 2);
    EXPECT_EQ(notInteger.error->field, "IntPar[3]");

    auto notReal = readRecords(record(kInts, " 0.25 0.0 abc"));
    ASSERT_TRUE(notReal.error);
    EXPECT_EQ(notReal.error->record, 1);
    EXPECT_EQ(notReal.error->field, "RealPar[3]");

    auto infinite = readRecords(record(kInts, " 0.25 0.0 inf 0 0 0 0 0 0 0 0 0"));
    ASSERT_TRUE(infinite.error);
    EXPECT_EQ(infinite.error->field, "RealPar[3]");

    auto tooLarge = readRecords("0 0 99999999999 0 0 0 0 0 1" + kReals);
    ASSERT_TRUE(tooLarge.error);
    EXPECT_EQ(tooLarge.error->field, "IntPar[3]");
}

TEST(ReadRecords, TruncatedAndEmptyInputAreErrors)
{
    auto truncated = readRecords(record(kInts, kReals) + "0 1 3 0 0 0 0 0 2\n 0.0 0.5");
    ASSERT_TRUE(truncated.error);
    EXPECT_EQ(truncated.error->record, 2);
    EXPECT_EQ(truncated.error->field, "RealPar[3]");
    EXPECT_NE(truncated.error->text().find("Datensatz 2, Feld RealPar[3]"), std::string::npos);

    EXPECT_TRUE(readRecords("").error);
    EXPECT_TRUE(readRecords(" \r\n").error);
}

TEST(ReadRecords, SurvivesArbitraryBytes)
{
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.push_back(static_cast<char>((i * 7919 + 13) % 256));
    auto r = readRecords(garbage);
    EXPECT_TRUE(r.error);
    std::string withNul("0 0 1 0 0 0 0 0 1\0 1", 21);
    EXPECT_TRUE(readRecords(withNul).error);
}

TEST(ReadRecords, MissingFileIsAnError)
{
    auto r = readRecordFile("/nonexistent/dir/remote$.rx4");
    ASSERT_TRUE(r.error);
    EXPECT_NE(r.error->message.find("nicht öffnen"), std::string::npos);
}

} // namespace
} // namespace vemra::module

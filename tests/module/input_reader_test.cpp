#include "module/input_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace vemra::module {
namespace {

using Tokens = std::vector<std::string>;

TEST(NumberTokens, SignAfterDigitOrPointStartsANewNumberButStaysInTheExponent)
{
    const std::pair<const char*, Tokens> cases[] = {
        {"0.0-0.1234567891E+11", {"0.0", "-0.1234567891E+11"}},
        {" 12-1234", {"12", "-1234"}},
        {"5.-3", {"5.", "-3"}},
        {"1+2", {"1", "+2"}},
        {"1.5E-03 -2e+4\t-7", {"1.5E-03", "-2e+4", "-7"}},
        {"\r\n  \r\n", {}},
    };
    for (const auto& [text, expected] : cases) {
        Tokens tokens;
        for (auto t : splitNumberTokens(text))
            tokens.emplace_back(t);
        EXPECT_EQ(tokens, expected) << text;
    }
}

const std::string kInts = "   0   0   1   0   0   0   0   0   1";
const std::string kReals = " 0.25 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 -0.1E-11";
const std::string kRecord = kInts + "\r\n" + kReals + "\r\n";

TEST(ReadRecords, ReadsIntegersAndRealsWhateverTheLineLayout)
{
    // The same numbers as one record, once in two lines, once glued and wrapped.
    auto a = readRecords(kRecord);
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
    // Integral reals and plus signs are integers all the same.
    auto c = readRecords("0 0 +2.0 0 0 0 0 0 1  1 2 3 4 5 6 7 8 9 10 11 12");
    ASSERT_FALSE(c.error) << c.error->text();
    EXPECT_EQ(c.records[0].intPar(3), 2);
}

TEST(ReadRecords, BadNumbersNameTheirRecordAndField)
{
    const std::tuple<std::string, int, const char*> cases[] = {
        {kRecord + "0 1 2.5 0 0 0 0 0 2\n" + kReals, 2, "IntPar[3]"},
        {kInts + "\r\n 0.25 0.0 abc", 1, "RealPar[3]"},
        {kInts + "\r\n 0.25 0.0 inf 0 0 0 0 0 0 0 0 0", 1, "RealPar[3]"},
        {"0 0 99999999999 0 0 0 0 0 1" + kReals, 1, "IntPar[3]"},
        {kRecord + "0 1 3 0 0 0 0 0 2\n 0.0 0.5", 2, "RealPar[3]"}, // truncated
    };
    for (const auto& [text, record, field] : cases) {
        SCOPED_TRACE(text);
        const auto r = readRecords(text);
        ASSERT_TRUE(r.error);
        EXPECT_EQ(r.error->record, record);
        EXPECT_EQ(r.error->field, field);
        EXPECT_NE(r.error->text().find("Datensatz " + std::to_string(record) + ", Feld " + field), std::string::npos);
    }
}

TEST(ReadRecords, EmptyGarbageAndMissingInputAreErrors)
{
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.push_back(static_cast<char>((i * 7919 + 13) % 256));
    for (const std::string& text : {std::string(), std::string(" \r\n"), garbage,
                                    std::string("0 0 1 0 0 0 0 0 1\0 1", 21)})
        EXPECT_TRUE(readRecords(text).error) << text.size();
    const auto missing = readRecordFile("/nonexistent/dir/remote$.rx4");
    ASSERT_TRUE(missing.error);
    EXPECT_NE(missing.error->message.find("nicht öffnen"), std::string::npos);
}

} // namespace
} // namespace vemra::module

// The coefficient grid: which rows it has, the alignment of its numbers,
// the near-zero cut, and the full-precision lines that are copied and saved.
#include "editor/coefficient_table.h"

#include <gtest/gtest.h>

namespace vemra {
namespace {

// A stored result with K = 2: element 0 eta, then cosine c0, and (s_k, c_k).
void setResult(TRXHeader& m, std::vector<double> s)
{
    m.sSC.ReSize(static_cast<int32_t>(s.size()));
    for (size_t i = 0; i < s.size(); ++i)
        m.sSC[static_cast<int32_t>(i)] = s[i];
    m.ResultHarm = static_cast<int32_t>(s.size()) / 2 - 1;
    m.HasResult = true;
}

TEST(CoefficientTableTest, RowsPerHarmonicASumRowAndNumbersOnOneDecimalPoint)
{
    TRXHeader m;
    setResult(m, {0.125, 0.5, 3, -4, 5e-7, 12.25});
    const CoefficientTable sum = coefficientTable(m, CoefficientSource::S, 0, Magnitude::AbsSum);
    ASSERT_EQ(sum.rows.size(), 4u);
    EXPECT_EQ(sum.headers[3], "|c_k|+|s_k|");
    EXPECT_EQ(sum.rows[3][0], "Sum");
    EXPECT_EQ(sum.rows[0][0], " 0");
    EXPECT_TRUE(sum.rows[0][1].empty()) << "row 0 holds c_0 only";
    EXPECT_EQ(sum.eta, " 0.125");

    const CoefficientTable euclid = coefficientTable(m, CoefficientSource::S, 0, Magnitude::Euclid);
    ASSERT_EQ(euclid.rows.size(), 3u);
    EXPECT_EQ(euclid.headers[3], "(s_k²+c_k²)^½");
    EXPECT_NE(euclid.rows[1][3].find("5.0"), std::string::npos) << euclid.rows[1][3];

    // The numbers stand on one decimal point, and near zero is zero.
    const CoefficientTable& t = sum;
    size_t point = std::string::npos, length = 0;
    for (const auto& row : t.rows)
        for (int col = 1; col < 4; ++col) {
            const std::string& cell = row[static_cast<size_t>(col)];
            if (cell.empty())
                continue;
            if (point == std::string::npos) {
                point = cell.find('.');
                length = cell.size();
            }
            EXPECT_EQ(cell.find('.'), point) << '"' << cell << '"';
            EXPECT_EQ(cell.size(), length) << '"' << cell << '"';
        }
    EXPECT_EQ(t.rows[2][1].find_first_not_of(' '), t.rows[2][1].find('0')) << "5e-7 is shown as 0: " << t.rows[2][1];
    EXPECT_NE(t.rows[3][3].find("19.25"), std::string::npos) << t.rows[3][3];
}

TEST(CoefficientTableTest, DerivativesScaleWithTheHarmonic)
{
    TRXHeader m;
    setResult(m, {0, 0, 1, 0, 1, 0});
    const CoefficientTable t = coefficientTable(m, CoefficientSource::S, 1, Magnitude::Euclid);
    EXPECT_NE(t.rows[1][3].find("1.0"), std::string::npos) << t.rows[1][3];
    EXPECT_NE(t.rows[2][3].find("2.0"), std::string::npos) << t.rows[2][3];
}

TEST(CoefficientTableTest, CopiedLinesCarryFullPrecisionSeparatedByCarriageReturns)
{
    TRXHeader m;
    setResult(m, {0.125, 0.5, 1.0 / 3, -4, 5e-7, 12.25});
    const CoefficientTable t = coefficientTable(m, CoefficientSource::S, 0, Magnitude::AbsSum);
    ASSERT_EQ(t.lines.size(), 3u);
    EXPECT_EQ(t.lines[0], " 0.125\t 0.5");
    EXPECT_EQ(t.lines[1], " 0.333333333333333\t -4\t 4.33333333333333");
    EXPECT_EQ(t.lines[2], " 0\t 12.25\t 12.25");
    EXPECT_EQ(clipboardText(t.lines), t.lines[0] + "\r" + t.lines[1] + "\r" + t.lines[2]);
    EXPECT_EQ(tableFileText({"a", "b"}), "a\r\nb\r\n");
}

TEST(CoefficientTableTest, TorqueTermHasTwiceTheHarmonicsAndNoEtaColumn)
{
    TRXHeader m;
    setResult(m, {0.125, 0.5, 3, -4, 1, 2});
    m.mSC.ReSize(10);
    for (int i = 0; i < 10; ++i)
        m.mSC[i] = i;
    const CoefficientTable t = coefficientTable(m, CoefficientSource::M, 3, Magnitude::Euclid);
    ASSERT_EQ(t.rows.size(), 5u);
    EXPECT_EQ(t.lines[0], " 0");
    EXPECT_EQ(t.lines[4], " 8\t 9\t 12.0415945787923");
}

TEST(CoefficientTableTest, GeneralNumbersAndCentring)
{
    const std::pair<double, const char*> cases[] = {
        {0.5, "0.5"},      {1e-7, "1E-7"},         {1.5e20, "1.5E20"},  {123456, "123456"},
        {-0.00001, "-0.00001"}, {2.5e-6, "2.5E-6"}, {0, "0"},            {-12.25, "-12.25"},
    };
    for (const auto& [x, text] : cases)
        EXPECT_EQ(generalNumber(x), text) << x;
    EXPECT_EQ(centredText("k", 35, 7), "  k");
    EXPECT_EQ(centredText("s_k", 100, 7), "     s_k");
    EXPECT_EQ(centredText("toolongtext", 20, 7), "toolongtext");
}

} // namespace
} // namespace vemra

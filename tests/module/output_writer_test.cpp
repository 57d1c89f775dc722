#include "module/input_reader.h"
#include "module/output_writer.h"

#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vemra::module {
namespace {

std::string slurp(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class OutputWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path()
            / ("vemra_writer_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path dir_;
};

TEST(FormatReal, SeventeenSignificantDigitsRoundTrip)
{
    for (double v : {0.1, -1.0 / 3.0, 6.02214076e23, -4.9e-320, 1e-300, 123456789.123456789}) {
        const std::string text = formatReal(v);
        double back = 0;
        std::from_chars(text.data(), text.data() + text.size(), back);
        EXPECT_EQ(back, v) << text;
    }
    EXPECT_EQ(formatReal(-0.25), "-2.5000000000000000E-01");
    EXPECT_EQ(formatReal(-0.0), "0.0000000000000000E+00");
}

TEST_F(OutputWriterTest, CoefficientFilesHoldCosineThenSinePairsFromHarmonicZero)
{
    SynthesisResult result;
    result.motions.push_back({2, 0.75, MotionCoefficients{0.5, {1.0, 2.0}, {-1.0, -2.0}}});
    std::string error;
    ASSERT_TRUE(OutputWriter(dir_).writeResults(result, error)) << error;
    std::istringstream in(slurp(dir_ / "remote$.fk2"));
    std::vector<double> values;
    for (double v; in >> v;)
        values.push_back(v);
    EXPECT_EQ(values, (std::vector<double>{0.5, 0.75, -1.0, 1.0, -2.0, 2.0}));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "remote$.fk1"));
}

TEST_F(OutputWriterTest, RestrictionFileReadsBackAsRecords)
{
    SynthesisResult result;
    RestrictionEcho echo;
    echo.ints = {-12345, 2, 51, 1, 0, -1, 1, 3, 99999};
    for (int i = 0; i < 12; ++i)
        echo.reals[static_cast<std::size_t>(i)] = (i - 6) * 1.0 / 7.0;
    result.restrictions = {echo, echo};
    std::string error;
    ASSERT_TRUE(OutputWriter(dir_).writeResults(result, error)) << error;
    // Read with the module's own tolerant reader: every number separated from the next.
    const auto read = readRecords(slurp(dir_ / "remote$.rx5"));
    ASSERT_FALSE(read.error) << read.error->text();
    ASSERT_EQ(read.records.size(), 2u);
    EXPECT_EQ(read.records[1].ints, echo.ints);
    EXPECT_EQ(read.records[1].reals, echo.reals);
}

TEST_F(OutputWriterTest, ResultCodeOnTheFirstLine)
{
    ASSERT_TRUE(OutputWriter(dir_).writeResultCode(-3, "record 2, IntPar[3]: bad"));
    const std::string text = slurp(dir_ / "rx4.err");
    EXPECT_EQ(text.substr(0, text.find('\r')), "-3");
    EXPECT_FALSE(OutputWriter(dir_ / "missing").writeResultCode(0, ""));
}

} // namespace
} // namespace vemra::module

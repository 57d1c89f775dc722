#include "module/input_reader.h"
#include "module/output_writer.h"

#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace vemra::module {
namespace {

namespace fs = std::filesystem;

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

TEST(OutputWriter, WritesCoefficientRestrictionAndResultCodeFiles)
{
    const fs::path dir = fs::temp_directory_path() / ("vemra_writer_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    auto read = [&](const char* name) {
        std::ostringstream s;
        s << std::ifstream(dir / name, std::ios::binary).rdbuf();
        return s.str();
    };
    SynthesisResult result;
    result.motions.push_back({2, 0.75, MotionCoefficients{0.5, {1.0, 2.0}, {-1.0, -2.0}}});
    RestrictionEcho echo;
    echo.ints = {-12345, 2, 51, 1, 0, -1, 1, 3, 99999};
    for (int i = 0; i < 12; ++i)
        echo.reals[static_cast<std::size_t>(i)] = (i - 6) * 1.0 / 7.0;
    result.restrictions = {echo, echo};
    std::string error;
    ASSERT_TRUE(OutputWriter(dir).writeResults(result, error)) << error;

    // Cosine then sine, from harmonic 0 (b0, eta); the file is named after the motion.
    std::istringstream in(read("remote$.fk2"));
    std::vector<double> values;
    for (double v; in >> v;)
        values.push_back(v);
    EXPECT_EQ(values, (std::vector<double>{0.5, 0.75, -1.0, 1.0, -2.0, 2.0}));
    EXPECT_FALSE(fs::exists(dir / "remote$.fk1"));
    // The module's own tolerant reader needs every number separated from the next.
    const auto records = readRecords(read("remote$.rx5"));
    ASSERT_FALSE(records.error) << records.error->text();
    ASSERT_EQ(records.records.size(), 2u);
    EXPECT_EQ(records.records[1].ints, echo.ints);
    EXPECT_EQ(records.records[1].reals, echo.reals);

    ASSERT_TRUE(OutputWriter(dir).writeResultCode(-3, "record 2, IntPar[3]: bad"));
    const std::string code = read("rx4.err");
    EXPECT_EQ(code.substr(0, code.find('\r')), "-3");
    EXPECT_FALSE(OutputWriter(dir / "missing").writeResultCode(0, ""));
    fs::remove_all(dir);
}

// The lines the application reads: CR LF, "." decimals, "-" where a value has no meaning, as
// many digits as the other result files.
TEST(OutputWriter, ExplanationFileHoldsOneFactPerLine)
{
    const fs::path dir = fs::temp_directory_path() / ("vemra_writer_why_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    Explanation fulfilment;
    fulfilment.lambda = 0.5;
    fulfilment.smoothness = 2.25;
    fulfilment.shifts = {{1, -12.5}, {3, 0.0}};
    fulfilment.limits = {{7, 0.75, 30.0, 0.125}, {9, 0.25, std::nullopt, 2.0}};
    Explanation smoothness;
    smoothness.stage = ExplanationStage::Smoothness;
    smoothness.code = 1;
    smoothness.lambda = 1.0;
    smoothness.smoothness = 1.0 / 3.0;
    Explanation conflict;
    conflict.stage = ExplanationStage::Conflict;
    conflict.code = -2;
    conflict.conflict = {4, 11};
    const std::pair<Explanation, std::string> cases[] = {
        {fulfilment, "Stufe erfuellung 0 5.0000000000000000E-01 2.2500000000000000E+00\r\n"
                     "Verschiebung 1 -1.2500000000000000E+01\r\n"
                     "Verschiebung 3 0.0000000000000000E+00\r\n"
                     "Grenze 7 7.5000000000000000E-01 3.0000000000000000E+01 1.2500000000000000E-01\r\n"
                     "Grenze 9 2.5000000000000000E-01 - 2.0000000000000000E+00\r\n"},
        {smoothness, "Stufe glattheit 1 1.0000000000000000E+00 3.3333333333333331E-01\r\n"},
        {conflict, "Stufe konflikt -2 - -\r\nKonflikt 4\r\nKonflikt 11\r\n"},
    };
    const OutputWriter writer(dir);
    for (const auto& [explanation, text] : cases) {
        std::string error;
        ASSERT_TRUE(writer.writeExplanation(explanation, error)) << error;
        std::ostringstream written;
        written << std::ifstream(dir / "remote$.why", std::ios::binary).rdbuf();
        EXPECT_EQ(written.str(), text);
    }
    writer.removeExplanation();
    EXPECT_FALSE(fs::exists(dir / "remote$.why"));
    fs::remove_all(dir);
}

} // namespace
} // namespace vemra::module

#include "input_builder.h"
#include "module/input_validator.h"
#include "protocol/result_codes.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace vemra::module {
namespace {

using testing::InputBuilder;
using testing::MotionRecord;

// Records: 1 project, 2 motion 1, 3 interval on motion 1, 4 motion 2, 5 point on motion 2,
// 6 spectrum harmonic on motion 2, 7 relative point between 1 and 2.
std::vector<RawRecord> validProject()
{
    InputBuilder b;
    b.objects(1);
    b.addMotion({.harmonics = 3, .eta = 0.2, .theta = 0.1});
    b.addMotion({.harmonics = 2});
    auto interval = testing::intervalRestriction(1, 0, 10, 80, -1, 1);
    interval.group = 1;
    interval.r(9) = 0;
    interval.r(10) = 20;
    interval.r(11) = 70;
    interval.r(12) = 90;
    b.add(interval);
    b.add(testing::pointRestriction(2, 1, 45, -2, 2));
    b.add(testing::spectrumHarmonic(2, 2, 5.0));
    auto relative = testing::pointRestriction(1, 0, 90, -1, 1);
    relative.kind = 40;
    relative.motion2 = 2;
    b.add(relative);
    auto read = readRecords(b.text());
    EXPECT_FALSE(read.error);
    return read.records;
}

struct Mutation {
    const char* what;
    std::function<void(std::vector<RawRecord>&)> apply;
    int record = 0;            // expected record number in the diagnostic
    const char* field = "";    // expected part of the field name
};

void setInt(std::vector<RawRecord>& r, int record, int field, int value)
{
    r[static_cast<std::size_t>(record - 1)].ints[static_cast<std::size_t>(field - 1)] = value;
}

void setReal(std::vector<RawRecord>& r, int record, int field, double value)
{
    r[static_cast<std::size_t>(record - 1)].reals[static_cast<std::size_t>(field - 1)] = value;
}

TEST(InputValidation, ValidProjectPasses)
{
    const auto result = validateRecords(validProject());
    ASSERT_EQ(result.code, 0) << result.message;
    ASSERT_EQ(result.problem.motions.size(), 2u);
    ASSERT_EQ(result.problem.restrictions.size(), 4u);
    EXPECT_EQ(result.problem.restrictions[0].group, 1);
    EXPECT_EQ(result.problem.restrictions[2].family, RestrictionFamily::SpectrumHarmonic);
    EXPECT_EQ(result.problem.restrictions[3].motion2, 2);
}

TEST(InputValidation, EachInputErrorNamesRecordAndField)
{
    const std::vector<Mutation> cases = {
        {"motion count differs from motion records", [](auto& r) { setInt(r, 1, 3, 3); }, 1, "IntPar[3]"},
        {"motion number outside 1..n", [](auto& r) { setInt(r, 4, 2, 5); }, 4, "IntPar[2]"},
        {"motion number twice", [](auto& r) { setInt(r, 4, 2, 1); }, 4, "IntPar[2]"},
        {"K below 1", [](auto& r) { setInt(r, 2, 3, 0); }, 2, "IntPar[3]"},
        {"negative eta", [](auto& r) { setReal(r, 2, 2, -0.1); }, 2, "RealPar[2]"},
        {"negative theta", [](auto& r) { setReal(r, 2, 3, -0.1); }, 2, "RealPar[3]"},
        {"variable eta limit below eta", [](auto& r) { setInt(r, 2, 4, 1); setReal(r, 2, 1, 0.1); }, 2, "RealPar[1]"},
        {"restriction of another motion", [](auto& r) { setInt(r, 3, 1, 2); }, 3, "Motion"},
        {"relative restriction names unknown motion", [](auto& r) { setInt(r, 7, 2, 3); }, 7, "IntPar[2]"},
        {"relative restriction names one motion twice", [](auto& r) { setInt(r, 7, 2, 1); }, 7, "IntPar[2]"},
        {"unknown kind", [](auto& r) { setInt(r, 5, 3, 17); }, 5, "Kind"},
        {"bound mode outside -1..1", [](auto& r) { setInt(r, 5, 6, 2); }, 5, "LowerMode"},
        {"angle mode of an interval", [](auto& r) { setInt(r, 3, 4, -1); }, 3, "PhiMinVar"},
        {"spectrum mode", [](auto& r) { setInt(r, 6, 6, -1); }, 6, "LowerMode"},
        {"harmonic above K", [](auto& r) { setInt(r, 6, 2, 3); }, 6, "Harmonic"},
        {"object above the project's count", [](auto& r) { setInt(r, 5, 8, 2); }, 5, "GroupNo"},
        {"interval without width", [](auto& r) { setReal(r, 3, 4, 10); }, 3, "RealPar[4]"},
        {"variable lower bound limit below it", [](auto& r) { setInt(r, 5, 6, 1); setReal(r, 5, 5, -3); }, 5, "RealPar[5]"},
        {"point bounds crossed", [](auto& r) { setReal(r, 5, 8, -3); }, 5, "RealPar[8]"},
        {"angle outside its shift range", [](auto& r) { setReal(r, 3, 10, 5); }, 3, "RealPar[9]"},
        {"variable spectrum bound not below c", [](auto& r) { setInt(r, 6, 6, 1); setReal(r, 6, 5, 6.0); }, 6, "RealPar[5]"},
    };
    for (const Mutation& m : cases) {
        auto records = validProject();
        m.apply(records);
        const auto result = validateRecords(records);
        EXPECT_EQ(result.code, ResultCodes::InputError) << m.what;
        EXPECT_NE(result.message.find("Datensatz " + std::to_string(m.record) + ","), std::string::npos)
            << m.what << ": " << result.message;
        EXPECT_NE(result.message.find(m.field), std::string::npos) << m.what << ": " << result.message;
    }
}

TEST(InputValidation, CheckOnlyRestrictionsAreValidatedButNeverShifted)
{
    auto records = validProject();
    setInt(records, 3, 1, -1);
    auto result = validateRecords(records);
    ASSERT_EQ(result.code, 0) << result.message;
    EXPECT_TRUE(result.problem.restrictions[0].checkOnly);
    EXPECT_EQ(result.problem.restrictions[0].group, 0);

    setReal(records, 3, 4, 5); // inconsistent angles are an error even when only checked
    EXPECT_EQ(validateRecords(records).code, ResultCodes::InputError);
}

// Sizes, resonance and the order the checks run in: input errors first, then the size, then
// resonance.
TEST(InputValidation, CodesOfSizeAndResonance)
{
    const auto resonant = [](auto& r) { setReal(r, 4, 2, 0.5); }; // motion 2: undamped, K = 2, eta = 0.5
    const auto tooLarge = [](auto& r) { setInt(r, 2, 3, 100); };
    const std::vector<std::pair<Mutation, int>> cases = {
        // Two motions may have (240 - 4) div 4 = 59 harmonics together, not 60.
        {{"59 harmonics", [](auto& r) { setInt(r, 2, 3, 59 - 2); }}, 0},
        {{"60 harmonics", [](auto& r) { setInt(r, 2, 3, 59 - 2 + 1); }}, ResultCodes::TooLarge},
        {{"resonant", resonant}, ResultCodes::Resonance},
        {{"damped", [&](auto& r) { resonant(r); setReal(r, 4, 3, 0.01); }}, 0},
        {{"resonant, too large", [&](auto& r) { resonant(r); tooLarge(r); }}, ResultCodes::TooLarge},
        {{"all three", [&](auto& r) { resonant(r); tooLarge(r); setInt(r, 5, 3, 99); }}, ResultCodes::InputError},
        // Resonance counts at the minimum requirement eta only.
        {{"variable eta from 0.3 to 0.5", [](auto& r) { setInt(r, 4, 4, 1); setReal(r, 4, 2, 0.3); setReal(r, 4, 1, 0.5); }},
         0},
    };
    for (const auto& [m, code] : cases) {
        auto records = validProject();
        m.apply(records);
        EXPECT_EQ(validateRecords(records).code, code) << m.what;
    }

    InputBuilder eleven;
    for (int i = 0; i < 11; ++i)
        eleven.addMotion({.harmonics = 1});
    EXPECT_EQ(validateRecords(readRecords(eleven.text()).records).code, ResultCodes::TooLarge);
    InputBuilder many;
    many.addMotion({.harmonics = 1});
    for (int i = 0; i < 501; ++i)
        many.add(testing::pointRestriction(1, 0, i % 360, -1, 1));
    EXPECT_EQ(validateRecords(readRecords(many.text()).records).code, ResultCodes::TooLarge);
}

TEST(InputValidation, ResonanceNeedsAnUndampedHarmonicAtItsFrequency)
{
    const std::tuple<int, double, double, bool> cases[] = {
        {3, 1.0 / 3.0, 0.0, true},         {3, 1.0 / 3.0 + 2e-10, 0.0, true}, {3, 1.0 / 3.0 + 5e-10, 0.0, false},
        {2, 1.0 / 3.0, 0.0, false},        {3, 1.0 / 3.0, 0.05, false},       {3, 0.0, 0.0, false},
    };
    for (const auto& [k, eta, theta, expected] : cases)
        EXPECT_EQ(isResonant(k, eta, theta), expected) << k << " " << eta << " " << theta;
}

} // namespace
} // namespace vemra::module

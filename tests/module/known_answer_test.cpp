// Small problems whose answer is known by hand.
#include "input_builder.h"
#include "protocol/result_codes.h"
#include "module/stop_request.h"
#include "module/synthesis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <functional>
#include <numbers>

namespace vemra::module {
namespace {

using testing::InputBuilder;
using testing::intervalRestriction;
using testing::lowerPoint;
using testing::pointRestriction;
using testing::RestrictionRecord;
using testing::spectrumSum;
using testing::upperPoint;
using testing::wish;

constexpr double kCoefficientTolerance = 1e-7;
constexpr double kLambdaTolerance = 1e-5;

SynthesisResult run(const InputBuilder& builder)
{
    return synthesiseText(builder.text());
}

const MotionCoefficients& motion(const SynthesisResult& r, int number)
{
    return r.motions.at(static_cast<std::size_t>(number - 1)).coefficients;
}

double s(const MotionCoefficients& c, double phiDeg)
{
    const double x = phiDeg * std::numbers::pi / 180.0;
    double v = c.b0;
    for (int k = 1; k <= c.harmonics(); ++k)
        v += c.a[static_cast<std::size_t>(k - 1)] * std::sin(k * x) + c.b[static_cast<std::size_t>(k - 1)] * std::cos(k * x);
    return v;
}

// The transfer of harmonic 1 at eta = 0.5, theta = 0.1: q_sin = F a + G b, q_cos = -G a + F b.
constexpr double kR = 0.5, kD = 4 * 0.01 * kR * kR + (1 - kR * kR) * (1 - kR * kR);
constexpr double kF = (1 - kR * kR + 4 * 0.01 * kR * kR) / kD, kG = 2 * kR * kR * kR * 0.1 / kD;

// Problems whose solution is unique and known exactly.
TEST(KnownAnswers, UniqueSolutionsAreFoundExactly)
{
    const MotionCoefficients interpolated{0.3, {1.0, -0.25, 0.1}, {-0.5, 0.2, 0.05}};
    const double free = std::nan("");
    struct Case {
        const char* what;
        std::function<void(InputBuilder&)> build;
        int motion;
        double eta;
        MotionCoefficients expected; // b0 NaN: any b0
    };
    const Case cases[] = {
        // s'(0) = sum k a_k = 2 costs k^2 |a_k| = k * (k a_k): the first harmonic is cheapest.
        {"velocity at one point",
         [](InputBuilder& b) {
             b.addMotion({.harmonics = 4});
             b.add(pointRestriction(1, 1, 0.0, 2.0, 2.0));
         },
         1, 0.0, {free, {2, 0, 0, 0}, {0, 0, 0, 0}}},
        // s(90) = 1 and s(270) = -1 with K = 3: a_1 - a_3 = 1 and b0 = b_2; the least
        // sum of k^2 (|a_k| + |b_k|) is s = sin x.
        {"pure sine",
         [](InputBuilder& b) {
             b.addMotion({.harmonics = 3});
             b.add(pointRestriction(1, 0, 90.0, 1.0, 1.0));
             b.add(pointRestriction(1, 0, 270.0, -1.0, -1.0));
         },
         1, 0.0, {0, {1, 0, 0}, {0, 0, 0}}},
        // 2K + 1 pinned values determine the K = 3 series.
        {"interpolated",
         [&](InputBuilder& b) {
             b.addMotion({.harmonics = 3});
             for (int i = 0; i < 7; ++i) {
                 const double phi = 10.0 + i * 360.0 / 7.0, v = s(interpolated, phi);
                 b.add(pointRestriction(1, 0, phi, v, v));
             }
         },
         1, 0.0, interpolated},
        // q pinned at 90, 270 and 0 degrees leaves q = sin x: the motion law is the inverse
        // transfer of (q_sin, q_cos) = (1, 0).
        {"elastic transfer",
         [](InputBuilder& b) {
             b.addMotion({.harmonics = 1, .eta = 0.5, .theta = 0.1});
             b.add(pointRestriction(1, 0, 90.0, 1.0, 1.0));
             b.add(pointRestriction(1, 0, 270.0, -1.0, -1.0));
             b.add(pointRestriction(1, 0, 0.0, 0.0, 0.0));
         },
         1, 0.5, {0, {kF / (kF * kF + kG * kG)}, {kG / (kF * kF + kG * kG)}}},
        // Motion 1 is pinned to sin x; q1 - q2 = 0 at 90 and 270 degrees and q2 free otherwise:
        // the smoothest motion 2 copies sin x.
        {"relative restriction",
         [](InputBuilder& b) {
             b.addMotion({.harmonics = 1});
             b.addMotion({.harmonics = 2});
             b.add(pointRestriction(1, 0, 90.0, 1.0, 1.0));
             b.add(pointRestriction(1, 0, 270.0, -1.0, -1.0));
             for (double phi : {90.0, 270.0}) {
                 RestrictionRecord same = pointRestriction(1, 0, phi, 0.0, 0.0);
                 same.kind = 40;
                 same.motion2 = 2;
                 b.add(same);
             }
         },
         2, 0.0, {0, {1, 0}, {0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InputBuilder b;
        c.build(b);
        const auto r = run(b);
        ASSERT_EQ(r.code, ResultCodes::Solved) << r.message;
        const MotionResult& m = r.motions.at(static_cast<std::size_t>(c.motion - 1));
        EXPECT_EQ(m.eta, c.eta);
        if (!std::isnan(c.expected.b0)) {
            EXPECT_NEAR(m.coefficients.b0, c.expected.b0, kCoefficientTolerance);
        }
        ASSERT_EQ(m.coefficients.harmonics(), c.expected.harmonics());
        for (std::size_t i = 0; i < c.expected.a.size(); ++i) {
            EXPECT_NEAR(m.coefficients.a[i], c.expected.a[i], kCoefficientTolerance) << "a" << i + 1;
            EXPECT_NEAR(m.coefficients.b[i], c.expected.b[i], kCoefficientTolerance) << "b" << i + 1;
        }
    }
}

TEST(KnownAnswers, IntervalBoundHoldsBetweenTheGridAngles)
{
    // s(0) = 0, s(90) = 1 and s' at 0 pinned to 3 force an overshoot that an upper bound of
    // 1.05 over the whole revolution must clip everywhere, not only at sampled angles.
    InputBuilder b;
    b.addMotion({.harmonics = 6});
    b.add(pointRestriction(1, 0, 0.0, 0.0, 0.0));
    b.add(pointRestriction(1, 0, 90.0, 1.0, 1.0));
    b.add(pointRestriction(1, 1, 0.0, 3.0, 3.0));
    b.add(intervalRestriction(1, 0, 0.0, 360.0, -1.05, 1.05));
    const auto r = run(b);
    ASSERT_EQ(r.code, ResultCodes::Solved) << r.message;
    const auto& c = motion(r, 1);
    double highest = -1e9, lowest = 1e9;
    for (int i = 0; i <= 360000; ++i) {
        const double v = s(c, i * 1e-3);
        highest = std::max(highest, v);
        lowest = std::min(lowest, v);
    }
    EXPECT_LE(highest, 1.05 + 1e-7);
    EXPECT_GE(lowest, -1.05 - 1e-7);
    EXPECT_GT(highest, 1.05 - 1e-3); // the bound is what limits the solution
}

TEST(KnownAnswers, ContradictoryMinimumRequirementsGiveMinusTwo)
{
    InputBuilder b;
    b.addMotion({.harmonics = 2});
    // An interval over many revolutions is one revolution, whatever its numbers.
    b.add(intervalRestriction(1, 0, -1e12, 1e300, -1.0, 1.0));
    b.add(lowerPoint(1, 0, 90.0, 2.0));
    const auto r = run(b);
    EXPECT_EQ(r.code, ResultCodes::MinimumNotMet);
    EXPECT_TRUE(r.motions.empty());
}

TEST(KnownAnswers, CheckOnlyRestrictionIsNotEnforcedAndEchoedUnchanged)
{
    InputBuilder b;
    b.addMotion({.harmonics = 2});
    b.add(intervalRestriction(1, 0, 0.0, 360.0, -1.0, 1.0));
    RestrictionRecord checkOnly = lowerPoint(-1, 0, 90.0, 2.0);
    checkOnly.lowerMode = 1; // a variable item of a check-only restriction does not count
    checkOnly.r(5) = 3.0;
    b.add(checkOnly);
    const auto r = run(b);
    ASSERT_EQ(r.code, ResultCodes::Solved) << r.message;
    ASSERT_EQ(r.restrictions.size(), 2u);
    EXPECT_EQ(r.restrictions[1].ints[0], -1);
    EXPECT_EQ(r.restrictions[1].reals, checkOnly.par);
}

TEST(KnownAnswers, MaximumRequirementsMetGiveCodeOne)
{
    InputBuilder b;
    b.addMotion({.harmonics = 2});
    b.add(wish(1, 0, 90.0, 0.5, 1.0)); // wanted: s(90) >= 1, needed: s(90) >= 0.5
    const auto result = run(b);
    ASSERT_EQ(result.code, ResultCodes::MaximumMet) << result.message;
    EXPECT_DOUBLE_EQ(result.lambda, 1.0);
    EXPECT_GE(s(motion(result, 1), 90.0), 1.0 - 1e-9);
}

TEST(KnownAnswers, FulfilmentOfAnUnreachableMaximumRequirementByOneProgramme)
{
    // s(0) = 0 gives b0 = -b1, so s(90) = a1 - b1 <= |a1| + |b1| <= 1 (sum restriction).
    // Wanted s(90) >= L(λ) = 2λ, so λ* = 1/2.
    InputBuilder b;
    b.addMotion({.harmonics = 1});
    b.add(pointRestriction(1, 0, 0.0, 0.0, 0.0));
    b.add(wish(1, 0, 90.0, 0.0, 2.0));
    b.add(spectrumSum(1, 0, 1.0));
    const auto r = run(b);
    ASSERT_EQ(r.code, ResultCodes::Solved) << r.message;
    EXPECT_NEAR(r.lambda, 0.5, kLambdaTolerance);
    EXPECT_GE(s(motion(r, 1), 90.0), 2.0 * r.lambdaUsed - 1e-7);
}

TEST(KnownAnswers, FulfilmentWithAVariableAngleByBisection)
{
    // s(0) = 0, s(90) = 1, s(180) <= 1 and |a1| + |b1| <= 1 leave
    // s = b0 (1 - cos x - sin x) + sin x with b0 in [0, 0.5]. s >= 0 on [0, φ2] holds up to
    // φ2 = 270 (b0 = 0.5, cos x - sin x <= 1) and no further. With φ2 = 180 + 120 λ,
    // λ* = 0.75 and the coefficients are b0 = 0.5, a1 = 0.5, b1 = -0.5.
    InputBuilder b;
    b.addMotion({.harmonics = 1});
    b.add(pointRestriction(1, 0, 0.0, 0.0, 0.0));
    b.add(pointRestriction(1, 0, 90.0, 1.0, 1.0));
    b.add(upperPoint(1, 0, 180.0, 1.0));
    b.add(spectrumSum(1, 0, 1.0));
    RestrictionRecord positive = intervalRestriction(1, 0, 0.0, 180.0, 0.0, 0.0);
    positive.upperMode = -1;
    positive.phiMaxVar = 1;
    positive.r(3) = 300.0;
    b.add(positive);
    const auto r = run(b);
    ASSERT_EQ(r.code, ResultCodes::Solved) << r.message;
    EXPECT_NEAR(r.lambda, 0.75, kLambdaTolerance);
    const auto& c = motion(r, 1);
    EXPECT_NEAR(c.b0, 0.5, 1e-4);
    EXPECT_NEAR(c.a[0], 0.5, 1e-4);
    EXPECT_NEAR(c.b[0], -0.5, 1e-4);
    // The result file carries the upper angle reached.
    EXPECT_NEAR(r.restrictions[4].reals[3], 270.0, 1e-3);
    EXPECT_EQ(r.restrictions[4].reals[2], 300.0);
}

TEST(KnownAnswers, FulfilmentWithAVariableEtaByBisection)
{
    // Undamped, K = 1, eta above 1: q'(0) = F a1 with F = 1 / (1 - eta^2) < 0. With
    // q'(0) = 1 and |a1| + |b1| <= 1 we need |F| >= 1, i.e. eta <= sqrt(2). Eta runs from
    // 1.1 to 2.0, so λ* = (sqrt(2) - 1.1) / 0.9.
    InputBuilder b;
    b.addMotion({.harmonics = 1, .eta = 1.1, .theta = 0.0, .etaVariable = true, .etaLimit = 2.0});
    b.add(pointRestriction(1, 1, 0.0, 1.0, 1.0));
    b.add(spectrumSum(1, 0, 1.0));
    const auto r = run(b);
    ASSERT_EQ(r.code, ResultCodes::Solved) << r.message;
    EXPECT_NEAR(r.lambda, (std::sqrt(2.0) - 1.1) / 0.9, kLambdaTolerance);
    const double eta = r.motions[0].eta;
    EXPECT_NEAR(eta, 1.1 + 0.9 * r.lambdaUsed, 1e-12);
    EXPECT_NEAR(std::abs(r.motions[0].coefficients.a[0]), eta * eta - 1.0, 1e-6);
}

TEST(KnownAnswers, ShiftingAnObjectReachesTheMaximumRequirement)
{
    // s(0) = 0 and |a1| + |b1| <= 1: s(φ) = a1 sin φ + b1 (cos φ - 1) <= max(sin φ, 1 - cos φ).
    // Wanted s(φ) >= 2λ: at φ = 90 λ* = 1/2, shifted to φ = 180 the maximum requirement holds.
    InputBuilder b;
    b.objects(1);
    b.addMotion({.harmonics = 1});
    b.add(pointRestriction(1, 0, 0.0, 0.0, 0.0));
    b.add(spectrumSum(1, 0, 1.0));
    RestrictionRecord wanted = wish(1, 0, 90.0, 0.0, 2.0);
    wanted.group = 1;
    wanted.r(10) = 180.0; // shift range [0, 180]
    b.add(wanted);
    const auto r = run(b);
    ASSERT_EQ(r.code, ResultCodes::MaximumMet) << r.message;
    EXPECT_DOUBLE_EQ(r.lambda, 1.0);
    ASSERT_EQ(r.shifts.size(), 1u);
    EXPECT_DOUBLE_EQ(r.shifts[0], 90.0);
    EXPECT_DOUBLE_EQ(r.restrictions[2].reals[1], 180.0); // angle moved by the shift
    EXPECT_DOUBLE_EQ(r.restrictions[2].reals[0], 90.0);  // entries 1 to 4 move together
    EXPECT_DOUBLE_EQ(r.restrictions[2].reals[8], 0.0);   // the shift range stays
}

TEST(KnownAnswers, StopRequestEndsTheRunWithMinusOne)
{
    InputBuilder b;
    b.addMotion({.harmonics = 2});
    b.add(pointRestriction(1, 0, 90.0, 1.0, 1.0));
    requestStop();
    const auto r = run(b);
    clearStopRequest();
    EXPECT_EQ(r.code, ResultCodes::Aborted);
    EXPECT_TRUE(r.motions.empty());

    installStopSignalHandlers();
    std::raise(SIGTERM);
    EXPECT_TRUE(stopRequested());
    clearStopRequest();
}


// Module input files as the application wrote them, kept under tests/data/rx4.
ReadResult dataFile(const char* name)
{
    return readRecordFile(std::filesystem::path(VEMRA_RX4_DATA_DIR) / name);
}

TEST(KnownAnswers, HugeNearlyCancellingCoefficientsStillReachTheOptimum)
{
    // A velocity bound of about -170 just inside an interval whose position band narrows:
    // only coefficients of some 1e7 that cancel to values of ten meet both. Coefficients
    // meeting every requirement exist at λ = 0.5465926 (checked at every 0.01°); at 0.5467
    // the requirements contradict each other on a grid of angles already.
    const auto input = dataFile("variable-angle-lambda-below-optimum.rx4");
    ASSERT_FALSE(input.error);
    const SynthesisResult r = synthesise(input);
    ASSERT_EQ(r.code, ResultCodes::Solved) << r.message;
    EXPECT_GE(r.lambda, 0.5465925);
    EXPECT_LT(r.lambda, 0.5467);
    EXPECT_EQ(r.stats.failedProgrammes, 0);
}

TEST(KnownAnswers, ShiftSearchKeepsTheUnshiftedOptimumWhereNoShiftHelps)
{
    // Two objects of one member each; λ* is set by restrictions that do not move, so every
    // shift ties with the unshifted solve, which is already the smoothest.
    const auto input = dataFile("shift-search-one-motion-two-objects.rx4");
    ASSERT_FALSE(input.error);
    std::vector<std::string> progress;
    SynthesisOptions options;
    options.progress = [&](const std::string& line) { progress.push_back(line); };
    const SynthesisResult r = synthesise(input, options);
    ASSERT_EQ(r.code, ResultCodes::Solved) << r.message;
    EXPECT_NEAR(r.lambda, 0.5342105, 1e-6);
    EXPECT_NEAR(smoothnessSum({r.motions[0].coefficients}), 14.3967, 1e-3);
    EXPECT_EQ(progress.size(), 21u); // stage 0 and 20 steps
    EXPECT_EQ(r.stats.failedProgrammes, 0);
}

TEST(KnownAnswers, BadlyScaledProjectStaysBetweenTheExactAndTheVerifiedFulfilment)
{
    // Three motions of K = 5, 8 and 10 and no relative restriction between them; motion 3 holds
    // λ* down, where only coefficients of about 1e6 that cancel to values of ten meet its
    // velocity band, acceleration bound and point bound together. An exact solve of the
    // unshifted problem gives 0.7523872, and shifting the one object (on motion 1) cannot lift
    // motion 3. Above that, λ* lives on the violations double precision cannot tell from zero:
    // coefficients that meet every requirement to 1e-7 of its
    // scale, checked at every 0.01°, exist at 0.7588248 and a little beyond.
    const auto input = dataFile("badly-scaled-three-motions-one-object.rx4");
    ASSERT_FALSE(input.error);
    const SynthesisResult r = synthesise(input);
    ASSERT_EQ(r.code, ResultCodes::Solved) << r.message;
    EXPECT_GE(r.lambda, 0.7523872 - 1e-6);
    EXPECT_LE(r.lambda, 0.7600);
}

TEST(KnownAnswers, MinimumRequirementsThatOnlyHugeCoefficientsMeetAreMet)
{
    // Three motions of K = 5, 8 and 10 with bands a thousandth of their curves wide and bounds
    // up to the third derivative, every item fixed: only coefficients of some 1e9 that nearly
    // cancel meet them all (smoothness sum 2.6e9). In the third exchange round the dual
    // simplex, and the primal from its last basis without a step, called the programme
    // infeasible; the primal from the slack basis solves it, and so does every later round.
    const auto input = dataFile("minimum-requirements-met-only-by-huge-coefficients.rx4");
    ASSERT_FALSE(input.error);
    const SynthesisResult r = synthesise(input);
    ASSERT_EQ(r.code, ResultCodes::Solved) << r.message;
    std::vector<MotionCoefficients> motions;
    for (const MotionResult& m : r.motions)
        motions.push_back(m.coefficients);
    EXPECT_GT(smoothnessSum(motions), 1e9);
    EXPECT_EQ(r.stats.failedProgrammes, 0);
}

TEST(KnownAnswers, NothingToMeetLeavesTheMotionsAtRest)
{
    // Motions without restrictions: no programme has a row, and none may be handed to the
    // simplex; the smoothest motion law is the one at rest.
    InputBuilder b;
    b.addMotion({.harmonics = 3});
    b.addMotion({.harmonics = 2, .eta = 0.4, .theta = 0.1, .etaVariable = true, .etaLimit = 0.6});
    const auto r = run(b);
    ASSERT_EQ(r.code, ResultCodes::MaximumMet) << r.message; // the variable eta reaches its limit
    for (const MotionResult& m : r.motions) {
        EXPECT_EQ(m.coefficients.b0, 0.0);
        for (double v : m.coefficients.a)
            EXPECT_EQ(v, 0.0);
        for (double v : m.coefficients.b)
            EXPECT_EQ(v, 0.0);
    }
    EXPECT_DOUBLE_EQ(r.motions[1].eta, 0.6);
}

} // namespace
} // namespace vemra::module

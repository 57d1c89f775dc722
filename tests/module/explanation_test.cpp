// What the module says about its result, on problems whose answer is known by hand: which
// restrictions hold fulfilment or smoothness where they are, how fast they would move, and which
// restrictions contradict each other.
#include "input_builder.h"
#include "module/explanation_writer.h"
#include "module/linear_program.h"
#include "module/synthesis.h"
#include "protocol/result_codes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <numbers>

namespace vemra::module {
namespace {

using testing::InputBuilder;
using testing::intervalRestriction;
using testing::pointRestriction;
using testing::RestrictionRecord;
using testing::upperPoint;

// Records are numbered in the order the builder writes them: the project 1, motion 1 is 2, and
// its restrictions follow from 3 on.
constexpr int kFirstRestriction = 3;

std::map<int, LimitingRestriction> limitsByRecord(const Explanation& e)
{
    std::map<int, LimitingRestriction> byRecord;
    for (const LimitingRestriction& l : e.limits)
        byRecord[l.record] = l;
    return byRecord;
}

std::vector<int> records(const std::map<int, LimitingRestriction>& limits)
{
    std::vector<int> result;
    for (const auto& [record, limit] : limits)
        result.push_back(record);
    return result;
}

// A rise of 1 over 0..90 degrees with the velocity there bounded above: needed at most 2,
// wanted at most 0.5. Rise and velocity scale together (s ↦ c s maps solutions to solutions),
// so the least velocity bound that allows a rise r is v r for one number v: λ* is where the
// bound reaches v, and loosening the bound by t raises λ* by t / 1.5, loosening one end of the
// rise by t lowers the rise to 1 - t and with it the velocity needed by v t, which the bound
// reaches (v t) / 1.5 later. With v = 2 - 1.5 λ*, every sensitivity is known from λ*.
// Far from anything the other restrictions need. With a variable end it makes λ* a matter of
// bisection, which must come to the same explanation.
RestrictionRecord looseBand(bool variableEnd)
{
    RestrictionRecord loose = intervalRestriction(1, 0, 180.0, 200.0, -10.0, 10.0);
    if (variableEnd) {
        loose.phiMaxVar = 1;
        loose.r(3) = 230.0;
    }
    return loose;
}

InputBuilder velocityLimitsRise(bool variableAngleElsewhere)
{
    InputBuilder b;
    b.addMotion({.harmonics = 8});
    b.add(pointRestriction(1, 0, 0.0, 0.0, 0.0));  // record 3
    b.add(pointRestriction(1, 0, 90.0, 1.0, 1.0)); // record 4
    RestrictionRecord velocity = intervalRestriction(1, 1, 0.0, 90.0, 0.0, 2.0); // record 5
    velocity.lowerMode = -1;
    velocity.upperMode = 1;
    velocity.r(7) = 0.5;
    b.add(velocity);
    b.add(looseBand(variableAngleElsewhere)); // record 6
    return b;
}

TEST(ExplanationKnownAnswers, VelocityBoundThatLimitsARise)
{
    for (const bool bisection : {false, true}) {
        SCOPED_TRACE(bisection ? "λ* by bisection" : "λ* from one programme");
        const SynthesisResult r = synthesiseText(velocityLimitsRise(bisection).text());
        ASSERT_EQ(r.code, ResultCodes::Solved) << r.message;
        ASSERT_TRUE(r.explanation);
        const Explanation& e = *r.explanation;
        EXPECT_EQ(e.stage, ExplanationStage::Fulfilment);
        EXPECT_EQ(e.lambda, r.lambda);
        const auto limits = limitsByRecord(e);
        ASSERT_EQ(records(limits), (std::vector<int>{3, 4, 5}));
        double shares = 0.0;
        for (const LimitingRestriction& l : e.limits)
            shares += l.share;
        EXPECT_NEAR(shares, 1.0, 1e-12);

        // Finding λ* by bisection reads the sensitivities from a difference over 2^-17 of λ.
        const double tolerance = bisection ? 0.01 : 1e-6;
        const double velocityNeeded = 2.0 - 1.5 * r.lambda;
        EXPECT_NEAR(limits.at(5).sensitivity, 1.0 / 1.5, tolerance / 1.5);
        EXPECT_NEAR(limits.at(3).sensitivity, velocityNeeded / 1.5, tolerance * velocityNeeded / 1.5);
        EXPECT_NEAR(limits.at(4).sensitivity, velocityNeeded / 1.5, tolerance * velocityNeeded / 1.5);
        // Shares weigh the same dual values as the sensitivities.
        EXPECT_NEAR(limits.at(5).share, 1.0 / (1.0 + 2.0 * velocityNeeded), tolerance);
        EXPECT_EQ(limits.at(3).angle, 0.0);
        EXPECT_EQ(limits.at(4).angle, 90.0);
        ASSERT_TRUE(limits.at(5).angle);
        EXPECT_GT(*limits.at(5).angle, 0.0);
        EXPECT_LT(*limits.at(5).angle, 90.0);
    }
}

// s(45) between 2 λ and 2 - 2 λ: the band closes at λ = 1/2, narrowing by 4 per unit of λ, so
// loosening both bounds by t keeps it open 2 t / 4 longer. Nothing else limits.
TEST(ExplanationKnownAnswers, BandThatClosesHoldsFulfilment)
{
    for (const bool bisection : {false, true}) {
        SCOPED_TRACE(bisection ? "λ* by bisection" : "λ* from one programme");
        InputBuilder b;
        b.addMotion({.harmonics = 3});
        RestrictionRecord band = pointRestriction(1, 0, 45.0, 0.0, 2.0); // record 3
        band.lowerMode = band.upperMode = 1;
        band.r(5) = 2.0;
        band.r(7) = 0.0;
        b.add(band);
        b.add(looseBand(bisection)); // record 4
        const SynthesisResult r = synthesiseText(b.text());
        ASSERT_EQ(r.code, ResultCodes::Solved) << r.message;
        EXPECT_NEAR(r.lambda, 0.5, 1e-6);
        ASSERT_TRUE(r.explanation);
        ASSERT_EQ(r.explanation->limits.size(), 1u);
        const LimitingRestriction& l = r.explanation->limits.front();
        EXPECT_EQ(l.record, 3);
        EXPECT_DOUBLE_EQ(l.share, 1.0);
        EXPECT_EQ(l.angle, 45.0);
        EXPECT_NEAR(l.sensitivity, 0.5, 1e-9);
    }
}

// Every maximum requirement met: what costs smoothness. s'(0) = 2 is cheapest as 2 sin x, whose
// smoothness sum k^2 |a_k| is 2; loosening the velocity by t saves t of it. The other
// restriction keeps its bounds easily.
TEST(ExplanationKnownAnswers, WhatCostsSmoothness)
{
    InputBuilder b;
    b.addMotion({.harmonics = 4});
    b.add(pointRestriction(1, 1, 0.0, 2.0, 2.0)); // record 3
    RestrictionRecord wanted = upperPoint(1, 0, 180.0, 10.0); // record 4: wants s(180) <= 5
    wanted.upperMode = 1;
    wanted.r(7) = 5.0;
    b.add(wanted);
    const SynthesisResult r = synthesiseText(b.text());
    ASSERT_EQ(r.code, ResultCodes::MaximumMet) << r.message;
    ASSERT_TRUE(r.explanation);
    EXPECT_EQ(r.explanation->stage, ExplanationStage::Smoothness);
    EXPECT_NEAR(r.explanation->smoothness, 2.0, 1e-9);
    ASSERT_EQ(r.explanation->limits.size(), 1u);
    const LimitingRestriction& l = r.explanation->limits.front();
    EXPECT_EQ(l.record, 3);
    EXPECT_DOUBLE_EQ(l.share, 1.0);
    EXPECT_EQ(l.angle, 0.0);
    EXPECT_NEAR(l.sensitivity, 1.0, 1e-9);
}

// Projects whose minimum requirements contradict each other, with restrictions that take no
// part; the conflict set must be exactly the contradicting ones.
TEST(ExplanationKnownAnswers, ConflictSetIsExactlyTheContradictingRestrictions)
{
    struct Case {
        const char* what;
        std::function<void(InputBuilder&)> build;
        std::vector<int> conflict;
    };
    const Case cases[] = {
        {"two contradictory point requirements",
         [](InputBuilder& b) {
             b.addMotion({.harmonics = 3});
             b.add(intervalRestriction(1, 0, 100.0, 200.0, -5.0, 5.0)); // 3
             b.add(pointRestriction(1, 0, 30.0, 1.0, 2.0));            // 4
             b.add(pointRestriction(1, 1, 250.0, 0.0, 0.0));           // 5
             b.add(pointRestriction(1, 0, 30.0, -1.0, 0.5));           // 6
         },
         {4, 6}},
        // From rest to rest, a rise of 1 over 90 degrees (pi/2) needs an acceleration of at
        // least 4 / (pi/2)^2 = 1.62 somewhere; 1.2 is too little. Without either velocity
        // condition 2 / (pi/2)^2 = 0.81 would do, and without either end of the rise nothing
        // needs to move at all.
        {"a rise too steep for an acceleration bound",
         [](InputBuilder& b) {
             b.addMotion({.harmonics = 12});
             b.add(pointRestriction(1, 0, 0.0, 0.0, 0.0));              // 3
             b.add(upperPoint(1, 0, 270.0, 10.0));                      // 4
             b.add(pointRestriction(1, 0, 90.0, 1.0, 1.0));             // 5
             b.add(pointRestriction(1, 1, 0.0, 0.0, 0.0));              // 6
             b.add(intervalRestriction(1, 2, 0.0, 90.0, -1.2, 1.2));    // 7
             b.add(pointRestriction(1, 1, 90.0, 0.0, 0.0));             // 8
             b.add(intervalRestriction(1, 1, 200.0, 250.0, -9.0, 9.0)); // 9
         },
         {3, 5, 6, 7, 8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InputBuilder b;
        c.build(b);
        const SynthesisResult r = synthesiseText(b.text());
        ASSERT_EQ(r.code, ResultCodes::MinimumNotMet) << r.message;
        ASSERT_TRUE(r.explanation);
        EXPECT_EQ(r.explanation->stage, ExplanationStage::Conflict);
        EXPECT_EQ(r.explanation->conflict, c.conflict);
        EXPECT_TRUE(r.explanation->limits.empty());
    }
}

} // namespace
} // namespace vemra::module

// The derived series: elastic transfer by hand, drive torque term against the
// product of the derivatives, the difference motions, and the derivation of a
// project.
#include "support/compute_doubles.h"

#include "compute/result_series.h"

#include "model/test_vectors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace vemra {
namespace {

using namespace test;

TEST(ElasticTransfer, UndampedResonanceFailsOnlyItsHarmonic)
{
    // eta = 0.5 puts harmonic 2 into resonance (a = 1, D = 0).
    TVector s, q(8);
    fill(s, {0.5, 0, 1, 0, 1, 0, 1, 0});
    q[4] = 42;
    EXPECT_FALSE(elasticTransfer(s, q, 3, 0.5, 0.0));
    EXPECT_NEAR(q[2], 1 / 0.75, 1e-12); // harmonic 1 computed
    EXPECT_EQ(q[4], 42);                // harmonic 2 left alone
    EXPECT_NEAR(q[6], 1 / (1 - 2.25), 1e-12);
}

// s'·s'' for random series of 1, 2 and 4 harmonics, against the product of the derivatives.
TEST(DriveTorque, SeriesEqualsTheProductEverywhere)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coefficient(-2, 2);
    for (int k : {1, 2, 4}) {
        TVector s(2 * k + 2), m;
        for (int i = 2; i < 2 * k + 2; ++i)
            s[i] = coefficient(random);
        ASSERT_TRUE(driveTorqueTerm(s, k, m));
        ASSERT_EQ(m.Count(), 4 * k + 2);
        EXPECT_EQ(m[0], 0); // pair 0: s'·s'' = (s'²)'/2 has no mean
        EXPECT_EQ(m[1], 0);
        for (double x = 0; x < 6.3; x += 0.37) {
            double d1 = 0, d2 = 0, series = 0;
            for (int j = 1; j <= k; ++j) {
                d1 += j * (s[2 * j] * std::cos(j * x) - s[2 * j + 1] * std::sin(j * x));
                d2 -= j * j * (s[2 * j] * std::sin(j * x) + s[2 * j + 1] * std::cos(j * x));
            }
            for (int h = 1; h <= 2 * k; ++h)
                series += m[2 * h] * std::sin(h * x) + m[2 * h + 1] * std::cos(h * x);
            EXPECT_NEAR(series, d1 * d2, 1e-9) << k << " " << x;
        }
    }
}

TEST(DifferenceSeries, LongerSecondMotionIsNegated)
{
    TVector a(8), b(12), r;
    for (int i = 0; i < 12; ++i) {
        if (i < 8)
            a[i] = 10 + i;
        b[i] = i;
    }
    ASSERT_TRUE(differenceSeries(a, b, r));
    ASSERT_EQ(r.Count(), 12);
    EXPECT_EQ(r[3], 10);
    EXPECT_EQ(r[8], -8);
    EXPECT_EQ(r[11], -11);
    ASSERT_TRUE(differenceSeries(b, a, r));
    EXPECT_EQ(r[3], -10);
    EXPECT_EQ(r[11], 11);
}

struct Derivation : Bench {
    TreeItem* project = addProject(ws);
    TreeItem* motion1;
    TreeItem* motion2;
    std::vector<std::string> failures;

    Derivation(int32_t k1, int32_t k2)
    {
        motion1 = addMotion(ws, project, k1);
        motion2 = addMotion(ws, project, k2);
        auto* r = addRestriction(ws, motion1)->NodeAs<TRestr>();
        r->EffPar = r->RealPar; // as the module input leaves them
    }
    TRXHeader& m1() { return *motion1->NodeAs<TRXHeader>(); }
    TRelHeader& relative()
    {
        for (int i = 0; i < project->ChildCount(); ++i)
            if (auto* r = project->Child(i)->NodeAs<TRelHeader>())
                return *r;
        throw std::logic_error("no relative motion");
    }
    bool derive()
    {
        return DeriveResultSeries(project, dir.path(), [this](const std::string& t) { failures.push_back(t); });
    }
};

TEST(DeriveResultSeries, ZeroEtaCopiesSAndRelativeMotionsFollow)
{
    Derivation d(3, 5);
    d.dir.write("remote$.fk1", coefficientText({1, 0, 2, 3, 4, 5, 6, 7}));
    d.dir.write("remote$.fk2", coefficientText({0.5, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
    ASSERT_TRUE(d.derive());
    EXPECT_TRUE(d.failures.empty());
    EXPECT_TRUE(d.project->NodeAs<TProject>()->HasResults);
    const auto& m = d.m1();
    ASSERT_EQ(m.qSC.Count(), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(m.qSC[i], m.sSC[i]);
    EXPECT_EQ(m.mSC.Count(), 14);
    EXPECT_EQ(m.ResultHarm, 3);
    // The restriction's actual values were computed from the new curve.
    auto* r = d.motion1->Child(0)->NodeAs<TRestr>();
    EXPECT_NEAR(r->ActS[3], m.Calc_s(0, 90), 1e-12);

    const auto& rel = d.relative();
    ASSERT_EQ(rel.sSC.Count(), 12);
    EXPECT_EQ(rel.IntPar[3], 6);
    EXPECT_EQ(rel.sSC[1], 0.5);
    EXPECT_EQ(rel.sSC[8], -1);
    EXPECT_EQ(rel.qSC[11], -1);
    EXPECT_TRUE(rel.ResultValid);
}

TEST(DeriveResultSeries, ResonanceShowsBothMessages)
{
    Derivation d(2, 1);
    d.dir.write("remote$.fk1", coefficientText({0, 0.5, 0, 1, 0, 1}));
    d.dir.write("remote$.fk2", coefficientText({0, 0, 0, 1}));
    EXPECT_FALSE(d.derive());
    EXPECT_EQ(d.failures, (std::vector<std::string>{TransferFailedText, NoResultsText}));
    EXPECT_FALSE(d.project->NodeAs<TProject>()->HasResults);
    // The second motion was not read after the first failed.
    EXPECT_EQ(d.motion2->NodeAs<TRXHeader>()->sSC.Count(), 0);
    EXPECT_FALSE(d.relative().ResultValid);
}

TEST(DeriveResultSeries, MissingCoefficientFileMeansNoResults)
{
    Derivation d(1, 1);
    d.dir.write("remote$.fk1", coefficientText({0, 0, 0, 1}));
    EXPECT_FALSE(d.derive());
    EXPECT_EQ(d.failures, std::vector<std::string>{NoResultsText});
}

TEST(DeriveResultSeries, TestRunUsesTheTestValuesAndReadsNothing)
{
    Derivation d(1, 1);
    auto& m = d.m1();
    fill(m.sSC, {0.9, 1, 2, -1}); // s = 2 sin x - cos x
    m.TestEta = 0.5;
    m.TestTheta = 0.1;
    fill(d.motion2->NodeAs<TRXHeader>()->sSC, {0, 0, 1, 0});
    auto* r = d.motion1->Child(0)->NodeAs<TRestr>();
    r->ActS[3] = 123;
    d.project->NodeAs<TProject>()->TestRun = true;
    d.dir.write("remote$.fk1", coefficientText({5, 5, 5, 5})); // must not be read

    ASSERT_TRUE(d.derive());
    EXPECT_EQ(m.sSC[1], 1);
    // eta = 0.5, theta = 0.1: a = 0.25, b = 0.0025, D = 0.5725, F = 0.76 / D, G = 0.025 / D.
    const double f = 0.76 / 0.5725, g = 0.025 / 0.5725;
    EXPECT_NEAR(m.qSC[2], f * 2 + g * -1, 1e-12);
    EXPECT_NEAR(m.qSC[3], -g * 2 + f * -1, 1e-12);
    EXPECT_NEAR(m.mSC[4], -1.5, 1e-12); // s'·s'' = (b² - a²)/2 sin 2x - ab cos 2x
    EXPECT_EQ(r->ActS[3], 123);
}

} // namespace
} // namespace vemra

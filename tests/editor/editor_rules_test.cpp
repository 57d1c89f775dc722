// The rules of the editor pages: page and caption per node, the advanced
// settings, the harmonic budget, the unit buttons and the restriction pages'
// control states.
#include "editor/editor_rules.h"
#include "editor/restriction_pages.h"

#include "model/tree_ops.h"
#include "support/compute_doubles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>

namespace vemra {
namespace {

std::unique_ptr<TRestr> restriction(int32_t kind, int32_t motion = 1, int32_t motion2 = 0)
{
    auto r = std::make_unique<TRestr>();
    r->Kind() = kind;
    r->Motion() = motion;
    r->Motion2() = motion2;
    return r;
}

TEST(EditorPageTest, EachNodeHasItsPageAndCaption)
{
    TProject project;
    project.MakeCaption();
    TProject computing;
    computing.MakeCaption();
    computing.Computing = true;
    TRXHeader motion;
    motion.Number() = 3;
    TRelHeader relative;
    TGroupHeader group;
    const auto absolute = restriction(12, -2);
    const auto relativeR = restriction(52, 1, 3);
    const auto spectrum = restriction(24, 1);
    const auto unknown = restriction(33);

    struct Case {
        const TNLMember* node;
        EditorPage page;
        const char* caption;
        const char* error;
    };
    const Case cases[] = {
        {nullptr, EditorPage::Error, "Eingabe", ""},
        {&project, EditorPage::ProjHeader, "Projekt: neues Projekt", ""},
        {&computing, EditorPage::Error, "Projekt: neues Projekt", "Das Projekt wird momentan berechnet!"},
        {&motion, EditorPage::RXHeader, "Bewegungsvorgabe (absolut) 3", ""},
        {&relative, EditorPage::Error, "Eingabe", ""},
        {&group, EditorPage::Error, "Eingabe", ""},
        {absolute.get(), EditorPage::BG, "Restriktion (absolut) [BG 2]", ""},
        {relativeR.get(), EditorPage::BG, "Restriktion (relativ) [BG 1-3]", ""},
        {spectrum.get(), EditorPage::Harm, "Restriktion (Spektrum) [BG 1]", ""},
        {unknown.get(), EditorPage::Error, "Fehler", "unbekannte Restriktion (Typ 33)."},
    };
    for (const Case& c : cases) {
        const PageChoice p = pageFor(c.node);
        EXPECT_EQ(p.page, c.page) << c.caption;
        EXPECT_EQ(p.caption, c.caption);
        EXPECT_EQ(p.errorText, c.error);
    }
}

TEST(EditorRulesTest, AdvancedSettingsAreDefaultsWhenOffAndWithinLimitsWhenOn)
{
    struct Case {
        int32_t on, samples, steps;
        double width;
        int32_t wantSamples, wantSteps;
        double wantWidth;
        bool changed;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {0, 41, 3, 0.9, 8, 20, 0.25, true},
        {0, 8, 20, 0.25, 8, 20, 0.25, false},
        {1, 41, 100, 0.5, 8, 100, 0.5, true},
        {1, 2, 500, 1.0, 2, 500, 1.0, false},
        {1, 40, 5, 0.0001, 40, 5, 0.0001, false},
        {1, 1, 501, 0.00009, 8, 20, 0.25, true},
        {1, 10, 10, nan, 10, 10, 0.25, true},
    };
    for (const Case& c : cases) {
        TProject p;
        p.AdvancedSettings() = c.on;
        p.SamplesPerStep() = c.samples;
        p.OptimisationSteps() = c.steps;
        p.StepWidth() = c.width;
        EXPECT_EQ(normaliseAdvancedSettings(p), c.changed) << c.samples << " " << c.steps << " " << c.width;
        EXPECT_EQ(p.SamplesPerStep(), c.wantSamples);
        EXPECT_EQ(p.OptimisationSteps(), c.wantSteps);
        EXPECT_EQ(p.StepWidth(), c.wantWidth);
    }
}

TEST(EditorRulesTest, AMotionGetsTheHarmonicsTheOthersLeave)
{
    test::ScriptedDialogs dialogs;
    Workspace ws(dialogs);
    TreeItem* project = test::addProject(ws);
    auto* first = test::addMotion(ws, project, 20)->NodeAs<TRXHeader>();
    auto* second = test::addMotion(ws, project, 30)->NodeAs<TRXHeader>();
    EXPECT_EQ(maxHarmonics(project, *first), (240 - 4) / 4 - 50 + 20);
    EXPECT_EQ(maxHarmonics(project, *second), 39);
    first->Harmonics() = 40; // as a file may hold it: the cut stays at 29
    EXPECT_EQ(maxHarmonics(project, *first), 29);
    second->Harmonics() = 500;
    EXPECT_EQ(maxHarmonics(project, *first), 1) << "never below one harmonic";
}

TEST(EditorRulesTest, EtaResUsesTheVariableEtaWhenThereIsOne)
{
    TRXHeader m;
    m.Harmonics() = 4;
    m.EtaMax() = 0.1;
    m.EtaLimit() = 0.25;
    EXPECT_DOUBLE_EQ(etaRes(m), 0.4);
    m.EtaVariable() = 1;
    EXPECT_DOUBLE_EQ(etaRes(m), 1.0);
    EXPECT_TRUE(etaResWarns(etaRes(m)));
    EXPECT_FALSE(etaResWarns(0.95));
}

TEST(EditorRulesTest, UnitButtonsFollowTheExtensionValue)
{
    struct Case {
        double v;
        bool oneOverK, percent, phase;
    };
    const Case cases[] = {
        {0, false, false, false},  {0.5, false, true, true},  {1, true, true, true},
        {89.9, true, true, true},  {90, true, true, false},   {100, true, true, false},
        {100.5, true, false, false}, {-1, false, false, false},
    };
    for (const Case& c : cases) {
        const UnitButtons b = unitButtonsFor(c.v);
        EXPECT_EQ(b.oneOverK, c.oneOverK) << c.v;
        EXPECT_EQ(b.percent, c.percent) << c.v;
        EXPECT_EQ(b.phase, c.phase) << c.v;
    }
}

TEST(EditorRulesTest, PercentGivesTheEtaOfTheWantedAmplitudeOrFallsBack)
{
    EXPECT_DOUBLE_EQ(etaOneOverK(4), 0.25);
    // Without damping, and where the square root has no real value.
    EXPECT_DOUBLE_EQ(etaFromPercent(10, 0, 4), 0.1 / 4);
    EXPECT_DOUBLE_EQ(etaFromPercent(10, 0.1, 2), 0.1 / 2);
    // Otherwise (1 - e^2)^2 + (2 theta e)^2 = (2 theta / x)^2 for e = K eta.
    for (double theta : {0.01, 0.02}) {
        const double e = etaFromPercent(10, theta, 3) * 3;
        EXPECT_NEAR((1 - e * e) * (1 - e * e) + 4 * theta * theta * e * e, 4 * theta * theta / 0.01, 1e-12) << theta;
    }
}

TEST(EditorRulesTest, PhaseSearchEndsAtTheTargetAngleOrSaysItDidNot)
{
    EXPECT_TRUE(etaFromPhase(45, 0, 4).converged);
    EXPECT_DOUBLE_EQ(etaFromPhase(45, 0, 4).eta, 0.25);
    struct Case {
        double v, theta;
    };
    // The last ones lie below the search's start, where the plain walk would
    // step eta through zero and never come back.
    for (const Case c : {Case{45, 0.1}, Case{80, 0.5}, Case{10, 1.0}, Case{0.01, 1.0}, Case{0.5, 0.9}}) {
        const PhaseSearch s = etaFromPhase(c.v, c.theta, 2);
        ASSERT_TRUE(s.converged) << c.v << " " << c.theta;
        EXPECT_GT(s.eta, 0);
        EXPECT_NEAR(phaseOf(s.eta * 2, c.theta), c.v * std::numbers::pi / 360, 1e-5) << c.v << " " << c.theta;
    }
    // Half of 200 degrees lies beyond the quarter turn that the angle nears.
    const PhaseSearch never = etaFromPhase(200, 0.3, 2);
    EXPECT_FALSE(never.converged);
    EXPECT_GT(never.steps, 0);
    EXPECT_EQ(phaseNotReachedText(200),
              "Der Phasenwinkel 200.0° wurde nicht gefunden.\rDer variable Wert von η bleibt unverändert.");
}

TEST(EditorRulesTest, KindSwitchesKeepTheOrderAndTheFamily)
{
    EXPECT_EQ(pointKindOf(52), 42);
    EXPECT_EQ(intervalKindOf(3), 13);
    EXPECT_EQ(kindWithOrder(42, 1), 41);
    EXPECT_EQ(pointKindOf(11), 1);
    EXPECT_EQ(intervalKindOf(41), 51);
    EXPECT_EQ(kindWithOrder(13, 0), 10);
    EXPECT_EQ(derivativeLabel(3), "s'''");
    EXPECT_EQ(derivativeLabel(40), "s");
    EXPECT_EQ(derivativeLabel(52), "s''");
}

TEST(RestrictionPageTest, PointAndIntervalShowTheirAngles)
{
    auto r = restriction(2);
    r->PhiMinLimit() = 1;
    r->PhiMin() = 90;
    r->PhiMaxLimit() = 3;
    r->PhiMax() = 120;
    r->IsGlobal = true;
    r->ShiftMinFrom() = 80;
    r->ShiftMinTo() = 100;
    r->ShiftMaxFrom() = 110;

    BgPageState s = bgPageState(*r);
    EXPECT_TRUE(s.point);
    EXPECT_EQ(s.order, 2);
    EXPECT_FALSE(s.phiLower.enabled);
    EXPECT_FALSE(s.phiLowerVarCheck.enabled);
    EXPECT_TRUE(s.phiUpper.enabled);
    EXPECT_EQ(s.phiUpper.value, 90) << "a point's angle stands in the upper field";
    EXPECT_FALSE(s.rangeLabel);
    EXPECT_TRUE(s.shiftRow1);
    EXPECT_FALSE(s.shiftRow2);
    EXPECT_FALSE(s.shiftLowerIndex);
    EXPECT_EQ(s.shift2.value, 100);
    EXPECT_FALSE(s.shift3.enabled);
    EXPECT_EQ(s.shift3.value, 0) << "a disabled field shows 0";

    r->Kind() = 51;
    r->PhiMaxVar() = 1;
    r->IsGlobal = false;
    s = bgPageState(*r);
    EXPECT_FALSE(s.point);
    EXPECT_EQ(s.order, 1);
    EXPECT_TRUE(s.phiLower.enabled);
    EXPECT_EQ(s.phiLower.value, 90);
    EXPECT_EQ(s.phiUpper.value, 120);
    EXPECT_FALSE(s.phiLowerVar.enabled);
    EXPECT_TRUE(s.phiUpperVarCheck.checked);
    EXPECT_EQ(s.phiUpperVar.value, 3);
    EXPECT_TRUE(s.rangeLabel);
    EXPECT_TRUE(s.shiftLowerIndex);
    EXPECT_FALSE(s.shiftRow1);
    EXPECT_FALSE(s.shift1.enabled);
    EXPECT_EQ(s.quantity, "s'");
}

TEST(RestrictionPageTest, ABoundCannotBeRemovedWhileTheOtherIsAbsent)
{
    struct Case {
        int32_t lowerMode, upperMode;
        bool withLowerEnabled, withLowerChecked, lowerVarEnabled, lowerVarChecked, lowerVarField;
        bool withUpperEnabled, withUpperChecked, upperVarChecked, upperField;
    };
    const Case cases[] = {
        {0, -1, false, true, true, false, false, true, false, false, false},
        {-1, 0, true, false, false, false, false, false, true, false, true},
        {1, 0, true, true, true, true, true, true, true, false, true},
        {0, 1, true, true, true, false, false, true, true, true, true},
    };
    for (const Case& c : cases) {
        auto r = restriction(0);
        r->LowerMode() = c.lowerMode;
        r->UpperMode() = c.upperMode;
        r->LowerLimit() = 5;
        r->Lower() = 6;
        r->UpperLimit() = 7;
        r->Upper() = 8;
        const BgPageState s = bgPageState(*r);
        const std::string at = std::to_string(c.lowerMode) + "/" + std::to_string(c.upperMode);
        EXPECT_EQ(s.withLower.enabled, c.withLowerEnabled) << at;
        EXPECT_EQ(s.withLower.checked, c.withLowerChecked) << at;
        EXPECT_EQ(s.lowerVar.enabled, c.lowerVarEnabled) << at;
        EXPECT_EQ(s.lowerVar.checked, c.lowerVarChecked) << at;
        EXPECT_EQ(s.lowerVarValue.enabled, c.lowerVarField) << at;
        EXPECT_EQ(s.withUpper.enabled, c.withUpperEnabled) << at;
        EXPECT_EQ(s.withUpper.checked, c.withUpperChecked) << at;
        EXPECT_EQ(s.upperVar.checked, c.upperVarChecked) << at;
        EXPECT_EQ(s.upper.enabled, c.upperField) << at;
        EXPECT_EQ(s.lowerSign, c.lowerMode > -1) << at;
        EXPECT_EQ(s.upperSign, c.upperMode > -1) << at;
        EXPECT_EQ(s.lowerVarValue.value, c.lowerVarField ? 5 : 0) << at;
    }
}

TEST(RestrictionPageTest, SpectrumPageShowsOneOfItsTwoForms)
{
    auto r = restriction(22);
    r->Harmonic() = 1;
    r->SpectrumLimit() = 3;
    r->SpectrumBound() = 4;
    HarmPageState s = harmPageState(*r, 6);
    EXPECT_TRUE(s.sumForm);
    EXPECT_EQ(s.p, 2);
    EXPECT_EQ(s.kMax, 6);
    EXPECT_EQ(s.c.value, 4);
    EXPECT_FALSE(s.cVar.checked);
    EXPECT_FALSE(s.cVarValue.enabled);

    r->Kind() = 24;
    r->Harmonic() = 5;
    r->LowerMode() = 1;
    s = harmPageState(*r, 6);
    EXPECT_FALSE(s.sumForm);
    EXPECT_EQ(s.k, 5);
    EXPECT_TRUE(s.cVar.checked);
    EXPECT_EQ(s.cVarValue.value, 3);
}

} // namespace
} // namespace vemra

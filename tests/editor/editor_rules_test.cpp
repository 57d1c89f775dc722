// The rules of the editor pages: page and caption per node, the advanced
// settings, the harmonic budget, the unit buttons, the restriction pages'
// control states, and the field help that follows the restriction shown
// (quantity, unit and basis, point or range end, minimum and maximum
// requirement).
#include "editor/editor_rules.h"
#include "editor/field_help.h"
#include "editor/restriction_pages.h"

#include <gtest/gtest.h>

#include <cmath>
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

TEST(EditorRulesTest, UnitButtonsFollowTheExtensionValue)
{
    TRXHeader m;
    m.Harmonics() = 4;
    m.EtaMax() = 0.1;
    m.EtaLimit() = 0.25;
    EXPECT_DOUBLE_EQ(etaRes(m), 0.4);
    m.EtaVariable() = 1;
    EXPECT_DOUBLE_EQ(etaRes(m), 1.0) << "the variable eta counts when there is one";

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

TEST(RestrictionPageTest, PointAndIntervalShowTheirAnglesAndShiftRows)
{
    auto r = restriction(2);
    r->PhiMinLimit() = 1;
    r->PhiMin() = 90;
    r->PhiMaxLimit() = 3;
    r->PhiMax() = 120;
    r->IsGlobal = true;
    r->ShiftMinTo() = 100;
    r->ShiftMaxFrom() = 110;
    BgPageState s = bgPageState(*r);
    EXPECT_TRUE(s.point && !s.phiLower.enabled && !s.phiLowerVarCheck.enabled && !s.rangeLabel);
    EXPECT_EQ(s.phiUpper.value, 90) << "a point's angle stands in the upper field";
    EXPECT_TRUE(s.shiftRow1 && !s.shiftRow2 && !s.shiftLowerIndex);
    EXPECT_EQ(s.shift2.value, 100);
    EXPECT_EQ(s.shift3.value, 0) << "a disabled field shows 0";

    r->Kind() = 51;
    r->PhiMaxVar() = 1;
    r->IsGlobal = false;
    s = bgPageState(*r);
    EXPECT_TRUE(!s.point && s.phiLower.enabled && s.rangeLabel && s.shiftLowerIndex && !s.shiftRow1);
    EXPECT_EQ(s.phiLower.value, 90);
    EXPECT_EQ(s.phiUpper.value, 120);
    EXPECT_FALSE(s.phiLowerVar.enabled);
    EXPECT_EQ(s.phiUpperVar.value, 3);
    EXPECT_EQ(s.quantity, "s'");

    // Without an upper bound the lower one cannot be taken away.
    r->LowerMode() = 1;
    r->UpperMode() = -1;
    r->LowerLimit() = 5;
    s = bgPageState(*r);
    EXPECT_TRUE(s.withLower.checked && !s.withLower.enabled && s.lowerVar.checked && s.lowerSign);
    EXPECT_TRUE(!s.withUpper.checked && s.withUpper.enabled && !s.upperVar.enabled && !s.upper.enabled && !s.upperSign);
    EXPECT_EQ(s.lowerVarValue.value, 5);
}

TEST(RestrictionPageTest, SpectrumPageShowsOneOfItsTwoForms)
{
    auto r = restriction(22);
    r->SpectrumLimit() = 3;
    r->SpectrumBound() = 4;
    HarmPageState s = harmPageState(*r, 6);
    EXPECT_TRUE(s.sumForm && !s.cVar.checked && !s.cVarValue.enabled);
    EXPECT_EQ(s.p, 2);
    EXPECT_EQ(s.c.value, 4);
    r->Kind() = 24;
    r->Harmonic() = 5;
    r->LowerMode() = 1;
    s = harmPageState(*r, 6);
    EXPECT_TRUE(!s.sumForm && s.cVar.checked);
    EXPECT_EQ(s.k, 5);
    EXPECT_EQ(s.cVarValue.value, 3);
}

// --- field help -------------------------------------------------------------------

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(FieldHelp, NamesTheQuantityItsUnitTheAngleAndTheRequirement)
{
    struct Case {
        int32_t kind; // -1: no restriction shown
        const char* field;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    };
    const Case cases[] = {
        {0, "REdLower", {"Weg s in der Längeneinheit des Projekts", "Minimalforderung", "q = s"}, {"rad", "Differenz"}},
        {11, "REdUpperVar", {"Geschwindigkeit s′ = ds/dφ", "Längeneinheit/rad.", "Maximalforderung", "Bogenmaß"}, {}},
        {12, "REdUpper", {"Beschleunigung s″ = d²s/dφ²", "Längeneinheit/rad²", "nicht überschritten"}, {}},
        {3, "REdLowerVar", {"Ruck s‴ = d³s/dφ³", "Längeneinheit/rad³", "steigen"}, {}},
        // A relative restriction bounds the difference of its two motions,
        // even when the first one is only checked (negative number).
        {52, "REdLower", {"s″ der Differenz Bewegung 2 minus Bewegung 3", "Längeneinheit/rad²"}, {}},
        {41, "CBUpper", {"s′ der Differenz Bewegung 2 minus Bewegung 3", "nach oben"}, {}},
        {13, "CBLowerVar", {"Minimalforderung", "Maximalforderung", "Erfüllungsgrad λ"}, {}},
        // Angles are degrees of a point or of a range end, and so are the
        // shift ranges of each end.
        {52, "REdPhiMax", {"Obere Bereichsgrenze φ_o in Grad", "Minimalforderung"}, {}},
        {-1, "REdPhiMinVar", {"Maximalforderung der unteren Bereichsgrenze φ_u in Grad"}, {}},
        {52, "REdShift2", {"der unteren Bereichsgrenze φ_u, bis: der größte"}, {}},
        {52, "REdShift3", {"der oberen Bereichsgrenze φ_o, von: der kleinste"}, {}},
        {52, "REdShift4", {"φ_o durch die Verschiebung"}, {}},
        // A spectrum bound has the unit of its weight, and no derivative
        // order: its kind is no index.
        {20, "REdC", {"in der Längeneinheit des Projekts."}, {}},
        {23, "REdC", {"in Längeneinheit/rad³ (Gewicht n^p mit p = 3)"}, {}},
        {24, "REdC", {"in der Längeneinheit des Projekts."}, {}},
        {24, "REdLower", {"Weg s "}, {}},
        {-1, "SEdHarm", {"Anzahl der Harmonischen"}, {}},
        {-1, "REdEtaMax", {"Frequenzverhältnis"}, {}},
        {-1, "REdTheta", {"Dämpfungsgrad"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + " " + c.field);
        const auto r = c.kind < 0 ? nullptr : restriction(c.kind, isRelativeKind(c.kind) ? -2 : 1, 3);
        const std::string help = fieldHelp(c.field, r.get());
        for (const std::string& p : c.present)
            EXPECT_TRUE(contains(help, p)) << help;
        for (const std::string& a : c.absent)
            EXPECT_FALSE(contains(help, a)) << help;
    }
}

TEST(FieldHelp, WholeTextsAndTheBoundTitle)
{
    const auto point = restriction(2);
    EXPECT_EQ(fieldHelp("REdPhiMax", point.get()), "Antriebswinkel φ in Grad, bei dem die Forderung gilt.");
    EXPECT_EQ(fieldHelp("REdShift1", point.get()),
              "Verschiebebereich des Winkels φ, von: der kleinste Antriebswinkel in "
              "Grad, den φ durch die Verschiebung des Optimierungsobjekts annehmen darf.");
    EXPECT_TRUE(fieldHelp("NoSuchField").empty());
    EXPECT_EQ(boundsTitle(1), "Schranken für s′ in Längeneinheit/rad");
    EXPECT_EQ(boundsTitle(50), "Schranken für s in Längeneinheit");
    EXPECT_EQ(boundsTitle(24), "Schranken für s in Längeneinheit");
}

} // namespace
} // namespace vemra

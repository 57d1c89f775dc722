// The editor's field help: the texts that follow the restriction shown name
// its quantity with the right unit and basis, its angle as point or range
// end, and the minimum and maximum requirement where they apply.
#include "editor/field_help.h"

#include <gtest/gtest.h>

#include <memory>

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

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(FieldHelp, BoundsNameTheQuantityItsUnitAndTheRadianBasis)
{
    struct Case {
        int32_t kind;
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + " " + c.field);
        const auto r = restriction(c.kind, isRelativeKind(c.kind) ? -2 : 1, 3);
        const std::string help = fieldHelp(c.field, r.get());
        for (const std::string& p : c.present)
            EXPECT_TRUE(contains(help, p)) << help;
        for (const std::string& a : c.absent)
            EXPECT_FALSE(contains(help, a)) << help;
    }
}

TEST(FieldHelp, AnglesAreDegreesOfAPointOrOfARangeEnd)
{
    const auto pointKind = restriction(2);
    const auto rangeKind = restriction(52);
    const TRestr* point = pointKind.get();
    const TRestr* range = rangeKind.get();
    EXPECT_EQ(fieldHelp("REdPhiMax", point), "Antriebswinkel φ in Grad, bei dem die Forderung gilt.");
    EXPECT_TRUE(contains(fieldHelp("REdPhiMax", range), "Obere Bereichsgrenze φ_o in Grad"));
    EXPECT_TRUE(contains(fieldHelp("REdPhiMax", range), "Minimalforderung"));
    EXPECT_TRUE(contains(fieldHelp("REdPhiMinVar"), "Maximalforderung der unteren Bereichsgrenze φ_u in Grad"));

    // The shift ranges: of the point's angle, or of each end of a range.
    EXPECT_EQ(fieldHelp("REdShift1", point), "Verschiebebereich des Winkels φ, von: der kleinste Antriebswinkel in "
                                              "Grad, den φ durch die Verschiebung des Optimierungsobjekts annehmen darf.");
    EXPECT_TRUE(contains(fieldHelp("REdShift2", range), "der unteren Bereichsgrenze φ_u, bis: der größte"));
    EXPECT_TRUE(contains(fieldHelp("REdShift3", range), "der oberen Bereichsgrenze φ_o, von: der kleinste"));
    EXPECT_TRUE(contains(fieldHelp("REdShift4", range), "φ_o durch die Verschiebung"));
}

TEST(FieldHelp, SpectrumBoundHasTheUnitOfItsWeight)
{
    EXPECT_TRUE(contains(fieldHelp("REdC", restriction(20).get()), "in der Längeneinheit des Projekts."));
    EXPECT_TRUE(contains(fieldHelp("REdC", restriction(23).get()), "in Längeneinheit/rad³ (Gewicht n^p mit p = 3)"));
    EXPECT_TRUE(contains(fieldHelp("REdC", restriction(24).get()), "in der Längeneinheit des Projekts."));
}

TEST(FieldHelp, MotionFieldsAndTheBoundTitle)
{
    EXPECT_TRUE(contains(fieldHelp("SEdHarm"), "Anzahl der Harmonischen"));
    EXPECT_TRUE(contains(fieldHelp("REdEtaMax"), "Frequenzverhältnis"));
    EXPECT_TRUE(contains(fieldHelp("REdTheta"), "Dämpfungsgrad"));
    EXPECT_TRUE(fieldHelp("NoSuchField").empty());
    EXPECT_EQ(boundsTitle(1), "Schranken für s′ in Längeneinheit/rad");
    EXPECT_EQ(boundsTitle(50), "Schranken für s in Längeneinheit");
    // A spectrum restriction has no derivative order: its kind is no index.
    EXPECT_EQ(boundsTitle(24), "Schranken für s in Längeneinheit");
    EXPECT_TRUE(contains(fieldHelp("REdLower", restriction(24).get()), "Weg s "));
}

} // namespace
} // namespace vemra

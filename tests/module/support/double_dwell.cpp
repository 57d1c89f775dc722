#include "double_dwell.h"

#include "input_builder.h"

namespace vemra::module::testing {

std::string doubleDwellProject(int harmonics)
{
    constexpr double kRise = 50.0;
    constexpr double kHeld = 1e-4 * kRise;
    constexpr double kNeededAcceleration = 1e3;
    InputBuilder b;
    b.addMotion({.harmonics = harmonics});
    const struct {
        double from, to, level;
    } dwells[] = {{0.0, 60.0, 0.0}, {150.0, 210.0, kRise}, {300.0, 360.0, 0.0}};
    for (const auto& d : dwells)
        b.add(intervalRestriction(1, 0, d.from, d.to, d.level - kHeld, d.level + kHeld));
    for (double end : {60.0, 150.0, 210.0, 300.0})
        b.add(pointRestriction(1, 1, end, 0.0, 0.0));
    RestrictionRecord acceleration =
        intervalRestriction(1, 2, 0.0, 360.0, -kNeededAcceleration, kNeededAcceleration);
    acceleration.lowerMode = acceleration.upperMode = 1; // both move to 0 as λ goes to 1
    b.add(acceleration);
    return b.text();
}

} // namespace vemra::module::testing

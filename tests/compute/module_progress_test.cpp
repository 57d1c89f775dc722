// Reading the module's progress lines: German and English forms, lines that
// say something else, and the text shown for them.
#include "compute/module_progress.h"

#include <gtest/gtest.h>

#include <tuple>

namespace vemra {
namespace {

TEST(ModuleProgress, LinesAreReadTolerantly)
{
    using D = std::optional<double>;
    struct Case {
        std::string line;
        std::optional<ProgressLine> expected; // step, steps, fulfilment, smoothness
    };
    const Case cases[] = {
        {"Stufe 0 (ohne Verschiebung): Erfüllungsgrad 0.5342, Glattheit 123.4", ProgressLine{0, 0, 0.5342, 123.4}},
        {"Schritt 3 von 20: Erfüllungsgrad 0.5342, Glattheit 120.1", ProgressLine{3, 20, 0.5342, 120.1}},
        {"stage 0 (no shift): fulfilment 1, smoothness 41.9376", ProgressLine{0, 0, 1.0, 41.9376}},
        {"step 12 of 20: fulfilment 0.936799, smoothness 180.191", ProgressLine{12, 20, 0.936799, 180.191}},
        {"  SCHRITT 4 VON 9: ERFÜLLUNGSGRAD 0,25, Glattheit 3", ProgressLine{4, 9, 0.25, 3.0}},
        {"step 2 of 20: minimum requirements not met", ProgressLine{2, 20, D(), D()}},
        {"Schritt 5: Erfüllungsgrad 1e-3", ProgressLine{5, 0, 0.001, D()}},
        // Anything else only shows that the module is at work.
        {"input error: step width must be positive", std::nullopt},
        {"Zwischenstufe erreicht", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        const auto p = parseProgressLine(c.line);
        ASSERT_EQ(p.has_value(), c.expected.has_value()) << c.line;
        if (p) {
            EXPECT_EQ(std::tie(p->step, p->steps, p->fulfilment, p->smoothness),
                      std::tie(c.expected->step, c.expected->steps, c.expected->fulfilment, c.expected->smoothness))
                << c.line;
        }
    }
}

TEST(ModuleProgress, ShowsTheLatestStepAndItsFulfilment)
{
    ModuleProgress progress;
    EXPECT_FALSE(progress.take("Modul gestartet"));
    EXPECT_TRUE(progress.take("stage 0 (no shift): fulfilment 0.93679912, smoothness 1"));
    EXPECT_EQ(progress.describe(), "Stufe 0, Erfüllungsgrad 0.9368");
    EXPECT_TRUE(progress.take("Schritt 2 von 20: Minimalforderungen nicht erfüllt"));
    EXPECT_EQ(progress.describe(), "Schritt 2 von 20");
    EXPECT_EQ(formatElapsed(3725), "1:02:05");
}

// A fulfilment too large for four fixed decimals in the text's room is
// shown in scientific notation, never as whatever the buffer held.
TEST(ModuleProgress, HugeFulfilmentIsNoGarbageInTheProgressLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"1e300", "1.0000e+300"},
        {"-1e300", "-1.0000e+300"},
        {"1e60", "1.0000e+60"},
        {"123456.78", "123456.7800"},
    };
    for (const auto& [value, shown] : cases) {
        ModuleProgress progress;
        progress.take(std::string("Stufe 0 (ohne Verschiebung): Erfüllungsgrad ") + value);
        EXPECT_EQ(progress.describe(), std::string("Stufe 0, Erfüllungsgrad ") + shown);
    }
}

} // namespace
} // namespace vemra

// How an outcome reads in the result panel, the status bar and vemra-cli:
// numbers that never claim more than was reached, the right note for every
// way an explanation can be missing, and entries that lead to restrictions.
#include "support/compute_doubles.h"

#include "compute/module_input.h"
#include "compute/outcome_summary.h"
#include "compute/result_series.h"

#include <gtest/gtest.h>

#include <functional>

namespace vemra {
namespace {

using namespace test;

TEST(OutcomeSummary, NumbersNeverClaimMoreThanWasReached)
{
    EXPECT_EQ(fulfilmentText(0.937, ','), "0,937");
    // Just below 1 is not 1.
    EXPECT_EQ(fulfilmentText(0.99999, ','), "0,999");
    EXPECT_EQ(fulfilmentText(1.0, '.'), "1.000");
    EXPECT_EQ(fulfilmentText(0.0, '.'), "0.000");
    EXPECT_EQ(fixedNumber(-0.0001, 2, ','), "0,00");
    EXPECT_EQ(fixedNumber(-12.25, 1, '.'), "-12.2");
    EXPECT_EQ(fixedNumber(1e300, 0, '.').size(), 301u);
}

// A computed project: project 1, motion 2, restriction 3.
struct Explained : Bench {
    TreeItem* project = simpleProject(ws);
    TreeItem* restriction = project->Child(0)->Child(0);
    Explained()
    {
        std::string input;
        WriteModuleInput(project, input);
    }
    ComputationOutcome& outcome(int32_t code, bool results = true)
    {
        auto& o = project->NodeAs<TProject>()->LastOutcome.emplace();
        o.resultCode = code;
        o.message = resultCodeMessage(code).text;
        o.hasResults = results;
        return o;
    }
};

TEST(OutcomeSummary, SaysWhatTheModuleExplained)
{
    Explained p;
    ComputationOutcome& o = p.outcome(0);
    o.fulfilment = 0.8125;
    o.smoothness = 3.5;
    o.seconds = 2.46;
    o.explanation = ResultExplanation{ExplanationStage::Fulfilment, 0, 0.8125, 3.5, {{1, 7.5}},
                                      {{3, 0.75, 90.0, 0.25}, {99, 0.25, std::nullopt, 1e-5}}, {}};
    const OutcomeSummary s = summarizeOutcome(p.project, ',');
    EXPECT_TRUE(s.computed && s.current);
    EXPECT_EQ(s.headline, "Code 0: ok");
    using Facts = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(s.facts, (Facts{{"Erfüllungsgrad λ*", "0,812"}, {"Glattheit", "3,5"}, {"φ* Optimierungsobjekt 1", "7,50°"}}));
    EXPECT_EQ(s.time, "2,5 s");
    EXPECT_EQ(s.note, "");
    EXPECT_EQ(s.listTitle, LimitingTitle);
    ASSERT_EQ(s.entries.size(), 2u);
    EXPECT_EQ(s.entries[0].restriction, p.restriction);
    EXPECT_EQ(s.entries[0].motion, "Bewegungsvorgabe (abs) 1");
    EXPECT_EQ(s.entries[0].motionNumber, "1");
    EXPECT_EQ(s.entries[0].caption, p.restriction->Text());
    EXPECT_EQ(s.entries[0].share, "75,0 %");
    EXPECT_EQ(s.entries[0].angle, "90,00°");
    EXPECT_EQ(s.entries[0].sensitivity, "0,25");
    // A restriction deleted since is named, not lost.
    EXPECT_EQ(s.entries[1].restriction, nullptr);
    EXPECT_EQ(s.entries[1].caption, "Restriktion 99 (gelöscht)");
    EXPECT_EQ(s.entries[1].angle, "-");

    EXPECT_EQ(outcomeStatusText(o, ','), "ok – Erfüllungsgrad 0,812");
    o.fulfilment.reset();
    EXPECT_EQ(outcomeStatusText(o, ','), "ok");
}

TEST(OutcomeSummary, EveryMissingExplanationIsSaidPlainly)
{
    struct Case {
        const char* name;
        std::function<void(ComputationOutcome&, Explained&)> setUp;
        std::string headline, note, listTitle;
    };
    const std::string unusable = "remote$.why, Zeile 2: unbekannte Zeile \"x\".";
    const Case cases[] = {
        {"never computed",
         [](ComputationOutcome&, Explained& p) { p.project->NodeAs<TProject>()->LastOutcome.reset(); }, "",
         NotComputedText, ""},
        {"module wrote none", [](ComputationOutcome&, Explained&) {}, "Code 0: ok", NoExplanationWrittenText, ""},
        {"results did not read",
         [](ComputationOutcome& o, Explained&) {
             o.hasResults = false;
             o.message = NoResultsText;
         },
         "Code 0: Die Berechnung liefert keine Ergebnisse", NoExplanationText, ""},
        {"a code that is never explained", [](ComputationOutcome& o, Explained&) { o.resultCode = -5; },
         "Code -5: ok", NoExplanationText, ""},
        {"unusable file", [&](ComputationOutcome& o, Explained&) { o.explanationProblem = unusable; }, "Code 0: ok",
         UnusableExplanationText + unusable, ""},
        {"conflict",
         [](ComputationOutcome& o, Explained&) {
             o = {};
             o.resultCode = -2;
             o.message = resultCodeMessage(-2).text;
             o.explanation = ResultExplanation{ExplanationStage::Conflict, -2, {}, {}, {}, {}, {3}};
         },
         "Code -2: Minimalforderungen sind nicht erfüllbar.", "", ConflictTitle},
        // An outdated outcome still shows what it said, under a warning.
        {"outdated",
         [](ComputationOutcome& o, Explained&) {
             o.explanation = ResultExplanation{ExplanationStage::Smoothness, 1, 1.0, 2.0, {}, {{3, 1, 0.0, 0}}, {}};
             o.resultsCurrent = false;
         },
         "Code 0: ok", OutdatedOutcomeText, SmoothnessTitle},
    };
    for (const Case& c : cases) {
        Explained p;
        ComputationOutcome& o = p.outcome(0);
        c.setUp(o, p);
        const OutcomeSummary s = summarizeOutcome(p.project, ',');
        EXPECT_EQ(s.headline, c.headline) << c.name;
        EXPECT_EQ(s.note, c.note) << c.name;
        EXPECT_EQ(s.listTitle, c.listTitle) << c.name;
        EXPECT_EQ(s.entries.size(), c.listTitle.empty() ? 0u : 1u) << c.name;
    }
}

} // namespace
} // namespace vemra

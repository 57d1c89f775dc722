// The batch over all open projects: counting, early ends, the summary and
// the state it gives back.
#include "support/compute_doubles.h"

#include "compute/batch_computation.h"

#include <gtest/gtest.h>

namespace vemra {
namespace {

using namespace test;

TEST(BatchComputation, TimeTexts)
{
    EXPECT_EQ(formatCalcTime(3725), "1 h 2 min 5 sec");
    EXPECT_EQ(formatCalcTime(59), "59 sec");
    EXPECT_EQ(formatCalcTime(7200), "2 h 0 min 0 sec");
    EXPECT_EQ(formatCalcTime(60), "1 min 0 sec");
    EXPECT_EQ(formatCalcTime(0), "0 sec");
}

// Three projects; the module answers each run with the next code ("0!": code 0
// but no coefficient file, so the results cannot be read).
struct Batch : Bench {
    std::vector<TreeItem*> projects;
    std::vector<std::string> codes;
    std::size_t next = 0;

    explicit Batch(std::vector<std::string> moduleCodes) : codes(std::move(moduleCodes))
    {
        for (int i = 0; i < 3; ++i)
            projects.push_back(simpleProject(ws));
        runner.during = [this](const ModuleRunRequest&) {
            clock.time += std::chrono::seconds(1241);
            const std::string code = codes.at(next++);
            dir.write("rx4.err", code.substr(0, code.find('!')));
            if (code.back() != '!')
                dir.write("remote$.fk1", coefficientText({1, 0, 0, 2}));
        };
    }
    void makeInconsistent(int index)
    {
        auto* r = projects[static_cast<std::size_t>(index)]->Child(0)->Child(0)->NodeAs<TRestr>();
        r->RealPar[8] = -1;
        r->MakeCaption();
    }
};

TEST(BatchComputation, InconsistentSecondProjectGivesTwoOfThree)
{
    Batch b({"0", "0"});
    b.makeInconsistent(1);
    b.clock.time = std::chrono::seconds(100);
    const auto summary = BatchCalc(b.computation);
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->attempted, 3);
    EXPECT_EQ(summary->solved, 2);
    EXPECT_EQ(b.runner.requests.size(), 2u);
    EXPECT_EQ(b.computation.CalcSeconds, 2482);
    // Only the summary box; the inconsistency went to BatchResult.
    ASSERT_EQ(b.dialogs.messages.size(), 1u);
    EXPECT_EQ(b.dialogs.messages[0].text, "Die Berechnung ist abgeschlossen.\rFür 2 von 3 Projekte(n) wurden "
                                       "Lösungen gefunden.\rRechenzeit: 41 min 22 sec");
    EXPECT_EQ(b.dialogs.messages[0].kind, DialogKind::Information);
    EXPECT_FALSE(b.computation.BatchMode);
    EXPECT_EQ(b.hooks.log.front(), "batch on");
    EXPECT_EQ(b.hooks.log.back(), "batch off");
}

// Solved means: the results were read. BatchResult stores 1 for the best
// outcome and for the failures alike, so it cannot tell.
TEST(BatchComputation, ProjectsWithReadResultsCountAsSolved)
{
    struct Case {
        std::vector<std::string> codes;
        int inconsistent;
        int32_t solved;
    };
    for (const Case& c : {Case{{"0", "1", "1"}, -1, 3}, Case{{"1", "1"}, 0, 2}, Case{{"-2", "1", "0"}, -1, 2},
                          Case{{"0!", "1", "-5"}, -1, 1}}) {
        Batch b(c.codes);
        if (c.inconsistent >= 0)
            b.makeInconsistent(c.inconsistent);
        const auto summary = RunBatch(b.computation);
        EXPECT_EQ(summary->attempted, 3);
        EXPECT_EQ(summary->solved, c.solved) << ::testing::PrintToString(c.codes);
        EXPECT_NE(summary->text.find("Für " + std::to_string(c.solved) + " von 3 Projekte(n)"), std::string::npos);
        // The failures' handling stays: an inconsistent project and missing
        // results leave no box behind, only BatchResult 1.
        EXPECT_TRUE(b.dialogs.messages.empty());
    }
}

TEST(BatchComputation, EarlyEnds)
{
    struct Case {
        std::string code;
        std::string text;
        DialogKind kind;
    };
    for (const Case& c : {Case{"-1", "Berechnung wurde abgebrochen.", DialogKind::Information},
                          Case{"-20", "Es läuft bereits eine RX-Berechnung.\rBitte warten Sie auf deren Abschluß.",
                               DialogKind::Error}}) {
        Batch b({"0", c.code});
        const auto summary = RunBatch(b.computation);
        EXPECT_EQ(summary->attempted, 2);
        EXPECT_EQ(summary->text, c.text);
        EXPECT_EQ(summary->kind, c.kind);
        EXPECT_FALSE(b.projects[2]->NodeAs<TProject>()->Computed);
    }
}

TEST(BatchComputation, StopDuringTheSecondProject)
{
    Batch b({"0", "0", "0"});
    b.runner.pumps = 3;
    b.pump.onPump = [&](int count) {
        if (count == 4) // the first pump of the second project
            b.ws.Calculating = false;
    };
    const auto summary = RunBatch(b.computation);
    EXPECT_EQ(summary->text, "Abbruch durch das Shell-Programm.");
    EXPECT_EQ(summary->kind, DialogKind::Warning);
    EXPECT_EQ(summary->solved, 1);
    EXPECT_EQ(b.runner.requests.size(), 2u);
    EXPECT_FALSE(b.projects[1]->NodeAs<TProject>()->HasResults);
    EXPECT_FALSE(b.projects[2]->NodeAs<TProject>()->Computed);
}

TEST(BatchComputation, NoProjectsAndNoReentry)
{
    Bench b;
    const auto summary = RunBatch(b.computation);
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->text, "Die Berechnung ist abgeschlossen.\rFür 0 von 0 Projekte(n) wurden Lösungen "
                             "gefunden.\rRechenzeit: 0 sec");
    b.ws.Calculating = true;
    EXPECT_FALSE(RunBatch(b.computation));
}

TEST(BatchComputation, UnwritableInputEndsTheBatch)
{
    Batch b({"0", "0", "0"});
    b.computation.setWorkDir(b.dir.path() / "missing");
    const auto summary = RunBatch(b.computation);
    EXPECT_EQ(summary->attempted, 1);
    EXPECT_EQ(summary->solved, 0);
    EXPECT_EQ(b.dialogs.messages.size(), 1u); // the write error itself
    EXPECT_FALSE(b.computation.BatchMode);
    EXPECT_EQ(b.hooks.log.back(), "batch off");
}

} // namespace
} // namespace vemra

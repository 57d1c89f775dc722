// vemra-cli compute against the stand-in module: the batch summary, several
// projects at once giving what one after another gives, and what a user
// sees on a terminal and on a pipe.
#include "cli_process.h"
#include "cli_projects.h"

#include <gtest/gtest.h>

namespace vemra::test {
namespace {

const char* const MaximumMetLine
    = ": 1 Die Maximalforderungen werden erfüllt. -> Strengere Restriktionen (Spektrum) sind möglich\n";

// The projects a.r4p, b.r4p, ... (project k is the k-th letter) in a folder
// of their own, with a work folder apart from them.
struct Batch {
    TempDir projects;
    TempDir work;

    Batch(const std::vector<ModuleAnswer>& answers, int inconsistent = 0)
    {
        for (const ModuleAnswer& a : answers)
            saveProject(projects, name(a.key), a.key, a.key != inconsistent);
        // The worker folders of -j hold the same script.
        const std::string script = moduleScript(answers);
        work.write("fake_module.ctl", script);
        for (int n = 1; n <= 4; ++n) {
            std::filesystem::create_directories(work.path() / ("vemra-lauf-" + std::to_string(n)));
            work.write("vemra-lauf-" + std::to_string(n) + "/fake_module.ctl", script);
        }
    }
    static std::string name(int key) { return std::string(1, static_cast<char>('a' + key - 1)) + ".r4p"; }

    CliOutcome compute(const std::vector<std::string>& options, bool terminal = false) const
    {
        std::vector<std::string> args{"compute", "--module", FAKE_RX_MODULE, "--workdir", work.path().string(),
                                      "--in-place"};
        args.insert(args.end(), options.begin(), options.end());
        for (const auto& [file, content] : filesIn(projects))
            args.push_back(file);
        return terminal ? runCliOnTerminal(args, projects.path()) : runCli(args, projects.path());
    }
};

// The running time is the one thing allowed to differ.
std::string withoutTime(std::string out)
{
    const auto at = out.find("Rechenzeit: ");
    return at == std::string::npos ? out : out.substr(0, at);
}

TEST(CliCompute, SideBySideGivesWhatOneAfterAnotherGives)
{
    struct Case {
        std::vector<std::string> codes;
        int inconsistent; // key, 0 for none
        int status;
        std::string summary;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        // Every project got results, so every one counts as solved.
        {{"0", "1", "1"}, 0, 0, "Für 3 von 3 Projekte(n)", {"a.r4p: 0 ok", "b.r4p: 1 Die Max", "c.r4p: 1 Die Max"}},
        {{"0", "1", "1"},
         2,
         3,
         "Für 2 von 3 Projekte(n)",
         {"b.r4p: - Das aktuelle Projekt enthält Inkonsistenzen und konnte nicht berechnet werden."}},
        {{"0", "1", "1", "-2", "0", "1", "-5", "1"},
         0,
         3,
         "Für 6 von 8 Projekte(n)",
         {"d.r4p: -2 Minimalforderungen sind nicht erfüllbar.", "g.r4p: -5 Abbruch der Berechnung wegen Resonanz."}},
        // An interrupted module ends the batch in file order: what comes
        // after it counts as not computed, even when it ran meanwhile.
        {{"0", "1", "-1", "0", "1", "1", "0", "0"},
         0,
         3,
         "Berechnung wurde abgebrochen.",
         {"c.r4p: -1 Berechnung wurde abgebrochen.", "d.r4p: - nicht berechnet", "h.r4p: - nicht berechnet"}},
    };
    for (const Case& c : cases) {
        std::vector<ModuleAnswer> answers;
        for (std::size_t k = 1; k <= c.codes.size(); ++k)
            // The later projects end first when they run side by side.
            answers.push_back({static_cast<int>(k), c.codes[k - 1], {}, static_cast<int>(c.codes.size() - k) * 40});
        Batch inTurn(answers, c.inconsistent);
        Batch sideBySide(answers, c.inconsistent);
        const auto before = filesIn(inTurn.projects);
        const CliOutcome one = inTurn.compute({"-j", "1"});
        const CliOutcome four = sideBySide.compute({"-j4"});

        EXPECT_EQ(one.status, c.status) << one.out << one.err;
        EXPECT_EQ(four.status, one.status);
        EXPECT_EQ(withoutTime(four.out), withoutTime(one.out));
        EXPECT_EQ(filesIn(sideBySide.projects), filesIn(inTurn.projects));
        EXPECT_NE(one.out.find(c.summary), std::string::npos) << one.out;
        for (const std::string& line : c.lines)
            EXPECT_NE(one.out.find(line), std::string::npos) << line << "\n" << one.out;
        // Saved are exactly the projects with results that count.
        const auto after = filesIn(sideBySide.projects);
        for (std::size_t i = 0; i < after.size(); ++i) {
            const bool counted = c.summary.find("abgebrochen") == std::string::npos || i < 2;
            const bool saved = counted && (c.codes[i] == "0" || c.codes[i] == "1")
                               && static_cast<int>(i + 1) != c.inconsistent;
            EXPECT_EQ(after[i].second != before[i].second, saved) << after[i].first;
        }
    }
}

// Project a reports its way through the search, project b says nothing.
std::vector<ModuleAnswer> talkativeAndSilent(int pauseMs)
{
    return {{1,
             "0",
             {"print Stufe 0 (ohne Verschiebung): Erfüllungsgrad 0.25, Glattheit 9",
              "print Schritt 1 von 20: Erfüllungsgrad 0.5, Glattheit 8", "print Zwischenbemerkung"},
             pauseMs},
            {2, "1", {}, 2 * pauseMs}};
}

TEST(CliCompute, TerminalShowsAnUpdatingLinePerProject)
{
    Batch b(talkativeAndSilent(800));
    const CliOutcome run = b.compute({}, true);
    EXPECT_EQ(run.status, 0);
    const std::string& out = run.out;
    const auto progressA = out.find("[1/2] a.r4p: Schritt 1 von 20, Erfüllungsgrad 0.5000 (0:0");
    const auto resultA = out.find("a.r4p: 0 ok");
    ASSERT_NE(progressA, std::string::npos) << out;
    EXPECT_LT(progressA, resultA);
    // Without progress lines the running time still moves on.
    EXPECT_NE(out.find("[2/2] b.r4p: Berechnung läuft (0:00)"), std::string::npos) << out;
    EXPECT_NE(out.find("[2/2] b.r4p: Berechnung läuft (0:01)"), std::string::npos) << out;
    EXPECT_NE(out.find("b.r4p: 1 Die Maximalforderungen"), std::string::npos);
    // Drawn over in place; the module's own lines stay away.
    EXPECT_NE(out.find("\r\x1b[J"), std::string::npos);
    EXPECT_EQ(out.find("Glattheit"), std::string::npos);
    EXPECT_EQ(out.find("Zwischenbemerkung"), std::string::npos);
    EXPECT_NE(out.find("Für 2 von 2 Projekte(n) wurden Lösungen gefunden."), std::string::npos);
}

TEST(CliCompute, PipeShowsTheResultLinesAndTheModuleOnlyWhenAsked)
{
    struct Case {
        std::vector<std::string> options;
        std::string err;
    };
    const Case cases[] = {
        {{}, ""},
        {{"--verbose"},
         "a.r4p: Stufe 0 (ohne Verschiebung): Erfüllungsgrad 0.25, Glattheit 9\n"
         "a.r4p: Schritt 1 von 20: Erfüllungsgrad 0.5, Glattheit 8\na.r4p: Zwischenbemerkung\n"},
    };
    for (const Case& c : cases) {
        Batch b(talkativeAndSilent(0));
        const CliOutcome run = b.compute(c.options);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(withoutTime(run.out), std::string("a.r4p: 0 ok\nb.r4p") + MaximumMetLine
                                            + "Die Berechnung ist abgeschlossen.\nFür 2 von 2 Projekte(n) wurden "
                                              "Lösungen gefunden.\n");
        EXPECT_EQ(run.err, c.err);
    }
}

TEST(CliCompute, AFailedRunShowsWhatTheModuleSaid)
{
    Batch b({{1, "-3", {"eprint Eingabefehler: Satz 4 ist unvollständig", "print Stufe 0 (ohne Verschiebung)"}, 0}});
    const CliOutcome run = b.compute({});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, "a.r4p: Eingabefehler: Satz 4 ist unvollständig\na.r4p: ohne Ergebnisse, nicht gesichert\n");
}

} // namespace
} // namespace vemra::test

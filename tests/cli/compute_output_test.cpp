// vemra-cli compute against the stand-in module: several projects at once
// give what one after another gives, and what a user sees on a terminal
// and on a pipe; with --explain, and vemra-cli explain, what is printed
// under each result line, the same in turn and side by side, and that
// explain saves nothing.
#include "cli_run.h"

#include "support/compute_doubles.h"

#include <gtest/gtest.h>

namespace vemra::test {
namespace {

TEST(CliCompute, SideBySideGivesWhatOneAfterAnotherGives)
{
    struct Case {
        std::vector<std::string> codes;
        int inconsistent; // key, 0 for none
        std::string expected;
        std::size_t saved; // the first ones with results
    };
    const Case cases[] = {
        // Every project whose results were read counts as solved.
        {{"0", "1", "1"}, 2, "b.r4p: - Das aktuelle Projekt enthält Inkonsistenzen", 3},
        {{"0", "1", "1", "-2", "0", "1", "-5", "1"}, 0, "Für 6 von 8 Projekte(n) wurden Lösungen gefunden.", 8},
        // An interrupted module ends the batch in file order: what follows
        // counts as not computed and is not saved, even if it ran meanwhile.
        {{"0", "1", "-1", "0", "1", "1", "0", "0"}, 0, "c.r4p: -1 Berechnung wurde abgebrochen.\nd.r4p: - nicht berechnet", 2},
    };
    for (const Case& c : cases) {
        std::vector<ModuleAnswer> answers;
        for (std::size_t k = 1; k <= c.codes.size(); ++k) // side by side the later ones end first
            answers.push_back({int(k), c.codes[k - 1], {}, int(c.codes.size() - k) * 40});
        CliFolders inTurn(answers, c.inconsistent), sideBySide(answers, c.inconsistent);
        const auto before = projectFiles(inTurn.projects);
        const CliOutcome one = inTurn.run({"compute", "--in-place", "-j", "1"});
        const CliOutcome four = sideBySide.run({"compute", "--in-place", "-j4"});
        EXPECT_EQ(one.status, 3);
        EXPECT_EQ(four.status, one.status);
        EXPECT_EQ(withoutTime(four.out), withoutTime(one.out));
        EXPECT_NE(one.out.find(c.expected), std::string::npos) << one.out;
        const auto after = projectFiles(sideBySide.projects);
        EXPECT_EQ(after, projectFiles(inTurn.projects));
        for (std::size_t i = 0; i < after.size(); ++i)
            EXPECT_EQ(after[i] != before[i], i < c.saved && (c.codes[i] == "0" || c.codes[i] == "1")
                                                 && int(i) + 1 != c.inconsistent) << after[i].first;
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
    const CliOutcome run = CliFolders(talkativeAndSilent(800)).run({"compute", "--in-place"}, true);
    EXPECT_EQ(run.status, 0);
    const std::string& out = run.out;
    const auto progress = out.find("\r\x1b[J[1/2] a.r4p: Schritt 1 von 20, Erfüllungsgrad 0.5000 (0:0");
    ASSERT_NE(progress, std::string::npos) << out;
    EXPECT_LT(progress, out.find("\r\x1b[Ja.r4p: 0 ok"));
    // A silent module still gets its running time.
    EXPECT_NE(out.find("[2/2] b.r4p: Berechnung läuft (0:01)"), std::string::npos) << out;
    EXPECT_NE(out.find("b.r4p: 1 Die Maximalforderungen"), std::string::npos);
    EXPECT_EQ(out.find("Glattheit"), std::string::npos);
    EXPECT_EQ(out.find("Zwischenbemerkung"), std::string::npos);
    EXPECT_NE(out.find("Für 2 von 2 Projekte(n) wurden Lösungen gefunden."), std::string::npos);
}

TEST(CliCompute, PipeShowsResultLinesAndTheModuleOnlyWhenAskedOrWhenItFailed)
{
    const std::string solvedOut = "a.r4p: 0 ok\nb.r4p: 1 Die Maximalforderungen werden erfüllt. -> Strengere "
                                  "Restriktionen (Spektrum) sind möglich\nDie Berechnung ist abgeschlossen.\nFür 2 "
                                  "von 2 Projekte(n) wurden Lösungen gefunden.\n";
    struct Case {
        std::vector<std::string> options;
        std::vector<ModuleAnswer> answers;
        std::string out, err;
    };
    const Case cases[] = {
        {{}, talkativeAndSilent(0), solvedOut, ""},
        {{"--verbose"},
         talkativeAndSilent(0),
         solvedOut,
         "a.r4p: Stufe 0 (ohne Verschiebung): Erfüllungsgrad 0.25, Glattheit 9\n"
         "a.r4p: Schritt 1 von 20: Erfüllungsgrad 0.5, Glattheit 8\na.r4p: Zwischenbemerkung\n"},
        {{},
         {{1, "-3", {"eprint Eingabefehler: Satz 4", "print Stufe 0 (ohne Verschiebung)"}, 0}},
         "a.r4p: -3 Die Eingabedaten sind fehlerhaft.",
         "a.r4p: Eingabefehler: Satz 4\na.r4p: ohne Ergebnisse, nicht gesichert\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"compute", "--in-place"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliOutcome run = CliFolders(c.answers).run(args);
        EXPECT_EQ(withoutTime(run.out).rfind(c.out, 0), 0u) << run.out;
        EXPECT_EQ(run.err, c.err);
    }
}

// The caption of project key's one restriction, as saveProject makes it.
std::string captionOf(int key)
{
    ScriptedDialogs dialogs;
    Workspace ws(dialogs);
    return "Bewegungsvorgabe (abs) 1: " + keyedProject(ws, key)->Child(0)->Child(0)->NodeAs<TRestr>()->Caption;
}

// The module input numbers the project 1, the motion 2, the restriction 3.
std::vector<std::string> explanation(const std::vector<std::string>& lines)
{
    std::vector<std::string> commands{"write remote$.why"};
    commands.insert(commands.end(), lines.begin(), lines.end());
    commands.push_back("end");
    return commands;
}

// a.r4p limited at its restriction, b.r4p in conflict, c.r4p unexplained.
const std::vector<ModuleAnswer> ThreeAnswers = {
    {1, "0", explanation({"Stufe erfuellung 0 0.75 2.5", "Verschiebung 1 -7.25", "Grenze 3 1 11 0.5"})},
    {2, "-2", explanation({"Stufe konflikt -2 - -", "Konflikt 3"})},
    {3, "0", {}},
};

TEST(CliExplain, ComputeExplainsUnderEachResultLineInTurnAndSideBySide)
{
    const std::string explained = "a.r4p: 0 ok\n"
                                  "  Begrenzende Forderungen:\n"
                                  "    100.0 %    11.00°  "
                                  + captionOf(1)
                                  + "\n"
                                    "b.r4p: -2 Minimalforderungen sind nicht erfüllbar.\n"
                                    "  Widersprüchliche Forderungen:\n"
                                    "    "
                                  + captionOf(2)
                                  + "\n"
                                    "c.r4p: 0 ok\n"
                                    "  Zu diesem Ergebnis liegt keine Erklärung vor: der Berechnungsmodul hat keine "
                                    "geschrieben.\n"
                                    "Die Berechnung ist abgeschlossen.\n"
                                    "Für 2 von 3 Projekte(n) wurden Lösungen gefunden.\n";
    for (const std::string jobs : {"1", "2"}) {
        const CliOutcome run = CliFolders(ThreeAnswers).run({"compute", "--explain", "--in-place", "-j", jobs});
        EXPECT_EQ(withoutTime(run.out), explained) << jobs;
        EXPECT_EQ(run.status, 3);
    }
    // Without the option the result lines stand alone.
    CliFolders f(ThreeAnswers);
    const CliOutcome plain = f.run({"compute", "--in-place"});
    EXPECT_EQ(withoutTime(plain.out), "a.r4p: 0 ok\nb.r4p: -2 Minimalforderungen sind nicht erfüllbar.\nc.r4p: 0 ok\n"
                                    "Die Berechnung ist abgeschlossen.\n"
                                    "Für 2 von 3 Projekte(n) wurden Lösungen gefunden.\n");
}

TEST(CliExplain, ExplainPrintsTheWholeExplanationAndSavesNothing)
{
    const std::vector<ModuleAnswer> answers = {
        ThreeAnswers[0],
        // A file that breaks the format is named with its fault.
        {2, "0", explanation({"Stufe erfuellung 0 0.75 2.5", "Grenze 3 1 11"})},
    };
    CliFolders f(answers);
    const auto before = projectFiles(f.projects);
    const CliOutcome run = f.run({"explain"});
    EXPECT_EQ(run.out, "a.r4p: 0 ok\n"
                       "  Erfüllungsgrad λ*: 0.750\n"
                       "  Glattheit: 2.5\n"
                       "  φ* Optimierungsobjekt 1: -7.25°\n"
                       "  Begrenzende Forderungen:\n"
                       "    100.0 %    11.00°  "
                           + captionOf(1)
                           + "\n"
                             "b.r4p: 0 ok\n"
                             "  Die Erklärung des Berechnungsmoduls ist unbrauchbar: remote$.why, Zeile 2: "
                             "\"Grenze\" braucht 4 Werte, nicht 3.\n"
                             "Die Berechnung ist abgeschlossen.\n"
                             "Für 2 von 2 Projekte(n) wurden Lösungen gefunden.\n"
                             + run.out.substr(run.out.find("Rechenzeit: ")));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(projectFiles(f.projects), before);

    struct Usage {
        std::vector<std::string> args;
        std::string error;
    };
    for (const Usage& u : {Usage{{"explain", "-o", "x.r4p"}, "Unbekannte Option: -o"},
                           Usage{{"explain", "--in-place"}, "Unbekannte Option: --in-place"},
                           Usage{{"explain", "--explain"}, "Unbekannte Option: --explain"},
                           Usage{{"explain"}, "Keine Projektdatei angegeben."}}) {
        const CliOutcome wrong = runCli(u.args, f.projects);
        EXPECT_EQ(wrong.status, 1);
        EXPECT_EQ(wrong.err.rfind(u.error + "\nAufruf: vemra-cli explain", 0), 0u) << wrong.err;
    }
}

} // namespace
} // namespace vemra::test

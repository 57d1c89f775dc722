// vemra-cli compute --explain and vemra-cli explain against the stand-in
// module, which writes an explanation beside its results: what is printed
// under each result line, the same in turn and side by side, and that
// explain saves nothing.
#include "cli_run.h"

#include "support/compute_doubles.h"

#include <gtest/gtest.h>

namespace vemra::test {
namespace {

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

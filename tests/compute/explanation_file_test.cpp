// The module's explanation file: what a good file says, which fault of a
// bad one is named on which line, what it must name in the computed
// project, and that no byte sequence brings the reader down.
#include "support/compute_doubles.h"

#include "compute/explanation_file.h"
#include "compute/module_input.h"

#include <gtest/gtest.h>

#include <random>

namespace vemra {
namespace {

using namespace test;

const ResultExplanation& parsed(const ExplanationParse& p)
{
    static const ResultExplanation none;
    if (const auto* error = std::get_if<ExplanationError>(&p)) {
        ADD_FAILURE() << error->text();
        return none;
    }
    return std::get<ResultExplanation>(p);
}

TEST(ExplanationFile, GoodFilesSayWhatTheyMean)
{
    struct Case {
        const char* name;
        std::string bytes;
        ResultExplanation expected;
    };
    ResultExplanation fulfilment{ExplanationStage::Fulfilment, 0, 0.93712345678901234, 14.25, {{1, 12.5}, {2, -3}},
                                 {{5, 0.623, 30.0, 0.0125}, {6, 0.377, std::nullopt, 3e-3}}, {}};
    ResultExplanation smoothness{ExplanationStage::Smoothness, 1, 1.0, 2.5e8, {}, {{3, 1.0, 355.25, 0}}, {}};
    ResultExplanation conflict{ExplanationStage::Conflict, -2, std::nullopt, std::nullopt, {}, {}, {4, 9}};
    const Case cases[] = {
        {"CR LF lines",
         "Stufe erfuellung 0 0.93712345678901234 14.25\r\nVerschiebung 1 12.5\r\nVerschiebung 2 -3\r\n"
         "Grenze 5 0.623 30 0.0125\r\nGrenze 6 0.377 - 3E-03\r\n",
         fulfilment},
        // A host that turned the line ends, a missing last one, blank lines
        // and tabs lose nothing.
        {"bare LF, no final end, blank lines, tabs",
         "Stufe\terfuellung 0 0.93712345678901234   14.25\n\nVerschiebung 1 12.5\nVerschiebung 2 -3\n"
         "Grenze 5 0.623 30 0.0125\nGrenze 6 0.377 - 0.003",
         fulfilment},
        {"smoothness", "Stufe glattheit 1 1 2.5e+08\r\nGrenze 3 1 355.25 0\r\n", smoothness},
        {"conflict", "Stufe konflikt -2 - -\r\nKonflikt 4\r\nKonflikt 9\r\n", conflict},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parsed(parseExplanation(c.bytes)), c.expected) << c.name;
}

TEST(ExplanationFile, EveryFaultIsNamedWithItsLine)
{
    struct Case {
        std::string bytes;
        int line;
        std::string reason; // a part of it
    };
    const std::string stage = "Stufe erfuellung 0 0.5 1\r\n";
    const Case cases[] = {
        {"", 0, "keine Zeile \"Stufe\""},
        {"\r\n  \r\n", 0, "keine Zeile \"Stufe\""},
        {"Grenze 5 0.5 30 1\r\n" + stage, 1, "erste Zeile"},
        {"Stufe erfuelung 0 0.5 1\r\n", 1, "unbekannte Stufe"},
        {"Stufe erfuellung 1 0.5 1\r\n", 1, "Code 0"},
        {"Stufe konflikt 0 - -\r\n", 1, "Code -2"},
        {"Stufe erfuellung 0 1.5 1\r\n", 1, "Erfüllungsgrad"},
        {"Stufe erfuellung 0 - 1\r\n", 1, "Erfüllungsgrad"},
        {"Stufe erfuellung 0 0,5 1\r\n", 1, "Erfüllungsgrad"},
        {"Stufe erfuellung 0 nan 1\r\n", 1, "Erfüllungsgrad"},
        {"Stufe erfuellung 0 0.5 inf\r\n", 1, "Glattheit"},
        {"Stufe erfuellung 0 0.5 -1\r\n", 1, "Glattheit"},
        {"Stufe konflikt -2 0 -\r\n", 1, "\"-\""},
        {"Stufe erfuellung 0 0.5\r\n", 1, "4 Werte, nicht 3"},
        {stage + "Stufe erfuellung 0 0.5 1\r\n", 2, "mehr als einmal"},
        {stage + "Grenze 5 0.5 30\r\n", 2, "4 Werte"},
        {stage + "Grenze 5 0.5 30 1 7\r\n", 2, "4 Werte, nicht 5"},
        {stage + "Grenze 0 0.5 30 1\r\n", 2, "Datensatznummer"},
        {stage + "Grenze 2147483648 0.5 30 1\r\n", 2, "Datensatznummer"},
        {stage + "Grenze 5 -0.1 30 1\r\n", 2, "Anteil"},
        {stage + "Grenze 5 1.01 30 1\r\n", 2, "Anteil"},
        {stage + "Grenze 5 0.5 x 1\r\n", 2, "Winkel"},
        {stage + "Grenze 5 0.5 30 -\r\n", 2, "Empfindlichkeit"},
        {stage + "Grenze 5 0.5 30 1\r\nGrenze 5 0.5 30 1\r\n", 3, "Datensatz 5 steht mehr als einmal"},
        {stage + "Verschiebung 0 1\r\n", 2, "Optimierungsobjekts"},
        {stage + "Verschiebung 1 1\r\nVerschiebung 1 2\r\n", 3, "Optimierungsobjekt 1 steht mehr als einmal"},
        {stage + "Verschiebung 1 1e999\r\n", 2, "Verschiebung muss eine Zahl"},
        {stage + "Konflikt 5\r\n", 2, "nur zur Stufe konflikt"},
        {"Stufe konflikt -2 - -\r\nGrenze 5 0.5 30 1\r\n", 2, "nicht zur Stufe konflikt"},
        {"Stufe konflikt -2 - -\r\n", 0, "ohne eine Zeile \"Konflikt\""},
        {stage + "Grenzwert 5\r\n", 2, "unbekannte Zeile"},
        {stage + "Grenze 5 0.5 30\xc2\xb0 1\r\n", 2, "ASCII"},
        {stage + "Grenze 5 0.5\r30 1\r\n", 2, "Steuerzeichen"},
        {stage + std::string("Grenze 5 0.5 30 1\0\r\n", 20), 2, "Steuerzeichen"},
    };
    for (const Case& c : cases) {
        const ExplanationParse p = parseExplanation(c.bytes);
        const auto* error = std::get_if<ExplanationError>(&p);
        ASSERT_NE(error, nullptr) << c.bytes;
        EXPECT_EQ(error->line, c.line) << c.bytes << error->text();
        EXPECT_NE(error->reason.find(c.reason), std::string::npos) << c.bytes << " gave: " << error->text();
    }
}

// Random bytes, pieces of the format in any order and every truncation and
// single-byte change of a good file: always an answer, never a crash, and
// an error always says something.
TEST(ExplanationFile, SurvivesAnyBytes)
{
    const std::string good = "Stufe erfuellung 0 0.75 12.5\r\nVerschiebung 1 -4.5\r\nGrenze 3 0.6 90 0.01\r\n"
                             "Grenze 4 0.4 - 0.02\r\n";
    const std::vector<std::string> pieces = {"Stufe", "erfuellung", "glattheit", "konflikt", "Grenze", "Konflikt",
                                             "Verschiebung", "0", "1", "-2", "-", "0.5", "1e308", "nan", "\r\n",
                                             "\n", " ", "\t", std::string(1, '\0'), "\xff", "2147483647"};
    std::vector<std::string> inputs;
    for (std::size_t n = 0; n <= good.size(); ++n)
        inputs.push_back(good.substr(0, n));
    std::mt19937 random(20250117);
    for (std::size_t i = 0; i < good.size(); ++i) {
        std::string changed = good;
        changed[i] = static_cast<char>(random() % 256);
        inputs.push_back(changed);
    }
    for (int i = 0; i < 500; ++i) {
        std::string s;
        const int count = static_cast<int>(random() % 30);
        for (int k = 0; k < count; ++k)
            s += random() % 4 ? pieces[random() % pieces.size()] + (random() % 2 ? " " : "")
                              : std::string(1, static_cast<char>(random() % 256));
        inputs.push_back(s);
    }
    int accepted = 0;
    for (const std::string& bytes : inputs) {
        const ExplanationParse p = parseExplanation(bytes);
        if (const auto* error = std::get_if<ExplanationError>(&p)) {
            EXPECT_FALSE(error->reason.empty());
            EXPECT_GE(error->line, 0);
        } else {
            ++accepted;
            const auto& e = std::get<ResultExplanation>(p);
            for (const LimitingRestriction& l : e.limits)
                EXPECT_TRUE(l.share >= 0 && l.share <= 1 && l.record >= 1);
        }
    }
    EXPECT_GT(accepted, 4); // the good file and the prefixes that end after a whole line
}

// A project whose records the module input numbers: project 1, motion 2,
// its restriction 3, motion 4, its restriction 5, relative restriction 6.
struct NumberedProject : Bench {
    TreeItem* project = addProject(ws);
    TreeItem* first = addRestriction(ws, addMotion(ws, project, 1));
    TreeItem* second = addRestriction(ws, addMotion(ws, project, 1));
    TreeItem* relative = addRestriction(ws, EnsureRelMotion(ws.tree, 1, 2, project), 40);

    NumberedProject()
    {
        SortProject(ws.tree);
        std::string input;
        WriteModuleInput(project, input);
    }
    ExplanationRead read(const std::string& bytes, int32_t code)
    {
        dir.write("remote$.why", bytes);
        return readExplanationFile(dir.path(), code, project);
    }
};

TEST(ExplanationFile, RecordsMustNameRestrictionsOfTheComputedProject)
{
    NumberedProject p;
    const int32_t first = p.first->Node()->Ident();
    const int32_t relative = p.relative->Node()->Ident();
    ASSERT_EQ(FindRestrictionByRecord(p.project, first), p.first);
    ASSERT_EQ(FindRestrictionByRecord(p.project, relative), p.relative);

    const ExplanationRead conflict = p.read("Stufe konflikt -2 - -\r\nKonflikt " + std::to_string(first)
                                                + "\r\nKonflikt " + std::to_string(relative) + "\r\n",
                                            -2);
    ASSERT_TRUE(conflict.explanation) << conflict.problem;
    EXPECT_EQ(conflict.explanation->conflict, (std::vector<int32_t>{first, relative}));

    struct Case {
        std::string bytes;
        int32_t code;
        std::string problem; // empty: taken
    };
    const int32_t motion = p.project->Child(0)->Node()->Ident();
    const Case cases[] = {
        {"Stufe erfuellung 0 0.5 1\r\nGrenze " + std::to_string(first) + " 1 90 0.5\r\n", 0, ""},
        // A motion record is numbered too, but it is no restriction.
        {"Stufe erfuellung 0 0.5 1\r\nGrenze " + std::to_string(motion) + " 1 90 0.5\r\n", 0,
         "remote$.why: Datensatz " + std::to_string(motion) + " ist keine Restriktion des Projekts."},
        {"Stufe erfuellung 0 0.5 1\r\nGrenze 99 1 90 0.5\r\n", 0,
         "remote$.why: Datensatz 99 ist keine Restriktion des Projekts."},
        {"Stufe erfuellung 0 0.5 1\r\n", 1, "remote$.why erklärt den Code 0, die Berechnung endete mit 1."},
        {"Stufe erfuellung 0 0.5\r\n", 0, "remote$.why, Zeile 1: \"Stufe\" braucht 4 Werte, nicht 3."},
        {std::string(MaxExplanationFileBytes + 1, ' '), 0, "remote$.why ist nicht lesbar oder zu groß."},
    };
    for (const Case& c : cases) {
        const ExplanationRead r = p.read(c.bytes, c.code);
        EXPECT_EQ(r.problem, c.problem);
        EXPECT_EQ(r.explanation.has_value(), c.problem.empty()) << c.problem;
    }

    std::filesystem::remove(p.dir.path() / "remote$.why");
    const ExplanationRead missing = readExplanationFile(p.dir.path(), 0, p.project);
    EXPECT_FALSE(missing.explanation);
    EXPECT_EQ(missing.problem, "");
}

} // namespace
} // namespace vemra

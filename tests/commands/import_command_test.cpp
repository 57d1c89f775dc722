// "&Import...": the samples become projects as the user sees them, every
// failure is reported with its message and changes nothing, the converter
// places a single motion where the user said, and a project written as
// module input comes back unchanged.
#include "commands/file_commands.h"
#include "commands/import_command.h"
#include "commands/rx_set_converter.h"
#include "compute/module_input.h"
#include "model/file_names.h"
#include "model/tree_ops.h"

#include "support/compute_doubles.h"
#include "support/recording_model_observer.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"
#include "support/test_data.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace vemra {
namespace {

using test::ScriptedDialogs;

std::string moduleInput(TreeItem* item)
{
    std::string text;
    WriteModuleInput(item, text);
    return text;
}

// Module input with the advanced-settings flag of the project record left
// out: the import works it out from the settings themselves.
std::string withoutAdvancedFlag(const std::string& input)
{
    const size_t end = input.find("\r\n");
    std::istringstream first(input.substr(0, end));
    std::string out;
    std::string field;
    for (int i = 1; first >> field; ++i)
        out += (i == 6 ? std::string("*") : field) + ' ';
    return out + input.substr(end);
}

class ImportTest : public ::testing::Test {
protected:
    TreeItem* import(const std::string& file) { return ImportCommand(ws, settings, file); }
    std::string write(const std::string& name, const std::string& content)
    {
        dir.write(name, content);
        return (dir.path() / name).string();
    }
    std::string sample(const std::string& name) { return test::testDataPath(name).string(); }
    // Only asked for motions that exist, so nothing is made.
    TreeItem* motion(TreeItem* project, int n) { return EnsureMotion(ws.tree, n, project); }

    ScriptedDialogs dialogs;
    Workspace ws{dialogs};
    ImportSettings settings;
    test::TempDir dir;
};

TEST_F(ImportTest, SamplesBecomeProjectsAsTheUserSeesThem)
{
    struct Case {
        std::string file;
        int type;
        int motions;
        const char* shortName; // of motion 1
        const char* description = "";
    };
    const std::vector<Case> cases = {
        {sample("rx4/comment-line.rx4"), 1, 2, "Hubbewegung", "Greifer mit Schwenkarm (Prüfstand)"},
        {sample("rx4/inherited-fields.rx4"), 1, 1, ""},
        // Files from Windows machines often carry upper-case names.
        {write("GLUED-NUMBERS.RX4", test::readTestFile(test::testDataPath("rx4/glued-numbers.rx4"))), 1, 1, ""},
        {sample("rxe/ccc-end.rxe"), 2, 1, "(aus: ccc-end.rxe) "},
        {sample("rxe/variable-eta.rxe"), 2, 1, "(aus: variable-eta.rxe) "},
        {sample("rxw/section-order.rxw"), 3, 1, "(aus: section-order.rxw) Schwenkarm Werkstatt"},
    };
    for (const Case& c : cases) {
        const std::string& file = c.file;
        ws.tree.Clear();
        test::RecordingModelObserver events(ws);
        TreeItem* project = import(file);
        ASSERT_NE(project, nullptr) << file;
        auto* p = project->NodeAs<TProject>();
        EXPECT_EQ(p->FileName, file) << file;
        EXPECT_EQ(project->Text(), fileNamePart(file)) << file;
        EXPECT_TRUE(p->Unsaved) << file;
        EXPECT_EQ(p->MotionCount(), c.motions) << file;
        EXPECT_EQ(motion(project, 1)->NodeAs<TRXHeader>()->ShortName, c.shortName) << file;
        EXPECT_EQ(p->Description, c.description) << file;
        EXPECT_EQ(ws.tree.Selected(), project) << file;
        EXPECT_GE(events.refreshes, 1) << file;
        EXPECT_EQ(events.shown.back(), project) << file;
        EXPECT_EQ(events.menuUpdates.back(), project) << file;
        EXPECT_TRUE(CanCalc(ws, project)) << file;
        EXPECT_EQ(settings.LastFType, c.type) << file;
        EXPECT_EQ(settings.LastImportPath, folderPart(file)) << file;
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ImportTest, FailuresAreReportedAndChangeNothing)
{
    const std::string motionOnly = " 5  0  0\r\n";
    struct Case {
        std::string file;
        std::string message;
    };
    const std::vector<Case> cases = {
        {(dir.path() / "fehlt.rx4").string(), "Die Datei konnte nicht geöffnet werden."},
        {write("notiz.txt", "1 2 3\r\n"), "Unbekannter Dateityp: .txt."},
        {write("ohne-punkt", "1 2 3\r\n"), "Unbekannter Dateityp: ."},
        {write("leer.rx4", "; nur ein Kommentar\r\n"),
         "Die Datei enthält Zuordnungsfehler.\rDas Projekt konnte nicht geöffnet werden."},
        {write("kurz.rxe", motionOnly), "Fehler beim Lesen der Datei kurz.rxe."},
        {write("ohne.rxw", "[Description]\r\nnichts\r\n"), "Fehler beim Lesen der Datei ohne.rxw."},
        {write("defekt.rxw", "[Version]\r\n1\r\n[MLAbs]\r\n0\r\n" + motionOnly + "2.0 x\r\n"),
         "Fehler beim Lesen der Datei\rdefekt.rxw in Zeile 6."},
        {write("DEFEKT.RX4", "   0   0   1\r\n0\r\n   0   1   5   0   0   0   0   0\r\n0 1E999\r\n"),
         "Fehler beim Lesen der Datei\rDEFEKT.RX4 in Zeile 4."},
        {write("zweimal.rx4", "   0   0   0\r\n0\r\n   0   0   0\r\n0\r\n"),
         "Fehler beim Lesen der Datei\rzweimal.rx4 in Zeile 3."},
    };
    TreeItem* open = test::simpleProject(ws);
    ws.tree.SetSelected(open);
    const std::string before = moduleInput(open);
    settings = {"/zuletzt/", 2};
    for (const Case& c : cases) {
        dialogs.clear();
        EXPECT_EQ(import(c.file), nullptr) << c.file;
        ASSERT_EQ(dialogs.messages.size(), 1u) << c.file;
        EXPECT_EQ(dialogs.last().text, c.message);
        EXPECT_EQ(dialogs.last().kind, DialogKind::Error);
        EXPECT_EQ(ws.tree.TopLevelCount(), 1) << c.file;
        EXPECT_EQ(ws.tree.Selected(), open) << c.file;
        EXPECT_EQ(moduleInput(open), before) << c.file;
        EXPECT_EQ(settings.LastImportPath, "/zuletzt/");
        EXPECT_EQ(settings.LastFType, 2);
    }
}

TEST_F(ImportTest, TheConverterAsksWhereTheMotionGoes)
{
    const std::string file = write("schwinge.rxe", " 5  0  0\r\n 2.0 0.1\r\n");
    TreeItem* open = test::simpleProject(ws);
    open->NodeAs<TProject>()->FileName = "/p/alt.r4p";
    open->NodeAs<TProject>()->Unsaved = false;

    // Yes: a project of its own, named after the file.
    ws.tree.SetSelected(open->FirstChild());
    dialogs.answerYes();
    TreeItem* own = import(file);
    ASSERT_NE(own, nullptr);
    EXPECT_NE(own, open);
    EXPECT_EQ(dialogs.last().text, NewProjectQuestion);
    EXPECT_EQ(own->NodeAs<TProject>()->FileName, file);

    // No: motion 2 of the selected project, which keeps its name but now
    // has changes to save.
    ws.tree.SetSelected(open);
    dialogs.answerNo();
    EXPECT_EQ(import(file), open);
    auto* added = motion(open, 2)->NodeAs<TRXHeader>();
    EXPECT_EQ(added->ShortName, "(aus: schwinge.rxe) ");
    EXPECT_EQ(added->Harmonics(), 5);
    EXPECT_EQ(added->EtaMax(), 2.0);
    EXPECT_EQ(added->Theta(), 0.1);
    EXPECT_EQ(added->EtaLimit(), 0.0);
    // A file without restriction lines still gives the one restriction a
    // new motion definition starts with.
    EXPECT_EQ(motion(open, 2)->ChildCount(), 1);
    EXPECT_EQ(open->NodeAs<TProject>()->FileName, "/p/alt.r4p");
    EXPECT_TRUE(open->NodeAs<TProject>()->Unsaved);

    // No, with 10 motions: the limit message, and nothing is added.
    while (open->NodeAs<TProject>()->MotionCount() < 10)
        test::addMotion(ws, open, 1);
    const std::string full = moduleInput(open);
    ws.tree.SetSelected(open);
    settings = {};
    dialogs.answerNo();
    EXPECT_EQ(import(file), nullptr);
    EXPECT_EQ(dialogs.last().text, "Ein Projekt kann maximal 10 Bewegungsvorgaben enthalten.");
    EXPECT_EQ(moduleInput(open), full);
    EXPECT_EQ(ws.tree.TopLevelCount(), 2);
    EXPECT_EQ(settings.LastFType, 1);
    EXPECT_TRUE(dialogs.exhausted());
}

TEST(RxSetConverter, FillsRestrictionsFromTheirCodes)
{
    const std::array<double, 9> r{0, 11, 12, 13, 14, 15, 16, 17, 18};
    struct Case {
        const char* name;
        TRXRestriction line;
        std::array<int32_t, 8> ints; // Kind, Harmonic, PhiMinVar, PhiMaxVar, LowerMode, UpperMode
        std::array<double, 9> reals; // RealPar[1..8]
    };
    const std::vector<Case> cases = {
        {"point, both bounds always", {1, 0, 0, r}, {1, 0, 0, 0, 0, 0}, {0, 0, 11, 0, 0, 0, 15, 0, 17}},
        {"interval, all variable", {12, 3, 322, r}, {12, 0, 1, 1, 1, 1}, {0, 12, 11, 14, 13, 15, 16, 17, 18}},
        {"interval, lower bound only", {11, 1, 0, r}, {11, 0, 0, 0, 0, -1}, {0, 0, 11, 0, 13, 0, 15, 0, 0}},
        {"interval, upper variable", {10, 2, 202, r}, {10, 0, 0, 1, -1, 1}, {0, 0, 11, 14, 13, 0, 0, 17, 18}},
        {"one harmonic, c variable", {24, 3, 100, r}, {24, 3, 0, 0, 1, 0}, {0, 0, 0, 0, 0, 11, 12, 0, 0}},
        {"sum, c fixed", {22, 1, 0, r}, {22, 1, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 12, 0, 0}},
    };
    for (const Case& c : cases) {
        TRestr restriction;
        restriction.Motion() = 4;
        fillRestriction(restriction, c.line);
        EXPECT_EQ((std::array<int32_t, 8>{restriction.Kind(), restriction.Harmonic(), restriction.PhiMinVar(),
                                          restriction.PhiMaxVar(), restriction.LowerMode(), restriction.UpperMode()}),
                  c.ints)
            << c.name;
        for (size_t i = 1; i <= 8; ++i)
            EXPECT_EQ(restriction.RealPar[i], c.reals[i]) << c.name << " RealPar " << i;
        EXPECT_EQ(restriction.EffPar, restriction.RealPar) << c.name;
        EXPECT_EQ(restriction.Motion(), 4) << c.name;
    }
}

// A project with every kind of restriction: check-only ones (negative
// motion), relative ones (also check-only, below their own relative motion
// definition as the project file keeps them), spectrum ones and members of
// optimisation objects.
TreeItem* randomProject(Workspace& ws, std::mt19937& random)
{
    const auto pick = [&](int lo, int hi) { return lo + int(random() % unsigned(hi - lo + 1)); };
    const auto real = [&] { return std::uniform_real_distribution<double>(-500, 500)(random) / pick(1, 1000); };
    TreeItem* project = test::addProject(ws);
    auto* p = project->NodeAs<TProject>();
    p->SamplesPerStep() = pick(0, 1) * pick(2, 40);
    p->OptimisationSteps() = pick(0, 1) * pick(5, 500);
    p->StepWidth() = pick(0, 1) * 0.25;
    p->AdvancedSettings() = pick(0, 1);
    const int motions = pick(1, 10);
    std::vector<TreeItem*> restrictions;
    const auto fill = [&](TreeItem* parent, int kind, int first, int second) {
        auto r = std::make_unique<TRestr>();
        r->Motion() = first;
        r->Motion2() = second;
        r->Kind() = kind;
        for (int i = 4; i <= 7; ++i)
            r->IntPar[size_t(i)] = pick(-1, 1);
        for (size_t i = 1; i <= 12; ++i)
            r->RealPar[i] = real();
        restrictions.push_back(ws.tree.AddChild(parent, std::move(r)));
    };
    const int kinds[] = {0, 1, 2, 3, 10, 11, 12, 13, 20, 21, 22, 23, 24};
    for (int n = 1; n <= motions; ++n) {
        TreeItem* m = test::addMotion(ws, project, pick(1, 20), real());
        auto* header = m->NodeAs<TRXHeader>();
        header->EtaVariable() = pick(0, 1);
        header->EtaMax() = real();
        header->EtaLimit() = real();
        for (int k = pick(0, 5); k > 0; --k) {
            const int kind = kinds[random() % std::size(kinds)];
            fill(m, kind, pick(0, 3) == 0 ? -n : n, kind == 24 ? pick(1, 20) : 0);
        }
    }
    for (int k = motions > 1 ? pick(0, 6) : 0; k > 0; --k) {
        const int a = pick(1, motions - 1);
        const int b = pick(a + 1, motions);
        const int first = pick(0, 2) == 0 ? -a : a;
        fill(EnsureRelMotion(ws.tree, first, b, project), pick(0, 1) ? pick(40, 43) : pick(50, 53), first, b);
    }
    // Optimisation objects 1..g, each with at least one member.
    const int groups = std::min<int>(pick(0, 3), int(restrictions.size()));
    for (size_t i = 0; i < restrictions.size(); ++i) {
        const int g = int(i) < groups ? int(i) + 1 : (groups > 0 && pick(0, 3) == 0 ? pick(1, groups) : 0);
        if (g == 0)
            continue;
        auto* r = restrictions[i]->NodeAs<TRestr>();
        r->GroupNo() = g;
        r->IsGlobal = true;
        int number = g;
        AddGroupMember(ws.tree, EnsureGroup(ws.tree, number, project), restrictions[i]);
    }
    ws.tree.ForEach([](TreeItem* item) { item->Node()->MakeCaption(); });
    SortProject(ws.tree);
    return project;
}

TEST_F(ImportTest, ModuleInputComesBackUnchanged)
{
    // The ".rx4" samples are the bundled examples as other programs wrote
    // them: they give the examples' module input.
    std::vector<std::string> inputs;
    for (const auto& [example, other] : std::vector<std::pair<const char*, const char*>>{
             {"hubkurve.r4p", "rx4/inherited-fields.rx4"},
             {"greifer.r4p", "rx4/comment-line.rx4"},
             {"foerderer.r4p", "rx4/glued-numbers.rx4"}}) {
        TreeItem* project = readProjectFile(ws, test::examplePath(example).string());
        ASSERT_NE(project, nullptr);
        SortProject(ws.tree);
        inputs.push_back(moduleInput(project));
        EXPECT_EQ(moduleInput(import(sample(other))), inputs.back()) << other;
    }
    std::mt19937 random(4711);
    for (int i = 0; i < 60; ++i)
        inputs.push_back(moduleInput(randomProject(ws, random)));

    for (size_t i = 0; i < inputs.size(); ++i) {
        const std::string file = write("runde" + std::to_string(i) + ".rx4", inputs[i]);
        TreeItem* imported = import(file);
        ASSERT_NE(imported, nullptr) << i << "\n" << inputs[i];
        EXPECT_EQ(withoutAdvancedFlag(moduleInput(imported)), withoutAdvancedFlag(inputs[i])) << "project " << i;
        const auto* p = imported->NodeAs<TProject>();
        EXPECT_EQ(p->AdvancedSettings(), p->SamplesPerStep() + p->OptimisationSteps() + p->StepWidth() > 0 ? 1 : 0);
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

// Every prefix and many damaged copies of the samples: a project, or an
// error message (with its line where there is one) and the open project as
// it was.
TEST_F(ImportTest, DamagedSamplesLeaveNothingBehind)
{
    dialogs.strict = false; // "Neues Projekt erzeugen?" is answered Yes
    TreeItem* open = test::simpleProject(ws);
    const std::string before = moduleInput(open);
    std::mt19937 random(99);
    const std::string alphabet = "0123456789 -+.Ee\r\n\t[]cx";
    int imported = 0;
    int refused = 0;
    for (const char* name : {"rx4/comment-line.rx4", "rx4/inherited-fields.rx4", "rx4/glued-numbers.rx4",
                             "rxe/ccc-end.rxe", "rxe/variable-eta.rxe", "rxw/section-order.rxw"}) {
        const std::string bytes = test::readTestFile(test::testDataPath(name));
        const std::string file = "probe" + extensionPart(name);
        std::vector<std::string> variants;
        for (size_t n = 0; n < bytes.size(); ++n)
            variants.push_back(bytes.substr(0, n));
        for (int k = 0; k < 300; ++k) {
            std::string v = bytes;
            for (int e = 1 + int(random() % 4); e > 0 && !v.empty(); --e) {
                const size_t at = random() % v.size();
                const char c = random() % 4 == 0 ? char(random() % 256) : alphabet[random() % alphabet.size()];
                if (const auto how = random() % 3; how == 0)
                    v[at] = c;
                else if (how == 1)
                    v.insert(at, 1, c);
                else
                    v.erase(at, 1 + random() % 8);
            }
            variants.push_back(v);
        }
        for (const std::string& v : variants) {
            dialogs.clear();
            ws.tree.SetSelected(open);
            TreeItem* project = importFileContent(ws, settings, file, v);
            if (project) {
                ++imported;
                ASSERT_NE(project, open);
                DeleteNode(ws, project);
                continue;
            }
            ++refused;
            ASSERT_EQ(dialogs.messages.size(), 1u);
            const std::string& text = dialogs.last().text;
            const bool withLine = text.starts_with("Fehler beim Lesen der Datei\r" + file + " in Zeile ") &&
                                  text.find(" in Zeile 0.") == std::string::npos;
            const bool wholeFile = text == "Fehler beim Lesen der Datei " + file + "." ||
                                   text == "Die Datei enthält Zuordnungsfehler.\rDas Projekt konnte nicht geöffnet werden.";
            EXPECT_TRUE(withLine || wholeFile) << text;
            ASSERT_EQ(ws.tree.TopLevelCount(), 1) << text;
        }
    }
    EXPECT_EQ(moduleInput(open), before);
    EXPECT_GT(imported, 0);
    EXPECT_GT(refused, 0);
}

} // namespace
} // namespace vemra

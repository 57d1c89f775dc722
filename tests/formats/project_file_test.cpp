#include "commands/file_commands.h"
#include "formats/project_file.h"
#include "model/tree_ops.h"

#include "model/file_names.h"

#include "support/recording_model_observer.h"
#include "support/scripted_dialogs.h"
#include "support/test_data.h"
#include "support/tree_dump.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace vemra {
namespace {

namespace fs = std::filesystem;
using test::ScriptedDialogs;

const std::string CRLF = "\r\n";

std::string bytesOf(TreeItem* project)
{
    RecordWriter out;
    WriteProject(out, project);
    return out.bytes();
}

TreeItem* readBytes(Workspace& ws, const std::string& bytes, const std::string& name = "mem.r4p")
{
    RecordReader in(bytes);
    return ReadProject(ws.tree, in, name);
}

void writeText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    size_t start = 0;
    for (size_t end; (end = text.find(CRLF, start)) != std::string::npos; start = end + 2)
        result.push_back(text.substr(start, end - start));
    if (start < text.size())
        result.push_back(text.substr(start));
    return result;
}

template <class T> std::vector<TreeItem*> childrenOf(TreeItem* parent)
{
    std::vector<TreeItem*> result;
    for (int i = 0; i < parent->ChildCount(); ++i)
        if (parent->Child(i)->NodeAs<T>())
            result.push_back(parent->Child(i));
    return result;
}

TreeItem* addRestriction(ProjectTree& tree, TreeItem* parent, int kind, int motion, int motion2, double angle,
                         int group = 0)
{
    auto r = std::make_unique<TRestr>();
    r->Kind() = kind;
    r->Motion() = motion;
    r->Motion2() = motion2;
    r->RealPar[2] = angle;
    r->RealPar[4] = angle + 30;
    r->RealPar[6] = -1;
    r->RealPar[8] = 2.5;
    r->GroupNo() = group;
    r->IsGlobal = group > 0;
    for (int i = 1; i <= 12; ++i)
        r->EffPar[i] = r->RealPar[i] + 0.125 * i;
    r->MakeCaption();
    TRestr* raw = r.get();
    TreeItem* item = tree.AddChild(parent, std::move(r));
    if (raw->IsGlobal) {
        int g = group;
        AddGroupMember(tree, EnsureGroup(tree, g, ProjectOf(parent)), item);
    }
    return item;
}

// Two motions (the first with a result), absolute, spectrum, relative and
// global restrictions, umlauts in both text lines.
TreeItem* buildProject(ProjectTree& tree)
{
    auto p = std::make_unique<TProject>();
    p->Description = "Kurvengetriebe für Prüfstand äöü ß";
    p->IntPar[6] = 1;
    p->IntPar[4] = 8;
    p->IntPar[5] = 20;
    p->RealPar[1] = 0.25;
    p->HasResults = true;
    p->MakeCaption();
    TreeItem* project = tree.AddTopLevel(std::move(p));

    int n = 0;
    TreeItem* m1 = EnsureMotion(tree, n, project);
    n = 0;
    TreeItem* m2 = EnsureMotion(tree, n, project);
    auto* a = m1->NodeAs<TRXHeader>();
    a->ShortName = "Stößel Ä";
    a->IntPar[3] = 2;
    a->RealPar[2] = 1.5;
    a->RealPar[3] = 0.05;
    a->HasResult = a->ResultValid = true;
    for (TVector* v : {&a->sSC, &a->qSC})
        v->ReSize(6);
    a->mSC.ReSize(10);
    for (int i = 0; i < 6; ++i) {
        a->sSC[i] = 0.1 * (i + 1);
        a->qSC[i] = -1.0 / (i + 3);
    }
    for (int i = 0; i < 10; ++i)
        a->mSC[i] = 1e-7 * i;
    a->QStyle = 2;
    a->SStyle = 4;
    a->QColor = 0x123456;
    m2->NodeAs<TRXHeader>()->ShortName = "zweite";

    addRestriction(tree, m1, 1, 1, 0, 90);
    addRestriction(tree, m1, 12, 1, 0, 10, 1);
    addRestriction(tree, m2, 20, 2, 1, 0);
    TreeItem* rel = EnsureRelMotion(tree, 1, 2, project);
    addRestriction(tree, rel, 40, 1, 2, 45);
    addRestriction(tree, rel, 50, 1, 2, 100, 2);
    SortProject(tree);
    return project;
}

class ProjectFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("vemra-project-file-" + std::to_string(std::random_device{}()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::permissions(dir, fs::perms::all, ec);
        fs::remove_all(dir, ec);
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    // Writes the example project to name and returns its bytes.
    std::string saveExample(const std::string& name)
    {
        Workspace other(dialogs);
        const std::string bytes = bytesOf(buildProject(other.tree));
        writeText(dir / name, bytes);
        return bytes;
    }
    std::vector<std::string> leftovers() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().extension() == ".tmp")
                names.push_back(e.path().filename().string());
        return names;
    }

    fs::path dir;
    ScriptedDialogs dialogs;
    Workspace ws{dialogs};
    test::RecordingModelObserver hooks{ws};
};

// --- record text ----------------------------------------------------------------

TEST(RecordText, RealFieldsHaveTheFixedFormAndReadBack)
{
    EXPECT_EQ(formatReal23(100), " 1.00000000000000E+0002");
    EXPECT_EQ(formatReal23(-0.25), "-2.50000000000000E-0001");
    EXPECT_EQ(formatReal23(0), " 0.00000000000000E+0000");
    EXPECT_EQ(formatReal23(123456789012345678.0), " 1.23456789012346E+0017");
    EXPECT_EQ(formatReal23(-4e-300), "-4.00000000000000E-0300");

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double max = std::numeric_limits<double>::max();
    RecordWriter out;
    for (double v : {nan, inf, -inf, max, -max, 1e-310}) {
        EXPECT_EQ(formatReal23(v).size(), 23u) << v;
        out.realField(v);
        out.endLine();
    }
    RecordReader in(out.bytes() + "1e-400 -1E+99999\r\n");
    EXPECT_TRUE(std::isnan(in.readReal()));
    EXPECT_EQ(in.readReal(), inf);
    EXPECT_EQ(in.readReal(), -inf);
    // 15 digits round the largest double up, beyond the range: kept at the
    // largest double so the text comes back the same when written again.
    EXPECT_EQ(formatReal23(in.readReal()), formatReal23(max));
    EXPECT_EQ(in.readReal(), -max);
    EXPECT_NEAR(in.readReal(), 1e-310, 1e-320);
    EXPECT_EQ(in.readReal(), 0.0);
    EXPECT_EQ(in.readReal(), -max);
}

TEST(RecordText, IntegerFieldsNeverRunTogether)
{
    RecordWriter out;
    out.intField(7, 4);
    out.intField(1000, 4);
    out.intField(-100, 4);
    out.intField(-999, 4);
    out.intField(-16777216, 10);
    EXPECT_EQ(out.bytes(), "   7 1000 -100 -999 -16777216");
    RecordReader in(out.bytes() + "\r\n");
    for (int expected : {7, 1000, -100, -999, -16777216})
        EXPECT_EQ(in.readInt(), expected);
}

TEST(RecordText, ReaderSplitsOnWhiteSpaceAndGluedSigns)
{
    RecordReader in("  12\r\n-3\t4\n\n+5 0.5-0.25 12-1234 1.0E-0002 7.-2\r\n");
    for (int expected : {12, -3, 4, 5})
        EXPECT_EQ(in.readInt(), expected);
    EXPECT_EQ(in.readReal(), 0.5);
    EXPECT_EQ(in.readReal(), -0.25);
    EXPECT_EQ(in.readInt(), 12);
    EXPECT_EQ(in.readInt(), -1234);
    EXPECT_EQ(in.readReal(), 0.01);
    EXPECT_EQ(in.readReal(), 7.0);
    EXPECT_EQ(in.readInt(), -2);
    EXPECT_TRUE(in.atEnd());
}

TEST(RecordText, BadNumbersAndEndOfFileReportTheirLine)
{
    auto errorLine = [](const std::string& text, int good, bool real) {
        RecordReader in(text);
        for (int i = 0; i < good; ++i)
            in.readInt();
        try {
            real ? (void)in.readReal() : (void)in.readInt();
        } catch (const ReadError& e) {
            EXPECT_FALSE(std::string(e.what()).empty());
            return e.line();
        }
        return 0;
    };
    EXPECT_EQ(errorLine("1 2\r\n3 x\r\n", 3, false), 2);
    EXPECT_EQ(errorLine("1\r\n2\r\n\r\n1,5", 2, true), 4);
    EXPECT_EQ(errorLine("1\r\n2.5", 1, false), 2);
    EXPECT_EQ(errorLine("1\r\n99999999999", 1, false), 2);
    EXPECT_EQ(errorLine("1\r\n2\r\n", 2, false), 3);
    EXPECT_EQ(errorLine("", 0, true), 1);
}

TEST(RecordText, StringLinesAreCutAndConverted)
{
    const std::string longLine(300, 'x');
    RecordReader in("1 2\r\n" + longLine + "\r\n\xE4\xF6\xFC\xDF\x80\rnext\n");
    in.readInt();
    in.readInt();
    in.nextLine();
    EXPECT_EQ(in.readStringLine(), std::string(255, 'x'));
    EXPECT_EQ(in.readStringLine(), "äöüß€");
    EXPECT_EQ(in.readStringLine(), "next");
    EXPECT_EQ(in.line(), 5);
    EXPECT_TRUE(in.atEnd());

    RecordWriter out;
    out.stringLine(std::string(254, 'a') + "äb\nc");
    EXPECT_EQ(out.bytes(), std::string(254, 'a') + "\xE4" + CRLF);
    RecordWriter broken;
    broken.stringLine("a\nb → c");
    EXPECT_EQ(broken.bytes(), "a b ? c" + CRLF);
}

TEST(RecordText, EveryWindows1252ByteSurvivesTheRoundTrip)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);
    EXPECT_EQ(cp1252ToUtf8("\x80\x9F"), "€Ÿ");
    EXPECT_EQ(utf8ToCp1252("\xC3"), "?"); // broken UTF-8
}

// --- layout and round trip ----------------------------------------------------------

TEST_F(ProjectFileTest, NewProjectIsThreeFixedWidthLines)
{
    auto p = std::make_unique<TProject>();
    p->Description = "Test";
    TreeItem* project = ws.tree.AddTopLevel(std::move(p));
    std::string expected;
    for (int i = 0; i < 9; ++i)
        expected += "   0";
    expected += CRLF;
    for (int i = 0; i < 12; ++i)
        expected += "   0.00000000000000E+0000";
    expected += CRLF + "Test" + CRLF;
    EXPECT_EQ(bytesOf(project), expected);
    EXPECT_FALSE(project->NodeAs<TProject>()->Unsaved);

    TreeItem* back = readBytes(ws, expected);
    EXPECT_EQ(back->ChildCount(), 0);
    EXPECT_EQ(back->NodeAs<TProject>()->Description, "Test");
}

TEST_F(ProjectFileTest, RoundTripIsByteIdenticalAndRebuildsDerivedNodes)
{
    TreeItem* original = buildProject(ws.tree);
    const std::string first = bytesOf(original);
    // The file order does not depend on the tree having been sorted.
    ws.tree.SortChildren(original, [](const TreeItem* a, const TreeItem* b) {
        return a->Node()->SortKey > b->Node()->SortKey;
    });
    EXPECT_EQ(bytesOf(original), first);

    Workspace other(dialogs);
    TreeItem* back = readBytes(other, first, "/data/projekt.r4p");
    EXPECT_EQ(bytesOf(back), first);

    auto* project = back->NodeAs<TProject>();
    EXPECT_EQ(project->Caption, "projekt.r4p");
    EXPECT_EQ(project->Description, "Kurvengetriebe für Prüfstand äöü ß");
    EXPECT_TRUE(project->HasResults);
    EXPECT_FALSE(project->Unsaved);
    EXPECT_EQ(project->IntPar[3], 2);
    EXPECT_EQ(project->IntPar[8], 2);
    ASSERT_EQ(childrenOf<TRXHeader>(back).size(), 2u);
    ASSERT_EQ(childrenOf<TRelHeader>(back).size(), 1u);
    ASSERT_EQ(childrenOf<TGroupHeader>(back).size(), 2u);

    TreeItem* m1 = childrenOf<TRXHeader>(back)[0];
    auto* a = m1->NodeAs<TRXHeader>();
    EXPECT_EQ(a->ShortName, "Stößel Ä");
    EXPECT_TRUE(a->HasResult && a->ResultValid);
    EXPECT_EQ(a->ResultHarm, 2);
    EXPECT_EQ(a->mSC.Count(), 10);
    EXPECT_EQ(a->QStyle, 2);
    EXPECT_EQ(a->QColor, 0x123456);
    EXPECT_EQ(m1->ChildCount(), 2);
    EXPECT_FALSE(a->Modified);

    // The relative motion holds the difference of motion 1 and the result-
    // less motion 2, and its global restriction joined object 2.
    TreeItem* relItem = childrenOf<TRelHeader>(back)[0];
    auto* rel = relItem->NodeAs<TRelHeader>();
    EXPECT_EQ(rel->Caption, "Bewegungsvorgabe (rel) 1-2");
    EXPECT_TRUE(rel->HasResult);
    ASSERT_EQ(rel->sSC.Count(), 6);
    EXPECT_EQ(rel->IntPar[3], 3);
    EXPECT_DOUBLE_EQ(rel->sSC[5], a->sSC[5]);
    ASSERT_EQ(relItem->ChildCount(), 2);
    auto* global = relItem->Child(1)->NodeAs<TRestr>();
    EXPECT_TRUE(global->IsGlobal);
    EXPECT_DOUBLE_EQ(global->EffPar[12], 0 + 0.125 * 12);
    TreeItem* group2 = childrenOf<TGroupHeader>(back)[1];
    ASSERT_EQ(group2->ChildCount(), 1);
    EXPECT_EQ(group2->Child(0)->NodeAs<TGroupMember>()->RefTNR, relItem->Child(1));
    auto* plain = relItem->Child(0)->NodeAs<TRestr>();
    EXPECT_EQ(plain->EffPar, plain->RealPar);
}

TEST_F(ProjectFileTest, TextLinesAreSingleBytesOnDisk)
{
    const std::string bytes = bytesOf(buildProject(ws.tree));
    EXPECT_NE(bytes.find("Kurvengetriebe f\xFCr Pr\xFC" "fstand \xE4\xF6\xFC \xDF" + CRLF), std::string::npos);
    EXPECT_NE(bytes.find(CRLF + "St\xF6\xDF" "el \xC4" + CRLF), std::string::npos);
}

TEST_F(ProjectFileTest, AdvancedSettingsOffAreWrittenAsZerosAndStayZero)
{
    TreeItem* item = buildProject(ws.tree);
    auto* p = item->NodeAs<TProject>();
    p->IntPar[6] = 0;
    const auto first = lines(bytesOf(item));
    EXPECT_EQ(first[0].substr(12, 8), "   0   0");
    EXPECT_EQ(first[1].substr(0, 25), "   0.00000000000000E+0000");
    EXPECT_EQ(p->IntPar[4], 0);
    EXPECT_EQ(p->IntPar[5], 0);
    EXPECT_EQ(p->RealPar[1], 0.0);
}

TEST_F(ProjectFileTest, RestrictionNamingAHigherObjectCreatesIt)
{
    TreeItem* item = buildProject(ws.tree);
    TreeItem* m2 = childrenOf<TRXHeader>(item)[1];
    addRestriction(ws.tree, m2, 2, 2, 0, 30, 3);
    item->NodeAs<TProject>()->IntPar[8] = 2;

    TreeItem* back = readBytes(ws, bytesOf(item));
    EXPECT_EQ(back->NodeAs<TProject>()->IntPar[8], 3);
    const auto groups = childrenOf<TGroupHeader>(back);
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[2]->NodeAs<TGroupHeader>()->Number(), 3);
    ASSERT_EQ(groups[2]->ChildCount(), 1);
}

// Whatever a file reads as must write and read back to the same tree and the
// same bytes, or every save of an opened file changes the project.
TEST_F(ProjectFileTest, ProjectSurvivesReadWriteRead)
{
    const auto sample = [](const char* name) {
        return test::readTestFile(test::testDataPath(std::string("r4p/") + name));
    };
    const struct {
        const char* name;
        std::string file;
        size_t objects;
    } cases[] = {
        // Object 1 exists, empty, as it will after the file is saved with
        // the count 2 and read again.
        {"an object named with none before it", sample("object-named-without-the-ones-before.r4p"), 2},
        // Blanks after the record are no error; rewritten, the file is shorter.
        {"more objects announced than the file holds", sample("more-objects-announced-than-held.r4p"), 400},
        {"a real with more digits than the file keeps", sample("real-with-more-digits-than-kept.r4p"), 0},
        {"a zero with a sign, a NaN with a sign and a payload", sample("signed-zero-and-nan.r4p"), 0},
        // Two restrictions of different relative motions in one object give members with
        // equal keys; the file lists them in another order than the sorted project.
        {"object members with equal keys out of order", sample("object-members-with-equal-keys-out-of-order.r4p"), 1},
        {"the example", saveExample("k.r4p"), 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Workspace first(dialogs), second(dialogs);
        TreeItem* once = readBytes(first, c.file);
        SortProject(first.tree);
        EXPECT_EQ(childrenOf<TGroupHeader>(once).size(), c.objects);
        const std::string written = bytesOf(once);
        TreeItem* twice = readBytes(second, written);
        SortProject(second.tree);
        EXPECT_EQ(bytesOf(twice), written);
        EXPECT_EQ(treeDump(twice), treeDump(once));
    }
}

// A relative restriction needs two different motion definitions of the
// project: its difference motion cannot be computed from motion 0, from a
// motion the project lacks, or from one motion against itself.
TEST_F(ProjectFileTest, RelativeRestrictionWithoutTwoMotionsIsAReadError)
{
    const std::tuple<int, int, bool> pairs[] = {
        {0, 0, false}, {1, 1, false}, {1, 0, false}, {-2, 2, false}, {1, 7, false}, {0, 2, false},
        {1, 2, true},  {-1, 2, true}, {2, 1, true},
    };
    for (const auto& [a, b, reads] : pairs) {
        SCOPED_TRACE(std::to_string(a) + "-" + std::to_string(b));
        Workspace other(dialogs);
        TreeItem* item = buildProject(other.tree);
        addRestriction(other.tree, EnsureRelMotion(other.tree, a, b, item), 41, a, b, 77);
        const std::string file = bytesOf(item);
        const auto line = std::count(file.begin(), file.begin() + file.find("7.70000000000000E+0001"), '\n');
        Workspace scratch(dialogs);
        try {
            readBytes(scratch, file);
            EXPECT_TRUE(reads);
        } catch (const ReadError& e) {
            EXPECT_FALSE(reads) << e.what();
            EXPECT_EQ(e.line(), line);
        }
    }
}

TEST_F(ProjectFileTest, MotionWithoutResultStoresNoCoefficients)
{
    auto p = std::make_unique<TProject>();
    TreeItem* item = ws.tree.AddTopLevel(std::move(p));
    int n = 0;
    EnsureMotion(ws.tree, n, item);
    // Project record, generic record, display line, short name.
    EXPECT_EQ(lines(bytesOf(item)).size(), 3u + 4u);

    TreeItem* back = readBytes(ws, bytesOf(item));
    auto* motion = childrenOf<TRXHeader>(back)[0]->NodeAs<TRXHeader>();
    EXPECT_FALSE(motion->HasResult);
    EXPECT_EQ(motion->sSC.Count(), 0);
    EXPECT_EQ(motion->mSC.Count(), -2);
}

TEST_F(ProjectFileTest, OverlongLineIsCutAndTheNextRecordStillReads)
{
    TreeItem* item = buildProject(ws.tree);
    item->NodeAs<TProject>()->Description = std::string(255, 'd');
    std::string bytes = bytesOf(item);
    bytes.insert(bytes.find(std::string(255, 'd')), std::string(45, 'e'));
    TreeItem* back = readBytes(ws, bytes);
    EXPECT_EQ(back->NodeAs<TProject>()->Description, std::string(45, 'e') + std::string(210, 'd'));
    EXPECT_EQ(childrenOf<TRXHeader>(back).size(), 2u);
}

TEST_F(ProjectFileTest, ValuesWiderThanTheirFieldRoundTrip)
{
    TreeItem* item = buildProject(ws.tree);
    TreeItem* m1 = childrenOf<TRXHeader>(item)[0];
    auto* r = m1->Child(0)->NodeAs<TRestr>();
    r->PhiMinVar() = 1000;
    r->PhiMaxVar() = -100;
    r->Ident() = -2147483647 - 1;
    auto* motion = m1->NodeAs<TRXHeader>();
    motion->SColor = -1;
    motion->MinColor = std::numeric_limits<int32_t>::min();
    const std::string first = bytesOf(item);

    TreeItem* back = readBytes(ws, first);
    auto* r2 = childrenOf<TRXHeader>(back)[0]->Child(0)->NodeAs<TRestr>();
    EXPECT_EQ(r2->PhiMinVar(), 1000);
    EXPECT_EQ(r2->PhiMaxVar(), -100);
    EXPECT_EQ(r2->Ident(), std::numeric_limits<int32_t>::min());
    auto* motion2 = childrenOf<TRXHeader>(back)[0]->NodeAs<TRXHeader>();
    EXPECT_EQ(motion2->SColor, -1);
    EXPECT_EQ(motion2->MinColor, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(bytesOf(back), first);
}

TEST_F(ProjectFileTest, WhiteSpaceAfterTheLastRecordIsNoError)
{
    const std::string bytes = bytesOf(buildProject(ws.tree));
    EXPECT_NO_THROW(readBytes(ws, bytes + "\r\n \r\n\t\n"));
    // Files passed through other tools often lack the final line end.
    EXPECT_EQ(bytesOf(readBytes(ws, bytes.substr(0, bytes.size() - 2))), bytes);
}

TEST_F(ProjectFileTest, NumbersDoNotFollowTheUserLocale)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8"))
        GTEST_SKIP() << "German locale not installed";
    std::locale::global(std::locale(""));
    TreeItem* item = buildProject(ws.tree);
    const std::string bytes = bytesOf(item);
    TreeItem* back = readBytes(ws, bytes);
    const std::string again = bytesOf(back);
    const double rate = back->NodeAs<TProject>()->RealPar[1];
    std::locale::global(std::locale::classic());
    std::setlocale(LC_ALL, previous.c_str());

    EXPECT_NE(bytes.find("2.50000000000000E-0001"), std::string::npos);
    EXPECT_EQ(rate, 0.25);
    EXPECT_EQ(again, bytes);
}

// --- file commands -----------------------------------------------------------------

TEST_F(ProjectFileTest, OpenReadsTheProjectAndShowsIt)
{
    const std::string bytes = saveExample("kurve.r4p");
    TreeItem* item = OpenProjectCommand(ws, path("kurve.r4p"));
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(ws.tree.Selected(), item);
    EXPECT_EQ(item->Text(), "kurve.r4p");
    EXPECT_EQ(item->NodeAs<TProject>()->FileName, path("kurve.r4p"));
    EXPECT_EQ(ws.LastR4PPath, dir.string() + "/");
    EXPECT_EQ(hooks.shown, std::vector<TreeItem*>{item});
    EXPECT_EQ(hooks.menuUpdates, std::vector<TreeItem*>{item});
    EXPECT_EQ(hooks.refreshes, 1);

    // Open-recent takes any name and leaves the last folder alone.
    fs::copy_file(dir / "kurve.r4p", dir / "kurve.txt");
    ws.LastR4PPath = "elsewhere/";
    ASSERT_NE(OpenRecentCommand(ws, path("kurve.txt")), nullptr);
    EXPECT_EQ(ws.LastR4PPath, "elsewhere/");
    EXPECT_EQ(ws.tree.TopLevelCount(), 2);
}

TEST_F(ProjectFileTest, OpenRefusesWhatItCannotOpenOrAssign)
{
    saveExample("kurve.txt");
    EXPECT_EQ(OpenProjectCommand(ws, path("kurve.txt")), nullptr);
    EXPECT_EQ(dialogs.last().text, "Die Datei enthält Zuordnungsfehler.\rDas Projekt konnte nicht geöffnet werden.");
    EXPECT_EQ(dialogs.last().buttons, ButtonOk);

    EXPECT_EQ(OpenProjectCommand(ws, path("fehlt.r4p")), nullptr);
    EXPECT_EQ(dialogs.last().text, "Projektdatei konnte nicht geöffnet werden.");
    EXPECT_EQ(dialogs.last().buttons, ButtonAbort);
    EXPECT_EQ(dialogs.last().kind, DialogKind::Error);

    EXPECT_EQ(OpenRecentCommand(ws, path("fehlt.r4p")), nullptr);
    EXPECT_EQ(dialogs.last().text, "Fehler beim Lesen der Datei\r" + path("fehlt.r4p"));
    EXPECT_EQ(ws.tree.TopLevelCount(), 0);
    EXPECT_EQ(dialogs.messages.size(), 3u);
}

TEST_F(ProjectFileTest, SaveWritesOnlyToALowerCaseProjectName)
{
    TreeItem* item = buildProject(ws.tree);
    ws.tree.SetSelected(item->Child(0));
    auto* p = item->NodeAs<TProject>();
    EXPECT_FALSE(SaveProjectCommand(ws)); // never saved yet
    p->FileName = path("KURVE.R4P");
    EXPECT_FALSE(SaveProjectCommand(ws));
    EXPECT_FALSE(fs::exists(dir / "KURVE.R4P"));

    p->FileName = path("kurve.r4p");
    p->Unsaved = true;
    EXPECT_TRUE(SaveProjectCommand(ws));
    EXPECT_FALSE(p->Unsaved);
    EXPECT_EQ(test::readTestFile(dir / "kurve.r4p"), bytesOf(item));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(leftovers().empty());
}

TEST_F(ProjectFileTest, SaveAsNeedsTheProjectExtension)
{
    TreeItem* item = buildProject(ws.tree);
    ws.tree.SetSelected(item);
    EXPECT_FALSE(SaveProjectAsCommand(ws, path("kurve.txt")));
    EXPECT_EQ(dialogs.last().text, "Die Sicherung muß mit der\rStandarderweiterung .r4p erfolgen.");
    EXPECT_EQ(dialogs.last().buttons, ButtonCancel);
    EXPECT_TRUE(fs::is_empty(dir));
    EXPECT_TRUE(item->NodeAs<TProject>()->FileName.empty());

    EXPECT_TRUE(SaveProjectAsCommand(ws, path("kurve")));
    EXPECT_EQ(item->NodeAs<TProject>()->FileName, path("kurve.r4p"));
    EXPECT_EQ(item->Text(), "kurve.r4p");
    EXPECT_EQ(hooks.recent, std::vector<std::string>{path("kurve.r4p")});
    EXPECT_EQ(hooks.menuUpdates, std::vector<TreeItem*>{item});
    EXPECT_EQ(test::readTestFile(dir / "kurve.r4p"), bytesOf(item));
}

TEST_F(ProjectFileTest, DialogRequestsAndPathParts)
{
    ws.LastR4PPath = "C:\\Projekte\\";
    const FileDialogRequest open = openProjectDialogRequest(ws);
    EXPECT_EQ(open.title, "Projekt öffnen");
    EXPECT_EQ(open.filters.at(0), (std::pair<std::string, std::string>("Projektdatei (*.r4p)", "*.r4p")));
    EXPECT_EQ(open.defaultExtension, "r4p");
    EXPECT_EQ(open.initialDirectory, "C:\\Projekte\\");
    EXPECT_TRUE(open.mustExist && !open.save);

    TreeItem* item = buildProject(ws.tree);
    EXPECT_EQ(saveProjectDialogRequest(ws, item).proposedName, "");
    item->NodeAs<TProject>()->FileName = "C:\\dir.v2\\kurve.r4p";
    const FileDialogRequest save = saveProjectDialogRequest(ws, item->Child(0));
    EXPECT_EQ(save.title, "Projekt sichern");
    EXPECT_EQ(save.filters.at(0), (std::pair<std::string, std::string>("Projektdatei", "*.r4p")));
    EXPECT_EQ(save.proposedName, "C:\\dir.v2\\kurve");
    EXPECT_TRUE(save.save && save.confirmOverwrite);

    EXPECT_EQ(fileNamePart("C:\\dir\\a.r4p"), "a.r4p");
    EXPECT_EQ(fileNamePart("D:a.r4p"), "a.r4p");
    EXPECT_EQ(folderPart("/home/u/a.r4p"), "/home/u/");
    EXPECT_EQ(folderPart("a.r4p"), "");
    EXPECT_EQ(extensionPart("/home/u.v2/a"), "");
    EXPECT_EQ(extensionPart("x/a.b.R4P"), ".R4P");
}

// --- damaged files ---------------------------------------------------------------

TEST_F(ProjectFileTest, UnreadableNumberDetachesWhatWasRead)
{
    std::string bytes = saveExample("kurve.r4p");
    // Spoil the motion number of the first restriction of motion 1.
    const auto all = lines(bytes);
    const size_t index = static_cast<size_t>(
        std::find_if(all.begin(), all.end(), [](const std::string& l) { return l.rfind("   1   0   1", 0) == 0; }) -
        all.begin());
    ASSERT_LT(index, all.size());
    bytes.replace(bytes.find(CRLF + all[index]) + 2, 4, " 1,0");
    writeText(dir / "kurve.r4p", bytes);

    EXPECT_EQ(OpenProjectCommand(ws, path("kurve.r4p")), nullptr);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.last().text, "Fehler beim Lesen der Datei\rkurve.r4p in Zeile " + std::to_string(index + 1) + ".");
    EXPECT_EQ(dialogs.last().kind, DialogKind::Error);

    ASSERT_EQ(ws.tree.TopLevelCount(), 1);
    TreeItem* partial = ws.tree.TopLevel(0);
    auto* p = partial->NodeAs<TProject>();
    EXPECT_TRUE(p->FileName.empty());
    EXPECT_TRUE(p->Unsaved);
    EXPECT_EQ(partial->Text(), "neues Projekt");
    EXPECT_EQ(p->Description, "Kurvengetriebe für Prüfstand äöü ß");
    EXPECT_EQ(childrenOf<TRXHeader>(partial)[0]->NodeAs<TRXHeader>()->ShortName, "Stößel Ä");
    // A plain save has nowhere to write; the original stays as it was.
    ws.tree.SetSelected(partial);
    EXPECT_FALSE(SaveProjectCommand(ws));
    EXPECT_EQ(test::readTestFile(dir / "kurve.r4p"), bytes);
}

TEST_F(ProjectFileTest, FilesThatPromiseMoreThanTheyHoldAreReadErrors)
{
    const std::string good = bytesOf(buildProject(ws.tree));
    auto setField = [](std::string text, int line, int field, const std::string& value) {
        auto all = lines(text);
        const size_t at = text.find(all[static_cast<size_t>(line - 1)]) + 4 * static_cast<size_t>(field - 1);
        return text.replace(at, 4, value);
    };
    auto motionCount = setField(good, 1, 3, "   3");
    // Motion 1 announces 50 restrictions, its coefficient count two billions.
    auto restrictions = setField(good, 4, 9, "  50");
    auto coefficients = setField(good, 4, 8, " 2000000000");
    auto manyMotions = setField(good, 1, 3, "  11");
    auto manyGroups = setField(good, 1, 8, " 2000000000");
    struct Case {
        std::string name, text;
        int line;
        int projects = 1;
    } cases[] = {
        {"truncated", good.substr(0, good.size() / 2), 0},
        // Nothing of a broken project record is worth keeping.
        {"truncated in the project record", good.substr(0, lines(good)[0].size() + 2 + 40), 2, 0},
        {"missing motion", good.substr(0, good.find(CRLF + "   0   2   1   0") + 2), 0},
        {"restriction count", restrictions, 0},
        {"coefficient count", coefficients, 0},
        {"more than ten motions", manyMotions, 1},
        // A damaged object count is refused before it can overflow the
        // numbering of the next new object.
        {"object count", manyGroups, 1},
        {"motion count", motionCount, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Workspace scratch(dialogs);
        writeText(dir / "k.r4p", c.text);
        dialogs.clear();
        EXPECT_EQ(OpenRecentCommand(scratch, path("k.r4p")), nullptr);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.last().text.rfind("Fehler beim Lesen der Datei\rk.r4p in Zeile ", 0), 0u);
        if (c.line) {
            EXPECT_EQ(dialogs.last().text, "Fehler beim Lesen der Datei\rk.r4p in Zeile " + std::to_string(c.line) + ".");
        }
        ASSERT_EQ(scratch.tree.TopLevelCount(), c.projects);
        if (c.projects) {
            EXPECT_TRUE(scratch.tree.TopLevel(0)->NodeAs<TProject>()->FileName.empty());
        }
    }
}

// Cutting a real file anywhere must end in a complete project or a clean
// error whose salvaged part can never be saved over the file. A cut between
// whole relative-restriction records cannot be told from a shorter file and
// reads cleanly.
TEST_F(ProjectFileTest, EveryTruncationIsACleanReadOrADetachedSalvage)
{
    const std::string good = bytesOf(buildProject(ws.tree));
    int cleanReads = 0;
    for (size_t length = 0; length < good.size(); ++length) {
        SCOPED_TRACE(length);
        Workspace scratch(dialogs);
        writeText(dir / "cut.r4p", good.substr(0, length));
        dialogs.clear();
        TreeItem* read = readProjectFile(scratch, path("cut.r4p"));
        if (read) {
            ++cleanReads;
            // Whole lines were lost, or at most the tail of the last number
            // of a line (a number may end with the file): the rest of the
            // line the cut falls in holds no further field.
            const size_t kept = good.substr(0, length).find_last_not_of(" \r\n") + 1;
            const std::string rest = good.substr(kept, good.find_first_of("\r\n", kept) - kept);
            EXPECT_EQ(rest.find(' '), std::string::npos) << rest;
            EXPECT_EQ(read->NodeAs<TProject>()->FileName, path("cut.r4p"));
            EXPECT_TRUE(dialogs.messages.empty());
        } else {
            ASSERT_EQ(dialogs.messages.size(), 1u);
            for (int i = 0; i < scratch.tree.TopLevelCount(); ++i) {
                const auto* p = scratch.tree.TopLevel(i)->NodeAs<TProject>();
                EXPECT_TRUE(p->FileName.empty());
                EXPECT_TRUE(p->Unsaved);
            }
        }
        if (::testing::Test::HasFailure())
            break;
    }
    EXPECT_GT(cleanReads, 0);
}

// A relative record may mark its first motion with a minus sign; the motion
// is its magnitude, and the pair finds the result through it.
TEST_F(ProjectFileTest, MarkedFirstMotionOfARelativeRecordFindsItsResult)
{
    TreeItem* item = buildProject(ws.tree);
    addRestriction(ws.tree, EnsureRelMotion(ws.tree, -1, 2, item), 40, -1, 2, 10);
    TreeItem* again = readBytes(ws, bytesOf(item));
    EXPECT_EQ(childrenOf<TRXHeader>(again).size(), 2u);
    EXPECT_EQ(childrenOf<TRelHeader>(again).size(), 2u);
    for (TreeItem* rel : childrenOf<TRelHeader>(again))
        EXPECT_TRUE(rel->NodeAs<TRelHeader>()->HasResult) << rel->NodeAs<TRelHeader>()->Caption;
}

// --- atomic saving -----------------------------------------------------------------

TEST_F(ProjectFileTest, FailedSaveKeepsThePreviousFileAndTheFlags)
{
    TreeItem* item = buildProject(ws.tree);
    auto* p = item->NodeAs<TProject>();
    auto* motion = item->Child(0)->NodeAs<TRXHeader>();

    fs::create_directory(dir / "ordner.r4p");
    auto failure = writeProjectFile(item, path("ordner.r4p"));
    ASSERT_TRUE(failure.has_value());
    EXPECT_NE(failure->find(path("ordner.r4p")), std::string::npos);
    EXPECT_TRUE(fs::is_directory(dir / "ordner.r4p"));
    EXPECT_TRUE(p->Unsaved);
    EXPECT_TRUE(motion->Modified);

    EXPECT_TRUE(writeProjectFile(item, path("fehlt/kurve.r4p")).has_value());

    writeText(dir / "alt.r4p", "alter Inhalt");
    fs::permissions(dir / "alt.r4p", fs::perms::owner_read);
    EXPECT_TRUE(writeProjectFile(item, path("alt.r4p")).has_value());
    EXPECT_EQ(test::readTestFile(dir / "alt.r4p"), "alter Inhalt");

    // Save-as reports the failure and keeps the project's old name.
    ws.tree.SetSelected(item);
    EXPECT_FALSE(SaveProjectAsCommand(ws, path("ordner.r4p")));
    EXPECT_EQ(dialogs.last().kind, DialogKind::Error);
    EXPECT_TRUE(p->FileName.empty());
    EXPECT_TRUE(hooks.recent.empty());
    EXPECT_TRUE(leftovers().empty());

    writeText(dir / "kurve.r4p", "alt");
    EXPECT_FALSE(writeProjectFile(item, path("kurve.r4p")).has_value());
    EXPECT_EQ(test::readTestFile(dir / "kurve.r4p"), bytesOf(item));
    EXPECT_TRUE(leftovers().empty());
}

// --- robustness ---------------------------------------------------------------------

// Whatever bytes arrive, the reader either builds a project or reports a
// ReadError, and what it built can be written and read again.
void feedMutatedFiles(const std::string& good, UserDialogs& dialogs)
{
    std::mt19937 rng(20240611);
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
    const std::vector<std::string> hostile = {"-1", "0", "3", "11", "2000000000", "-2147483648", "99999999999",
                                              "1e308", "nan", "-inf", "1e-400", "x", "", "\r\n", "  1"};
    int accepted = 0;
    for (int round = 0; round < 1500; ++round) {
        std::string text = good;
        const int kind = round % 5;
        if (kind == 4) {
            text.resize(pick(600));
            for (char& c : text)
                c = static_cast<char>(pick(256));
        } else {
            for (int m = 0, edits = 1 + static_cast<int>(pick(4)); m < edits && !text.empty(); ++m) {
                const size_t at = pick(text.size());
                if (kind == 0)
                    text[at] = static_cast<char>(pick(256));
                else if (kind == 1)
                    text.replace(at, std::min<size_t>(pick(8), text.size() - at), hostile[pick(hostile.size())]);
                else if (kind == 2)
                    text.erase(at, pick(60));
                else
                    text.resize(at);
            }
        }
        Workspace scratch(dialogs);
        try {
            readBytes(scratch, text);
            ++accepted;
        } catch (const ReadError&) {
        }
        if (scratch.tree.TopLevelCount() == 0)
            continue;
        const std::string written = bytesOf(scratch.tree.TopLevel(0));
        Workspace again(dialogs);
        EXPECT_NO_THROW(readBytes(again, written)) << "round " << round;
        if (::testing::Test::HasFailure())
            break;
    }
    EXPECT_GT(accepted, 0);
}

TEST_F(ProjectFileTest, ArbitraryBytesNeverBreakTheReader)
{
    TreeItem* item = buildProject(ws.tree);
    item->NodeAs<TProject>()->HasResults = false;
    feedMutatedFiles(bytesOf(item), dialogs);
}

// With results the reader also computes the actual values of every
// restriction, on whatever angles a damaged file carries (1e11 degrees, say):
// that must neither crash nor hang.
TEST_F(ProjectFileTest, ArbitraryBytesWithResultsNeverBreakTheReader)
{
    feedMutatedFiles(bytesOf(buildProject(ws.tree)), dialogs);
}

// Files that once broke the reader, each named after what it shows.
TEST(ProjectFileSamples, DamagedAndUnusualFilesReadAsUsersExpect)
{
    struct Sample {
        const char* file;
        int errorLine;        // 0: reads cleanly
        const char* sameAs{}; // an example it writes as
    } samples[] = {
        // Without its final line end the file is the example itself.
        {"r4p/no-final-line-end.r4p", 0, "hubkurve.r4p"},
        // An object number at the end of the 32-bit range would make the next
        // new object's number overflow.
        {"r4p/group-number-beyond-limit.r4p", 113},
    };
    for (const Sample& s : samples) {
        SCOPED_TRACE(s.file);
        test::ScriptedDialogs dialogs;
        Workspace ws(dialogs);
        TreeItem* item = readProjectFile(ws, test::testDataPath(s.file).string());
        if (s.errorLine == 0) {
            ASSERT_NE(item, nullptr);
            EXPECT_TRUE(dialogs.messages.empty());
            if (s.sameAs) {
                EXPECT_EQ(bytesOf(item), test::readTestFile(test::examplePath(s.sameAs)));
            }
        } else {
            EXPECT_EQ(item, nullptr);
            EXPECT_EQ(dialogs.last().text, "Fehler beim Lesen der Datei\r" + fileNamePart(s.file) + " in Zeile " +
                                               std::to_string(s.errorLine) + ".");
        }
    }
}

} // namespace
} // namespace vemra

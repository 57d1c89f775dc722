// The project file's records as text, and damaged files: every fault
// reported with its line, every cut and mutation of a good file either read
// or refused cleanly, and the samples that once broke the reader.
#include "project_file_fixture.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace vemra {
namespace {

using namespace test;

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
    const std::pair<int, int> fields[] = {{7, 4}, {1000, 4}, {-100, 4}, {-999, 4}, {-16777216, 10}};
    RecordWriter out;
    for (const auto& [value, width] : fields)
        out.intField(value, width);
    EXPECT_EQ(out.bytes(), "   7 1000 -100 -999 -16777216");
    RecordReader in(out.bytes() + "\r\n");
    for (const auto& [value, width] : fields)
        EXPECT_EQ(in.readInt(), value) << width;
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
    EXPECT_EQ(readTestFile(dir / "kurve.r4p"), bytes);
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

// With results the reader also computes the actual values of every
// restriction, on whatever angles a damaged file carries (1e11 degrees, say):
// that must neither crash nor hang.
TEST_F(ProjectFileTest, ArbitraryBytesWithAndWithoutResultsNeverBreakTheReader)
{
    for (const bool results : {false, true}) {
        SCOPED_TRACE(results ? "with results" : "without results");
        TreeItem* item = buildProject(ws.tree);
        item->NodeAs<TProject>()->HasResults = results;
        feedMutatedFiles(bytesOf(item), dialogs);
    }
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
        ScriptedDialogs dialogs;
        Workspace ws(dialogs);
        TreeItem* item = readProjectFile(ws, testDataPath(s.file).string());
        if (s.errorLine == 0) {
            ASSERT_NE(item, nullptr);
            EXPECT_TRUE(dialogs.messages.empty());
            if (s.sameAs) {
                EXPECT_EQ(bytesOf(item), readTestFile(examplePath(s.sameAs)));
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

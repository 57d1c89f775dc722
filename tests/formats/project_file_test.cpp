// The project file: its fixed layout and byte-identical round trip, the
// nodes rebuilt on reading, the open and save commands, and saving that
// keeps the previous file when it fails.
#include "project_file_fixture.h"

#include <algorithm>
#include <clocale>
#include <limits>
#include <tuple>

namespace vemra {
namespace {

using namespace test;

// --- layout and round trip ----------------------------------------------------------

TEST_F(ProjectFileTest, NewProjectIsThreeFixedWidthLinesAndAMotionWithoutResultFour)
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

    // A motion without result stores no coefficients: project record,
    // generic record, display line, short name.
    int n = 0;
    EnsureMotion(ws.tree, n, project);
    EXPECT_EQ(lines(bytesOf(project)).size(), 3u + 4u);
    auto* motion = childrenOf<TRXHeader>(readBytes(ws, bytesOf(project)))[0]->NodeAs<TRXHeader>();
    EXPECT_FALSE(motion->HasResult);
    EXPECT_EQ(motion->sSC.Count(), 0);
    EXPECT_EQ(motion->mSC.Count(), -2);
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
    // The text lines are single bytes on disk.
    EXPECT_NE(first.find("Kurvengetriebe f\xFCr Pr\xFC" "fstand \xE4\xF6\xFC \xDF" + CRLF), std::string::npos);
    EXPECT_NE(first.find(CRLF + "St\xF6\xDF" "el \xC4" + CRLF), std::string::npos);

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
        return readTestFile(testDataPath(std::string("r4p/") + name));
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

TEST_F(ProjectFileTest, OverlongLinesAreCutAndWhiteSpaceAtTheEndIsNoError)
{
    TreeItem* item = buildProject(ws.tree);
    item->NodeAs<TProject>()->Description = std::string(255, 'd');
    std::string bytes = bytesOf(item);
    bytes.insert(bytes.find(std::string(255, 'd')), std::string(45, 'e'));
    TreeItem* back = readBytes(ws, bytes);
    EXPECT_EQ(back->NodeAs<TProject>()->Description, std::string(45, 'e') + std::string(210, 'd'));
    EXPECT_EQ(childrenOf<TRXHeader>(back).size(), 2u);

    // White space after the last record is no error.
    const std::string good = bytesOf(back);
    EXPECT_NO_THROW(readBytes(ws, good + "\r\n \r\n\t\n"));
    // Files passed through other tools often lack the final line end.
    EXPECT_EQ(bytesOf(readBytes(ws, good.substr(0, good.size() - 2))), good);
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
    EXPECT_EQ(readTestFile(dir / "kurve.r4p"), bytesOf(item));
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
    EXPECT_EQ(readTestFile(dir / "kurve.r4p"), bytesOf(item));
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
    EXPECT_EQ(readTestFile(dir / "alt.r4p"), "alter Inhalt");

    // Save-as reports the failure and keeps the project's old name.
    ws.tree.SetSelected(item);
    EXPECT_FALSE(SaveProjectAsCommand(ws, path("ordner.r4p")));
    EXPECT_EQ(dialogs.last().kind, DialogKind::Error);
    EXPECT_TRUE(p->FileName.empty());
    EXPECT_TRUE(hooks.recent.empty());
    EXPECT_TRUE(leftovers().empty());

    writeText(dir / "kurve.r4p", "alt");
    EXPECT_FALSE(writeProjectFile(item, path("kurve.r4p")).has_value());
    EXPECT_EQ(readTestFile(dir / "kurve.r4p"), bytesOf(item));
    EXPECT_TRUE(leftovers().empty());
}

} // namespace
} // namespace vemra

// Where a save dialog starts: in the project's folder, or back where the
// last file of its kind went for the same project, with the file type last
// chosen.
#include "model/save_dialog_memory.h"

#include "model/file_names.h"

#include "model/project_tree.h"

#include <gtest/gtest.h>

#include <memory>

namespace vemra {
namespace {

FileDialogRequest pictureRequest(const std::string& projectFolder)
{
    FileDialogRequest r;
    r.save = true;
    r.placeKey = "Picture";
    r.filters = {{"a", "*.a"}, {"b", "*.b"}, {"c", "*.c"}};
    r.initialDirectory = projectFolder;
    return r;
}

TEST(SaveDialogMemory, StartsWhereTheLastFileOfTheSameProjectWent)
{
    struct Step {
        const char* name;
        const char* projectFolder; // of the request
        const char* expectedStart;
        int expectedFilter;
        const char* chosen; // the file saved, then remembered with chosenFilter
        int chosenFilter;
    };
    const Step steps[] = {
        {"nothing remembered: the project's folder", "/p/eins/", "/p/eins/", 0, "/p/eins/bilder/x.c", 2},
        {"same project: the folder and type last chosen", "/p/eins/", "/p/eins/bilder/", 2, "/p/eins/bilder/y.b", 1},
        {"same folder written without its separator", "/p/eins", "/p/eins/bilder/", 1, "/p/eins/bilder/y.b", 1},
        {"another project: its own folder, the type stays", "/p/zwei/", "/p/zwei/", 1, "/p/zwei/z.b", 1},
        {"a project never saved: where the last file went", "", "/p/zwei/", 1, "/tmp/n.a", 0},
        {"and after it, again the last place", "", "/tmp/", 0, "/tmp/n.a", 0},
    };
    SaveDialogMemory memory;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        const FileDialogRequest request = pictureRequest(s.projectFolder);
        const FileDialogRequest shown = memory.prepared(request);
        EXPECT_EQ(shown.initialDirectory, s.expectedStart);
        EXPECT_EQ(shown.filterIndex, s.expectedFilter);
        memory.remember(request, s.chosen, s.chosenFilter);
    }

    // Each kind keeps its own place; a request without a key none.
    FileDialogRequest report = pictureRequest("/p/eins/");
    report.placeKey = "Report";
    report.proposedName = "/p/eins/eins";
    EXPECT_EQ(memory.prepared(report).initialDirectory, "/p/eins/");
    memory.remember(report, "/p/eins/berichte/eins.rtf", 0);
    // The proposed name moves along with the folder.
    EXPECT_EQ(memory.prepared(report).proposedName, "/p/eins/berichte/eins");
    EXPECT_EQ(memory.prepared(pictureRequest("/p/eins/")).initialDirectory, "/p/eins/");
    FileDialogRequest plain = pictureRequest("/q/");
    plain.placeKey.clear();
    memory.remember(plain, "/r/x.a", 2);
    EXPECT_EQ(memory.prepared(plain).initialDirectory, "/q/");
    EXPECT_EQ(memory.places.count(""), 0u);

    // A remembered type the request does not offer is not shown.
    FileDialogRequest fewer = pictureRequest("/tmp/");
    fewer.filters.resize(1);
    memory.remember(pictureRequest("/tmp/"), "/tmp/x.c", 2);
    EXPECT_EQ(memory.prepared(fewer).filterIndex, 0);
}

TEST(SaveDialogMemory, ProjectFolderIsThatOfTheProjectFile)
{
    ProjectTree tree;
    auto project = std::make_unique<TProject>();
    project->FileName = "/daten/hub/hubkurve.r4p";
    TreeItem* p = tree.AddTopLevel(std::move(project));
    TreeItem* motion = tree.AddChild(p, std::make_unique<TRXHeader>());
    EXPECT_EQ(projectFolderOf(motion), "/daten/hub/");
    TreeItem* fresh = tree.AddTopLevel(std::make_unique<TProject>());
    EXPECT_EQ(projectFolderOf(fresh), "");
    EXPECT_EQ(projectFolderOf(nullptr), "");
}

TEST(SaveDialogMemory, TheFileTypeGivesANameItsExtension)
{
    const std::pair<const char*, const char*> cases[] = {
        {"*.emf", ".emf"}, {"*.rx4;*.RX4", ".rx4"}, {"*.a *.b", ".a"}, {"*.*", ""}, {"*", ""}, {"bild.*", ""},
        {"*.t?b", ""},     {"", ""},
    };
    for (const auto& [pattern, extension] : cases)
        EXPECT_EQ(patternExtension(pattern), extension) << pattern;

    // The type remembered is the one the file was saved as.
    const FileDialogRequest r = pictureRequest("/p/");
    EXPECT_EQ(filterIndexFor(r, "/p/x.C", 0), 2);
    EXPECT_EQ(filterIndexFor(r, "/p/x.gif", 1), 1);
    EXPECT_EQ(filterIndexFor(r, "/p/x", -1), 0);
}

} // namespace
} // namespace vemra

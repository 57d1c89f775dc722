// What the tests of the project file share: record text helpers, the
// example project with every kind of node, and a fixture with a folder of
// its own, a scripted user and a recording observer.
#pragma once

#include "commands/file_commands.h"
#include "formats/project_file.h"
#include "model/tree_ops.h"

#include "model/file_names.h"

#include "support/recording_model_observer.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"
#include "support/test_data.h"
#include "support/tree_dump.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vemra::test {

namespace fs = std::filesystem;

inline const std::string CRLF = "\r\n";

inline std::string bytesOf(TreeItem* project)
{
    RecordWriter out;
    WriteProject(out, project);
    return out.bytes();
}

inline TreeItem* readBytes(Workspace& ws, const std::string& bytes, const std::string& name = "mem.r4p")
{
    RecordReader in(bytes);
    return ReadProject(ws.tree, in, name);
}

inline void writeText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline std::vector<std::string> lines(const std::string& text)
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

inline TreeItem* addRestriction(ProjectTree& tree, TreeItem* parent, int kind, int motion, int motion2, double angle,
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
inline TreeItem* buildProject(ProjectTree& tree)
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

    TempDir folder;
    const fs::path dir = folder.path();
    ScriptedDialogs dialogs;
    Workspace ws{dialogs};
    RecordingModelObserver hooks{ws};
};

} // namespace vemra::test

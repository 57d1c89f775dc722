#include "sample_project.h"

#include "support/test_data.h"

#include "commands/file_commands.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace vemra::test {

SampleProject::SampleProject(const char* file)
{
    fileName_ = (dir.path() / "Lösung.r4p").string();
    std::filesystem::copy_file(testDataPath(std::string("rtf/") + file), fileName_);
    project_ = readProjectFile(ws, fileName_);
    if (!project_)
        ADD_FAILURE() << file << " could not be read";
}

TreeItem* SampleProject::motion(int n) const
{
    for (int i = 0; project_ && i < project_->ChildCount(); ++i)
        if (auto* m = project_->Child(i)->NodeAs<TRXHeader>(); m && m->Number() == n)
            return project_->Child(i);
    return nullptr;
}

std::string golden(const std::string& relative, const std::string& actual)
{
    const auto path = testDataPath(relative);
    if (std::getenv("VEMRA_UPDATE_GOLDEN")) {
        std::ofstream(path, std::ios::binary) << actual;
        return actual;
    }
    return readTestFile(path);
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

} // namespace vemra::test

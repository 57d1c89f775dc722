#include "file_names.h"

namespace vemra {

namespace {

size_t lastSeparator(const std::string& path)
{
    return path.find_last_of("\\/:");
}

} // namespace

std::string fileNamePart(const std::string& path)
{
    const size_t pos = lastSeparator(path);
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string folderPart(const std::string& path)
{
    const size_t pos = lastSeparator(path);
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string extensionPart(const std::string& path)
{
    // Only the file name counts: a dot in a folder name is no extension.
    const std::string name = fileNamePart(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string patternExtension(const std::string& pattern)
{
    const std::string first = pattern.substr(0, pattern.find_first_of("; "));
    if (first.size() < 3 || first.compare(0, 2, "*.") != 0)
        return {};
    const std::string extension = first.substr(1);
    if (extension.find_first_of("*?[]") != std::string::npos)
        return {};
    return extension;
}

} // namespace vemra

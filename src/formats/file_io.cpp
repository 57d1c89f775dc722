#include "file_io.h"

#include "streamed_file.h"

#include <cstdio>

namespace vemra {

std::optional<std::string> loadFile(const std::string& fileName)
{
    std::FILE* f = std::fopen(fileName.c_str(), "rb");
    if (!f)
        return std::nullopt;
    std::string bytes;
    char buffer[1 << 16];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, got);
    // A folder opens on some systems and fails only when it is read.
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed)
        return std::nullopt;
    return bytes;
}

std::optional<std::string> replaceFile(const std::string& fileName, const std::string& bytes)
{
    StreamedFile file;
    if (auto failure = file.open(fileName))
        return failure;
    file.write(bytes);
    return file.commit();
}

} // namespace vemra

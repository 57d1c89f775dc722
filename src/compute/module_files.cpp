#include "module_files.h"

#include "formats/streamed_file.h"
#include "protocol/exchange_files.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace vemra {

void removeStaleResultFiles(const std::filesystem::path& directory)
{
    std::error_code ignored;
    std::filesystem::remove(directory / protocol::EffectiveParamsFileName, ignored);
    std::filesystem::remove(directory / protocol::ResultCodeFileName, ignored);
    std::filesystem::remove(directory / protocol::ExplanationFileName, ignored);
    for (int32_t n = 1; n <= protocol::MaxMotionNumber; ++n)
        std::filesystem::remove(directory / protocol::coefficientFileName(n), ignored);
}

std::optional<std::string> readWholeFile(const std::filesystem::path& file, std::size_t maxBytes)
{
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (!f)
        return std::nullopt;
    std::string bytes;
    char buffer[16384];
    bool ok = true;
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, f);
        if (n > 0) {
            if (bytes.size() + n > maxBytes) {
                ok = false;
                break;
            }
            bytes.append(buffer, n);
        }
        if (n < sizeof buffer) {
            ok = !std::ferror(f);
            break;
        }
    }
    std::fclose(f);
    if (!ok)
        return std::nullopt;
    return bytes;
}

std::optional<std::string> writeWholeFile(const std::filesystem::path& file, const std::string& bytes)
{
    StreamedFile out;
    std::optional<std::string> failure = out.open(file.string());
    if (!failure) {
        out.write(bytes);
        failure = out.commit();
    }
    if (failure)
        return file.string() + ": " + out.reason();
    return std::nullopt;
}

} // namespace vemra

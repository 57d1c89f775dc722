#include "module_files.h"

#include "protocol/exchange_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

namespace vemra {

void removeStaleResultFiles(const std::filesystem::path& directory)
{
    std::error_code ignored;
    std::filesystem::remove(directory / protocol::EffectiveParamsFileName, ignored);
    std::filesystem::remove(directory / protocol::ResultCodeFileName, ignored);
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
    std::filesystem::path temporary = file;
    temporary += ".tmp-" + std::to_string(std::random_device{}());
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f)
        return file.string() + ": " + std::strerror(errno);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fflush(f) == 0;
    const int writeErrno = errno;
    const bool closed = std::fclose(f) == 0;
    const int closeErrno = errno;
    std::error_code ec;
    if (!written || !closed) {
        std::filesystem::remove(temporary, ec);
        return file.string() + ": " + std::strerror(!written ? writeErrno : closeErrno);
    }
    std::filesystem::rename(temporary, file, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return file.string() + ": " + ec.message();
    }
    return std::nullopt;
}

} // namespace vemra

#include "file_io.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace vemra {

namespace {

namespace fs = std::filesystem;

std::string writeFailure(const std::string& fileName, const std::string& reason)
{
    return "Die Datei " + fileName + " konnte nicht geschrieben werden:\r" + reason;
}

} // namespace

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

// The text goes to a temporary file in the same folder (a rename across file
// systems would not be atomic) and then takes the target's place.
std::optional<std::string> replaceFile(const std::string& fileName, const std::string& bytes)
{
    std::error_code ec;
    fs::path target(fileName);
    // Write through a link instead of replacing the link by a plain file.
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        const fs::path resolved = fs::canonical(target, ec);
        if (!ec)
            target = resolved;
    }
    const fs::file_status status = fs::status(target, ec);
    const bool exists = fs::exists(status);
    if (exists && fs::is_directory(status))
        return writeFailure(fileName, "Unter diesem Namen besteht ein Ordner.");
    // A rename would replace a write-protected file without asking; the
    // user protected it for a reason.
    if (exists && (status.permissions() & fs::perms::owner_write) == fs::perms::none)
        return writeFailure(fileName, "Die Datei ist schreibgeschützt.");

    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    static std::atomic<unsigned> counter{0};
    fs::path temp;
    std::FILE* f = nullptr;
    for (int attempt = 0; attempt < 100 && !f; ++attempt) {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        temp = folder / ("." + target.filename().string() + "." + std::to_string(stamp % 1000000007) + "-" +
                         std::to_string(counter++) + ".tmp");
        errno = 0;
        // "x": never take over a file that happens to carry the same name.
        f = std::fopen(temp.string().c_str(), "wbx");
        if (!f && errno != EEXIST)
            break;
    }
    if (!f)
        return writeFailure(fileName, std::generic_category().message(errno ? errno : EIO));

    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    int error = ok ? 0 : errno;
    if (std::fflush(f) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        fs::remove(temp, ec);
        return writeFailure(fileName, std::generic_category().message(error ? error : EIO));
    }
    if (exists)
        fs::permissions(temp, status.permissions(), ec); // best effort: keep who may read it
    fs::rename(temp, target, ec);
    if (ec) {
        const std::string reason = ec.message();
        fs::remove(temp, ec);
        return writeFailure(fileName, reason);
    }
    return std::nullopt;
}

} // namespace vemra

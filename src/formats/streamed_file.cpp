#include "streamed_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <system_error>

namespace vemra {

namespace fs = std::filesystem;

StreamedFile::~StreamedFile()
{
    abandon();
}

std::string StreamedFile::failure(const std::string& reason)
{
    reason_ = reason;
    return "Die Datei " + fileName_ + " konnte nicht geschrieben werden:\r" + reason;
}

std::optional<std::string> StreamedFile::open(const std::string& fileName)
{
    abandon();
    fileName_ = fileName;
    error_ = 0;
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
        return failure("Unter diesem Namen besteht ein Ordner.");
    if (exists && (status.permissions() & fs::perms::owner_write) == fs::perms::none)
        return failure("Die Datei ist schreibgeschützt.");
    keepPermissions_ = exists;
    permissions_ = static_cast<unsigned>(status.permissions());

    // The temporary file sits in the target's folder: a rename across file
    // systems would not be atomic.
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        std::string name = ".";
        name += target.filename().string();
        name += '.';
        name += std::to_string(stamp % 1000000007);
        name += '-';
        name += std::to_string(counter++);
        name += ".tmp";
        const fs::path temp = folder / name;
        errno = 0;
        // "x": never take over a file that happens to carry the same name.
        file_ = std::fopen(temp.string().c_str(), "wbx");
        if (file_)
            temp_ = temp.string();
        else if (errno != EEXIST)
            break;
    }
    if (!file_)
        return failure(std::generic_category().message(errno ? errno : EIO));
    target_ = target.string();
    // Large blocks: a fine angle step gives millions of short lines.
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
    return std::nullopt;
}

bool StreamedFile::write(std::string_view bytes)
{
    if (!file_ || error_)
        return false;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        error_ = errno ? errno : EIO;
        return false;
    }
    return true;
}

std::optional<std::string> StreamedFile::commit()
{
    if (!file_)
        return failure(std::generic_category().message(EBADF));
    if (std::fflush(file_) != 0 && !error_)
        error_ = errno ? errno : EIO;
    if (std::fclose(file_) != 0 && !error_)
        error_ = errno ? errno : EIO;
    file_ = nullptr;
    std::error_code ec;
    if (error_) {
        const std::string reason = std::generic_category().message(error_);
        fs::remove(temp_, ec);
        temp_.clear();
        return failure(reason);
    }
    if (keepPermissions_)
        fs::permissions(temp_, static_cast<fs::perms>(permissions_), ec); // best effort
    fs::rename(temp_, target_, ec);
    if (ec) {
        const std::string reason = ec.message();
        fs::remove(temp_, ec);
        temp_.clear();
        return failure(reason);
    }
    temp_.clear();
    return std::nullopt;
}

void StreamedFile::abandon()
{
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temp_.empty()) {
        std::error_code ec;
        fs::remove(temp_, ec);
        temp_.clear();
    }
}

} // namespace vemra

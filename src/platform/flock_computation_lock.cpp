#include "flock_computation_lock.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace vemra {

std::filesystem::path FlockComputationLock::defaultLockDirectory()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return runtime;
    std::error_code ec;
    auto temp = std::filesystem::temp_directory_path(ec);
    return ec ? std::filesystem::path("/tmp") : temp;
}

FlockComputationLock::FlockComputationLock(std::filesystem::path directory)
{
    // A runtime directory belongs to one user; anywhere else (the shared
    // temp directory) each user gets a file of his own.
    std::string name = ComputationLockName;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || directory != std::filesystem::path(runtime))
        name += "-" + std::to_string(::getuid());
    file_ = directory / (name + ".lock");
}

FlockComputationLock::~FlockComputationLock()
{
    release();
}

ComputationLock::Status FlockComputationLock::tryAcquire()
{
    if (fd_ >= 0)
        return Status::Acquired;
    // Close-on-exec: the module must not inherit the lock and keep it after
    // this instance has ended.
    const int fd = ::open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return Status::Unavailable;
    int r;
    do
        r = ::flock(fd, LOCK_EX | LOCK_NB);
    while (r != 0 && errno == EINTR);
    if (r != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return busy ? Status::Busy : Status::Unavailable;
    }
    fd_ = fd;
    return Status::Acquired;
}

void FlockComputationLock::release()
{
    if (fd_ < 0)
        return;
    // The file stays: removing it would let a newcomer lock a fresh file
    // while an older holder still locks the unlinked one.
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

} // namespace vemra

// The computation lock "RX4Call" as an exclusive flock on a lock file in the
// user's runtime directory (or the temp directory). The system releases it
// when its holder dies, so a crashed instance never blocks the next one.
#pragma once

#include "compute/computation_lock.h"

#include <filesystem>

namespace vemra {

class FlockComputationLock : public ComputationLock {
public:
    // The lock file lives in directory; the default is
    // defaultLockDirectory(), shared by every instance of the user.
    explicit FlockComputationLock(std::filesystem::path directory = defaultLockDirectory());
    ~FlockComputationLock() override;
    FlockComputationLock(const FlockComputationLock&) = delete;
    FlockComputationLock& operator=(const FlockComputationLock&) = delete;

    Status tryAcquire() override;
    void release() override;

    const std::filesystem::path& file() const { return file_; }

    // $XDG_RUNTIME_DIR when set, else the temp directory.
    static std::filesystem::path defaultLockDirectory();

private:
    std::filesystem::path file_;
    int fd_ = -1;
};

} // namespace vemra

// A compute host for the tests on 127.0.0.1: the file transfer service
// (pyftpdlib) and the Telnet service (busybox telnetd) with a login script,
// each on a free port and stopped when the test ends.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>

namespace vemra::test {

// Why the services cannot run here, or nothing when they can.
std::optional<std::string> missingHostServices();

class HostProcess {
public:
    HostProcess() = default;
    ~HostProcess();
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;
    int port() const { return port_; }
    void stop();

protected:
    pid_t pid_ = -1;
    int port_ = 0;
};

class FtpHost : public HostProcess {
public:
    enum class Access { Full, ReadOnly, NoDelete };
    // Serves root to user/password. Throws std::runtime_error when the
    // service does not come up.
    FtpHost(const std::filesystem::path& root, const std::string& user, const std::string& password,
            Access access = Access::Full);
};

class LoginHost : public HostProcess {
public:
    // environment: HOST_USER, HOST_PASSWORD, HOST_HOME, ... as the login
    // script tests/net/hosts/login_host.sh reads them.
    explicit LoginHost(const std::map<std::string, std::string>& environment);
};

} // namespace vemra::test

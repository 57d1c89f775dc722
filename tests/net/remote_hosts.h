// A compute host for the tests on 127.0.0.1: the file transfer service
// (pyftpdlib) and the Telnet service (busybox telnetd) with a login script,
// or an SSH service (OpenSSH's sshd with a configuration, host key and user
// key of its own), each on a free port and stopped when the test ends.
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
    // service does not come up. environment: FTP_HOST_BANNER (the greeting),
    // FTP_HOST_LOG (a file that records every command line received).
    FtpHost(const std::filesystem::path& root, const std::string& user, const std::string& password,
            Access access = Access::Full, const std::map<std::string, std::string>& environment = {});
};

class LoginHost : public HostProcess {
public:
    // environment: HOST_USER, HOST_PASSWORD, HOST_HOME, ... as the login
    // script tests/net/hosts/login_host.sh reads them.
    explicit LoginHost(const std::map<std::string, std::string>& environment);
};

// Why no SSH service can run here, or nothing when it can.
std::optional<std::string> missingSshService();

class SshHost : public HostProcess {
public:
    // sshd on 127.0.0.1 for the current user, everything it needs in
    // folder: its configuration, an ed25519 host key, a user key that it
    // accepts and its log. Nothing of the system's SSH set-up is read or
    // changed. Throws std::runtime_error when the service does not come up.
    explicit SshHost(const std::filesystem::path& folder);

    std::string user() const;
    // The private key that logs in; its public half is beside it (".pub").
    std::filesystem::path userKey() const { return folder_ / "user_ed25519"; }
    // "SHA256:..." of the host key, as ssh-keygen shows it.
    std::string hostFingerprint() const;
    // The known_hosts line of the host key, and of another key for the
    // same host (a host whose key has changed).
    std::string knownHostsLine() const { return knownHostsLine(folder_ / "host_ed25519.pub"); }
    std::string otherKnownHostsLine() const { return knownHostsLine(folder_ / "other_ed25519.pub"); }
    // What sshd logged.
    std::string log() const;

private:
    std::string knownHostsLine(const std::filesystem::path& publicKey) const;
    std::filesystem::path folder_;
};

// An SSH agent on a socket in folder that holds key; stopped with the test.
class SshAgent : public HostProcess {
public:
    SshAgent(const std::filesystem::path& folder, const std::filesystem::path& key);
    std::filesystem::path socket() const { return socket_; }

private:
    std::filesystem::path socket_;
};

// Runs command (sh -c) on a pseudo-terminal and types answer (with a
// return) once the terminal shows prompt; what the terminal showed.
std::string runOnTerminal(const std::string& command, const std::string& prompt, const std::string& answer);

// Standard output of command (sh -c), which must succeed.
std::string outputOf(const std::string& command);

} // namespace vemra::test

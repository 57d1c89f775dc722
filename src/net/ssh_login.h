// The steps of a fresh SSH connection before it can be used, on the
// connection's thread: the socket (breakable at any moment), the host key
// against ~/.ssh/known_hosts, and the login by agent, key files and then
// the password.
#pragma once

#include "compute/remote_settings.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

struct ssh_session_struct;

namespace vemra {

// What the steps need of the connection: its cancel flag, its protocol and
// the questions that go to the user.
struct SshLoginContext {
    const RemoteSettings& settings;
    std::function<bool()> cancelled;
    std::function<void(const std::string&)> protocol;
    // Yes or no to a question about an unknown host key.
    std::function<bool(const std::string& question)> confirm;
    std::function<std::optional<std::string>()> password;
};

// "~/.ssh", where "~" is $HOME when it is set (the account's home folder
// otherwise); nothing when there is neither.
std::optional<std::filesystem::path> sshFolder();

// A connected, non-blocking TCP socket to the host, or -1 with the reason.
// Gives up when cancelled() turns true or after timeout per address.
int connectSocket(const SshLoginContext& c, std::chrono::milliseconds timeout, std::string& reason);

// The host's key is known, or the user accepted it (it is then added to
// known_hosts). A changed key is always refused.
bool verifyHostKey(ssh_session_struct* session, const SshLoginContext& c, const std::filesystem::path& knownHosts,
                   std::string& reason);

// Logs in: none, then the agent and the key files, then the password (the
// settings' or an asked one) by password or keyboard-interactive login.
bool authenticate(ssh_session_struct* session, const SshLoginContext& c, std::string& reason);

} // namespace vemra

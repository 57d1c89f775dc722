// vemra-cli compute --remote: the module runs on the compute host that the
// desktop's "Remote-Config" names, over FTP and Telnet or over SSH. The
// settings come from the desktop's own settings file, each overridable by an
// option; the password only from the environment or typed on the terminal
// (an argument would show in the process list). Over SSH the agent and the
// key files come first, and the password is asked only when they are not
// taken; an unknown host key is refused unless --accept-new-host-key.
#pragma once

#include "commands.h"

#include "compute/module_runner.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace vemra::cli {

// The remote options of vemra-cli compute, for its help.
const std::string& remoteComputeUsage();
inline constexpr const char* PasswordVariable = "VEMRA_REMOTE_PASSWORD";

struct RemoteComputeOptions {
    bool enabled = false;
    // A remote option was given (it means nothing without --remote).
    bool given = false;
    // The protocol (password masked) on standard error.
    bool verbose = false;
    std::optional<std::string> host, user, prompt, command, path, settingsFile;
    std::optional<bool> crOnly, tls, ssh;
    std::optional<int32_t> maxTime, ftpPort, telnetPort, sshPort;
    // An unknown host key is accepted (and added to known_hosts).
    bool acceptNewHostKey = false;
};

enum class OptionTaken { No, Yes, Error };

// Takes args[i] (and its value) when it is a remote option; i then points
// at the last argument used.
OptionTaken parseRemoteOption(const Args& args, std::size_t& i, RemoteComputeOptions& options, std::string& error);

// The settings file the desktop writes: $XDG_CONFIG_HOME (or ~/.config)
// + "/Norwald/Zembo.ini".
std::string desktopSettingsFile();

class RemoteCompute {
public:
    virtual ~RemoteCompute() = default;
    // Reads the settings, applies the options and gets the password (asking
    // on the terminal when the environment has none; over SSH only once the
    // keys were not taken). Nothing, with the reason in error, when
    // something needed is missing, a text holds a control character or
    // remote options came without --remote.
    static std::unique_ptr<RemoteCompute> create(const RemoteComputeOptions& options, std::string& error);
    virtual ModuleRunner& runner() = 0;
};

} // namespace vemra::cli

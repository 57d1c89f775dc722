// vemra-cli compute --remote: the module runs on the compute host that the
// desktop's "Remote-Config" names. The settings come from the desktop's own
// settings file, each overridable by an option; the password only from the
// environment or typed on the terminal (an argument would show in the
// process list).
#pragma once

#include "commands.h"

#include "compute/module_runner.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace vemra::cli {

extern const char* const RemoteComputeUsage;
inline constexpr const char* PasswordVariable = "VEMRA_REMOTE_PASSWORD";

struct RemoteComputeOptions {
    bool enabled = false;
    // A remote option was given (it means nothing without --remote).
    bool given = false;
    // The protocol (password masked) on standard error.
    bool verbose = false;
    std::optional<std::string> host, user, prompt, command, path, settingsFile;
    std::optional<bool> crOnly, tls;
    std::optional<int32_t> maxTime, ftpPort, telnetPort;
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
    // on the terminal when the environment has none). Nothing, with the
    // reason in error, when something needed is missing or remote options
    // came without --remote.
    static std::unique_ptr<RemoteCompute> create(const RemoteComputeOptions& options, std::string& error);
    virtual ModuleRunner& runner() = 0;
};

} // namespace vemra::cli

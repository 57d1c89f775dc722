// The settings of a computation on a remote host: where to log in, what to
// wait for and what to send, how long the whole run may take. The desktop's
// settings dialog and vemra-cli fill the same structure; the password lives
// only in memory and is never stored.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vemra {

// The settings sub-key and its value names, shared by the dialog (which
// writes them) and vemra-cli (which reads the desktop's settings file).
inline constexpr const char* RemoteSettingsKey = "Remote";
namespace RemoteValue {
inline constexpr const char* HostName = "HostName";
inline constexpr const char* UserName = "UserName";
inline constexpr const char* Prompt = "Prompt";
inline constexpr const char* LoginReq = "LoginReq";
inline constexpr const char* PWDReq = "PWDReq";
inline constexpr const char* Cmd = "Cmd";
inline constexpr const char* RPath = "RPath";
inline constexpr const char* CRonly = "CRonly";
inline constexpr const char* MaxTime = "MaxTime";
inline constexpr const char* CDetails = "CDetails";
// Not every host listens on the standard ports, and a test host never does.
inline constexpr const char* FtpPort = "FtpPort";
inline constexpr const char* TelnetPort = "TelnetPort";
inline constexpr const char* FtpTls = "FtpTls";
} // namespace RemoteValue

inline constexpr const char* DefaultLoginRequest = "login:";
inline constexpr const char* DefaultPasswordRequest = "Password:";
inline constexpr int32_t DefaultMaxTime = 1200;
// The range of the dialog's spin box; vemra-cli accepts shorter times too.
inline constexpr int32_t MinMaxTime = 60;
inline constexpr int32_t MaxMaxTime = 36000;

struct RemoteSettings {
    std::string host;
    std::string user;
    std::string password;
    // The last character(s) of the host's command prompt.
    std::string prompt;
    std::string loginRequest = DefaultLoginRequest;
    std::string passwordRequest = DefaultPasswordRequest;
    // Starts the module on the host, in the folder remotePath.
    std::string command;
    // Folder of the module on the host, for the file transfer and "cd";
    // empty: the folder the login ends in.
    std::string remotePath;
    // Lines sent to the host end in CR alone, otherwise in CR LF.
    bool crOnly = true;
    // Seconds the whole remote run may take.
    int32_t maxTime = DefaultMaxTime;
    // Show the dialogue with the host in the protocol.
    bool details = false;
    int32_t ftpPort = 21;
    int32_t telnetPort = 23;
    // Explicit TLS for the file transfer (refused hosts fail the run; the
    // transfer never falls back to plain text once TLS was asked for).
    bool ftpTls = false;

    std::string lineEnd() const { return crOnly ? "\r" : "\r\n"; }
};

// "1h 2m 5s": hours, minutes and seconds, always all three.
std::string formatRemoteTime(int32_t seconds);

// The values of the "Remote" key from the text of the settings file that
// the desktop writes on this platform (an INI file: section per version
// key, "Remote\Name=value" entries, quoted and escaped strings). Values that
// are missing or unreadable keep the defaults; the password is never there.
RemoteSettings remoteSettingsFromIni(const std::string& iniText);

} // namespace vemra

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
// 1: SSH (SFTP and a command channel) instead of FTP and Telnet.
inline constexpr const char* UseSsh = "UseSsh";
inline constexpr const char* SshPort = "SshPort";
} // namespace RemoteValue

inline constexpr const char* DefaultLoginRequest = "login:";
inline constexpr const char* DefaultPasswordRequest = "Password:";
inline constexpr int32_t DefaultMaxTime = 1200;
// The range of the dialog's spin box; vemra-cli accepts shorter times too.
inline constexpr int32_t MinMaxTime = 60;
inline constexpr int32_t MaxMaxTime = 36000;

// Said next to the TLS choice and in vemra-cli's help: TLS covers the file
// transfer only.
inline constexpr const char* TlsCoverageNote
    = "TLS schützt nur den Filetransfer: die Telnet-Anmeldung sendet das Passwort trotzdem unverschlüsselt. "
      "Verschlüsselt auch beim Anmelden: SSH.";

enum class RemoteConnection {
    // Files by FTP, the module started by a Telnet login script.
    FtpTelnet,
    // Files by SFTP, the module started on an exec channel, one encrypted
    // connection for both.
    Ssh,
};

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
    RemoteConnection connection = RemoteConnection::FtpTelnet;
    int32_t sshPort = 22;

    std::string lineEnd() const { return crOnly ? "\r" : "\r\n"; }
};

// The texts of the settings that go to the host, with the label of their
// field in "Remote-Config" and the option of vemra-cli that sets them.
struct RemoteTextField {
    std::string RemoteSettings::*member;
    const char* label;
    const char* option; // nullptr: no option (the password never is one)
};
extern const RemoteTextField RemoteTextFields[8];

// Whether text holds a control character (C0 including CR, LF, NUL and TAB,
// DEL, or a C1 character in UTF-8). Sent to the host such a character would
// split a command into two or drive the host's terminal.
bool hasControlCharacter(const std::string& text);

// "\"UserName:\" enthält ein Steuerzeichen ..." for the first text of the
// settings that has one; nothing when all are clean.
std::optional<std::string> controlCharacterProblem(const RemoteSettings& settings);
// The message for a field named by where ("UserName:", "--user").
std::string controlCharacterMessage(const std::string& where);

// "1h 2m 5s": hours, minutes and seconds, always all three.
std::string formatRemoteTime(int32_t seconds);

// The values of the "Remote" key from the text of the settings file that
// the desktop writes on this platform (an INI file: section per version
// key, "Remote\Name=value" entries, quoted and escaped strings). Values that
// are missing or unreadable keep the defaults; the password is never there.
// The maximum time is kept within the dialog's range. Texts are taken as
// they are, control characters included: controlCharacterProblem() tells.
RemoteSettings remoteSettingsFromIni(const std::string& iniText);

} // namespace vemra

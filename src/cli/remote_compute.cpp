#include "remote_compute.h"

#include "console_dialogs.h"

#include "compute/module_files.h"
#include "compute/remote_module_runner.h"
#include "compute/remote_protocol.h"
#include "compute/remote_settings.h"
#include "net/net_transports.h"
#include "platform/system_clock.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <iostream>
#include <termios.h>
#include <unistd.h>

namespace vemra::cli {

const std::string& remoteComputeUsage()
{
    static const std::string text = std::string("Berechnung auf dem Rechenhost (Einstellungen wie in \"Remote-Config\" der Oberfläche):\n"
                       "  --remote [--host HOST] [--user NAME] [--command KOMMANDO] [--path PFAD] [--max-time SEKUNDEN]\n"
                       "           [--settings DATEI] [--verbose]\n"
                       "           FTP/Telnet: [--prompt TEXT] [--crlf | --cr] [--ftp-port N] [--telnet-port N] [--tls]\n"
                       "           SSH:        --ssh [--ssh-port N] [--accept-new-host-key]\n"
                       "  --tls                 TLS (FTPS) für den Filetransfer. ")
           + TlsCoverageNote
           + " (--ssh)\n"
             "  --ssh                 SFTP für die Dateien und das Kommando über SSH, verschlüsselt; Anmeldung\n"
             "                        mit SSH-Agent oder Schlüsseldatei in ~/.ssh, sonst mit Passwort\n"
             "  --accept-new-host-key einen noch unbekannten Hostschlüssel annehmen und in ~/.ssh/known_hosts\n"
             "                        eintragen (ohne die Option wird er abgelehnt; ein geänderter immer)\n"
             "  Das Passwort kommt aus der Umgebungsvariablen VEMRA_REMOTE_PASSWORD oder wird im Terminal erfragt.\n";
    return text;
}

namespace {

std::optional<int32_t> parseNumber(const std::string& text, int32_t low, int32_t high)
{
    int32_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < low || v > high)
        return std::nullopt;
    return v;
}

// Echo off while the password is typed; on for everything else, also
// when reading fails.
std::optional<std::string> askPassword(const RemoteSettings& s)
{
    const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0)
        return std::nullopt;
    // User and host come from a settings file: nothing of them may drive
    // the terminal.
    const std::string question
        = "Passwort für " + withoutControlSequences(s.user) + "@" + withoutControlSequences(s.host) + ": ";
    [[maybe_unused]] const auto written = ::write(tty, question.data(), question.size());
    termios before{};
    const bool terminal = ::tcgetattr(tty, &before) == 0;
    if (terminal) {
        termios silent = before;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(tty, TCSAFLUSH, &silent);
    }
    std::string password;
    char c = 0;
    bool ended = false;
    while (::read(tty, &c, 1) == 1) {
        if (c == '\n' || c == '\r') {
            ended = true;
            break;
        }
        password += c;
    }
    if (terminal)
        ::tcsetattr(tty, TCSAFLUSH, &before);
    [[maybe_unused]] const auto newline = ::write(tty, "\n", 1);
    ::close(tty);
    if (!ended)
        return std::nullopt;
    return password;
}

// The protocol of a run: on standard error with --verbose, nowhere else.
// A password asked during the run (over SSH) is masked here as the run
// masks the one it was given.
class ConsoleRunView : public RemoteRunView {
public:
    ConsoleRunView(bool verbose, const std::string& askedPassword) : verbose_(verbose), asked_(askedPassword) {}
    int32_t begin(int32_t) override { return 0; }
    void addLine(const std::string& line) override
    {
        if (verbose_)
            std::cerr << maskPassword(line, asked_) << '\n';
    }
    // The lines of the host's text come through addLine already.
    void terminalText(const std::string&) override {}
    void showTime(int32_t, int32_t) override {}
    // Ctrl+C reaches the run as the stop request.
    bool cancelRequested() override { return false; }
    void end(bool, int32_t, int32_t) override {}

private:
    bool verbose_;
    const std::string& asked_;
};

// The question about an unknown host key (the only one the connection
// asks), answered by the option: question and answer go to standard error.
class HostKeyAnswers : public UserDialogs {
public:
    explicit HostKeyAnswers(bool accept) : accept_(accept) {}
    DialogButton message(DialogKind kind, const std::string& text, unsigned) override
    {
        std::cerr << withoutControlSequences(consoleMessage(kind, text)) << '\n';
        if (accept_) {
            std::cerr << "Ja (--accept-new-host-key).\n";
            return ButtonYes;
        }
        std::cerr << "Nein: ein unbekannter Hostschlüssel wird nur mit --accept-new-host-key angenommen.\n";
        return ButtonNo;
    }
    std::optional<std::string> chooseFile(const FileDialogRequest&) override { return std::nullopt; }

private:
    bool accept_;
};

// The same settings before every project of a batch: nobody is there to
// confirm them again.
class GivenSettings : public RemoteSettingsSource {
public:
    explicit GivenSettings(RemoteSettings s) : settings_(std::move(s)) {}
    std::optional<RemoteSettings> askSettings() override { return settings_; }

private:
    RemoteSettings settings_;
};

class RemoteComputeImpl : public RemoteCompute {
public:
    // askLazily: over SSH, a password is asked on the terminal when the
    // keys were not taken.
    RemoteComputeImpl(const RemoteSettings& s, bool verbose, bool acceptNewHostKey, bool askLazily)
        : hostKeys_(acceptNewHostKey), transports_(sshPrompts(askLazily)), view_(verbose, asked_), settings_(s),
          runner_(transports_, settings_, view_, clock_)
    {
    }
    ModuleRunner& runner() override { return runner_; }

private:
    SshPrompts sshPrompts(bool askLazily)
    {
        SshPrompts prompts{&hostKeys_, {}};
        if (askLazily)
            prompts.password = [this](const RemoteSettings& s) -> std::optional<std::string> {
                auto typed = askPassword(s);
                if (typed && hasControlCharacter(*typed)) {
                    std::cerr << controlCharacterMessage("Passwort") << '\n';
                    return std::nullopt;
                }
                if (typed)
                    asked_ = *typed;
                return typed;
            };
        return prompts;
    }

    HostKeyAnswers hostKeys_;
    std::string asked_;
    NetTransports transports_;
    SystemClock clock_;
    ConsoleRunView view_;
    GivenSettings settings_;
    RemoteModuleRunner runner_;
};

// The options that set a text of the settings.
OptionTaken textOption(const std::string& a, std::size_t& i, const Args& args, RemoteComputeOptions& o,
                       std::string& error)
{
    const std::pair<const char*, std::optional<std::string>*> texts[] = {
        {"--host", &o.host}, {"--user", &o.user}, {"--prompt", &o.prompt}, {"--command", &o.command}, {"--path", &o.path}};
    for (const auto& [name, target] : texts) {
        if (a != name)
            continue;
        if (i + 1 >= args.size()) {
            error = a + " braucht einen Wert.";
            return OptionTaken::Error;
        }
        *target = args[++i];
        if (hasControlCharacter(**target)) {
            error = controlCharacterMessage(a);
            return OptionTaken::Error;
        }
        return OptionTaken::Yes;
    }
    return OptionTaken::No;
}

OptionTaken takeRemoteOption(const Args& args, std::size_t& i, RemoteComputeOptions& o, std::string& error)
{
    const std::string& a = args[i];
    const auto value = [&]() -> std::optional<std::string> {
        if (i + 1 >= args.size()) {
            error = a + " braucht einen Wert.";
            return std::nullopt;
        }
        return args[++i];
    };
    const auto text = [&](std::optional<std::string>& target) {
        auto v = value();
        if (!v)
            return OptionTaken::Error;
        target = std::move(v);
        return OptionTaken::Yes;
    };
    const auto number = [&](std::optional<int32_t>& target, int32_t low, int32_t high) {
        const auto v = value();
        if (!v)
            return OptionTaken::Error;
        target = parseNumber(*v, low, high);
        if (!target) {
            error = a + ": eine ganze Zahl von " + std::to_string(low) + " bis " + std::to_string(high)
                    + " erwartet, nicht " + *v;
            return OptionTaken::Error;
        }
        return OptionTaken::Yes;
    };
    const auto flag = [&](bool& target) {
        target = true;
        return OptionTaken::Yes;
    };
    if (a == "--remote")
        return flag(o.enabled);
    // A value that would split into two commands on the host is refused
    // here, before anything is read or sent.
    if (const auto taken = textOption(a, i, args, o, error); taken != OptionTaken::No)
        return taken;
    if (a == "--verbose")
        return flag(o.verbose);
    if (a == "--settings")
        return text(o.settingsFile);
    if (a == "--crlf" || a == "--cr") {
        o.crOnly = a == "--cr";
        return OptionTaken::Yes;
    }
    if (a == "--tls") {
        o.tls = true;
        return OptionTaken::Yes;
    }
    if (a == "--ssh") {
        o.ssh = true;
        return OptionTaken::Yes;
    }
    if (a == "--accept-new-host-key")
        return flag(o.acceptNewHostKey);
    if (a == "--ssh-port")
        return number(o.sshPort, 1, 65535);
    // Shorter than the dialog allows: a script may want a quick failure.
    if (a == "--max-time")
        return number(o.maxTime, 1, MaxMaxTime);
    if (a == "--ftp-port")
        return number(o.ftpPort, 1, 65535);
    if (a == "--telnet-port")
        return number(o.telnetPort, 1, 65535);
    if (a == "--password") {
        error = "Das Passwort wird nie als Argument angegeben (es stünde in der Prozessliste): "
                "VEMRA_REMOTE_PASSWORD setzen oder im Terminal eingeben.";
        return OptionTaken::Error;
    }
    return OptionTaken::No;
}

} // namespace

OptionTaken parseRemoteOption(const Args& args, std::size_t& i, RemoteComputeOptions& o, std::string& error)
{
    const std::string a = args[i];
    const OptionTaken taken = takeRemoteOption(args, i, o, error);
    if (taken != OptionTaken::No && a != "--remote")
        o.given = true;
    return taken;
}

std::string desktopSettingsFile()
{
    std::string base;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x)
        base = x;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.config";
    else
        return {};
    return base + "/Norwald/Zembo.ini";
}

std::unique_ptr<RemoteCompute> RemoteCompute::create(const RemoteComputeOptions& o, std::string& error)
{
    if (!o.enabled) {
        error = "Optionen für die Berechnung auf dem Host gelten nur mit --remote.";
        return nullptr;
    }
    const std::string file = o.settingsFile.value_or(desktopSettingsFile());
    RemoteSettings s;
    if (!file.empty()) {
        // A missing file is a machine where the desktop never ran: defaults.
        const auto text = readWholeFile(file, 1 << 20);
        if (text)
            s = remoteSettingsFromIni(*text);
        else if (o.settingsFile) {
            error = "Die Einstellungsdatei kann nicht gelesen werden: " + file;
            return nullptr;
        }
    }
    if (o.host)
        s.host = *o.host;
    if (o.user)
        s.user = *o.user;
    if (o.prompt)
        s.prompt = *o.prompt;
    if (o.command)
        s.command = *o.command;
    if (o.path)
        s.remotePath = *o.path;
    if (o.crOnly)
        s.crOnly = *o.crOnly;
    if (o.tls)
        s.ftpTls = *o.tls;
    if (o.maxTime)
        s.maxTime = *o.maxTime;
    if (o.ftpPort)
        s.ftpPort = *o.ftpPort;
    if (o.telnetPort)
        s.telnetPort = *o.telnetPort;
    if (o.ssh)
        s.connection = RemoteConnection::Ssh;
    if (o.sshPort)
        s.sshPort = *o.sshPort;
    s.details = o.verbose;

    // The options were looked at when they were read: what is left came
    // from the settings file.
    if (const auto problem = controlCharacterProblem(s)) {
        error = "In den Einstellungen (" + file + "): " + *problem;
        return nullptr;
    }
    const bool ssh = s.connection == RemoteConnection::Ssh;
    for (const auto& [value, what] : {std::pair{&s.host, "--host"}, {&s.user, "--user"}, {&s.prompt, "--prompt"},
                                      {&s.command, "--command"}}) {
        if (value->empty() && !(ssh && value == &s.prompt)) {
            error = std::string("Für die Berechnung auf dem Host fehlt ") + what
                    + " (oder der Wert in den Einstellungen \"Remote-Config\").";
            return nullptr;
        }
    }
    // Read once and taken out of the environment: nothing this program
    // starts inherits it.
    if (const char* p = std::getenv(PasswordVariable)) {
        s.password = p;
        ::unsetenv(PasswordVariable);
        if (hasControlCharacter(s.password)) {
            error = controlCharacterMessage(std::string("Passwort aus ") + PasswordVariable);
            return nullptr;
        }
    } else if (ssh) {
        // Asked only when neither the agent nor a key file is taken.
        return std::make_unique<RemoteComputeImpl>(s, o.verbose, o.acceptNewHostKey, true);
    } else if (auto typed = askPassword(s)) {
        s.password = std::move(*typed);
        if (hasControlCharacter(s.password)) {
            error = controlCharacterMessage("Passwort");
            return nullptr;
        }
    } else {
        error = std::string("Kein Passwort: ") + PasswordVariable + " setzen oder im Terminal aufrufen.";
        return nullptr;
    }
    return std::make_unique<RemoteComputeImpl>(s, o.verbose, o.acceptNewHostKey, false);
}

} // namespace vemra::cli

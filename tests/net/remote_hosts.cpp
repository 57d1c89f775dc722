#include "remote_hosts.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <cstdlib>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <pwd.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace vemra::test {

namespace {

const char* const Python = "/usr/bin/python3";
const std::filesystem::path Hosts = std::filesystem::path(VEMRA_NET_TEST_HOSTS);

std::string busybox()
{
    for (const char* p : {"/bin/busybox", "/usr/bin/busybox"})
        if (::access(p, X_OK) == 0)
            return p;
    return {};
}

bool commandSucceeds(const std::string& command)
{
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// errors: where standard error goes (the services log every command; the
// tests look at what the client saw).
pid_t spawn(const std::vector<std::string>& argv, const std::map<std::string, std::string>& extraEnvironment,
            int stdoutFd, const std::string& errors = "/dev/null")
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    for (const auto& [k, v] : extraEnvironment)
        env.push_back(k + "=" + v);
    std::vector<char*> args, envp;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const auto& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        throw std::runtime_error("cannot start " + argv[0]);
    return pid;
}

int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length) != 0)
        throw std::runtime_error("no free port");
    ::close(fd);
    return ntohs(a.sin_port);
}

bool accepts(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

const char* const Sshd = "/usr/sbin/sshd";

// Waits until the service started as pid accepts on port; false when it
// ended (the port was taken meanwhile; pid is then -1) or never answered.
bool comesUp(pid_t& pid, int port)
{
    for (int i = 0; i < 200; ++i) {
        const bool answers = accepts(port);
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            pid = -1;
            return false;
        }
        if (answers)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return false;
}

} // namespace

std::string outputOf(const std::string& command)
{
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run " + command);
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        text.append(buffer, n);
    const int status = ::pclose(pipe);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(command + " failed");
    return text;
}

std::string runOnTerminal(const std::string& command, const std::string& prompt, const std::string& answer)
{
    int terminal = -1;
    const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    std::string shown;
    bool answered = false;
    pollfd p{terminal, POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&p, 1, 60000);
        if (ready <= 0)
            break;
        char buffer[512];
        const ssize_t n = ::read(terminal, buffer, sizeof buffer);
        if (n <= 0)
            break;
        shown.append(buffer, static_cast<std::size_t>(n));
        if (answered || shown.find(prompt) == std::string::npos)
            continue;
        // Typed only once the echo is off: switching it off flushes what
        // was typed before.
        termios t{};
        for (int i = 0; i < 200 && ::tcgetattr(terminal, &t) == 0 && (t.c_lflag & ECHO); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const std::string typed = answer + "\r";
        answered = ::write(terminal, typed.data(), typed.size()) == static_cast<ssize_t>(typed.size());
    }
    ::close(terminal);
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    return shown;
}

std::optional<std::string> missingSshService()
{
    if (::access(Sshd, X_OK) != 0)
        return "/usr/sbin/sshd is missing (Debian package openssh-server)";
    if (!commandSucceeds("command -v ssh-keygen"))
        return "ssh-keygen is missing (Debian package openssh-client)";
    return std::nullopt;
}

SshHost::SshHost(const std::filesystem::path& folder) : folder_(folder)
{
    std::filesystem::create_directories(folder_);
    for (const char* name : {"host_ed25519", "other_ed25519", "user_ed25519"})
        outputOf("ssh-keygen -q -t ed25519 -N '' -C vemra-test -f '" + (folder_ / name).string() + "'");
    std::filesystem::copy_file(folder_ / "user_ed25519.pub", folder_ / "authorized_keys");
    const std::string config = (folder_ / "sshd_config").string();
    // Absolute paths only, and nothing left to the system's defaults that
    // would read its own keys or the user's files.
    std::ofstream(config) << "ListenAddress 127.0.0.1\n"
                          << "HostKey " << (folder_ / "host_ed25519").string() << "\n"
                          << "AuthorizedKeysFile " << (folder_ / "authorized_keys").string() << "\n"
                          << "PidFile none\n"
                             "PermitRootLogin yes\n"
                             "PasswordAuthentication yes\n"
                             "KbdInteractiveAuthentication no\n"
                             "UsePAM no\n"
                             "StrictModes no\n"
                             "PermitUserRC no\n"
                             "PermitUserEnvironment no\n"
                             "MaxStartups 50\n"
                             "Subsystem sftp internal-sftp\n"
                             "LogLevel VERBOSE\n";
    const std::string log = (folder_ / "sshd.log").string();
    for (int attempt = 0; attempt < 5; ++attempt) {
        port_ = freePort();
        const std::string run = std::string(Sshd) + " -D -e -f " + config + " -p " + std::to_string(port_);
        // As root sshd wants its empty privilege-separation folder /run/sshd,
        // which only the running system service creates: a private mount of
        // /run gives it one without touching the system's. Where mounts are
        // not permitted, the folder is made as the service would make it
        // (empty, in the runtime file system, gone at the next boot).
        std::vector<std::string> argv{"/bin/sh", "-c", "exec " + run};
        if (::getuid() == 0 && !std::filesystem::exists("/run/sshd")) {
            if (commandSucceeds("unshare -m --propagation private true"))
                argv = {"/usr/bin/unshare", "-m", "--propagation", "private", "/bin/sh", "-c",
                        "mount -t tmpfs tmpfs /run && mkdir -m 755 /run/sshd && exec " + run};
            else
                std::filesystem::create_directory("/run/sshd");
        }
        pid_ = spawn(argv, {}, -1, log);
        if (comesUp(pid_, port_))
            return;
        stop();
    }
    throw std::runtime_error("sshd did not start: " + this->log());
}

std::string SshHost::user() const
{
    const passwd* pw = ::getpwuid(::getuid());
    return pw ? pw->pw_name : "root";
}

std::string SshHost::hostFingerprint() const
{
    // "256 SHA256:... vemra-test (ED25519)"
    std::istringstream line(outputOf("ssh-keygen -l -E sha256 -f '" + (folder_ / "host_ed25519.pub").string() + "'"));
    std::string bits, fingerprint;
    line >> bits >> fingerprint;
    return fingerprint;
}

std::string SshHost::knownHostsLine(const std::filesystem::path& publicKey) const
{
    std::ifstream in(publicKey);
    std::string type, key;
    in >> type >> key;
    return "[127.0.0.1]:" + std::to_string(port_) + " " + type + " " + key + "\n";
}

std::string SshHost::log() const
{
    std::ifstream in(folder_ / "sshd.log");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

SshAgent::SshAgent(const std::filesystem::path& folder, const std::filesystem::path& key)
    : socket_(folder / "agent.sock")
{
    pid_ = spawn({"/usr/bin/ssh-agent", "-D", "-a", socket_.string()}, {}, -1);
    for (int i = 0; i < 200 && !std::filesystem::exists(socket_); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    if (!commandSucceeds("SSH_AUTH_SOCK='" + socket_.string() + "' ssh-add '" + key.string() + "'")) {
        stop();
        throw std::runtime_error("the SSH agent did not take the key");
    }
}

std::optional<std::string> missingHostServices()
{
    if (::access(Python, X_OK) != 0 || !commandSucceeds(std::string(Python) + " -c 'import pyftpdlib'"))
        return "the FTP server is missing (Debian package python3-pyftpdlib)";
    const std::string bb = busybox();
    if (bb.empty() || !commandSucceeds(bb + " telnetd --help"))
        return "busybox telnetd is missing (Debian package busybox-static)";
    return std::nullopt;
}

HostProcess::~HostProcess()
{
    stop();
}

void HostProcess::stop()
{
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

FtpHost::FtpHost(const std::filesystem::path& root, const std::string& user, const std::string& password,
                 Access access, const std::map<std::string, std::string>& environment)
{
    int out[2];
    if (::pipe(out) != 0)
        throw std::runtime_error("pipe");
    std::vector<std::string> argv{Python, (Hosts / "ftp_host.py").string(), root.string(), user, password};
    if (access != Access::Full)
        argv.emplace_back(access == Access::ReadOnly ? "read-only" : "no-delete");
    pid_ = spawn(argv, environment, out[1]);
    ::close(out[1]);
    // The service prints its port once it listens.
    std::string line;
    pollfd p{out[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && ::poll(&p, 1, 10000) > 0) {
        char c[64];
        const ssize_t n = ::read(out[0], c, sizeof c);
        if (n <= 0)
            break;
        line.append(c, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    port_ = std::atoi(line.c_str());
    if (port_ <= 0) {
        stop();
        throw std::runtime_error("the FTP server did not start");
    }
}

LoginHost::LoginHost(const std::map<std::string, std::string>& environment)
{
    // The port is free when chosen but may be taken before telnetd binds
    // it: a telnetd that ends at once lost the race and is started anew.
    for (int attempt = 0; attempt < 5; ++attempt) {
        port_ = freePort();
        pid_ = spawn({busybox(), "telnetd", "-F", "-K", "-b", "127.0.0.1:" + std::to_string(port_), "-f",
                      "/dev/null", "-l", (Hosts / "login_host.sh").string()},
                     environment, -1);
        if (comesUp(pid_, port_))
            return;
        stop();
    }
    throw std::runtime_error("the Telnet server did not start");
}

} // namespace vemra::test

#include "remote_hosts.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
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

pid_t spawn(const std::vector<std::string>& argv, const std::map<std::string, std::string>& extraEnvironment,
            int stdoutFd)
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
    // The services log every command; the tests look at what the client saw.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
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

} // namespace

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
                 Access access)
{
    int out[2];
    if (::pipe(out) != 0)
        throw std::runtime_error("pipe");
    std::vector<std::string> argv{Python, (Hosts / "ftp_host.py").string(), root.string(), user, password};
    if (access != Access::Full)
        argv.emplace_back(access == Access::ReadOnly ? "read-only" : "no-delete");
    pid_ = spawn(argv, {}, out[1]);
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
        bool ended = false;
        for (int i = 0; i < 200 && !ended && !accepts(port_); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
            int status = 0;
            ended = ::waitpid(pid_, &status, WNOHANG) == pid_;
        }
        int status = 0;
        if (!ended && ::waitpid(pid_, &status, WNOHANG) == 0 && accepts(port_))
            return;
        if (ended)
            pid_ = -1;
        stop();
    }
    throw std::runtime_error("the Telnet server did not start");
}

} // namespace vemra::test

#include "child_process.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace vemra {

namespace {

// What the child reports through the pipe when it cannot become the program.
struct StartFailure {
    int stage; // 0: directory, 1: exec
    int error;
};

// Between fork and exec only async-signal-safe calls are allowed: the parent
// may have other threads holding locks the child would never see released.
[[noreturn]] void failInChild(int fd, int stage)
{
    const StartFailure failure{stage, errno};
    [[maybe_unused]] const ssize_t n = ::write(fd, &failure, sizeof failure);
    ::_exit(127);
}

// Niceness raised in steps: the first value the system permits wins, and
// without any permission the child keeps the caller's priority.
void applyPriority(ModulePriority priority, int base)
{
    if (priority == ModulePriority::Low) {
        ::setpriority(PRIO_PROCESS, 0, 19);
    } else if (priority == ModulePriority::High) {
        for (int raise = 10; raise >= 1; --raise) {
            const int wanted = base - raise < -20 ? -20 : base - raise;
            if (::setpriority(PRIO_PROCESS, 0, wanted) == 0)
                break;
        }
    }
}

int openPidFd(pid_t pid)
{
#ifdef SYS_pidfd_open
    const long fd = ::syscall(SYS_pidfd_open, pid, 0);
    if (fd >= 0) {
        ::fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
        return static_cast<int>(fd);
    }
#else
    (void)pid;
#endif
    return -1;
}

} // namespace

ChildProcess::~ChildProcess()
{
    if (running())
        terminate(std::chrono::milliseconds(200));
    closePidFd();
}

void ChildProcess::closePidFd()
{
    if (pidFd_ >= 0)
        ::close(pidFd_);
    pidFd_ = -1;
}

bool ChildProcess::start(const ChildProcessSetup& setup, std::string* error)
{
    const auto fail = [&](const std::string& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (pid_ > 0)
        return fail("Prozess wurde bereits gestartet");

    // Everything the child needs is prepared here, before the fork.
    const std::string program = setup.program.string();
    const std::string dir = setup.workDir.empty() ? std::string(".") : setup.workDir.string();
    std::vector<std::string> args{setup.program.filename().string()};
    args.insert(args.end(), setup.arguments.begin(), setup.arguments.end());
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    errno = 0;
    int base = ::getpriority(PRIO_PROCESS, 0);
    if (base == -1 && errno != 0)
        base = 0;

    const int nullIn = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int nullOut = setup.output == ChildOutput::Discard ? ::open("/dev/null", O_WRONLY | O_CLOEXEC) : -1;
    int report[2];
    if (nullIn < 0 || (setup.output == ChildOutput::Discard && nullOut < 0) || ::pipe2(report, O_CLOEXEC) != 0) {
        const std::string reason = std::strerror(errno);
        if (nullIn >= 0)
            ::close(nullIn);
        if (nullOut >= 0)
            ::close(nullOut);
        return fail(reason);
    }
    const pid_t parent = ::getpid();

    const pid_t pid = ::fork();
    if (pid == 0) {
        // Own process group: a Ctrl+C at the terminal reaches the
        // application, which decides about the stop, and a stop reaches
        // everything the module may have started.
        ::setpgid(0, 0);
#ifdef __linux__
        // An application that dies must not leave the module writing into
        // the directory that the next computation uses.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(127);
#endif
        struct sigaction defaults {};
        defaults.sa_handler = SIG_DFL;
        for (int sig : {SIGTERM, SIGINT, SIGPIPE, SIGHUP, SIGQUIT})
            ::sigaction(sig, &defaults, nullptr);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);

        ::dup2(nullIn, STDIN_FILENO);
        if (setup.output == ChildOutput::Discard) {
            ::dup2(nullOut, STDOUT_FILENO);
            ::dup2(nullOut, STDERR_FILENO);
        } else if (setup.output == ChildOutput::ToStandardError) {
            ::dup2(STDERR_FILENO, STDOUT_FILENO);
        }
        if (::chdir(dir.c_str()) != 0)
            failInChild(report[1], 0);
        applyPriority(setup.priority, base);
        ::execv(program.c_str(), argv.data());
        failInChild(report[1], 1);
    }

    const int forkErrno = errno;
    ::close(report[1]);
    ::close(nullIn);
    if (nullOut >= 0)
        ::close(nullOut);
    if (pid < 0) {
        ::close(report[0]);
        return fail(std::strerror(forkErrno));
    }
    ::setpgid(pid, pid); // the child does it too; whoever comes first wins the race

    StartFailure failure{};
    ssize_t n;
    do
        n = ::read(report[0], &failure, sizeof failure);
    while (n < 0 && errno == EINTR);
    ::close(report[0]);
    if (n == static_cast<ssize_t>(sizeof failure)) {
        int status;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return fail((failure.stage == 0 ? dir : program) + ": " + std::strerror(failure.error));
    }

    pid_ = pid;
    ended_ = false;
    pidFd_ = openPidFd(pid);
    return true;
}

bool ChildProcess::reap(bool block)
{
    if (pid_ <= 0 || ended_)
        return ended_;
    int status = 0;
    pid_t r;
    do
        r = ::waitpid(pid_, &status, block ? 0 : WNOHANG);
    while (r < 0 && errno == EINTR && block);
    if (r == pid_) {
        ended_ = true;
        status_ = status;
    } else if (r < 0 && errno == ECHILD) {
        // Someone else collected it (a SIGCHLD handler of the host
        // application); it is gone, how it ended is unknown.
        ended_ = true;
        status_ = -1;
    }
    if (ended_)
        closePidFd();
    return ended_;
}

bool ChildProcess::waitFor(std::chrono::milliseconds timeout)
{
    if (pid_ <= 0)
        return true;
    if (reap(false))
        return true;
    const int ms = static_cast<int>(std::max<long long>(0, timeout.count()));
    if (pidFd_ >= 0) {
        pollfd p{pidFd_, POLLIN, 0};
        ::poll(&p, 1, ms);
    } else {
        // Without process descriptors: look every 10 ms.
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!reap(false) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return reap(false);
}

void ChildProcess::terminate(std::chrono::milliseconds grace)
{
    if (!running())
        return;
    ::kill(-pid_, SIGTERM);
    ::kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + grace;
    while (!reap(false)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        waitFor(left);
    }
    if (!ended_) {
        ::kill(-pid_, SIGKILL);
        ::kill(pid_, SIGKILL);
        reap(true);
    }
}

std::optional<int> ChildProcess::exitCode() const
{
    if (!ended_ || status_ == -1 || !WIFEXITED(status_))
        return std::nullopt;
    return WEXITSTATUS(status_);
}

std::optional<int> ChildProcess::terminatingSignal() const
{
    if (!ended_ || status_ == -1 || !WIFSIGNALED(status_))
        return std::nullopt;
    return WTERMSIG(status_);
}

} // namespace vemra

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
    // Whoever wanted the lines may be gone already.
    outputLine_ = nullptr;
    if (running())
        terminate(std::chrono::milliseconds(200));
    closePidFd();
    if (outFd_ >= 0)
        ::close(outFd_);
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

    const bool capture = setup.output == ChildOutput::Capture;
    const int nullIn = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int nullOut = setup.output == ChildOutput::Discard ? ::open("/dev/null", O_WRONLY | O_CLOEXEC) : -1;
    int report[2] = {-1, -1};
    int out[2] = {-1, -1};
    if (nullIn < 0 || (setup.output == ChildOutput::Discard && nullOut < 0) || ::pipe2(report, O_CLOEXEC) != 0
        || (capture && ::pipe2(out, O_CLOEXEC) != 0)) {
        const std::string reason = std::strerror(errno);
        for (int fd : {nullIn, nullOut, report[0], report[1]})
            if (fd >= 0)
                ::close(fd);
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
        } else if (capture) {
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(out[1], STDERR_FILENO);
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
    if (capture)
        ::close(out[1]);
    if (pid < 0) {
        ::close(report[0]);
        if (capture)
            ::close(out[0]);
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
        if (capture)
            ::close(out[0]);
        return fail((failure.stage == 0 ? dir : program) + ": " + std::strerror(failure.error));
    }

    pid_ = pid;
    ended_ = false;
    pidFd_ = openPidFd(pid);
    if (capture) {
        // Never a blocking read: the desktop waits on its user-interface
        // thread.
        ::fcntl(out[0], F_SETFL, ::fcntl(out[0], F_GETFL) | O_NONBLOCK);
        outFd_ = out[0];
        outputLine_ = setup.outputLine;
        partialLine_.clear();
    }
    return true;
}

void ChildProcess::takeOutput(const char* data, std::size_t size)
{
    // A child that never ends its line must not make the buffer grow
    // without bound.
    constexpr std::size_t longestLine = 4096;
    partialLine_.append(data, size);
    std::size_t begin = 0;
    for (;;) {
        const std::size_t end = partialLine_.find('\n', begin);
        if (end == std::string::npos) {
            if (partialLine_.size() - begin < longestLine)
                break;
        }
        const std::size_t stop = end == std::string::npos ? begin + longestLine : end;
        std::string line = partialLine_.substr(begin, stop - begin);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        begin = end == std::string::npos ? stop : end + 1;
        if (outputLine_)
            outputLine_(line);
    }
    partialLine_.erase(0, begin);
}

void ChildProcess::readOutput()
{
    char buffer[4096];
    // A bounded number of reads, so that a child that writes without pause
    // cannot keep the caller from its other work.
    for (int reads = 0; outFd_ >= 0 && reads < 64; ++reads) {
        const ssize_t n = ::read(outFd_, buffer, sizeof buffer);
        if (n > 0) {
            takeOutput(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // The end of the pipe (or an error on it): nothing more will come.
        ::close(outFd_);
        outFd_ = -1;
    }
}

void ChildProcess::finishOutput()
{
    // What the child wrote before it ended is in the pipe now; something it
    // started may keep the pipe open, so only what is there is read.
    for (int round = 0; outFd_ >= 0 && round < 16; ++round) {
        pollfd p{outFd_, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0 || !(p.revents & (POLLIN | POLLHUP | POLLERR)))
            break;
        readOutput();
    }
    if (outFd_ >= 0) {
        ::close(outFd_);
        outFd_ = -1;
    }
    if (!partialLine_.empty()) {
        std::string line;
        line.swap(partialLine_);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (outputLine_)
            outputLine_(line);
    }
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
    if (ended_) {
        closePidFd();
        finishOutput();
    }
    return ended_;
}

bool ChildProcess::waitFor(std::chrono::milliseconds timeout)
{
    if (pid_ <= 0)
        return true;
    const auto deadline = std::chrono::steady_clock::now() + std::max(timeout, std::chrono::milliseconds(0));
    for (;;) {
        if (reap(false))
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const int ms = static_cast<int>(std::max<long long>(0, left.count()));
        pollfd fds[2];
        nfds_t count = 0;
        if (pidFd_ >= 0)
            fds[count++] = {pidFd_, POLLIN, 0};
        const nfds_t outIndex = count;
        if (outFd_ >= 0)
            fds[count++] = {outFd_, POLLIN, 0};
        // Without a process descriptor the end is looked for every 10 ms.
        const int wait = pidFd_ >= 0 ? ms : std::min(ms, 10);
        int ready = 0;
        if (count > 0)
            ready = ::poll(fds, count, wait);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(wait));
        if (ready < 0 && errno == EINTR)
            return reap(false);
        if (ready > 0 && outIndex < count && fds[outIndex].revents != 0)
            readOutput();
        if (ms == 0)
            return reap(false);
    }
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

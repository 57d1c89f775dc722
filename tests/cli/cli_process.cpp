#include "cli_process.h"

#include <cerrno>
#include <cstdlib>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vemra::test {

namespace {

// In the child: the folder, the lock beside the test's files, the program.
[[noreturn]] void become(const std::vector<std::string>& args, const std::filesystem::path& folder)
{
    if (::chdir(folder.c_str()) != 0)
        ::_exit(126);
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    std::vector<std::string> words{VEMRA_CLI};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    ::execv(VEMRA_CLI, argv.data());
    ::_exit(127);
}

int statusOf(pid_t pid)
{
    int raw = 0;
    while (::waitpid(pid, &raw, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

} // namespace

CliOutcome runCli(const std::vector<std::string>& args, const std::filesystem::path& folder)
{
    CliOutcome outcome;
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0)
        return outcome;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        for (int fd : {out[0], out[1], err[0], err[1]})
            ::close(fd);
        become(args, folder);
    }
    ::close(out[1]);
    ::close(err[1]);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* texts[2] = {&outcome.out, &outcome.err};
    int open = 2;
    while (open > 0 && ::poll(fds, 2, -1) >= 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                texts[i]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    outcome.status = statusOf(pid);
    return outcome;
}

CliOutcome runCliOnTerminal(const std::vector<std::string>& args, const std::filesystem::path& folder)
{
    CliOutcome outcome;
    int master = -1;
    winsize size{};
    size.ws_row = 24;
    size.ws_col = 100;
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, &size);
    if (pid < 0)
        return outcome;
    if (pid == 0)
        become(args, folder);
    // The terminal's side reports an error (EIO) once the program has ended.
    for (;;) {
        char buffer[4096];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n > 0)
            outcome.out.append(buffer, static_cast<std::size_t>(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    ::close(master);
    outcome.status = statusOf(pid);
    return outcome;
}

} // namespace vemra::test

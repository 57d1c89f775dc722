// The POSIX services: the flock computation lock across processes, finding
// the module, and the child process with its directory and priority.
#include "platform/child_process.h"
#include "platform/flock_computation_lock.h"
#include "platform/module_locator.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vemra {
namespace {

using test::TempDir;

// Runs f in a child process and returns its exit status.
template <class F>
int inChild(F f)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(f());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(FlockComputationLock, OneHolderAtATime)
{
    TempDir dir;
    FlockComputationLock lock(dir.path());
    ASSERT_EQ(lock.tryAcquire(), ComputationLock::Status::Acquired);
    // Another process is refused while this one holds the lock...
    EXPECT_EQ(inChild([&] { return int(FlockComputationLock(dir.path()).tryAcquire()); }),
              int(ComputationLock::Status::Busy));
    lock.release();
    // ...and gets it once it is released. A holder that dies without
    // releasing leaves it free as well.
    EXPECT_EQ(inChild([&] {
                  FlockComputationLock other(dir.path());
                  const auto status = other.tryAcquire();
                  ::_exit(int(status)); // no destructor, no release
                  return 0;
              }),
              int(ComputationLock::Status::Acquired));
    EXPECT_EQ(lock.tryAcquire(), ComputationLock::Status::Acquired);
    EXPECT_EQ(FlockComputationLock(dir.path() / "missing").tryAcquire(), ComputationLock::Status::Unavailable);
}

TEST(ModuleLocator, SearchesThePathInOrder)
{
    TempDir a, b;
    b.write("tool", "#!/bin/sh\n");
    std::filesystem::permissions(b.path() / "tool", std::filesystem::perms::owner_all);
    a.write("tool", "not executable");
    EXPECT_EQ(searchPath("tool", a.path().string() + ":" + b.path().string()), b.path() / "tool");
    EXPECT_EQ(searchPath("tool", a.path().string()), std::nullopt);
    EXPECT_EQ(searchPath("tool", ""), std::nullopt);
    EXPECT_EQ(resolveModuleProgram("/some/where/rx"), std::filesystem::path("/some/where/rx"));
    const auto own = ownProgramFolder();
    ASSERT_TRUE(own);
    EXPECT_TRUE(std::filesystem::exists(*own / "platform_tests"));
}

// The nice value the stand-in module reports when started in dir with priority.
int niceOf(const TempDir& dir, ModulePriority priority)
{
    dir.write("fake_module.ctl", "report seen.txt\nexit 5\n");
    ChildProcess child;
    std::string error;
    EXPECT_TRUE(child.start({FAKE_RX_MODULE, {"x"}, dir.path(), priority, ChildOutput::Discard, {}}, &error)) << error;
    while (!child.waitFor(std::chrono::milliseconds(500))) {
    }
    EXPECT_EQ(child.exitCode(), 5);
    const std::string report = dir.read("seen.txt");
    const auto at = report.find("nice: ");
    return at == std::string::npos ? 99 : std::atoi(report.c_str() + at + 6);
}

TEST(ChildProcess, DirectoryAndPriority)
{
    TempDir dir;
    const int own = ::getpriority(PRIO_PROCESS, 0);
    EXPECT_EQ(niceOf(dir, ModulePriority::Low), 19);
    EXPECT_EQ(niceOf(dir, ModulePriority::Normal), own);
    // Raised only where the system permits it; never lowered.
    EXPECT_LE(niceOf(dir, ModulePriority::High), own);

    ChildProcess child;
    std::string error;
    EXPECT_FALSE(child.start({FAKE_RX_MODULE, {}, dir.path() / "missing", ModulePriority::Normal, ChildOutput::Discard, {}},
                             &error));
    EXPECT_NE(error.find("missing"), std::string::npos);
    EXPECT_FALSE(child.running());
}

// Starts the stand-in module on script with its output captured.
struct Captured {
    TempDir dir;
    ChildProcess child;
    std::vector<std::string> lines;

    explicit Captured(const std::string& script)
    {
        dir.write("fake_module.ctl", script);
        ChildProcessSetup setup{FAKE_RX_MODULE, {}, dir.path(), ModulePriority::Normal, ChildOutput::Capture, {}};
        setup.outputLine = [this](const std::string& line) { lines.push_back(line); };
        EXPECT_TRUE(child.start(setup));
    }
};

TEST(ChildProcess, CapturedOutputArrivesLineByLine)
{
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        // Both streams through one pipe, in the order written, without line
        // ends (CR LF included); a last line without one when the child ends.
        {"print Stufe 0: Erfüllungsgrad 0.5\neprint Warnung\nprint a\r\npartial b\nexit 3\n",
         {"Stufe 0: Erfüllungsgrad 0.5", "Warnung", "a", "b"}},
        // 200 000 bytes: a pipe that is not read meanwhile would stop the child.
        {"flood 2000\nexit 3\n", {}},
    };
    for (const auto& [script, expected] : cases) {
        Captured run(script);
        while (!run.child.waitFor(std::chrono::milliseconds(500))) {
        }
        EXPECT_EQ(run.child.exitCode(), 3);
        if (expected.empty()) {
            ASSERT_EQ(run.lines.size(), 2000u);
            EXPECT_EQ(run.lines.back(), "2000" + std::string(96, '.'));
        } else {
            EXPECT_EQ(run.lines, expected);
        }
    }
}

TEST(ChildProcess, WaitingReturnsWhileTheChildIsSilentAndStopStillEndsIt)
{
    Captured run("print begonnen\npartial halb\nsleep 30000\nexit 0\n");
    // The wait returns at its limit (it never reads until the child ends),
    // the complete line handed on, the partial one held back.
    while (run.lines.empty())
        ASSERT_FALSE(run.child.waitFor(std::chrono::milliseconds(50)));
    EXPECT_FALSE(run.child.waitFor(std::chrono::milliseconds(50)));
    EXPECT_EQ(run.lines, std::vector<std::string>{"begonnen"});
    run.child.terminate(std::chrono::milliseconds(200));
    EXPECT_EQ(run.child.terminatingSignal(), SIGTERM);
    EXPECT_EQ(run.lines, (std::vector<std::string>{"begonnen", "halb"}));
}

} // namespace
} // namespace vemra

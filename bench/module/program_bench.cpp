// The module as the application runs it: process start to rx4.err written, on the module input
// of each example project (written once by vemra-cli). VEMRA_MODULE_PROGRAM names another
// build of rx-10-L to time instead of this one.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <system_error>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Made absolute here: the module runs in its input folder, where a relative path would name
// nothing.
std::string moduleProgram()
{
    const char* other = std::getenv("VEMRA_MODULE_PROGRAM");
    return fs::absolute(other != nullptr && *other != '\0' ? other : VEMRA_MODULE_PROGRAM).string();
}

// This run's folder of module inputs; it goes when the benchmark program ends.
const fs::path& runFolder()
{
    struct Folder {
        fs::path path = fs::temp_directory_path() / ("vemra-module-bench-" + std::to_string(::getpid()));
        ~Folder()
        {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    };
    static const Folder folder;
    return folder.path;
}

// A folder holding the example's module input, made on first use.
fs::path inputFolder(const std::string& example)
{
    const fs::path folder = runFolder() / example;
    if (fs::exists(folder / "remote$.rx4"))
        return folder;
    fs::create_directories(folder);
    const std::string command = std::string("'") + VEMRA_CLI_PROGRAM + "' module-input '" VEMRA_EXAMPLES_DIR "/"
                                + example + ".r4p' '" + (folder / "remote$.rx4").string() + "' > /dev/null";
    if (std::system(command.c_str()) != 0)
        return {};
    return folder;
}

// Runs the module in the folder and waits for it; false when it could not run or failed.
bool runModule(const std::string& program, const fs::path& folder)
{
    const pid_t child = ::fork();
    if (child == 0) {
        // Progress lines and messages are not the benchmark's business.
        const int quiet = ::open("/dev/null", O_WRONLY);
        if (::chdir(folder.c_str()) != 0 || quiet < 0 || ::dup2(quiet, 1) < 0 || ::dup2(quiet, 2) < 0)
            ::_exit(127);
        ::execl(program.c_str(), program.c_str(), "remote$.rx4", "0", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_ModuleProgram(benchmark::State& state, const std::string& example)
{
    const fs::path folder = inputFolder(example);
    if (folder.empty()) {
        state.SkipWithError("no module input written");
        return;
    }
    const std::string program = moduleProgram();
    for (auto _ : state) {
        if (!runModule(program, folder)) {
            state.SkipWithError("the module did not run");
            break;
        }
    }
}

} // namespace

BENCHMARK_CAPTURE(BM_ModuleProgram, hubkurve, std::string("hubkurve"))
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_ModuleProgram, greifer, std::string("greifer"))
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_ModuleProgram, foerderer, std::string("foerderer"))
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

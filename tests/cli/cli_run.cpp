#include "cli_run.h"

#include "support/compute_doubles.h"

#include "formats/project_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vemra::test {

namespace {

std::string commandLine(const std::vector<std::string>& args, const TempDir& folder)
{
    std::string line = "cd " + folder.path().string() + " && XDG_RUNTIME_DIR=. " VEMRA_CLI;
    for (const std::string& a : args)
        line += " '" + a + "'";
    return line;
}

std::string readAll(int fd)
{
    std::string text;
    char buffer[4096];
    ssize_t n;
    // A terminal's side reports an error (EIO) once the program has ended.
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

} // namespace

CliOutcome runCli(const std::vector<std::string>& args, const TempDir& folder)
{
    TempDir errors;
    const auto errFile = errors.path() / "err";
    std::FILE* pipe = ::popen((commandLine(args, folder) + " 2>" + errFile.string()).c_str(), "r");
    CliOutcome outcome;
    outcome.out = readAll(::fileno(pipe));
    const int raw = ::pclose(pipe);
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.err = errors.read("err");
    return outcome;
}

CliOutcome runCliOnTerminal(const std::vector<std::string>& args, const TempDir& folder)
{
    int terminal = -1;
    winsize size{24, 100, 0, 0};
    const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, &size);
    if (pid == 0) {
        ::execl("/bin/sh", "sh", "-c", commandLine(args, folder).c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    CliOutcome outcome;
    outcome.out = readAll(terminal);
    ::close(terminal);
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return outcome;
}

std::string moduleScript(const std::vector<ModuleAnswer>& answers)
{
    std::string script;
    for (const ModuleAnswer& a : answers) {
        script += "if-input " + std::to_string(10 * a.key + 1) + ".0\n";
        for (const std::string& command : a.commands)
            script += command + "\n";
        script += "sleep " + std::to_string(a.sleepMs) + "\nwrite rx4.err\n" + a.code + "\nend\n";
        if (a.code == "0" || a.code == "1")
            script += "write remote$.fk1\n1\n0\n0\n2\nend\n";
        script += "fi\n";
    }
    return script;
}

TreeItem* keyedProject(Workspace& ws, int key, bool consistent)
{
    TreeItem* project = simpleProject(ws);
    auto* r = project->Child(0)->Child(0)->NodeAs<TRestr>();
    r->RealPar[2] = 10 * key + 1;
    if (!consistent)
        r->RealPar[8] = -1;
    r->MakeCaption();
    return project;
}

void saveProject(const TempDir& folder, const std::string& name, int key, bool consistent)
{
    ScriptedDialogs dialogs;
    Workspace ws(dialogs);
    ASSERT_FALSE(writeProjectFile(keyedProject(ws, key, consistent), (folder.path() / name).string()));
}

std::vector<std::pair<std::string, std::string>> projectFiles(const TempDir& folder)
{
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        if (entry.path().extension() == ".r4p" && entry.is_regular_file())
            files.emplace_back(entry.path().filename().string(), folder.read(entry.path().filename().string()));
    std::sort(files.begin(), files.end());
    return files;
}

CliFolders::CliFolders(const std::vector<ModuleAnswer>& answers, int inconsistent)
{
    for (const ModuleAnswer& a : answers)
        saveProject(projects, std::string(1, char('a' + a.key - 1)) + ".r4p", a.key, a.key != inconsistent);
    for (const std::string sub : {"", "vemra-lauf-1/", "vemra-lauf-2/", "vemra-lauf-3/", "vemra-lauf-4/"}) {
        std::filesystem::create_directories(work.path() / sub);
        work.write(sub + "fake_module.ctl", moduleScript(answers));
    }
}

CliOutcome CliFolders::run(std::vector<std::string> args, bool terminal) const
{
    const std::vector<std::string> common{"--module", FAKE_RX_MODULE, "--workdir", work.path().string()};
    args.insert(args.begin() + 1, common.begin(), common.end());
    for (const auto& file : projectFiles(projects))
        args.push_back(file.first);
    return terminal ? runCliOnTerminal(args, projects) : runCli(args, projects);
}

std::string withoutTime(const std::string& out)
{
    return out.substr(0, out.find("Rechenzeit: "));
}

} // namespace vemra::test

// vemra-cli compute: computes projects with the local synthesis module the
// way the desktop does (one project: "&Berechnen"; several: "&alle
// Berechnen") and saves them with their results.
#include "commands.h"
#include "project_loading.h"
#include "console_dialogs.h"
#include "interrupt_pump.h"
#include "remote_compute.h"

#include "compute/batch_computation.h"
#include "compute/computation.h"

#include "platform/flock_computation_lock.h"
#include "platform/local_module_runner.h"
#include "platform/no_screen_saver.h"
#include "platform/system_clock.h"

#include "formats/project_file.h"
#include "model/tree_ops.h"

#include <algorithm>
#include <iostream>
#include <map>

namespace vemra::cli {

namespace {

constexpr const char* ComputeUsage
    = "Aufruf: vemra-cli compute [--priority low|normal|high] [--module PROGRAMM] [--workdir ORDNER]\n"
      "                          (--in-place | -o AUSGABE.r4p) DATEI.r4p...\n";

struct ComputeOptions {
    ComputationMode mode = ComputationMode::NormalPriority;
    std::string modulePath;
    std::string workDir = ".";
    bool inPlace = false;
    std::string output;
    std::vector<std::string> inputs;
    RemoteComputeOptions remote;
};

std::optional<ComputeOptions> parseOptions(const Args& args, std::string& error)
{
    ComputeOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) {
                error = a + " braucht einen Wert.";
                return std::nullopt;
            }
            return args[++i];
        };
        if (a == "--priority") {
            const auto v = value();
            if (!v)
                return std::nullopt;
            if (*v == "low")
                o.mode = ComputationMode::LowPriority;
            else if (*v == "normal")
                o.mode = ComputationMode::NormalPriority;
            else if (*v == "high")
                o.mode = ComputationMode::HighPriority;
            else {
                error = "Unbekannte Priorität: " + *v;
                return std::nullopt;
            }
        } else if (a == "--module") {
            const auto v = value();
            if (!v)
                return std::nullopt;
            o.modulePath = *v;
        } else if (a == "--workdir") {
            const auto v = value();
            if (!v)
                return std::nullopt;
            o.workDir = *v;
        } else if (a == "-o") {
            const auto v = value();
            if (!v)
                return std::nullopt;
            o.output = *v;
        } else if (a == "--in-place") {
            o.inPlace = true;
        } else if (const auto taken = parseRemoteOption(args, i, o.remote, error); taken != OptionTaken::No) {
            if (taken == OptionTaken::Error)
                return std::nullopt;
        } else if (a.size() > 1 && a[0] == '-') {
            error = "Unbekannte Option: " + a;
            return std::nullopt;
        } else {
            o.inputs.push_back(a);
        }
    }
    if (o.inputs.empty())
        error = "Keine Projektdatei angegeben.";
    else if (o.inPlace == !o.output.empty())
        error = "Entweder --in-place oder -o AUSGABE.r4p angeben.";
    else if (!o.output.empty() && o.inputs.size() != 1)
        error = "-o ist nur mit einer Projektdatei möglich.";
    if (!error.empty())
        return std::nullopt;
    return o;
}

std::string oneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\r', ' ');
    return text;
}

// Keeps the boxes a computation shows, so that they can be printed beside the
// line of their project instead of repeating it. Questions get the first
// affirmative answer, as from ConsoleDialogs.
class CollectingDialogs : public UserDialogs {
public:
    DialogButton message(DialogKind kind, const std::string& text, unsigned buttons) override
    {
        shown_.emplace_back(kind, text);
        for (DialogButton b : {ButtonYes, ButtonOk, ButtonNo, ButtonCancel, ButtonAbort})
            if (buttons & b)
                return b;
        return ButtonNone;
    }
    std::optional<std::string> chooseFile(const FileDialogRequest&) override { return std::nullopt; }

    // Prints to standard error what was shown since the last call, except the
    // text that the project's line on standard output carries anyway.
    void flushExcept(const std::string& lineText)
    {
        for (const auto& [kind, text] : shown_)
            if (text != lineText)
                console_.message(kind, text, ButtonOk);
        shown_.clear();
    }

private:
    ConsoleDialogs console_;
    std::vector<std::pair<DialogKind, std::string>> shown_;
};

bool solved(const ComputationResult& r)
{
    return r.outcome == ComputationResult::Outcome::Finished && resultsExpected(r.resultCode) && r.hasResults;
}

// One line per computed project on standard output: file, code, message.
class ProjectLines : public ComputationObserver {
public:
    ProjectLines(CollectingDialogs& dialogs, std::map<TreeItem*, std::string> files)
        : dialogs_(dialogs), files_(std::move(files))
    {
    }

    void computationFinished(TreeItem* project, const ComputationResult& result) override
    {
        const auto it = files_.find(project);
        const std::string name = it != files_.end() ? it->second : std::string("?");
        std::cout << name << ": "
                  << (result.outcome == ComputationResult::Outcome::Finished ? std::to_string(result.resultCode)
                                                                            : std::string("-"))
                  << ' ' << oneLine(result.text) << std::endl;
        dialogs_.flushExcept(result.text);
        if (!result.detail.empty())
            std::cerr << name << ": " << result.detail << '\n';
        results_[project] = result;
    }

    const ComputationResult* resultOf(TreeItem* project) const
    {
        const auto it = results_.find(project);
        return it == results_.end() ? nullptr : &it->second;
    }

private:
    CollectingDialogs& dialogs_;
    std::map<TreeItem*, std::string> files_;
    std::map<TreeItem*, ComputationResult> results_;
};

} // namespace

int runCompute(const Args& args)
{
    std::string error;
    const auto options = parseOptions(args, error);
    if (!options) {
        std::cerr << error << '\n' << ComputeUsage << RemoteComputeUsage;
        return ExitUsage;
    }

    ConsoleDialogs console;
    Workspace ws(console);
    std::vector<TreeItem*> projects;
    std::map<TreeItem*, std::string> files;
    for (const auto& file : options->inputs) {
        TreeItem* project = loadProject(ws, file);
        // A project that did not read completely is never computed or saved.
        if (!project)
            return ExitBadInput;
        projects.push_back(project);
        files[project] = file;
    }

    CollectingDialogs dialogs;
    ws.setDialogs(dialogs);
    LocalModuleRunnerOptions runnerOptions;
    runnerOptions.modulePath = options->modulePath;
    runnerOptions.output = ChildOutput::ToStandardError;
    LocalModuleRunner runner(runnerOptions);
    FlockComputationLock lock;
    NoScreenSaver screenSaver;
    InterruptPump pump(ws);
    SystemClock clock;
    ComputationServices services;
    services.localRunner = &runner;
    services.lock = &lock;
    services.screenSaver = &screenSaver;
    services.eventPump = &pump;
    services.clock = &clock;
    std::unique_ptr<RemoteCompute> remote;
    if (options->remote.enabled || options->remote.given) {
        remote = RemoteCompute::create(options->remote, error);
        if (!remote) {
            std::cerr << error << '\n';
            return ExitUsage;
        }
        services.remoteRunner = &remote->runner();
    }
    ProjectLines lines(dialogs, files);
    Computation computation(ws, services, &lines);
    computation.setMode(remote ? ComputationMode::Remote : options->mode);
    computation.setWorkDir(options->workDir);

    if (projects.size() == 1) {
        computation.RunComputation(projects.front());
    } else {
        const auto summary = RunBatch(computation);
        for (TreeItem* project : projects)
            if (!lines.resultOf(project))
                std::cout << files[project] << ": - nicht berechnet" << std::endl;
        dialogs.flushExcept({});
        if (summary) {
            std::string text = summary->text;
            std::replace(text.begin(), text.end(), '\r', '\n');
            std::cout << text << std::endl;
        }
    }

    int status = ExitOk;
    for (TreeItem* project : projects) {
        const ComputationResult* result = lines.resultOf(project);
        if (!result || !solved(*result)) {
            status = ExitNotComputed;
            if (result && result->outcome == ComputationResult::Outcome::Finished)
                std::cerr << files[project] << ": ohne Ergebnisse, nicht gesichert\n";
            continue;
        }
        const std::string target = options->inPlace ? project->NodeAs<TProject>()->FileName : options->output;
        if (auto failure = writeProjectFile(project, target)) {
            std::cerr << "Fehler: " << oneLine(*failure) << '\n';
            status = ExitNotComputed;
        }
    }
    return status;
}

} // namespace vemra::cli

// What the remote run needs from the network and from whoever shows it: a
// file-transfer client, a remote-login client with script events or a
// command channel, the settings question and the progress display. The network clients never
// block: each operation is started and then advanced by poll() with a short
// wait, so the run can keep the user interface, its timer and its cancel
// button alive in between.
#pragma once

#include "remote_settings.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vemra {

// One connection to the host's file-transfer service, in the remote folder
// of the settings. One operation at a time.
class RemoteFileTransfer {
public:
    enum class Status {
        Running,
        Done,
        // A get found no such file (the module has not written it yet).
        NotFound,
        // Connection, login, folder, transfer or time-out: see reason().
        Failed,
    };

    virtual ~RemoteFileTransfer() = default;

    // Connects, logs in and changes to the remote folder.
    virtual void beginOpen() = 0;
    virtual void beginPut(const std::filesystem::path& localFile, const std::string& remoteName) = 0;
    // The file arrives complete or not at all (no half file is left).
    virtual void beginGet(const std::string& remoteName, const std::filesystem::path& localFile) = 0;
    // Deletes those of the files that exist and then makes sure that none
    // of them is left (a missing file is no error, a surviving one is).
    virtual void beginDelete(const std::vector<std::string>& remoteNames) = 0;
    // Advances the operation, waiting at most maxWait for the network.
    virtual Status poll(std::chrono::milliseconds maxWait) = 0;
    // Why the last operation failed, in the user's language.
    virtual std::string reason() const = 0;
    // Ends a running operation at once.
    virtual void cancel() = 0;
    // Logs out and closes the connection; harmless when none is open.
    virtual void quit() = 0;
};

// A remote-login session that answers what the host shows with script
// events: when the text of an event arrives, its reply is sent and its
// handler called, once or every time.
class RemoteLoginSession {
public:
    enum class Status { Connecting, Connected, Closed, Failed };
    using Handler = std::function<void()>;

    virtual ~RemoteLoginSession() = default;

    virtual void clearEvents() = 0;
    virtual void addEvent(int number, const std::string& waitFor, const std::string& reply, Handler handler,
                          bool everyTime) = 0;
    virtual void removeEvent(int number) = 0;

    virtual void connect() = 0;
    // Text as it is to arrive at the host (line ends included).
    virtual void send(const std::string& text) = 0;
    // Sends and receives what is due, waiting at most maxWait; received text
    // goes to the session's text callback and through the events.
    virtual Status poll(std::chrono::milliseconds maxWait) = 0;
    virtual std::string reason() const = 0;
    virtual void close() = 0;
};

// A command run on the host in the remote folder, without a login script
// (the exec channel of SSH). What it prints arrives as the host's text.
class RemoteCommand {
public:
    enum class Status { Running, Done, Failed };

    virtual ~RemoteCommand() = default;
    // Starts command in the remote folder of the settings (when that is
    // empty: where the login starts); it does not start when the folder
    // cannot be entered.
    virtual void begin(const std::string& command) = 0;
    // Done once the command has ended, whatever its exit status: the
    // result-code file tells the module's outcome.
    virtual Status poll(std::chrono::milliseconds maxWait) = 0;
    virtual std::string reason() const = 0;
    // Ends the command on the host too.
    virtual void cancel() = 0;
};

class RemoteTransports {
public:
    using LineSink = std::function<void(const std::string&)>;
    virtual ~RemoteTransports() = default;
    // protocolLine receives every command and reply line, unmasked.
    virtual std::unique_ptr<RemoteFileTransfer> fileTransfer(const RemoteSettings& settings, LineSink protocolLine) = 0;
    // received gets the host's text (options and escapes already handled).
    virtual std::unique_ptr<RemoteLoginSession> login(const RemoteSettings& settings, LineSink received) = 0;
    // For settings whose connection starts the module without a login
    // script (SSH).
    virtual std::unique_ptr<RemoteCommand> command(const RemoteSettings& settings, LineSink protocolLine,
                                                   LineSink received) = 0;
    // The run is over: a connection kept for its steps may go.
    virtual void endRun() {}
};

// Asks for the settings before each remote run ("Remote-Config"): nothing
// when the user cancelled.
class RemoteSettingsSource {
public:
    virtual ~RemoteSettingsSource() = default;
    virtual std::optional<RemoteSettings> askSettings() = 0;
};

// The progress display ("externe Berechnung"). Everything it is given is
// already masked.
class RemoteRunView {
public:
    virtual ~RemoteRunView() = default;
    // The run starts. A display that is still showing an earlier run keeps
    // its protocol and its time and returns the seconds it has counted; a
    // new one starts empty at 0.
    virtual int32_t begin(int32_t maxTime) = 0;
    virtual void addLine(const std::string& line) = 0;
    // Text of the host for the terminal view.
    virtual void terminalText(const std::string& text) = 0;
    // Seconds elapsed: the time text "0h 0m 5s von 0h 20m 0s".
    virtual void showTime(int32_t elapsed, int32_t maxTime) = 0;
    // The user pressed cancel.
    virtual bool cancelRequested() = 0;
    // The run is over. close: it was aborted or timed out, the display goes;
    // otherwise it stays with the protocol, counting on from elapsed until
    // the user closes it or the maximum time has passed.
    virtual void end(bool close, int32_t elapsed, int32_t maxTime) = 0;
};

} // namespace vemra

#include "ssh_command.h"

#include <libssh/libssh.h>

namespace vemra {

namespace {

using Status = RemoteFileTransfer::Status;

Status execute(SshLink& link, const std::string& commandLine, std::string& reason)
{
    ssh_session session = link.session();
    ssh_channel channel = ssh_channel_new(session);
    if (!channel || ssh_channel_open_session(channel) != SSH_OK) {
        reason = std::string("kein Kanal für das Kommando: ") + ssh_get_error(session);
        if (channel)
            ssh_channel_free(channel);
        return Status::Failed;
    }
    // Without a terminal the command would outlive a cancelled run on the
    // host; a host that refuses one still runs the command.
    if (ssh_channel_request_pty_size(channel, "vt100", 80, 25) != SSH_OK)
        link.protocol("Der Host gibt dem Kommando kein Terminal");
    link.protocol("> exec " + commandLine);
    if (ssh_channel_request_exec(channel, commandLine.c_str()) != SSH_OK) {
        reason = std::string("Kommando nicht gestartet: ") + ssh_get_error(session);
        ssh_channel_free(channel);
        return Status::Failed;
    }
    Status status = Status::Done;
    char buffer[4096];
    while (!link.cancelled()) {
        bool quiet = true;
        for (const int errorStream : {0, 1}) {
            const int n = ssh_channel_read_timeout(channel, buffer, sizeof buffer, errorStream, errorStream ? 0 : 100);
            if (n > 0) {
                link.output(std::string(buffer, static_cast<std::size_t>(n)));
                quiet = false;
            } else if (n == SSH_ERROR) {
                reason = std::string("Verbindung während des Kommandos verloren: ") + ssh_get_error(session);
                status = Status::Failed;
            }
        }
        if (status == Status::Failed || (quiet && (ssh_channel_is_eof(channel) || ssh_channel_is_closed(channel))))
            break;
    }
    if (link.cancelled()) {
        status = Status::Failed;
        reason = "abgebrochen";
    } else if (status == Status::Done) {
        // The exit status is only shown: the result-code file tells the outcome.
        link.protocol("Kommando beendet, Status " + std::to_string(ssh_channel_get_exit_status(channel)));
    }
    ssh_channel_close(channel);
    ssh_channel_free(channel);
    return status;
}

} // namespace

std::string shellQuoted(const std::string& text)
{
    std::string out = "'";
    for (const char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

SshCommand::SshCommand(std::shared_ptr<SshConnection> connection, const RemoteSettings& settings,
                       LineSink protocolLine, LineSink received)
    : connection_(std::move(connection)), folder_(settings.remotePath), protocolLine_(std::move(protocolLine)),
      received_(std::move(received))
{
}

void SshCommand::begin(const std::string& command)
{
    // As the login script does: first into the folder, and the command only
    // when that worked.
    const std::string line = folder_.empty() ? command : "cd " + shellQuoted(folder_) + " && " + command;
    running_ = true;
    connection_->start([line](SshLink& link, std::string& reason) { return execute(link, line, reason); },
                       protocolLine_, received_);
}

RemoteCommand::Status SshCommand::poll(std::chrono::milliseconds maxWait)
{
    switch (connection_->poll(maxWait)) {
    case SshConnection::Status::Running: return Status::Running;
    case SshConnection::Status::Done: running_ = false; return Status::Done;
    default: running_ = false; return Status::Failed;
    }
}

void SshCommand::cancel()
{
    if (running_)
        connection_->cancel();
    running_ = false;
}

} // namespace vemra

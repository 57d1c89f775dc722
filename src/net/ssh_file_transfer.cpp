#include "ssh_file_transfer.h"

#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include <cstdio>
#include <fcntl.h>
#include <random>
#include <thread>

namespace vemra {

namespace {

using Status = RemoteFileTransfer::Status;

std::string sftpReason(SshLink& link, sftp_session sftp)
{
    switch (sftp_get_error(sftp)) {
    case SSH_FX_NO_SUCH_FILE:
    case SSH_FX_NO_SUCH_PATH: return "Datei oder Ordner nicht vorhanden";
    case SSH_FX_PERMISSION_DENIED:
    case SSH_FX_WRITE_PROTECT: return "Zugriff verweigert (Ordner oder Datei)";
    default: break;
    }
    if (link.cancelled())
        return "abgebrochen";
    return ssh_get_error(link.session());
}

bool missing(sftp_session sftp)
{
    const int e = sftp_get_error(sftp);
    return e == SSH_FX_NO_SUCH_FILE || e == SSH_FX_NO_SUCH_PATH;
}

// The remote folder exists and is a folder (what the change of folder
// checks over FTP).
bool folderThere(SshLink& link, sftp_session sftp, const std::string& folder, std::string& reason)
{
    if (folder.empty())
        return true;
    sftp_attributes a = sftp_stat(sftp, folder.c_str());
    if (!a) {
        reason = "Ordner " + folder + ": " + sftpReason(link, sftp);
        return false;
    }
    const bool isFolder = a->type == SSH_FILEXFER_TYPE_DIRECTORY;
    sftp_attributes_free(a);
    if (!isFolder)
        reason = folder + " ist kein Ordner";
    return isFolder;
}

// The operations as jobs on the connection's thread.

Status put(SshLink& link, const std::string& folder, const std::filesystem::path& local, const std::string& name,
           std::string& reason)
{
    sftp_session sftp = link.sftp(reason);
    if (!sftp || !folderThere(link, sftp, folder, reason))
        return Status::Failed;
    std::FILE* in = std::fopen(local.c_str(), "rb");
    if (!in) {
        reason = "lokale Datei nicht lesbar: " + local.string();
        return Status::Failed;
    }
    const std::string path = remoteFilePath(folder, name);
    link.protocol("> SFTP put " + path);
    sftp_file out = sftp_open(sftp, path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    bool ok = out != nullptr;
    char buffer[16384];
    while (ok && !link.cancelled()) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, in);
        if (n == 0) {
            ok = !std::ferror(in);
            if (!ok)
                reason = "lokale Datei nicht lesbar: " + local.string();
            break;
        }
        ok = sftp_write(out, buffer, n) == static_cast<ssize_t>(n);
    }
    std::fclose(in);
    if (out && sftp_close(out) != SSH_OK)
        ok = false;
    if (!ok && reason.empty())
        reason = "Datei vom Host nicht angenommen (" + sftpReason(link, sftp) + ")";
    return ok && !link.cancelled() ? Status::Done : Status::Failed;
}

Status get(SshLink& link, const std::string& folder, const std::string& name, const std::filesystem::path& local,
           std::string& reason)
{
    sftp_session sftp = link.sftp(reason);
    if (!sftp)
        return Status::Failed;
    const std::string path = remoteFilePath(folder, name);
    link.protocol("> SFTP get " + path);
    sftp_file in = sftp_open(sftp, path.c_str(), O_RDONLY, 0);
    if (!in) {
        if (missing(sftp)) {
            link.protocol("Datei nicht vorhanden");
            return Status::NotFound;
        }
        reason = sftpReason(link, sftp);
        return Status::Failed;
    }
    // Written beside the target first: a broken transfer leaves no half file.
    std::filesystem::path temporary = local;
    temporary += ".part-" + std::to_string(std::random_device{}());
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    bool ok = out != nullptr;
    if (!ok)
        reason = "lokale Datei nicht schreibbar: " + local.string();
    char buffer[16384];
    while (ok && !link.cancelled()) {
        const ssize_t n = sftp_read(in, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            ok = false;
            reason = sftpReason(link, sftp);
        } else if (std::fwrite(buffer, 1, static_cast<std::size_t>(n), out) != static_cast<std::size_t>(n)) {
            ok = false;
            reason = "lokale Datei nicht schreibbar: " + local.string();
        }
    }
    sftp_close(in);
    if (out && (std::fclose(out) != 0) && ok) {
        ok = false;
        reason = "lokale Datei nicht schreibbar: " + local.string();
    }
    std::error_code ec;
    if (ok && !link.cancelled()) {
        std::filesystem::rename(temporary, local, ec);
        if (!ec)
            return Status::Done;
        reason = "lokale Datei nicht schreibbar: " + local.string();
    }
    std::filesystem::remove(temporary, ec);
    return Status::Failed;
}

Status remove(SshLink& link, const std::string& folder, const std::vector<std::string>& names, std::string& reason)
{
    sftp_session sftp = link.sftp(reason);
    if (!sftp || !folderThere(link, sftp, folder, reason))
        return Status::Failed;
    std::string all;
    for (const auto& name : names)
        all += (all.empty() ? "" : " ") + name;
    link.protocol("> SFTP rm " + all + (folder.empty() ? "" : " in " + folder));
    std::string left;
    for (const auto& name : names) {
        const std::string path = remoteFilePath(folder, name);
        sftp_unlink(sftp, path.c_str());
        // Whether it went is what counts, not what the host answered.
        if (sftp_attributes a = sftp_lstat(sftp, path.c_str())) {
            sftp_attributes_free(a);
            left += (left.empty() ? "" : ", ") + name;
        } else if (!missing(sftp)) {
            reason = sftpReason(link, sftp);
            return Status::Failed;
        }
        if (link.cancelled())
            return Status::Failed;
    }
    if (!left.empty()) {
        reason = "noch vorhanden: " + left;
        return Status::Failed;
    }
    return Status::Done;
}

} // namespace

std::string remoteFilePath(const std::string& folder, const std::string& name)
{
    std::string f = folder;
    while (f.size() > 1 && f.back() == '/')
        f.pop_back();
    if (f.empty())
        return name;
    return f == "/" ? "/" + name : f + "/" + name;
}

SshFileTransfer::SshFileTransfer(std::shared_ptr<SshConnection> connection, const RemoteSettings& settings,
                                 LineSink protocolLine)
    : connection_(std::move(connection)), folder_(settings.remotePath), protocolLine_(std::move(protocolLine))
{
    while (folder_.size() > 1 && folder_.back() == '/')
        folder_.pop_back();
}

void SshFileTransfer::start(SshConnection::Job job)
{
    running_ = true;
    status_ = Status::Running;
    connection_->start(std::move(job), protocolLine_);
}

void SshFileTransfer::beginOpen()
{
    start([folder = folder_](SshLink& link, std::string& reason) {
        sftp_session sftp = link.sftp(reason);
        return sftp && folderThere(link, sftp, folder, reason) ? Status::Done : Status::Failed;
    });
}

void SshFileTransfer::beginPut(const std::filesystem::path& localFile, const std::string& remoteName)
{
    start([folder = folder_, localFile, remoteName](SshLink& link, std::string& reason) {
        return put(link, folder, localFile, remoteName, reason);
    });
}

void SshFileTransfer::beginGet(const std::string& remoteName, const std::filesystem::path& localFile)
{
    start([folder = folder_, localFile, remoteName](SshLink& link, std::string& reason) {
        return get(link, folder, remoteName, localFile, reason);
    });
}

void SshFileTransfer::beginDelete(const std::vector<std::string>& remoteNames)
{
    start([folder = folder_, remoteNames](SshLink& link, std::string& reason) {
        return remove(link, folder, remoteNames, reason);
    });
}

RemoteFileTransfer::Status SshFileTransfer::poll(std::chrono::milliseconds maxWait)
{
    if (!running_) {
        // Nothing to do but to let the time pass.
        std::this_thread::sleep_for(maxWait);
        return status_;
    }
    status_ = connection_->poll(maxWait);
    running_ = status_ == Status::Running;
    return status_;
}

std::string SshFileTransfer::reason() const
{
    return connection_->reason();
}

void SshFileTransfer::cancel()
{
    if (running_)
        connection_->cancel();
    running_ = false;
    status_ = Status::Failed;
}

void SshFileTransfer::quit()
{
    if (running_)
        cancel();
}

} // namespace vemra

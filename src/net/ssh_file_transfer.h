// The file transfer of the remote run over SFTP, on the run's SSH
// connection: the same operations as over FTP, binary (the files arrive
// byte for byte), a get complete or not at all.
#pragma once

#include "ssh_connection.h"

#include "compute/remote_transport.h"

#include <memory>

namespace vemra {

// folder/name as the host's SFTP service reads it; a relative folder is
// taken from the home folder of the login.
std::string remoteFilePath(const std::string& folder, const std::string& name);

class SshFileTransfer : public RemoteFileTransfer {
public:
    using LineSink = std::function<void(const std::string&)>;

    SshFileTransfer(std::shared_ptr<SshConnection> connection, const RemoteSettings& settings, LineSink protocolLine);

    void beginOpen() override;
    void beginPut(const std::filesystem::path& localFile, const std::string& remoteName) override;
    void beginGet(const std::string& remoteName, const std::filesystem::path& localFile) override;
    void beginDelete(const std::vector<std::string>& remoteNames) override;
    Status poll(std::chrono::milliseconds maxWait) override;
    std::string reason() const override;
    void cancel() override;
    // The connection stays for the run's next step.
    void quit() override;

private:
    void start(SshConnection::Job job);

    std::shared_ptr<SshConnection> connection_;
    std::string folder_;
    LineSink protocolLine_;
    bool running_ = false;
    Status status_ = Status::Done;
};

} // namespace vemra

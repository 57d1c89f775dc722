// The file transfer of the remote run over libcurl's FTP: log-in with USER
// and PASS, one change to the remote folder, passive data connections
// (EPSV, else PASV), text mode, optionally explicit TLS. libcurl's multi
// interface lets every operation advance in small steps, and its
// connection cache keeps one login for the operations until quit().
#pragma once

#include "compute/remote_transport.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace vemra {

class CurlFileTransfer : public RemoteFileTransfer {
public:
    using LineSink = std::function<void(const std::string&)>;

    // protocolLine receives the commands ("> USER ...") and the replies.
    CurlFileTransfer(const RemoteSettings& settings, LineSink protocolLine,
                     std::chrono::milliseconds operationTimeout = std::chrono::seconds(30));
    ~CurlFileTransfer() override;
    CurlFileTransfer(const CurlFileTransfer&) = delete;
    CurlFileTransfer& operator=(const CurlFileTransfer&) = delete;

    void beginOpen() override;
    void beginPut(const std::filesystem::path& localFile, const std::string& remoteName) override;
    void beginGet(const std::string& remoteName, const std::filesystem::path& localFile) override;
    void beginDelete(const std::vector<std::string>& remoteNames) override;
    Status poll(std::chrono::milliseconds maxWait) override;
    std::string reason() const override { return reason_; }
    void cancel() override;
    void quit() override;

    // The URL of a file in the remote folder (of the folder itself for an
    // empty name).
    std::string urlOf(const std::string& name) const;

private:
    enum class Operation { None, Open, Put, Get, Delete, DeleteCheck };
    struct Curl;

    void start(Operation operation, const std::string& url);
    Status finish(int curlCode);
    void protocolText(bool sent, const char* data, std::size_t size);
    void closeFile();
    friend struct CurlCallbacks;

    RemoteSettings settings_;
    LineSink protocolLine_;
    std::chrono::milliseconds timeout_;
    std::unique_ptr<Curl> curl_;

    Operation operation_ = Operation::None;
    Status status_ = Status::Done;
    std::string reason_;
    std::string lastReply_;
    std::string partial_[2]; // a received and a sent line without its end yet

    std::FILE* file_ = nullptr;
    std::filesystem::path target_;    // a get's file
    std::filesystem::path temporary_; // where it is written first
    std::vector<std::string> names_;  // a delete's files
    std::string listing_;
};

} // namespace vemra

#include "curl_file_transfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <mutex>
#include <random>
#include <system_error>

namespace vemra {

namespace {

void initialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Everything but the unreserved characters is percent-encoded; "/" stays a
// separator of the folder path.
std::string escaped(const std::string& text, bool keepSlash)
{
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || c == '-' || c == '.' || c == '_' || c == '~' || (keepSlash && c == '/')) {
            out += c;
        } else {
            out += '%';
            out += hex[u >> 4];
            out += hex[u & 15];
        }
    }
    return out;
}

std::string reasonText(CURLcode code)
{
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST: return "Host nicht gefunden";
    case CURLE_COULDNT_CONNECT: return "keine Verbindung zum Host";
    case CURLE_LOGIN_DENIED: return "Anmeldung abgelehnt";
    case CURLE_OPERATION_TIMEDOUT: return "Zeitüberschreitung";
    case CURLE_REMOTE_ACCESS_DENIED: return "Zugriff verweigert (Ordner oder Datei)";
    case CURLE_UPLOAD_FAILED: return "Datei vom Host nicht angenommen";
    case CURLE_REMOTE_FILE_NOT_FOUND: return "Datei nicht vorhanden";
    case CURLE_USE_SSL_FAILED: return "der Host bietet kein TLS an";
    case CURLE_QUOTE_ERROR: return "Befehl vom Host abgelehnt";
    case CURLE_READ_ERROR: return "lokale Datei nicht lesbar";
    case CURLE_WRITE_ERROR: return "lokale Datei nicht schreibbar";
    default: return curl_easy_strerror(code);
    }
}

} // namespace

struct CurlFileTransfer::Curl {
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    curl_slist* commands = nullptr;

    void dropEasy()
    {
        if (easy) {
            curl_multi_remove_handle(multi, easy);
            curl_easy_cleanup(easy);
            easy = nullptr;
        }
        curl_slist_free_all(commands);
        commands = nullptr;
    }
    ~Curl()
    {
        dropEasy();
        // Closes the cached connection, with QUIT where it is still open.
        if (multi)
            curl_multi_cleanup(multi);
    }
};

CurlFileTransfer::CurlFileTransfer(const RemoteSettings& settings, LineSink protocolLine,
                                   std::chrono::milliseconds operationTimeout)
    : settings_(settings), protocolLine_(std::move(protocolLine)), timeout_(operationTimeout)
{
    initialiseCurl();
}

CurlFileTransfer::~CurlFileTransfer()
{
    cancel();
    quit();
}

std::string CurlFileTransfer::urlOf(const std::string& name) const
{
    std::string host = settings_.host;
    if (host.find(':') != std::string::npos && host.front() != '[')
        host = "[" + host + "]";
    std::string url = "ftp://" + host + ":" + std::to_string(settings_.ftpPort) + "/";
    std::string folder = settings_.remotePath;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (!folder.empty()) {
        // A leading "/" makes the URL's path absolute on the host.
        if (folder.front() == '/')
            url += "%2F" + escaped(folder.substr(1), true);
        else
            url += escaped(folder, true);
        if (url.back() != '/')
            url += '/';
    }
    return url + escaped(name, false);
}

void CurlFileTransfer::protocolText(bool sent, const char* data, std::size_t size)
{
    std::string& partial = partial_[sent ? 1 : 0];
    partial.append(data, size);
    for (auto end = partial.find('\n'); end != std::string::npos; end = partial.find('\n')) {
        std::string line = partial.substr(0, end);
        partial.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!sent)
            lastReply_ = line;
        if (protocolLine_)
            protocolLine_(sent ? "> " + line : line);
    }
}

// libcurl's callbacks, with the exact signatures it calls them with.
struct CurlCallbacks {
    // The FTP dialogue: commands sent and the host's replies.
    static int debug(CURL*, curl_infotype type, char* data, std::size_t size, void* self)
    {
        auto* t = static_cast<CurlFileTransfer*>(self);
        if (type == CURLINFO_HEADER_IN)
            t->protocolText(false, data, size);
        else if (type == CURLINFO_HEADER_OUT)
            t->protocolText(true, data, size);
        return 0;
    }
    static std::size_t listing(char* data, std::size_t size, std::size_t count, void* self)
    {
        auto* t = static_cast<CurlFileTransfer*>(self);
        // A listing of the module's folder is short; a huge one is not ours.
        if (t->listing_.size() > (1u << 20))
            return 0;
        t->listing_.append(data, size * count);
        return size * count;
    }
};

void CurlFileTransfer::start(Operation operation, const std::string& url)
{
    if (!curl_) {
        curl_ = std::make_unique<Curl>();
        curl_->multi = curl_multi_init();
    }
    curl_->dropEasy();
    operation_ = operation;
    status_ = Status::Running;
    reason_.clear();
    lastReply_.clear();
    CURL* e = curl_->easy = curl_easy_init();
    if (!curl_->multi || !e) {
        status_ = Status::Failed;
        reason_ = "libcurl nicht verfügbar";
        return;
    }
    // A host name must not be able to turn into a different URL.
    if (settings_.host.empty() || settings_.host.find_first_of("/@?#\\ \t") != std::string::npos) {
        status_ = Status::Failed;
        reason_ = "ungültiger Hostname \"" + settings_.host + "\"";
        return;
    }
    const long timeoutMs = static_cast<long>(timeout_.count());
    curl_easy_setopt(e, CURLOPT_URL, url.c_str());
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(e, CURLOPT_USERNAME, settings_.user.c_str());
    curl_easy_setopt(e, CURLOPT_PASSWORD, settings_.password.c_str());
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
    curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, timeoutMs);
    curl_easy_setopt(e, CURLOPT_SERVER_RESPONSE_TIMEOUT, std::max(1L, timeoutMs / 1000));
    // One CWD with the whole folder, and none at all without a folder.
    curl_easy_setopt(e, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
    curl_easy_setopt(e, CURLOPT_FTP_USE_EPSV, 1L);
    curl_easy_setopt(e, CURLOPT_TRANSFERTEXT, 1L);
    if (settings_.ftpTls)
        curl_easy_setopt(e, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    curl_easy_setopt(e, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(e, CURLOPT_DEBUGFUNCTION, &CurlCallbacks::debug);
    curl_easy_setopt(e, CURLOPT_DEBUGDATA, this);
    partial_[0].clear();
    partial_[1].clear();
}

void CurlFileTransfer::beginOpen()
{
    start(Operation::Open, urlOf(""));
    if (status_ == Status::Running) {
        curl_easy_setopt(curl_->easy, CURLOPT_NOBODY, 1L);
        curl_multi_add_handle(curl_->multi, curl_->easy);
    }
}

void CurlFileTransfer::beginPut(const std::filesystem::path& localFile, const std::string& remoteName)
{
    start(Operation::Put, urlOf(remoteName));
    if (status_ != Status::Running)
        return;
    std::error_code ec;
    const auto size = std::filesystem::file_size(localFile, ec);
    file_ = ec ? nullptr : std::fopen(localFile.c_str(), "rb");
    if (!file_) {
        status_ = Status::Failed;
        reason_ = "lokale Datei nicht lesbar: " + localFile.string();
        return;
    }
    curl_easy_setopt(curl_->easy, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl_->easy, CURLOPT_READDATA, file_);
    curl_easy_setopt(curl_->easy, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
    curl_multi_add_handle(curl_->multi, curl_->easy);
}

void CurlFileTransfer::beginGet(const std::string& remoteName, const std::filesystem::path& localFile)
{
    start(Operation::Get, urlOf(remoteName));
    if (status_ != Status::Running)
        return;
    target_ = localFile;
    temporary_ = localFile;
    temporary_ += ".part-" + std::to_string(std::random_device{}());
    file_ = std::fopen(temporary_.c_str(), "wb");
    if (!file_) {
        status_ = Status::Failed;
        reason_ = "lokale Datei nicht schreibbar: " + localFile.string();
        return;
    }
    curl_easy_setopt(curl_->easy, CURLOPT_WRITEDATA, file_);
    curl_multi_add_handle(curl_->multi, curl_->easy);
}

void CurlFileTransfer::beginDelete(const std::vector<std::string>& remoteNames)
{
    names_ = remoteNames;
    start(Operation::Delete, urlOf(""));
    if (status_ != Status::Running)
        return;
    // After the change to the folder; "*" lets the host refuse a file that
    // is not there without ending the session. Whether all are gone is
    // checked by a listing afterwards.
    for (const auto& name : remoteNames)
        curl_->commands = curl_slist_append(curl_->commands, ("*DELE " + name).c_str());
    curl_easy_setopt(curl_->easy, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(curl_->easy, CURLOPT_POSTQUOTE, curl_->commands);
    curl_multi_add_handle(curl_->multi, curl_->easy);
}

void CurlFileTransfer::closeFile()
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
}

RemoteFileTransfer::Status CurlFileTransfer::finish(int curlCode)
{
    const auto code = static_cast<CURLcode>(curlCode);
    const Operation done = operation_;
    operation_ = Operation::None;
    curl_->dropEasy();

    if (done == Operation::Get) {
        const bool complete = file_ && std::fflush(file_) == 0 && !std::ferror(file_) && code == CURLE_OK;
        closeFile();
        std::error_code ec;
        if (complete)
            std::filesystem::rename(temporary_, target_, ec);
        if (!complete || ec)
            std::filesystem::remove(temporary_, ec);
        if (complete && ec) {
            reason_ = "lokale Datei nicht schreibbar: " + target_.string();
            return status_ = Status::Failed;
        }
    }
    closeFile();

    if (code == CURLE_REMOTE_FILE_NOT_FOUND && done == Operation::Get)
        return status_ = Status::NotFound;
    if (done == Operation::DeleteCheck && code == CURLE_REMOTE_FILE_NOT_FOUND)
        listing_.clear(); // an empty folder, as some hosts report it
    else if (code != CURLE_OK) {
        reason_ = reasonText(code);
        if (!lastReply_.empty())
            reason_ += " (" + lastReply_ + ")";
        return status_ = Status::Failed;
    }

    if (done == Operation::Delete) {
        listing_.clear();
        start(Operation::DeleteCheck, urlOf(""));
        if (status_ != Status::Running)
            return status_;
        curl_easy_setopt(curl_->easy, CURLOPT_DIRLISTONLY, 1L);
        curl_easy_setopt(curl_->easy, CURLOPT_WRITEFUNCTION, &CurlCallbacks::listing);
        curl_easy_setopt(curl_->easy, CURLOPT_WRITEDATA, this);
        curl_multi_add_handle(curl_->multi, curl_->easy);
        return status_;
    }
    if (done == Operation::DeleteCheck) {
        std::string left;
        std::size_t pos = 0;
        while (pos < listing_.size()) {
            auto end = listing_.find('\n', pos);
            if (end == std::string::npos)
                end = listing_.size();
            std::string entry = listing_.substr(pos, end - pos);
            pos = end + 1;
            if (!entry.empty() && entry.back() == '\r')
                entry.pop_back();
            entry = entry.substr(entry.find_last_of('/') + 1);
            if (std::find(names_.begin(), names_.end(), entry) != names_.end())
                left += (left.empty() ? "" : ", ") + entry;
        }
        if (!left.empty()) {
            reason_ = "noch vorhanden: " + left;
            return status_ = Status::Failed;
        }
    }
    return status_ = Status::Done;
}

RemoteFileTransfer::Status CurlFileTransfer::poll(std::chrono::milliseconds maxWait)
{
    const int waitMs = static_cast<int>(std::clamp<long long>(maxWait.count(), 0, 60000));
    if (!curl_ || !curl_->multi) {
        if (status_ == Status::Running)
            status_ = Status::Done;
        return status_;
    }
    if (operation_ == Operation::None) {
        // Nothing to do but to let the time pass (and the idle connection be).
        int ignored = 0;
        curl_multi_poll(curl_->multi, nullptr, 0, waitMs, &ignored);
        return status_;
    }
    for (int round = 0; round < 2; ++round) {
        int running = 0;
        curl_multi_perform(curl_->multi, &running);
        int queued = 0;
        while (CURLMsg* m = curl_multi_info_read(curl_->multi, &queued))
            if (m->msg == CURLMSG_DONE && m->easy_handle == curl_->easy)
                return finish(m->data.result);
        if (round == 0) {
            int ignored = 0;
            curl_multi_poll(curl_->multi, nullptr, 0, waitMs, &ignored);
        }
    }
    return status_;
}

void CurlFileTransfer::cancel()
{
    if (operation_ == Operation::None)
        return;
    operation_ = Operation::None;
    if (curl_)
        curl_->dropEasy();
    closeFile();
    std::error_code ignored;
    if (!temporary_.empty())
        std::filesystem::remove(temporary_, ignored);
    status_ = Status::Failed;
    reason_ = "abgebrochen";
}

void CurlFileTransfer::quit()
{
    cancel();
    curl_.reset();
}

} // namespace vemra

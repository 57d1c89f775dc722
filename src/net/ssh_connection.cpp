#include "ssh_connection.h"

#include "ssh_login.h"

#include <libssh/callbacks.h>
#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <sys/socket.h>
#include <unistd.h>

namespace vemra {

namespace {

void initialiseLibssh()
{
    static const int once = ssh_init();
    (void)once;
}

// An encrypted key file is never unlocked by a question on the terminal
// behind the user's back: such keys come through the agent.
int noPassphrase(const char*, char*, std::size_t, int, int, void*)
{
    return -1;
}

} // namespace

// What both threads share, guarded by m.
struct SshConnection::Shared {
    std::mutex m;
    std::condition_variable cv;

    Job job;
    bool jobPending = false;
    Status status = Status::Done;
    std::string reason;

    enum class Ask { None, HostKey, Password };
    Ask ask = Ask::None;
    std::string question;
    bool answered = false;
    bool yes = false;
    std::optional<std::string> password;

    struct Text {
        bool protocol;
        std::string text;
    };
    std::deque<Text> texts;

    bool closing = false;
    bool broken = false;
    std::atomic<bool> cancelled{false};
    // The connection's socket while it is open, so that cancel can break
    // it from the caller's thread.
    int fd = -1;
};

class SshConnection::Worker : public SshLink {
public:
    Worker(std::shared_ptr<Shared> shared, RemoteSettings settings, std::chrono::milliseconds timeout)
        : sh_(std::move(shared)), settings_(std::move(settings)), timeout_(timeout)
    {
    }
    ~Worker() override
    {
        disconnect();
        std::fill(settings_.password.begin(), settings_.password.end(), '\0');
    }

    void run();

    ssh_session session() override { return session_; }
    sftp_session sftp(std::string& reason) override;
    bool cancelled() const override { return sh_->cancelled; }
    void protocol(const std::string& line) override { queue(true, line); }
    void output(const std::string& text) override { queue(false, text); }

private:
    void queue(bool isProtocol, const std::string& text)
    {
        std::lock_guard lock(sh_->m);
        sh_->texts.push_back({isProtocol, text});
        sh_->cv.notify_all();
    }
    // Puts a question to the caller's thread and waits for its answer.
    bool ask(Shared::Ask what, const std::string& question)
    {
        std::unique_lock lock(sh_->m);
        sh_->ask = what;
        sh_->question = question;
        sh_->answered = false;
        sh_->password.reset();
        sh_->cv.notify_all();
        sh_->cv.wait(lock, [this] { return sh_->answered || sh_->cancelled || sh_->closing; });
        sh_->ask = Shared::Ask::None;
        return sh_->answered && sh_->yes;
    }
    bool connect(std::string& reason);
    void disconnect();

    std::shared_ptr<Shared> sh_;
    RemoteSettings settings_;
    std::chrono::milliseconds timeout_;
    ssh_callbacks_struct callbacks_{};
    ssh_session session_ = nullptr;
    sftp_session sftp_ = nullptr;
    int ownFd_ = -1; // a socket not yet handed to libssh
    bool ready_ = false;
};

bool SshConnection::Worker::connect(std::string& reason)
{
    const auto folder = sshFolder();
    if (!folder) {
        reason = "kein Home-Ordner für ~/.ssh (HOME ist nicht gesetzt)";
        return false;
    }
    const std::filesystem::path knownHosts = *folder / "known_hosts";
    const SshLoginContext context{
        settings_,
        [this] { return cancelled(); },
        [this](const std::string& line) { protocol(line); },
        [this](const std::string& question) { return ask(Shared::Ask::HostKey, question); },
        [this]() -> std::optional<std::string> {
            if (!ask(Shared::Ask::Password, {}))
                return std::nullopt;
            std::lock_guard lock(sh_->m);
            auto password = std::move(sh_->password);
            sh_->password.reset();
            return password;
        }};

    protocol("> SSH " + settings_.user + "@" + settings_.host + ":" + std::to_string(settings_.sshPort));
    const int fd = connectSocket(context, timeout_, reason);
    if (fd < 0)
        return false;
    {
        std::lock_guard lock(sh_->m);
        sh_->fd = fd;
    }
    ownFd_ = fd;
    if (cancelled()) {
        reason = "abgebrochen";
        return false;
    }

    initialiseLibssh();
    session_ = ssh_new();
    if (!session_) {
        reason = "libssh nicht verfügbar";
        return false;
    }
    const long seconds = std::max<long>(1, static_cast<long>(timeout_.count() / 1000));
    const int port = settings_.sshPort;
    const int quiet = SSH_LOG_NOLOG;
    const bool noConfig = false;
    const std::string folderText = folder->string();
    const std::string knownHostsText = knownHosts.string();
    // Only what is set here counts: no ssh_config of the system or the user
    // changes which files are read or which host is asked.
    ssh_options_set(session_, SSH_OPTIONS_PROCESS_CONFIG, &noConfig);
    ssh_options_set(session_, SSH_OPTIONS_LOG_VERBOSITY, &quiet);
    ssh_options_set(session_, SSH_OPTIONS_HOST, settings_.host.c_str());
    ssh_options_set(session_, SSH_OPTIONS_PORT, &port);
    ssh_options_set(session_, SSH_OPTIONS_USER, settings_.user.c_str());
    ssh_options_set(session_, SSH_OPTIONS_SSH_DIR, folderText.c_str());
    ssh_options_set(session_, SSH_OPTIONS_KNOWNHOSTS, knownHostsText.c_str());
    ssh_options_set(session_, SSH_OPTIONS_TIMEOUT, &seconds);
    ssh_options_set(session_, SSH_OPTIONS_FD, &fd);
    ssh_callbacks_init(&callbacks_);
    callbacks_.auth_function = &noPassphrase;
    ssh_set_callbacks(session_, &callbacks_);

    ownFd_ = -1; // libssh closes it from now on
    if (ssh_connect(session_) != SSH_OK) {
        reason = cancelled() ? "abgebrochen" : "SSH-Verbindung fehlgeschlagen: " + std::string(ssh_get_error(session_));
        return false;
    }
    if (!verifyHostKey(session_, context, knownHosts, reason) || !authenticate(session_, context, reason))
        return false;
    ready_ = true;
    return true;
}

void SshConnection::Worker::disconnect()
{
    {
        // From here on the socket may close: cancel must not touch it.
        std::lock_guard lock(sh_->m);
        sh_->fd = -1;
    }
    if (sftp_)
        sftp_free(sftp_);
    sftp_ = nullptr;
    if (session_) {
        if (ssh_is_connected(session_))
            ssh_disconnect(session_);
        ssh_free(session_);
    }
    session_ = nullptr;
    if (ownFd_ >= 0)
        ::close(ownFd_);
    ownFd_ = -1;
    ready_ = false;
}

sftp_session SshConnection::Worker::sftp(std::string& reason)
{
    if (sftp_)
        return sftp_;
    sftp_ = sftp_new(session_);
    if (!sftp_ || sftp_init(sftp_) != SSH_OK) {
        reason = "der Host bietet kein SFTP an (" + std::string(ssh_get_error(session_)) + ")";
        if (sftp_)
            sftp_free(sftp_);
        sftp_ = nullptr;
    }
    return sftp_;
}

void SshConnection::Worker::run()
{
    std::unique_lock lock(sh_->m);
    for (;;) {
        sh_->cv.wait(lock, [this] { return sh_->jobPending || sh_->closing; });
        if (sh_->closing)
            break;
        Job job = std::move(sh_->job);
        sh_->jobPending = false;
        lock.unlock();

        std::string reason;
        Status status = Status::Failed;
        const bool usable = ready_ || connect(reason);
        if (usable)
            status = job(*this, reason);
        const bool lost = !usable || !session_ || !ssh_is_connected(session_) || cancelled();

        lock.lock();
        if (lost)
            sh_->broken = true;
        // A cancel has answered the caller already.
        if (!sh_->cancelled) {
            sh_->status = status;
            sh_->reason = reason;
        }
        sh_->cv.notify_all();
    }
    lock.unlock();
    disconnect();
}

SshConnection::SshConnection(const RemoteSettings& settings, SshPrompts prompts, std::chrono::milliseconds timeout)
    : shared_(std::make_shared<Shared>()), settings_(settings), prompts_(std::move(prompts))
{
    auto worker = std::make_shared<Worker>(shared_, settings, timeout);
    thread_ = std::thread([worker] { worker->run(); });
}

SshConnection::~SshConnection()
{
    {
        std::lock_guard lock(shared_->m);
        shared_->closing = true;
        // A job still running would keep the thread: break it off.
        if (shared_->status == Status::Running || shared_->jobPending) {
            shared_->cancelled = true;
            if (shared_->fd >= 0)
                ::shutdown(shared_->fd, SHUT_RDWR);
        }
        shared_->cv.notify_all();
    }
    thread_.join();
    std::fill(settings_.password.begin(), settings_.password.end(), '\0');
}

bool SshConnection::serves(const RemoteSettings& s) const
{
    std::lock_guard lock(shared_->m);
    return !shared_->broken && s.host == settings_.host && s.sshPort == settings_.sshPort && s.user == settings_.user
           && s.password == settings_.password;
}

void SshConnection::start(Job job, Sink protocolLine, Sink output)
{
    protocolLine_ = std::move(protocolLine);
    output_ = std::move(output);
    std::lock_guard lock(shared_->m);
    shared_->texts.clear();
    if (shared_->broken) {
        shared_->status = Status::Failed;
        shared_->reason = shared_->cancelled ? "abgebrochen" : "Verbindung zum Host unterbrochen";
        return;
    }
    shared_->job = std::move(job);
    shared_->jobPending = true;
    shared_->status = Status::Running;
    shared_->reason.clear();
    shared_->cv.notify_all();
}

void SshConnection::deliver(std::unique_lock<std::mutex>& lock)
{
    std::deque<Shared::Text> texts;
    texts.swap(shared_->texts);
    if (texts.empty())
        return;
    lock.unlock();
    for (const auto& t : texts) {
        const Sink& sink = t.protocol ? protocolLine_ : output_;
        if (sink)
            sink(t.text);
    }
    lock.lock();
}

void SshConnection::answer(std::unique_lock<std::mutex>& lock)
{
    if (shared_->ask == Shared::Ask::None || shared_->answered || asking_)
        return;
    const Shared::Ask what = shared_->ask;
    const std::string question = shared_->question;
    asking_ = true;
    lock.unlock();
    bool yes = false;
    std::optional<std::string> password;
    if (what == Shared::Ask::HostKey)
        yes = prompts_.dialogs
              && prompts_.dialogs->message(DialogKind::Warning, question, ButtonYes | ButtonNo) == ButtonYes;
    else if (prompts_.password && (password = prompts_.password(settings_)))
        yes = true;
    lock.lock();
    asking_ = false;
    shared_->answered = true;
    shared_->yes = yes;
    shared_->password = std::move(password);
    shared_->cv.notify_all();
}

SshConnection::Status SshConnection::poll(std::chrono::milliseconds maxWait)
{
    const auto deadline = std::chrono::steady_clock::now() + maxWait;
    std::unique_lock lock(shared_->m);
    for (;;) {
        answer(lock);
        // Everything that came before the end is handed on with it.
        const Status status = shared_->status;
        deliver(lock);
        if (status != Status::Running)
            return status;
        if (shared_->cv.wait_until(lock, deadline) == std::cv_status::timeout) {
            const Status now = shared_->status;
            deliver(lock);
            return now;
        }
    }
}

std::string SshConnection::reason() const
{
    std::lock_guard lock(shared_->m);
    return shared_->reason;
}

void SshConnection::cancel()
{
    std::lock_guard lock(shared_->m);
    shared_->cancelled = true;
    shared_->broken = true;
    if (shared_->fd >= 0)
        ::shutdown(shared_->fd, SHUT_RDWR);
    if (shared_->status == Status::Running) {
        shared_->status = Status::Failed;
        shared_->reason = "abgebrochen";
    }
    shared_->cv.notify_all();
}

} // namespace vemra

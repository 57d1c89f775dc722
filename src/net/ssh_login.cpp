#include "ssh_login.h"

#include <libssh/libssh.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vemra {

namespace {

std::string hostAndPort(const RemoteSettings& s)
{
    return s.host + " (Port " + std::to_string(s.sshPort) + ")";
}

// Waits for a non-blocking connect in short slices, so a cancel is seen.
bool finishConnect(int fd, const SshLoginContext& c, std::chrono::milliseconds timeout, std::string& reason)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!c.cancelled()) {
        pollfd p{fd, POLLOUT, 0};
        const int ready = ::poll(&p, 1, 100);
        if (ready < 0 && errno != EINTR) {
            reason = std::strerror(errno);
            return false;
        }
        if (ready > 0) {
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
            if (error == 0)
                return true;
            reason = error == ECONNREFUSED ? "keine Verbindung zum Host" : std::strerror(error);
            return false;
        }
        if (std::chrono::steady_clock::now() > end) {
            reason = "Zeitüberschreitung beim Verbinden";
            return false;
        }
    }
    reason = "abgebrochen";
    return false;
}

struct KeyFacts {
    std::string type;
    std::string fingerprint;
};

std::optional<KeyFacts> serverKey(ssh_session session)
{
    ssh_key key = nullptr;
    if (ssh_get_server_publickey(session, &key) != SSH_OK)
        return std::nullopt;
    unsigned char* hash = nullptr;
    std::size_t length = 0;
    KeyFacts facts{ssh_key_type_to_char(ssh_key_type(key)), {}};
    if (ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &length) == 0) {
        if (char* text = ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, length)) {
            facts.fingerprint = text;
            ssh_string_free_char(text);
        }
        ssh_clean_pubkey_hash(&hash);
    }
    ssh_key_free(key);
    if (facts.fingerprint.empty())
        return std::nullopt;
    return facts;
}

std::string errorOf(ssh_session session)
{
    return ssh_get_error(session);
}

// Keyboard-interactive login that answers every hidden prompt with the
// password (what a host without plain password login asks).
int interactiveLogin(ssh_session session, const std::string& password)
{
    int rc = ssh_userauth_kbdint(session, nullptr, nullptr);
    for (int round = 0; rc == SSH_AUTH_INFO && round < 5; ++round) {
        const int prompts = ssh_userauth_kbdint_getnprompts(session);
        for (int i = 0; i < prompts; ++i) {
            char echo = 0;
            ssh_userauth_kbdint_getprompt(session, static_cast<unsigned>(i), &echo);
            if (echo)
                return SSH_AUTH_DENIED; // a question that is not for the password
            ssh_userauth_kbdint_setanswer(session, static_cast<unsigned>(i), password.c_str());
        }
        rc = ssh_userauth_kbdint(session, nullptr, nullptr);
    }
    return rc;
}

} // namespace

std::optional<std::filesystem::path> sshFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".ssh";
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir)
        return std::filesystem::path(pw->pw_dir) / ".ssh";
    return std::nullopt;
}

int connectSocket(const SshLoginContext& c, std::chrono::milliseconds timeout, std::string& reason)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(c.settings.sshPort);
    if (const int rc = ::getaddrinfo(c.settings.host.c_str(), port.c_str(), &hints, &found); rc != 0) {
        reason = "Host nicht gefunden (" + std::string(::gai_strerror(rc)) + ")";
        return -1;
    }
    int fd = -1;
    for (addrinfo* a = found; a && fd < 0 && !c.cancelled(); a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            reason = std::strerror(errno);
            continue;
        }
        const int failure = ::connect(fd, a->ai_addr, a->ai_addrlen) == 0 ? 0 : errno;
        if (failure == EINPROGRESS ? finishConnect(fd, c, timeout, reason) : failure == 0)
            continue;
        if (failure != EINPROGRESS)
            reason = failure == ECONNREFUSED ? "keine Verbindung zum Host" : std::strerror(failure);
        ::close(fd);
        fd = -1;
    }
    ::freeaddrinfo(found);
    if (fd < 0 && c.cancelled())
        reason = "abgebrochen";
    return fd;
}

bool verifyHostKey(ssh_session session, const SshLoginContext& c, const std::filesystem::path& knownHosts,
                   std::string& reason)
{
    const auto key = serverKey(session);
    if (!key) {
        reason = "der Host zeigt keinen lesbaren Schlüssel";
        return false;
    }
    const std::string shown = key->type + " " + key->fingerprint;
    switch (ssh_session_is_known_server(session)) {
    case SSH_KNOWN_HOSTS_OK:
        c.protocol("Hostschlüssel " + shown + " ist bekannt");
        return true;
    case SSH_KNOWN_HOSTS_CHANGED:
    case SSH_KNOWN_HOSTS_OTHER:
        // Whoever answers may not be the host: never asked, always refused.
        reason = "Der Schlüssel des Hosts " + hostAndPort(c.settings) + " hat sich geändert (jetzt " + shown
                 + "). Verbindung abgelehnt: es könnte ein anderer Rechner antworten. Ist die Änderung bekannt, den "
                   "alten Eintrag aus "
                 + knownHosts.string() + " entfernen.";
        return false;
    case SSH_KNOWN_HOSTS_UNKNOWN:
    case SSH_KNOWN_HOSTS_NOT_FOUND: {
        const std::string question = "Der Host " + hostAndPort(c.settings) + " ist noch nicht bekannt.\rSein Schlüssel: "
                                     + key->type + "\r" + key->fingerprint
                                     + "\rNur annehmen, wenn dies der Fingerabdruck des Hosts ist.\rSchlüssel annehmen "
                                       "und in "
                                     + knownHosts.string() + " eintragen?";
        if (!c.confirm(question)) {
            reason = "Hostschlüssel nicht angenommen (" + shown + ")";
            return false;
        }
        if (ssh_session_update_known_hosts(session) != SSH_OK) {
            reason = "Hostschlüssel nicht in " + knownHosts.string() + " eingetragen: " + errorOf(session);
            return false;
        }
        c.protocol("Hostschlüssel " + shown + " angenommen und in " + knownHosts.string() + " eingetragen");
        return true;
    }
    case SSH_KNOWN_HOSTS_ERROR: break;
    }
    reason = knownHosts.string() + " nicht lesbar: " + errorOf(session);
    return false;
}

bool authenticate(ssh_session session, const SshLoginContext& c, std::string& reason)
{
    const std::string& user = c.settings.user;
    int rc = ssh_userauth_none(session, nullptr);
    if (rc == SSH_AUTH_SUCCESS) {
        c.protocol("Angemeldet als " + user);
        return true;
    }
    if (rc == SSH_AUTH_ERROR) {
        reason = "Anmeldung fehlgeschlagen: " + errorOf(session);
        return false;
    }
    const int methods = ssh_userauth_list(session, nullptr);
    if (methods & SSH_AUTH_METHOD_PUBLICKEY) {
        // The agent first, then the key files of ~/.ssh.
        rc = ssh_userauth_publickey_auto(session, nullptr, nullptr);
        if (rc == SSH_AUTH_SUCCESS) {
            c.protocol("Angemeldet als " + user + " (Schlüssel)");
            return true;
        }
        if (rc == SSH_AUTH_ERROR) {
            reason = "Anmeldung fehlgeschlagen: " + errorOf(session);
            return false;
        }
    }
    if (!(methods & (SSH_AUTH_METHOD_PASSWORD | SSH_AUTH_METHOD_INTERACTIVE))) {
        reason = "Anmeldung abgelehnt: kein Schlüssel angenommen, und der Host erlaubt keine Anmeldung mit Passwort";
        return false;
    }
    std::optional<std::string> password;
    if (!c.settings.password.empty())
        password = c.settings.password;
    else if (c.password)
        password = c.password();
    if (!password || password->empty()) {
        reason = "Anmeldung abgelehnt: kein Schlüssel angenommen und kein Passwort angegeben";
        return false;
    }
    if (methods & SSH_AUTH_METHOD_PASSWORD)
        rc = ssh_userauth_password(session, nullptr, password->c_str());
    else
        rc = interactiveLogin(session, *password);
    // The password is not kept beyond its use.
    std::fill(password->begin(), password->end(), '\0');
    if (rc == SSH_AUTH_SUCCESS) {
        c.protocol("Angemeldet als " + user + " (Passwort)");
        return true;
    }
    reason = rc == SSH_AUTH_ERROR ? "Anmeldung fehlgeschlagen: " + errorOf(session)
                                  : "Anmeldung abgelehnt (Benutzer oder Passwort falsch)";
    return false;
}

} // namespace vemra

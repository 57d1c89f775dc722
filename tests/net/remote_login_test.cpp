// The remote login: the Telnet session against a scripted host on 127.0.0.1
// that checks every byte (options refused, the byte 255 escaped both ways,
// the line end as configured, a lone CR as CR NUL, script events across
// split pieces); the script events and the terminal screen fed the way a
// host's text arrives, in pieces that cut through anything.
#include "net/script_events.h"
#include "net/telnet_session.h"
#include "net/terminal_buffer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace vemra {
namespace {

constexpr char IAC = '\xff', WILL = '\xfb', WONT = '\xfc', DO = '\xfd', DONT = '\xfe';
constexpr char ECHO = '\x01', TTYPE = '\x18';

// One connection: sends a step's bytes, then waits until the client has sent
// what the step expects (all received bytes are kept for the test).
class ScriptedHost {
public:
    struct Step {
        std::string send;
        std::string expect;
    };

    explicit ScriptedHost(std::vector<Step> steps) : steps_(std::move(steps))
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(listener_, 1);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &length);
        port = ntohs(a.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~ScriptedHost()
    {
        thread_.join();
        ::close(listener_);
    }

    int port = 0;
    std::string received;
    std::atomic<bool> completed{false};

private:
    void serve()
    {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0)
            return;
        const int fd = ::accept(listener_, nullptr, nullptr);
        std::size_t matched = 0;
        for (const Step& step : steps_) {
            if (!step.send.empty())
                ::send(fd, step.send.data(), step.send.size(), MSG_NOSIGNAL);
            const std::size_t goal = matched + step.expect.size();
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (received.size() < goal && std::chrono::steady_clock::now() < until) {
                pollfd q{fd, POLLIN, 0};
                if (::poll(&q, 1, 100) > 0) {
                    char buffer[256];
                    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
                    if (n <= 0)
                        break;
                    received.append(buffer, static_cast<std::size_t>(n));
                }
            }
            if (received.compare(matched, step.expect.size(), step.expect) != 0)
                break;
            matched = goal;
            if (&step == &steps_.back())
                completed = true;
        }
        ::close(fd);
    }

    std::vector<Step> steps_;
    int listener_ = -1;
    std::thread thread_;
};

TEST(TelnetSession, ScriptDialogueArrivesByteForByte)
{
    const std::string password = std::string("p") + IAC + "w";
    // The line end the script sends, and what arrives at the host.
    const std::pair<std::string, std::string> lineEnds[] = {{"\r", std::string("\r\0", 2)}, {"\r\n", "\r\n"}};
    for (const auto& [lineEnd, wire] : lineEnds) {
        SCOPED_TRACE(lineEnd.size() == 1 ? "CR" : "CRLF");
        ScriptedHost host({
            {std::string{IAC, WILL, ECHO, IAC, DO, TTYPE} + "Host\r\nlogin: ",
             std::string{IAC, DONT, ECHO, IAC, WONT, TTYPE} + "vemra" + wire},
            {"Pass", ""}, // the request arrives in two pieces
            {"word: ", std::string("p") + IAC + IAC + "w" + wire},
            {std::string("data ") + IAC + IAC + " $ ", "cd x" + wire},
            {"$ ", "logout" + wire},
        });

        std::string text;
        TelnetSession session("127.0.0.1", host.port, [&](const std::string& t) { text += t; });
        int prompts = 0;
        session.addEvent(1, "login:", "vemra" + lineEnd, {}, false);
        session.addEvent(2, "Password:", password + lineEnd, {}, false);
        session.addEvent(3, "$ ", "", [&, lineEnd = lineEnd] {
            session.send(++prompts == 1 ? "cd x" + lineEnd : "logout" + lineEnd);
            if (prompts == 2)
                session.removeEvent(3);
        }, true);
        session.connect();
        auto status = RemoteLoginSession::Status::Connecting;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < until
               && (status == RemoteLoginSession::Status::Connecting || status == RemoteLoginSession::Status::Connected))
            status = session.poll(std::chrono::milliseconds(20));
        session.close();
        while (!host.completed && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));

        EXPECT_TRUE(host.completed) << "host received: " << host.received;
        EXPECT_EQ(status, RemoteLoginSession::Status::Closed);
        EXPECT_EQ(prompts, 2);
        // Commands are gone from the text, an escaped 255 is a plain byte.
        EXPECT_EQ(text, std::string("Host\r\nlogin: Password: data ") + IAC + " $ $ ");
    }
}

// Event 1 "login:" sends "U" once; event 2 "$ " marks "P" every time; event
// 3 "$ $" sends "X" once; event 4 with an empty text never fires.
TEST(ScriptEvents, FireInTheOrderTheTextsEnd)
{
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"lo", "gi", "n: "}, "U"},      // split text
        {{"login: login: "}, "U"},       // once only
        {{"$ ", "a$ b", "$ "}, "PPP"},   // every time
        {{"x$ $ "}, "PP"},               // "$ " ends before "$ $" and consumes the first "$"
        {{"LOGIN: Login:"}, ""},         // case counts
        {{"login", ":$", " "}, "UP"},    // nothing kept past a match
    };
    for (const auto& [pieces, expected] : cases) {
        SCOPED_TRACE(::testing::PrintToString(pieces));
        ScriptEvents events;
        std::string sent;
        events.add(1, "login:", "U", {}, false);
        events.add(2, "$ ", "", [&] { sent += "P"; }, true);
        events.add(3, "$ $", "X", {}, false);
        events.add(4, "", "never", {}, true);
        for (const auto& piece : pieces)
            events.feed(piece, [&](const std::string& s) { sent += s; });
        EXPECT_EQ(sent, expected);
    }
}

TEST(TerminalScreen, ShowsWhatAShellWouldShow)
{
    std::string lines, last24;
    for (int i = 1; i <= 26; ++i) {
        lines += std::to_string(i) + "\r\n";
        if (i >= 3)
            last24 += std::to_string(i) + "\n";
    }
    struct Case {
        const char* name;
        std::string input, text;
        int row, column;
    };
    const Case cases[] = {
        {"line ends", "a\r\nb\rc", "a\nc", 1, 1},
        {"wrap at 80", std::string(81, 'x'), std::string(80, 'x') + "\nx", 1, 1},
        {"no wrap until the next character", std::string(80, 'x'), std::string(80, 'x'), 0, 79},
        {"scrolls after 25 rows", lines + "z", last24 + "z", 24, 1},
        {"backspace and erase line", "abc\b\b\x1b[K", "a", 0, 1},
        {"clear and home", "abc\r\ndef\x1b[2J\x1b[Hx", "x", 0, 1},
        {"colours dropped", "\x1b[1;32mok\x1b[0m", "ok", 0, 2},
        {"UTF-8 in one cell", "Abschluß:", "Abschluß:", 0, 9},
        {"tab", "a\tb", "a       b", 0, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TerminalBuffer t;
        // Byte by byte: escapes and UTF-8 characters may be cut anywhere.
        for (const char ch : c.input)
            t.write(std::string(1, ch));
        EXPECT_EQ(t.text(), c.text);
        EXPECT_EQ(t.cursorRow(), c.row);
        EXPECT_EQ(t.cursorColumn(), c.column);
    }
}

// Telnet is plain text: anyone on the way can send any numbers in a control
// sequence. Whatever they are, the cursor stays on the screen.
TEST(TerminalScreen, HugeCursorMovementsStayOnTheScreen)
{
    struct Case {
        const char* input;
        int row, column;
    };
    const Case cases[] = {
        {"\x1b[2147483647Cx", 0, 79},
        {"\x1b[2147483647Bx", 24, 1},
        {"\x1b[3B\x1b[2147483647Ax", 0, 1},
        {"abc\x1b[2147483647Dx", 0, 1},
        {"\x1b[99999999999999999999Cx", 0, 79},
        {"\x1b[2147483647;2147483647Hx", 24, 79},
        {"\x1b[5C\x1b[2147483647C\x1b[2147483647C\x1b[1Kx", 0, 79},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        TerminalBuffer t;
        t.write(c.input);
        EXPECT_EQ(t.cursorRow(), c.row);
        EXPECT_EQ(t.cursorColumn(), c.column);
    }
}

} // namespace
} // namespace vemra

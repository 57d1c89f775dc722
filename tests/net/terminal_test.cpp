// The script events and the terminal screen of the remote login, fed the
// way a host's text arrives: in pieces that cut through anything.
#include "net/script_events.h"
#include "net/terminal_buffer.h"

#include <gtest/gtest.h>

namespace vemra {
namespace {

struct EventCase {
    const char* name;
    std::vector<std::string> pieces;
    std::string sent; // replies and handler marks, in order
};

// Test names say which case failed; the bytes of the case would not.
void PrintTo(const EventCase& c, std::ostream* os)
{
    *os << c.name;
}

class ScriptEventsTest : public ::testing::TestWithParam<EventCase> {};

// Event 1 "login:" sends "U" once; event 2 "$ " marks "P" every time; event
// 3 "$ $" sends "X" once; event 4 with an empty text never fires.
TEST_P(ScriptEventsTest, FiresInTheOrderTheTextsEnd)
{
    ScriptEvents events;
    std::string sent;
    events.add(1, "login:", "U", {}, false);
    events.add(2, "$ ", "", [&] { sent += "P"; }, true);
    events.add(3, "$ $", "X", {}, false);
    events.add(4, "", "never", {}, true);
    for (const auto& piece : GetParam().pieces)
        events.feed(piece, [&](const std::string& s) { sent += s; });
    EXPECT_EQ(sent, GetParam().sent);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScriptEventsTest,
    ::testing::Values(EventCase{"SplitText", {"lo", "gi", "n: "}, "U"},
                      EventCase{"OnceOnly", {"login: login: "}, "U"},
                      EventCase{"EveryTime", {"$ ", "a$ b", "$ "}, "PPP"},
                      // "$ " ends before "$ $" and consumes the first "$".
                      EventCase{"EarliestEndWins", {"x$ $ "}, "PP"},
                      EventCase{"CaseCounts", {"LOGIN: Login:"}, ""},
                      EventCase{"NothingKeptPastMatch", {"login", ":$", " "}, "UP"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ScreenCase {
    const char* name;
    std::string input;
    std::string text;
    int row;
    int column;
};

// Test names say which case failed; the bytes of the case would not.
void PrintTo(const ScreenCase& c, std::ostream* os)
{
    *os << c.name;
}

class TerminalScreen : public ::testing::TestWithParam<ScreenCase> {};

TEST_P(TerminalScreen, ShowsWhatAShellWouldShow)
{
    TerminalBuffer t;
    // Byte by byte: escapes and UTF-8 characters may be cut anywhere.
    for (const char c : GetParam().input)
        t.write(std::string(1, c));
    EXPECT_EQ(t.text(), GetParam().text);
    EXPECT_EQ(t.cursorRow(), GetParam().row);
    EXPECT_EQ(t.cursorColumn(), GetParam().column);
}

std::string lines(int count)
{
    std::string s;
    for (int i = 1; i <= count; ++i)
        s += std::to_string(i) + "\r\n";
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TerminalScreen,
    ::testing::Values(ScreenCase{"LineEnds", "a\r\nb\rc", "a\nc", 1, 1},
                      ScreenCase{"WrapAt80", std::string(81, 'x'), std::string(80, 'x') + "\nx", 1, 1},
                      ScreenCase{"NoWrapUntilNextChar", std::string(80, 'x'), std::string(80, 'x'), 0, 79},
                      ScreenCase{"ScrollsAfter25Rows", lines(26) + "z", [] {
                                     std::string s;
                                     for (int i = 3; i <= 26; ++i)
                                         s += std::to_string(i) + "\n";
                                     return s + "z";
                                 }(), 24, 1},
                      ScreenCase{"BackspaceAndEraseLine", "abc\b\b\x1b[K", "a", 0, 1},
                      ScreenCase{"ClearAndHome", "abc\r\ndef\x1b[2J\x1b[Hx", "x", 0, 1},
                      ScreenCase{"ColoursDropped", "\x1b[1;32mok\x1b[0m", "ok", 0, 2},
                      ScreenCase{"Utf8OneCell", "Abschluß:", "Abschluß:", 0, 9},
                      ScreenCase{"Tab", "a\tb", "a       b", 0, 9}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vemra

// The script events and the terminal screen of the remote login, fed the
// way a host's text arrives: in pieces that cut through anything.
#include "net/script_events.h"
#include "net/terminal_buffer.h"

#include <gtest/gtest.h>

namespace vemra {
namespace {

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

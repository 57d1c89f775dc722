// The terminal of the remote login, fed what a host (or anyone on the path
// of a plain Telnet connection) sends, in two pieces cut where the first
// byte says. The cursor must stay on the screen.
#include "fuzz_input.h"

#include "net/terminal_buffer.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vemra;
    if (size < 1)
        return 0;
    const std::string text = bytesOf(data + 1, size - 1);
    const size_t cut = std::min<size_t>(data[0], text.size());
    TerminalBuffer screen;
    screen.write(text.substr(0, cut));
    screen.write(text.substr(cut));
    if (screen.cursorRow() < 0 || screen.cursorRow() >= TerminalBuffer::Rows || screen.cursorColumn() < 0 ||
        screen.cursorColumn() >= TerminalBuffer::Columns) {
        std::fprintf(stderr, "The cursor left the screen: row %d, column %d\n", screen.cursorRow(),
                     screen.cursorColumn());
        std::abort();
    }
    screen.text();
    return 0;
}

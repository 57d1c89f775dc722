// The remote run's protocol without the password: every occurrence is
// replaced by as many "#" as it has characters, in single lines and in the
// stream of text that the host sends (where an occurrence may arrive in
// pieces), and that stream cut into display lines.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vemra {

// Every occurrence of password in text masked; an empty password masks nothing.
// The "#" count is the password's character count (not its UTF-8 bytes).
std::string maskPassword(const std::string& text, const std::string& password);

// Masks a stream that arrives in pieces. What ends in the beginning of the
// password is held back until the next piece shows whether the password
// follows, so no piece ever carries a part of it.
class PasswordFilter {
public:
    explicit PasswordFilter(std::string password) : password_(std::move(password)) {}
    // The masked text that is safe to show now.
    std::string feed(const std::string& piece);
    // Everything held back, masked (the stream has ended).
    std::string flush();

private:
    std::string password_;
    std::string held_;
};

// Cuts the host's text into protocol lines: CR and LF end lines (CR LF
// once), terminal control sequences and other control characters vanish,
// and a line without its end is given out when the text pauses (a prompt
// waits for input without ending its line).
class TerminalLines {
public:
    // Complete lines in piece.
    std::vector<std::string> feed(const std::string& piece);
    // The started line, if any (call when no more text is coming for now).
    std::vector<std::string> flush();

private:
    std::string line_;
    bool afterCr_ = false;
    int escape_ = 0; // 0 none, 1 after ESC, 2 inside a control sequence
};

} // namespace vemra

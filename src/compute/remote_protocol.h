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

// Takes from a stream of text what a terminal would act on rather than
// show: escape and control sequences (CSI, OSC and the other strings, also
// in their 8-bit form written in UTF-8), control characters and DEL. A tab
// becomes a blank; CR and LF pass, for the caller to cut lines.
class ControlSequenceFilter {
public:
    // What of c may be shown (possibly with a byte held back before it).
    std::string feed(char c);
    // A byte held back at the end of the text.
    std::string flush();

private:
    enum class State { Text, Lead, Escape, Sequence, String, StringEscape };
    State state_ = State::Text;
};

// text without control sequences and control characters (line ends
// included): what the host or a settings file put into a line may be
// printed on the user's terminal without driving it.
std::string withoutControlSequences(const std::string& text);

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
    ControlSequenceFilter filter_;
};

} // namespace vemra

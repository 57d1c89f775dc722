#include "remote_protocol.h"

#include <algorithm>

namespace vemra {

namespace {

bool continuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Masks every occurrence, overlapping ones too, and tells where the last
// masked byte ends (0 when nothing was masked).
std::string masked(const std::string& text, const std::string& password, std::size_t& maskedEnd)
{
    maskedEnd = 0;
    if (password.empty())
        return text;
    std::vector<bool> hide(text.size(), false);
    for (auto at = text.find(password); at != std::string::npos; at = text.find(password, at + 1)) {
        std::fill(hide.begin() + static_cast<std::ptrdiff_t>(at),
                  hide.begin() + static_cast<std::ptrdiff_t>(at + password.size()), true);
        maskedEnd = at + password.size();
    }
    if (maskedEnd == 0)
        return text;
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!hide[i])
            out += text[i];
        else if (!continuationByte(text[i]))
            out += '#';
    }
    return out;
}

} // namespace

std::string maskPassword(const std::string& text, const std::string& password)
{
    std::size_t ignored = 0;
    return masked(text, password, ignored);
}

std::string PasswordFilter::feed(const std::string& piece)
{
    const std::string text = held_ + piece;
    held_.clear();
    std::size_t maskedEnd = 0;
    std::string out = masked(text, password_, maskedEnd);
    if (password_.size() < 2)
        return out;
    // Only the unmasked tail may be held: a part of a masked occurrence is
    // never shown again, whatever follows.
    const std::size_t room = std::min(password_.size() - 1, text.size() - maskedEnd);
    for (std::size_t k = room; k > 0; --k) {
        if (text.compare(text.size() - k, k, password_, 0, k) == 0) {
            held_ = text.substr(text.size() - k);
            out.resize(out.size() - k); // the tail is unmasked: same bytes in out
            break;
        }
    }
    return out;
}

std::string PasswordFilter::flush()
{
    // What is held is a proper beginning of the password, never all of it.
    std::string out;
    out.swap(held_);
    return out;
}

std::string ControlSequenceFilter::feed(char c)
{
    const auto u = static_cast<unsigned char>(c);
    switch (state_) {
    case State::Lead:
        state_ = State::Text;
        if (u >= 0x80 && u <= 0x9F) {
            // A C1 control: CSI, or one that opens a string (DCS, SOS, OSC,
            // PM, APC); any other one is simply dropped.
            if (u == 0x9B)
                state_ = State::Sequence;
            else if (u == 0x90 || u == 0x98 || u == 0x9D || u == 0x9E || u == 0x9F)
                state_ = State::String;
            return {};
        }
        return "\xC2" + feed(c);
    case State::Escape:
        if (c == '[')
            state_ = State::Sequence;
        else if (c == ']' || c == 'P' || c == 'X' || c == '^' || c == '_')
            state_ = State::String;
        else if (u < 0x20 || u > 0x2F) // intermediates continue, anything else ends it
            state_ = State::Text;
        return {};
    case State::Sequence:
        if (u >= 0x40 && u <= 0x7E)
            state_ = State::Text;
        return {};
    case State::String:
        if (u == 0x07)
            state_ = State::Text;
        else if (u == 0x1B)
            state_ = State::StringEscape;
        return {};
    case State::StringEscape:
        state_ = c == '\\' ? State::Text : State::String;
        return {};
    case State::Text: break;
    }
    if (u == 0x1B) {
        state_ = State::Escape;
        return {};
    }
    if (u == 0xC2) {
        state_ = State::Lead;
        return {};
    }
    if (c == '\t')
        return " ";
    if (c == '\r' || c == '\n' || (u >= 0x20 && u != 0x7F))
        return std::string(1, c);
    return {};
}

std::string ControlSequenceFilter::flush()
{
    if (state_ != State::Lead)
        return {};
    state_ = State::Text;
    return "\xC2";
}

std::string withoutControlSequences(const std::string& text)
{
    ControlSequenceFilter filter;
    std::string out;
    for (const char c : text)
        for (const char shown : filter.feed(c))
            if (shown != '\r' && shown != '\n')
                out += shown;
    return out + filter.flush();
}

std::vector<std::string> TerminalLines::feed(const std::string& piece)
{
    std::vector<std::string> lines;
    for (const char c : piece) {
        for (const char shown : filter_.feed(c)) {
            if (shown == '\n' && afterCr_) {
                afterCr_ = false;
                continue;
            }
            afterCr_ = shown == '\r';
            if (shown == '\r' || shown == '\n') {
                lines.push_back(std::move(line_));
                line_.clear();
            } else {
                line_ += shown;
            }
        }
    }
    return lines;
}

std::vector<std::string> TerminalLines::flush()
{
    std::vector<std::string> lines;
    if (!line_.empty())
        lines.push_back(std::move(line_));
    line_.clear();
    return lines;
}

} // namespace vemra

#include "terminal_buffer.h"

#include <algorithm>

namespace vemra {

namespace {

// A host (or anyone on the way of a plain Telnet connection) may send any
// number. Beyond the screen's size a parameter only means "as far as it
// goes", so each is capped here, far from where a cursor sum could overflow.
constexpr int MaxParameter = 9999;

// The leading digits of each ";"-separated parameter; 0 when there are none.
std::vector<int> numbers(const std::string& parameters)
{
    std::vector<int> out;
    std::size_t pos = 0;
    while (pos <= parameters.size()) {
        std::size_t end = parameters.find(';', pos);
        if (end == std::string::npos)
            end = parameters.size();
        int v = 0;
        for (std::size_t i = pos; i < end && parameters[i] >= '0' && parameters[i] <= '9'; ++i)
            v = std::min(MaxParameter, v * 10 + (parameters[i] - '0'));
        out.push_back(v);
        pos = end + 1;
    }
    return out;
}

int utf8Length(unsigned char lead)
{
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

} // namespace

TerminalBuffer::TerminalBuffer()
{
    clear();
}

void TerminalBuffer::clear()
{
    cells_.assign(Rows, Row{});
    row_ = column_ = 0;
    wrapPending_ = false;
    escape_ = 0;
    parameters_.clear();
    partial_.clear();
}

void TerminalBuffer::newLine()
{
    wrapPending_ = false;
    if (row_ + 1 < Rows) {
        ++row_;
        return;
    }
    cells_.erase(cells_.begin());
    cells_.emplace_back();
}

void TerminalBuffer::put(const std::string& character)
{
    if (wrapPending_) {
        column_ = 0;
        newLine();
    }
    Cell& cell = cells_[static_cast<std::size_t>(row_)][static_cast<std::size_t>(column_)];
    cell.size = static_cast<uint8_t>(std::min(character.size(), cell.bytes.size()));
    std::copy_n(character.begin(), cell.size, cell.bytes.begin());
    if (column_ + 1 < Columns)
        ++column_;
    else
        wrapPending_ = true;
}

void TerminalBuffer::control(char final, const std::string& parameters)
{
    const std::vector<int> n = numbers(parameters);
    const int first = n.empty() ? 0 : n[0];
    const int count = std::max(1, first);
    auto& line = cells_[row_];
    wrapPending_ = false;
    switch (final) {
    case 'A': row_ = std::max(0, row_ - count); break;
    case 'B': row_ = std::min(Rows - 1, row_ + count); break;
    case 'C': column_ = std::min(Columns - 1, column_ + count); break;
    case 'D': column_ = std::max(0, column_ - count); break;
    case 'H':
    case 'f':
        row_ = std::clamp((n.size() > 0 ? std::max(1, n[0]) : 1) - 1, 0, Rows - 1);
        column_ = std::clamp((n.size() > 1 ? std::max(1, n[1]) : 1) - 1, 0, Columns - 1);
        break;
    case 'K':
        if (first == 0)
            std::fill(line.begin() + column_, line.end(), Cell{});
        else if (first == 1)
            std::fill(line.begin(), line.begin() + column_ + 1, Cell{});
        else
            line.fill(Cell{});
        break;
    case 'J':
        if (first == 2) {
            for (Row& r : cells_)
                r.fill(Cell{});
        } else if (first == 0) {
            std::fill(line.begin() + column_, line.end(), Cell{});
            for (std::size_t r = static_cast<std::size_t>(row_) + 1; r < cells_.size(); ++r)
                cells_[r].fill(Cell{});
        }
        break;
    default: break; // colours, modes: nothing to show
    }
}

void TerminalBuffer::write(const std::string& text)
{
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (!partial_.empty()) {
            if ((u & 0xC0) == 0x80) {
                partial_ += c;
                if (static_cast<int>(partial_.size()) == utf8Length(static_cast<unsigned char>(partial_[0]))) {
                    put(partial_);
                    partial_.clear();
                }
                continue;
            }
            partial_.clear(); // a broken character is dropped
        }
        if (escape_ == 1) {
            escape_ = c == '[' ? 2 : 0;
            parameters_.clear();
            continue;
        }
        if (escape_ == 2) {
            if (u >= 0x40 && u <= 0x7E) {
                escape_ = 0;
                control(c, parameters_);
            } else {
                parameters_ += c;
            }
            continue;
        }
        switch (c) {
        case '\x1b': escape_ = 1; break;
        case '\r':
            column_ = 0;
            wrapPending_ = false;
            break;
        case '\n': newLine(); break;
        case '\b':
            wrapPending_ = false;
            column_ = std::max(0, column_ - 1);
            break;
        case '\t':
            wrapPending_ = false;
            column_ = std::min(Columns - 1, (column_ / 8 + 1) * 8);
            break;
        default:
            if (u >= 0xC0) {
                partial_ = c;
            } else if (u >= 0x20 && u != 0x7F && u < 0x80) {
                put(std::string(1, c));
            }
        }
    }
}

std::vector<std::string> TerminalBuffer::rows() const
{
    std::vector<std::string> out;
    const auto blank = [](const Cell& cell) { return cell.size == 1 && cell.bytes[0] == ' '; };
    for (const Row& r : cells_) {
        std::size_t used = r.size();
        while (used > 0 && blank(r[used - 1]))
            --used;
        std::string line;
        for (std::size_t i = 0; i < used; ++i)
            line.append(r[i].bytes.data(), r[i].size);
        out.push_back(std::move(line));
    }
    return out;
}

std::string TerminalBuffer::text() const
{
    std::vector<std::string> r = rows();
    while (!r.empty() && r.back().empty())
        r.pop_back();
    std::string out;
    for (std::size_t i = 0; i < r.size(); ++i)
        out += (i ? "\n" : "") + r[i];
    return out;
}

} // namespace vemra

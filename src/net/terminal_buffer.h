// The screen of the remote login: 80 columns by 25 rows of what the host
// sent, scrolling up at the bottom. It understands line ends, backspace,
// tabs and the few cursor and erase sequences a shell uses; other control
// sequences are dropped.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vemra {

class TerminalBuffer {
public:
    static constexpr int Columns = 80;
    static constexpr int Rows = 25;

    TerminalBuffer();
    void clear();
    // UTF-8 text; a character takes one cell.
    void write(const std::string& text);

    // Each row without trailing blanks.
    std::vector<std::string> rows() const;
    // The rows joined by "\n", trailing empty rows left out.
    std::string text() const;
    int cursorRow() const { return row_; }
    int cursorColumn() const { return column_; }

private:
    // One character, UTF-8 encoded (at most 4 bytes).
    struct Cell {
        std::array<char, 4> bytes{' '};
        uint8_t size = 1;
    };
    using Row = std::array<Cell, Columns>;

    void put(const std::string& character);
    void newLine();
    void control(char final, const std::string& parameters);

    std::vector<Row> cells_;
    int row_ = 0;
    int column_ = 0;
    // A character in the last column wraps only when the next one comes.
    bool wrapPending_ = false;
    int escape_ = 0; // 0 none, 1 after ESC, 2 inside "ESC ["
    std::string parameters_;
    std::string partial_; // an incomplete UTF-8 character
};

} // namespace vemra

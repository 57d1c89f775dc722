// The line-oriented text of project files: right-aligned integer fields,
// 23-character reals, string lines in Windows-1252, CR LF line ends. The
// reader tracks line numbers so every error can say where it happened.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vemra {

class ReadError : public std::runtime_error {
public:
    ReadError(int line, const std::string& what) : std::runtime_error(what), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

class RecordWriter {
public:
    // Right-aligned in width characters. A value whose text fills the field
    // gets one blank in front so that it never runs into the previous one.
    void intField(int64_t value, int width);
    // " 1.00000000000000E+0002": sign, digit, 14 decimals, 4-digit exponent.
    void realField(double value);
    void spaces(int count);
    // A UTF-8 string written as Windows-1252, cut to 255 characters.
    void stringLine(const std::string& text);
    void endLine();

    const std::string& bytes() const { return out_; }

private:
    std::string out_;
};

class RecordReader {
public:
    explicit RecordReader(std::string bytes);

    // Numbers are separated by any white space, including line ends.
    int32_t readInt();
    double readReal();
    // The rest of the current line (at most 255 characters, the remainder is
    // skipped) as UTF-8; the reader then stands at the next line.
    std::string readStringLine();
    // Moves to the start of the next line.
    void nextLine();
    // Only white space is left.
    bool atEnd() const;
    // 1-based number of the line the reader stands in.
    int line() const { return line_; }
    // Bytes not read yet: lets a reader refuse a count that the rest of the
    // file cannot hold before it allocates room for it.
    size_t remainingBytes() const { return bytes_.size() - pos_; }

private:
    void skipWhite();
    std::string_view token();
    double parseReal(std::string_view text) const;

    std::string bytes_;
    size_t pos_ = 0;
    int line_ = 1;
};

// Conversions between the Windows-1252 bytes on disk and UTF-8 in memory.
std::string cp1252ToUtf8(std::string_view bytes);
// Characters without a Windows-1252 code become "?".
std::string utf8ToCp1252(std::string_view text);

std::string formatReal23(double value);

} // namespace vemra

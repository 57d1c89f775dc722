// Reads the module input file into raw records: a flat stream of numbers, 9 integers and
// 12 reals per record, whatever the line structure.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vemra::module {

inline constexpr int kIntFieldCount = 9;
inline constexpr int kRealFieldCount = 12;
inline constexpr int kFieldsPerRecord = kIntFieldCount + kRealFieldCount;

struct RawRecord {
    std::array<int, kIntFieldCount> ints{};      // IntPar[1..9]
    std::array<double, kRealFieldCount> reals{}; // RealPar[1..12]

    int intPar(int i) const { return ints[static_cast<std::size_t>(i - 1)]; }
    double realPar(int i) const { return reals[static_cast<std::size_t>(i - 1)]; }
};

// What is wrong with the input and where: record number (1-based position in the file) and
// field name. The text is what the module prints on standard error.
struct InputDiagnostic {
    int record = 0;
    std::string field;
    std::string message;

    std::string text() const;
};

struct ReadResult {
    std::vector<RawRecord> records;
    std::optional<InputDiagnostic> error;
};

// "IntPar[n]" for field index 0..8, "RealPar[n]" for 9..20.
std::string genericFieldName(int fieldIndex);

// Splits the text into number tokens. Besides white space, a sign directly after a digit or
// "." starts a new token: some writers glue a negative number to the previous one
// ("0.0-0.12E+11", "12-1234"). A sign after "E"/"e" stays part of the exponent.
std::vector<std::string_view> splitNumberTokens(std::string_view text);

ReadResult readRecords(std::string_view text);
ReadResult readRecordFile(const std::filesystem::path& path);

} // namespace vemra::module

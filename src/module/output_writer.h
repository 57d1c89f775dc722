// Writes the module's result files into one directory: rx4.err with the result code, and for
// codes 0 and 1 the coefficient files remote$.fk<n> and the restriction file remote$.rx5.
#pragma once

#include "module/explanation.h"
#include "module/synthesis.h"

#include <filesystem>
#include <string>

namespace vemra::module {


// A real with 17 significant digits, "." as decimal separator, e.g. "-1.2500000000000000E-01".
std::string formatReal(double value);

class OutputWriter {
public:
    explicit OutputWriter(std::filesystem::path directory) : directory_(std::move(directory)) {}

    // remote$.fk<n> for every motion, then remote$.rx5. Returns false with a reason when a file
    // cannot be written.
    bool writeResults(const SynthesisResult& result, std::string& error) const;

    // rx4.err: the code on the first line, a short explanation on the second.
    bool writeResultCode(int code, const std::string& message) const;

    // remote$.why, and its removal: a run that explains nothing leaves none behind.
    bool writeExplanation(const Explanation& explanation, std::string& error) const;
    void removeExplanation() const;

private:
    bool writeAtomically(const std::string& name, const std::string& content, std::string& error) const;

    std::filesystem::path directory_;
};

} // namespace vemra::module

#include "module/output_writer.h"

#include "module/explanation_writer.h"
#include "protocol/exchange_files.h"

#include <charconv>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <system_error>

namespace vemra::module {
namespace {

// The files belong to a family of text formats with CR LF line ends.
constexpr const char* kLineEnd = "\r\n";

} // namespace

std::string formatReal(double value)
{
    if (value == 0.0)
        value = 0.0; // no "-0"
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 16);
    if (ec != std::errc())
        return "0.0000000000000000E+00";
    std::string text(buffer, end);
    for (char& c : text)
        if (c == 'e')
            c = 'E';
    return text;
}

bool OutputWriter::writeAtomically(const std::string& name, const std::string& content, std::string& error) const
{
    const std::filesystem::path target = directory_ / name;
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << content;
        out.flush();
        if (!out) {
            error = temporary.string() + " lässt sich nicht schreiben";
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, target, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        error = target.string() + " lässt sich nicht ersetzen";
        return false;
    }
    return true;
}

bool OutputWriter::writeResults(const SynthesisResult& result, std::string& error) const
{
    for (const MotionResult& motion : result.motions) {
        std::ostringstream out;
        // Pairs for k = 0..K, cosine coefficient first; pair 0 carries b0 and the eta reached.
        out << formatReal(motion.coefficients.b0) << kLineEnd << formatReal(motion.eta) << kLineEnd;
        for (int k = 1; k <= motion.coefficients.harmonics(); ++k) {
            const auto i = static_cast<std::size_t>(k - 1);
            out << formatReal(motion.coefficients.b[i]) << kLineEnd << formatReal(motion.coefficients.a[i]) << kLineEnd;
        }
        if (!writeAtomically(protocol::coefficientFileName(motion.number), out.str(), error))
            return false;
    }
    std::ostringstream out;
    for (const RestrictionEcho& r : result.restrictions) {
        for (int value : r.ints)
            out << ' ' << std::setw(5) << value;
        out << kLineEnd;
        for (double value : r.reals)
            out << (value < 0.0 ? " " : "  ") << formatReal(value); // signs line up
        out << kLineEnd;
    }
    return writeAtomically(protocol::EffectiveParamsFileName, out.str(), error);
}

bool OutputWriter::writeResultCode(int code, const std::string& message) const
{
    std::ostringstream out;
    out << code << kLineEnd;
    if (!message.empty())
        out << message << kLineEnd;
    std::string error;
    return writeAtomically(protocol::ResultCodeFileName, out.str(), error);
}

bool OutputWriter::writeExplanation(const Explanation& explanation, std::string& error) const
{
    return writeAtomically(protocol::ExplanationFileName, explanationText(explanation), error);
}

void OutputWriter::removeExplanation() const
{
    std::error_code ec;
    std::filesystem::remove(directory_ / protocol::ExplanationFileName, ec);
}

} // namespace vemra::module

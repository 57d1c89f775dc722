// rx-10-L: the synthesis module. Usage: rx-10-L <input file> [flag]
// Reads the project records, searches the coefficients and writes the result files into the
// current directory. The exit status is 0 whenever rx4.err could be written.
#include "module/output_writer.h"
#include "module/result_code.h"
#include "module/stop_request.h"
#include "module/synthesis.h"

#include <csignal>
#include <exception>
#include <filesystem>
#include <iostream>
#include <new>

using namespace vemra::module;

namespace {

SynthesisResult run(int argc, char** argv)
{
    if (argc < 2)
        return SynthesisResult::failed(result_code::kInputError, "no input file given (usage: rx-10-L <input file> [flag])");
    SynthesisOptions options;
    options.progress = [](const std::string& line) { std::cout << line << std::endl; };
    return synthesise(readRecordFile(argv[1]), options);
}

} // namespace

int main(int argc, char** argv)
{
    installStopSignalHandlers();
#ifdef SIGPIPE
    // Progress goes to whoever started us; losing that reader must not kill the run.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    const OutputWriter writer(std::filesystem::path("."));

    SynthesisResult result;
    try {
        result = run(argc, argv);
    } catch (const std::bad_alloc&) {
        result = SynthesisResult::failed(result_code::kInterrupted, "out of memory");
    } catch (const std::exception& e) {
        result = SynthesisResult::failed(result_code::kInterrupted, std::string("aborted: ") + e.what());
    }

    if (result.code == result_code::kInputError)
        std::cerr << "input error: " << result.message << std::endl;
    else if (result.code != result_code::kSolved && result.code != result_code::kMaximumMet && !result.message.empty())
        std::cerr << result.message << std::endl;

    if (result.code == result_code::kSolved || result.code == result_code::kMaximumMet) {
        std::string error;
        if (!writer.writeResults(result, error)) {
            std::cerr << error << std::endl;
            result.code = result_code::kInterrupted;
            result.message = error;
        }
    }
    if (!writer.writeResultCode(result.code, result.message)) {
        std::cerr << "cannot write " << kResultCodeFile << std::endl;
        // The application reads a non-zero exit status as the result code itself.
        return result.code != 0 ? result.code : 2;
    }
    return 0;
}

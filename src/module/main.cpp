// rx-10-L: the synthesis module. Usage: rx-10-L <input file> [flag], or --help, --version.
// Reads the project records, searches the coefficients and writes the result files into the
// current directory. The exit status is 0 whenever rx4.err could be written.
#include "module/freed_memory.h"
#include "module/output_writer.h"
#include "protocol/exchange_files.h"
#include "protocol/result_codes.h"
#include "module/stop_request.h"
#include "module/synthesis.h"

#include <csignal>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <new>

using namespace vemra::module;

namespace {

constexpr const char* kUsage = "Aufruf: rx-10-L EINGABEDATEI [KENNUNG]";

// Printed for --help; touches no file.
constexpr const char* kHelp =
    "\n"
    "Synthesemodul von Vemra: liest Bewegungsvorgaben und Restriktionen aus EINGABEDATEI\n"
    "(die Anwendung schreibt sie als remote$.rx4), sucht den größten Erfüllungsgrad und die\n"
    "glatteste Bewegung dazu und schreibt rx4.err, remote$.rx5 und remote$.fk<n> in das\n"
    "aktuelle Verzeichnis. Die KENNUNG wird angenommen und nicht ausgewertet.\n"
    "\n"
    "  --help     diese Hilfe zeigen\n"
    "  --version  die Version zeigen\n"
    "\n"
    "Auf der Standardausgabe steht eine Zeile je Stufe der Suche, z. B.\n"
    "  Stufe 0 (ohne Verschiebung): Erfüllungsgrad 0.534211, Glattheit 14.3967\n"
    "  Schritt 3 von 20: Erfüllungsgrad 0.534211, Glattheit 14.3966\n"
    "Fehlermeldungen stehen auf der Standardfehlerausgabe. Der Exit-Status ist 0, sobald\n"
    "rx4.err geschrieben ist; den Ergebniscode enthält dessen erste Zeile.\n";

SynthesisResult run(int argc, char** argv)
{
    if (argc < 2)
        return SynthesisResult::failed(vemra::ResultCodes::InputError,
                                       std::string("keine Eingabedatei angegeben (") + kUsage + ")");
    SynthesisOptions options;
    options.progress = [](const std::string& line) { std::cout << line << std::endl; };
    return synthesise(readRecordFile(argv[1]), options);
}

} // namespace

int main(int argc, char** argv)
{
    // The application always passes a file name, so these two cannot be one of its calls.
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::cout << kUsage << '\n' << kHelp;
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "rx-10-L " << VEMRA_VERSION << '\n';
        return 0;
    }

    keepFreedMemoryForReuse();
    installStopSignalHandlers();
#ifdef SIGPIPE
    // Progress goes to whoever started us; losing that reader must not kill the run.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    const OutputWriter writer(std::filesystem::path("."));
    writer.removeExplanation(); // an explanation of an earlier run must not pass for this one's

    SynthesisResult result;
    try {
        result = run(argc, argv);
    } catch (const std::bad_alloc&) {
        result = SynthesisResult::failed(vemra::ResultCodes::Aborted, "Abbruch: der Speicher reicht nicht aus");
    } catch (const std::exception& e) {
        result = SynthesisResult::failed(vemra::ResultCodes::Aborted, std::string("Abbruch: ") + e.what());
    }

    if (result.code == vemra::ResultCodes::InputError)
        std::cerr << "Eingabefehler: " << result.message << std::endl;
    else if (result.code != vemra::ResultCodes::Solved && result.code != vemra::ResultCodes::MaximumMet && !result.message.empty())
        std::cerr << result.message << std::endl;

    if (result.code == vemra::ResultCodes::Solved || result.code == vemra::ResultCodes::MaximumMet) {
        std::string error;
        if (!writer.writeResults(result, error)) {
            std::cerr << error << std::endl;
            result.code = vemra::ResultCodes::Aborted;
            result.message = error;
        }
    }
    // Before rx4.err, whose appearance tells that the run is over. Not being able to write it
    // costs the explanation, not the result.
    if (result.explanation && result.explanation->code == result.code) {
        std::string error;
        if (!writer.writeExplanation(*result.explanation, error))
            std::cerr << error << std::endl;
    }
    if (!writer.writeResultCode(result.code, result.message)) {
        std::cerr << vemra::protocol::ResultCodeFileName << " lässt sich nicht schreiben" << std::endl;
        // The application reads a non-zero exit status as the result code itself.
        return result.code != 0 ? result.code : 2;
    }
    return 0;
}

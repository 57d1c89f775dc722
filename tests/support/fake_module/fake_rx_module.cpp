// A stand-in for the synthesis module in tests. It does what the control
// file "fake_module.ctl" in its current directory says, one command a line,
// in order:
//   report FILE      write FILE: the arguments, the current directory, the
//                    niceness and the files that were there at the start
//   pidfile FILE     write the process id to FILE
//   write FILE       write the following lines up to a line "end" to FILE
//   print TEXT       print TEXT as a line on standard output (at once)
//   eprint TEXT      print TEXT as a line on standard error
//   partial TEXT     print TEXT on standard output without a line end
//   flood N          print N numbered lines of 100 characters each
//   sleep MS         sleep MS milliseconds
//   if-input TEXT    the commands up to the line "fi" only when the input
//                    file "remote$.rx4" contains TEXT (one project of many)
//   ignore-term      ignore SIGTERM from now on
//   crash            die from SIGSEGV
//   exit N           end with exit status N
// Without a control file it ends with status 0 and writes nothing.
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <iostream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::string> filesHere()
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(".", ec))
        names.push_back(entry.path().filename().string());
    return names;
}

void writeFile(const std::string& name, const std::string& content)
{
    std::ofstream out(name, std::ios::binary);
    out << content;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> atStart = filesHere();
    std::ifstream control("fake_module.ctl");
    std::string line;
    while (std::getline(control, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::istringstream words(line);
        std::string command;
        words >> command;
        std::string rest;
        std::getline(words >> std::ws, rest);
        if (command == "report") {
            std::ostringstream r;
            r << "argv:";
            for (int i = 0; i < argc; ++i)
                r << ' ' << argv[i];
            r << "\ncwd: " << std::filesystem::current_path().string() << "\nnice: " << getpriority(PRIO_PROCESS, 0)
              << "\nfiles:";
            for (const auto& name : atStart)
                r << ' ' << name;
            r << '\n';
            writeFile(rest, r.str());
        } else if (command == "pidfile") {
            writeFile(rest, std::to_string(getpid()) + "\n");
        } else if (command == "write") {
            std::string content;
            while (std::getline(control, line)) {
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                if (line == "end")
                    break;
                content += line + "\n";
            }
            writeFile(rest, content);
        } else if (command == "if-input") {
            std::ifstream input("remote$.rx4", std::ios::binary);
            const std::string text((std::istreambuf_iterator<char>(input)), std::istreambuf_iterator<char>());
            if (text.find(rest) == std::string::npos)
                while (std::getline(control, line) && line != "fi" && line != "fi\r") {
                }
        } else if (command == "fi") {
        } else if (command == "print") {
            std::cout << rest << std::endl;
        } else if (command == "eprint") {
            std::cerr << rest << std::endl;
        } else if (command == "partial") {
            std::cout << rest << std::flush;
        } else if (command == "flood") {
            const long count = std::atol(rest.c_str());
            for (long i = 1; i <= count; ++i) {
                const std::string number = std::to_string(i);
                std::cout << number << std::string(100 - number.size(), '.') << '\n';
            }
            std::cout << std::flush;
        } else if (command == "sleep") {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::atol(rest.c_str())));
        } else if (command == "ignore-term") {
            std::signal(SIGTERM, SIG_IGN);
        } else if (command == "crash") {
            const rlimit noCore{0, 0};
            setrlimit(RLIMIT_CORE, &noCore);
            std::signal(SIGSEGV, SIG_DFL);
            std::raise(SIGSEGV);
        } else if (command == "exit") {
            return std::atoi(rest.c_str());
        } else if (!command.empty()) {
            std::cerr << "fake_rx_module: unknown command " << command << '\n';
            return 99;
        }
    }
    return 0;
}

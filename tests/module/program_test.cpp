// The built program end to end: files in a temporary working directory.
#include "input_builder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using vemra::module::testing::InputBuilder;

std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<double> numbers(const std::string& text)
{
    std::istringstream in(text);
    std::vector<double> out;
    for (double v; in >> v;)
        out.push_back(v);
    return out;
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path()
            / ("vemra_rx_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_"
               + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    void writeInput(const std::string& text) { std::ofstream(dir_ / "remote$.rx4", std::ios::binary) << text; }

    // Starts the program in the directory, as the application does: "rx-10-L remote$.rx4 0".
    pid_t start(int* stdoutPipe = nullptr)
    {
        int fds[2] = {-1, -1};
        if (stdoutPipe && ::pipe(fds) != 0)
            return -1;
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir(dir_.c_str()) != 0)
                ::_exit(120);
            if (stdoutPipe) {
                ::dup2(fds[1], STDOUT_FILENO);
                ::close(fds[0]);
                ::close(fds[1]);
            }
            ::execl(VEMRA_MODULE_PROGRAM, "rx-10-L", "remote$.rx4", "0", static_cast<char*>(nullptr));
            ::_exit(121);
        }
        if (stdoutPipe) {
            ::close(fds[1]);
            *stdoutPipe = fds[0];
        }
        return pid;
    }

    // Runs the program in the directory with the given arguments and waits for it; standard
    // output and error go to files outside the directory.
    struct Run {
        int status = -1;
        std::string out, err;
    };
    Run runWith(std::vector<std::string> args)
    {
        const fs::path out = fs::path(dir_.string() + ".out"), err = fs::path(dir_.string() + ".err");
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir(dir_.c_str()) != 0)
                ::_exit(120);
            const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(o, STDOUT_FILENO);
            ::dup2(e, STDERR_FILENO);
            std::vector<char*> argv{const_cast<char*>("rx-10-L")};
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(VEMRA_MODULE_PROGRAM, argv.data());
            ::_exit(121);
        }
        Run run;
        run.status = wait(pid);
        run.out = slurp(out);
        run.err = slurp(err);
        fs::remove(out);
        fs::remove(err);
        return run;
    }

    int wait(pid_t pid)
    {
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
    }

    int resultCode() { return std::stoi(slurp(dir_ / "rx4.err")); }

    fs::path dir_;
};

TEST_F(ProgramTest, SolvesAndWritesResultFiles)
{
    InputBuilder b;
    b.addMotion({.harmonics = 3});
    b.add(vemra::module::testing::pointRestriction(1, 0, 90.0, 1.0, 1.0));
    b.add(vemra::module::testing::pointRestriction(1, 0, 270.0, -1.0, -1.0));
    writeInput(b.text());
    ASSERT_EQ(wait(start()), 0);
    EXPECT_EQ(resultCode(), 0);
    const auto fk = numbers(slurp(dir_ / "remote$.fk1"));
    ASSERT_EQ(fk.size(), 8u); // 2K + 2
    EXPECT_NEAR(fk[3], 1.0, 1e-9); // sine coefficient of harmonic 1
    EXPECT_NEAR(fk[2], 0.0, 1e-9);
    const auto rx5 = numbers(slurp(dir_ / "remote$.rx5"));
    ASSERT_EQ(rx5.size(), 2u * 21u);
    EXPECT_EQ(rx5[8], 3.0);   // Ident of the first restriction, echoed
    EXPECT_EQ(rx5[9 + 1], 90.0);
}

TEST_F(ProgramTest, GarbageAndTruncatedInputGiveMinusThree)
{
    const std::string valid = [] {
        InputBuilder b;
        b.addMotion({.harmonics = 1});
        b.add(vemra::module::testing::pointRestriction(1, 0, 90.0, 1.0, 1.0));
        return b.text();
    }();
    for (const std::string& text : {valid.substr(0, valid.size() / 2), std::string("\x01\xff garbage \x7f"),
                                    std::string(), valid + "1 2 3"}) {
        fs::remove(dir_ / "rx4.err");
        writeInput(text);
        ASSERT_EQ(wait(start()), 0);
        EXPECT_EQ(resultCode(), -3);
        EXPECT_FALSE(fs::exists(dir_ / "remote$.fk1"));
        EXPECT_FALSE(fs::exists(dir_ / "remote$.rx5"));
    }
    fs::remove(dir_ / "remote$.rx4"); // no input file at all
    ASSERT_EQ(wait(start()), 0);
    EXPECT_EQ(resultCode(), -3);
}

TEST_F(ProgramTest, TerminationSignalEndsWithMinusOne)
{
    // A long shift search: two objects, 500 steps of 40 samples.
    InputBuilder b;
    b.objects(2).advanced(40, 500, 1.0);
    b.addMotion({.harmonics = 8});
    for (int g = 1; g <= 2; ++g) {
        auto r = vemra::module::testing::lowerPoint(1, 0, 60.0 * g, 0.0);
        r.lowerMode = 1;
        r.r(5) = 5.0;
        r.group = g;
        r.r(9) = 0.0;
        r.r(10) = 300.0;
        b.add(r);
    }
    b.add(vemra::module::testing::spectrumSum(1, 2, 3.0));
    writeInput(b.text());
    int out = -1;
    const pid_t pid = start(&out);
    ASSERT_GT(pid, 0);
    // The first progress line comes after the unshifted solve; the search is well under way.
    char c = 0;
    while (::read(out, &c, 1) == 1 && c != '\n') {
    }
    ::kill(pid, SIGTERM);
    const int status = wait(pid);
    ::close(out);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(resultCode(), -1);
    EXPECT_FALSE(fs::exists(dir_ / "remote$.fk1"));
}


TEST_F(ProgramTest, HelpAndVersionAnswerWithoutTouchingTheFolder)
{
    const Run help = runWith({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Aufruf: rx-10-L EINGABEDATEI [KENNUNG]\n", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("--version"), std::string::npos);
    EXPECT_TRUE(help.err.empty()) << help.err;

    const Run version = runWith({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("rx-10-L ") + VEMRA_VERSION + "\n");

    EXPECT_TRUE(fs::is_empty(dir_)) << "the working folder must stay untouched";
}

TEST_F(ProgramTest, ProgressOnStandardOutputAndErrorsOnStandardErrorInGerman)
{
    // One object that may shift: a line for the unshifted solve and one per step.
    InputBuilder b;
    b.objects(1).advanced(3, 4, 0.5);
    b.addMotion({.harmonics = 3});
    auto r = vemra::module::testing::lowerPoint(1, 0, 60.0, 0.0);
    r.lowerMode = 1;
    r.r(5) = 5.0;
    r.group = 1;
    r.r(9) = 0.0;
    r.r(10) = 120.0;
    b.add(r);
    b.add(vemra::module::testing::spectrumSum(1, 0, 2.0));
    writeInput(b.text());
    const Run solved = runWith({"remote$.rx4", "0"});
    ASSERT_EQ(solved.status, 0);
    EXPECT_EQ(resultCode(), 1);
    EXPECT_TRUE(solved.err.empty()) << solved.err;
    const std::regex stage(R"((Stufe 0 \(ohne Verschiebung\)|Schritt ([1-4]) von 4): )"
                           R"(Erfüllungsgrad [01]\.\d{6}, Glattheit [0-9.e+-]+)");
    std::istringstream lines(solved.out);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, stage)) << line;
        EXPECT_EQ(count == 0 ? std::string() : std::to_string(count), match[2].str()) << line;
    }
    EXPECT_EQ(count, 5);

    fs::remove_all(dir_);
    fs::create_directories(dir_);
    writeInput("   0   0   1   0   0   0   0   0   1\n x\n");
    const Run broken = runWith({"remote$.rx4", "0"});
    EXPECT_EQ(broken.status, 0);
    EXPECT_EQ(resultCode(), -3);
    EXPECT_TRUE(broken.out.empty()) << broken.out;
    EXPECT_EQ(broken.err.rfind("Eingabefehler: Datensatz 1, Feld RealPar[1]: ", 0), 0u) << broken.err;
}

} // namespace

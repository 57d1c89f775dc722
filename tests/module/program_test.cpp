// The built program end to end: files in a temporary working directory.
#include "input_builder.h"
#include "module/freed_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

namespace fs = std::filesystem;
using namespace vemra::module::testing;

std::string slurp(const fs::path& p)
{
    std::ostringstream s;
    s << std::ifstream(p, std::ios::binary).rdbuf();
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

// An object that may shift over [0, shiftTo]: a lower bound at angle that wants 5 and needs 0.
RestrictionRecord shiftableWish(double angle, int group, double shiftTo)
{
    RestrictionRecord r = wish(1, 0, angle, 0.0, 5.0);
    r.group = group;
    r.r(10) = shiftTo;
    return r;
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

    struct Run {
        int status = -1;
        std::string out, err;
    };
    // Runs the program in the directory, by default as the application does ("rx-10-L
    // remote$.rx4 0"); standard error goes to a file outside it. With stopAtFirstLine the
    // program gets SIGTERM once its first line of output arrived; addressSpace (bytes) limits
    // the program's memory.
    Run run(std::vector<std::string> args = {"remote$.rx4", "0"}, bool stopAtFirstLine = false,
            rlim_t addressSpace = RLIM_INFINITY)
    {
        const fs::path err = dir_.string() + ".err";
        int out[2];
        if (::pipe(out) != 0)
            return {};
        const pid_t pid = ::fork();
        if (pid == 0) {
            const rlimit limit{addressSpace, addressSpace};
            if (::chdir(dir_.c_str()) != 0 || ::setrlimit(RLIMIT_AS, &limit) != 0)
                ::_exit(120);
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
            std::vector<char*> argv{const_cast<char*>("rx-10-L")};
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(VEMRA_MODULE_PROGRAM, argv.data());
            ::_exit(121);
        }
        ::close(out[1]);
        Run r;
        for (char c = 0; ::read(out[0], &c, 1) == 1;) {
            r.out += c;
            if (c == '\n' && stopAtFirstLine) {
                ::kill(pid, SIGTERM);
                stopAtFirstLine = false;
            }
        }
        ::close(out[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
        r.err = slurp(err);
        fs::remove(err);
        return r;
    }

    int resultCode() { return std::stoi(slurp(dir_ / "rx4.err")); }

    fs::path dir_;
};

TEST_F(ProgramTest, BadOrMissingInputGivesMinusThreeAndAReasonInGerman)
{
    InputBuilder b;
    b.addMotion({.harmonics = 1});
    b.add(pointRestriction(1, 0, 90.0, 1.0, 1.0));
    const std::string valid = b.text();
    const std::pair<std::string, std::string> cases[] = {
        {valid.substr(0, valid.size() / 2), "Eingabefehler: "},
        {"\x01\xff garbage \x7f", "Eingabefehler: "},
        {"", "Eingabefehler: "},
        {valid + "1 2 3", "Eingabefehler: "},
        {"   0   0   1   0   0   0   0   0   1\n x\n", "Eingabefehler: Datensatz 1, Feld RealPar[1]: "},
    };
    for (const auto& [text, reason] : cases) {
        SCOPED_TRACE(text);
        fs::remove(dir_ / "rx4.err");
        writeInput(text);
        const Run r = run();
        ASSERT_EQ(r.status, 0);
        EXPECT_EQ(resultCode(), -3);
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_EQ(r.err.rfind(reason, 0), 0u) << r.err;
        EXPECT_FALSE(fs::exists(dir_ / "remote$.fk1"));
        EXPECT_FALSE(fs::exists(dir_ / "remote$.rx5"));
    }
    fs::remove(dir_ / "remote$.rx4"); // no input file at all
    ASSERT_EQ(run().status, 0);
    EXPECT_EQ(resultCode(), -3);
}

// A damaged count must not make the module reserve memory for that many motions: these
// one-line files are input errors, answered in a few megabytes.
TEST_F(ProgramTest, AnnouncedMotionCountReservesNoMemory)
{
    const std::string twentyMillion = slurp(fs::path(VEMRA_RX4_DATA_DIR) / "twenty-million-motions-announced.rx4");
    for (const std::string count : {"20000000", "111055555", "2147483647"}) {
        SCOPED_TRACE(count);
        writeInput(std::string(twentyMillion).replace(twentyMillion.find("20000000"), 8, count));
        const Run r = run({"remote$.rx4", "0"}, false, rlim_t(256) << 20);
        ASSERT_EQ(r.status, 0);
        EXPECT_EQ(resultCode(), -3);
        EXPECT_NE(r.err.find(std::string("das Projekt nennt ") + count + " Bewegungsvorgaben"), std::string::npos)
            << r.err;
    }
}

TEST_F(ProgramTest, TerminationSignalEndsWithMinusOne)
{
    // A long shift search: two objects, 500 steps of 40 samples. The first progress line
    // comes after the unshifted solve; the search is well under way.
    InputBuilder b;
    b.objects(2).advanced(40, 500, 1.0);
    b.addMotion({.harmonics = 8});
    b.add(shiftableWish(60.0, 1, 300.0));
    b.add(shiftableWish(120.0, 2, 300.0));
    b.add(spectrumSum(1, 2, 3.0));
    writeInput(b.text());
    ASSERT_EQ(run({"remote$.rx4", "0"}, true).status, 0);
    EXPECT_EQ(resultCode(), -1);
    EXPECT_FALSE(fs::exists(dir_ / "remote$.fk1"));
}

TEST_F(ProgramTest, HelpAndVersionAnswerWithoutTouchingTheFolder)
{
    const Run help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Aufruf: rx-10-L EINGABEDATEI [KENNUNG]\n", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("--version"), std::string::npos);
    EXPECT_TRUE(help.err.empty()) << help.err;

    const Run version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("rx-10-L ") + VEMRA_VERSION + "\n");

    EXPECT_TRUE(fs::is_empty(dir_)) << "the working folder must stay untouched";
}

TEST_F(ProgramTest, SolvesWritesResultFilesAndReportsEachStep)
{
    InputBuilder b;
    b.objects(1).advanced(3, 4, 0.5);
    b.addMotion({.harmonics = 3});
    b.add(shiftableWish(60.0, 1, 120.0));
    b.add(spectrumSum(1, 0, 2.0));
    writeInput(b.text());
    const Run solved = run();
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
    EXPECT_EQ(count, 5); // the unshifted solve and one line per step

    EXPECT_EQ(numbers(slurp(dir_ / "remote$.fk1")).size(), 8u); // 2K + 2
    const auto rx5 = numbers(slurp(dir_ / "remote$.rx5"));
    ASSERT_EQ(rx5.size(), 2u * 21u);
    EXPECT_EQ(rx5[8], 3.0); // Ident of the first restriction, echoed
    EXPECT_EQ(rx5[21 + 8], 4.0);
}

// remote$.why comes with codes 0, 1 and -2, and no run leaves an older one behind.
TEST_F(ProgramTest, ExplanationFileBelongsToThisRun)
{
    InputBuilder wish;
    wish.objects(1).advanced(3, 4, 0.5);
    wish.addMotion({.harmonics = 3});
    wish.add(shiftableWish(60.0, 1, 120.0));
    wish.add(spectrumSum(1, 0, 2.0));
    InputBuilder contradiction;
    contradiction.addMotion({.harmonics = 2});
    contradiction.add(pointRestriction(1, 0, 30.0, 1.0, 2.0));
    contradiction.add(pointRestriction(1, 0, 30.0, -1.0, 0.5));
    InputBuilder resonance;
    resonance.addMotion({.harmonics = 2, .eta = 0.5});
    resonance.add(pointRestriction(1, 0, 30.0, 1.0, 2.0));
    const std::pair<std::string, std::string> cases[] = {
        {wish.text(), "Stufe glattheit 1 1.0000000000000000E+00 "},
        {contradiction.text(), "Stufe konflikt -2 - -\r\nKonflikt 3\r\nKonflikt 4\r\n"},
        {resonance.text(), ""},
        {"garbage", ""},
    };
    for (const auto& [input, beginning] : cases) {
        SCOPED_TRACE(beginning);
        std::ofstream(dir_ / "remote$.why", std::ios::binary) << "Stufe konflikt -2 - -\r\nKonflikt 99\r\n";
        writeInput(input);
        ASSERT_EQ(run().status, 0);
        if (beginning.empty()) {
            EXPECT_FALSE(fs::exists(dir_ / "remote$.why"));
            continue;
        }
        const std::string why = slurp(dir_ / "remote$.why");
        EXPECT_EQ(why.rfind(beginning, 0), 0u) << why;
        EXPECT_TRUE(std::all_of(why.begin(), why.end(), [](char c) { return c > 0 && c < 0x7f; })) << why;
        EXPECT_EQ(std::count(why.begin(), why.end(), '\n'), std::count(why.begin(), why.end(), '\r'));
        EXPECT_EQ(why.substr(why.size() - 2), "\r\n");
    }
}

} // namespace

namespace vemra::module {
namespace {

// The program keeps the work arrays its programmes free (see freed_memory.h): a block of a
// megabyte comes from the heap, not from a mapping of its own that freeing it would hand back.
TEST(FreedMemory, WorkArraysOfAMegabyteStayWithTheProcess)
{
#ifdef __GLIBC__
    keepFreedMemoryForReuse();
    const std::size_t mappedBefore = mallinfo2().hblks;
    auto block = std::make_unique<double[]>(std::size_t{1} << 17);
    block[0] = 1.0;
    EXPECT_EQ(mallinfo2().hblks, mappedBefore);
#else
    GTEST_SKIP() << "only the GNU C library is told how to keep freed memory";
#endif
}

} // namespace
} // namespace vemra::module

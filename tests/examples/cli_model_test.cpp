// The model as vemra-cli shows it from outside: tree listing, exact numbers,
// evaluation of relative motions, and how bad input is answered.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct Output {
    int status = -1;
    std::string out;
};

Output cli(const std::string& arguments)
{
    Output result;
    const std::string command = std::string("'") + VEMRA_CLI + "' " + arguments + " 2>/tmp/vemra-cli-stderr";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 4096> buffer{};
    size_t n = 0;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string stderrText()
{
    std::ifstream in("/tmp/vemra-cli-stderr");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string example(const std::string& name)
{
    return std::string("'") + VEMRA_EXAMPLES + "/" + name + "'";
}

TEST(CliModelTest, CheckListsTheSortedTreeOneCaptionPerLine)
{
    const Output r = cli("check " + example("greifer.r4p"));
    ASSERT_EQ(r.status, 0);
    std::istringstream lines(r.out);
    std::string first, second, third;
    std::getline(lines, first);
    std::getline(lines, second);
    std::getline(lines, third);
    EXPECT_EQ(first, "greifer.r4p");
    EXPECT_EQ(second, "  Bewegungsvorgabe (abs) 1");
    // Restrictions are sorted by kind, then angle: the point restriction at
    // 180 degrees comes before the interval restriction.
    EXPECT_EQ(third, "    [s0]: 180.0 -> (40.0 ... 40.0)");
    EXPECT_NE(r.out.find("\n  Bewegungsvorgabe (rel) 1-2\n"), std::string::npos);
}

TEST(CliModelTest, RelativeMotionEvaluatesToTheDifferenceOfItsMotions)
{
    for (const char* phi : {"0", "37.5", "200"}) {
        const double a = std::stod(cli("eval " + example("greifer.r4p") + " 1 s 1 " + phi).out);
        const double b = std::stod(cli("eval " + example("greifer.r4p") + " 2 s 1 " + phi).out);
        const double d = std::stod(cli("eval " + example("greifer.r4p") + " 1-2 s 1 " + phi).out);
        EXPECT_NEAR(d, a - b, 1e-9 * (1 + std::abs(a) + std::abs(b))) << phi;
    }
}

TEST(CliModelTest, ExtremaEncloseEverySampleAndActualValuesHaveEightNumbers)
{
    const Output e = cli("extrema " + example("hubkurve.r4p") + " 1 s 0 0 360");
    ASSERT_EQ(e.status, 0);
    double lo = 0, hi = 0;
    std::istringstream(e.out) >> lo >> hi;
    for (double phi = 0; phi <= 360; phi += 7.5) {
        const double v = std::stod(cli("eval " + example("hubkurve.r4p") + " 1 s 0 " + std::to_string(phi)).out);
        EXPECT_GE(v, lo - 1e-3);
        EXPECT_LE(v, hi + 1e-3);
    }

    const Output a = cli("actual " + example("hubkurve.r4p"));
    ASSERT_EQ(a.status, 0);
    std::istringstream lines(a.out);
    std::string line;
    int restrictions = 0;
    while (std::getline(lines, line)) {
        ++restrictions;
        const auto numbers = line.substr(line.rfind('\t') + 1);
        std::istringstream in(numbers);
        double x = 0;
        int count = 0;
        while (in >> x)
            ++count;
        EXPECT_EQ(count, 8) << line;
    }
    EXPECT_EQ(restrictions, 5);
}

TEST(CliModelTest, ResaveOfAnUntouchedFileIsByteIdentical)
{
    const fs::path out = fs::temp_directory_path() / "vemra-cli-resave.r4p";
    ASSERT_EQ(cli("resave " + example("foerderer.r4p") + " '" + out.string() + "'").status, 0);
    std::ifstream a(std::string(VEMRA_EXAMPLES) + "/foerderer.r4p", std::ios::binary);
    std::ifstream b(out, std::ios::binary);
    std::stringstream sa, sb;
    sa << a.rdbuf();
    sb << b.rdbuf();
    EXPECT_EQ(sa.str(), sb.str());
    fs::remove(out);
}

TEST(CliModelTest, BadInputIsAnsweredWithAReasonAndAnExitStatus)
{
    EXPECT_EQ(cli("eval").status, 1);
    EXPECT_EQ(cli("eval " + example("greifer.r4p") + " 1 x 0 0").status, 1);
    EXPECT_EQ(cli("eval " + example("greifer.r4p") + " 7 s 0 0").status, 1);

    const fs::path damaged = fs::temp_directory_path() / "vemra-cli-damaged.r4p";
    {
        std::ofstream f(damaged, std::ios::binary);
        f << "   0   0   1   0   0   0   0   0   0\r\n   0.5x\r\n";
    }
    const Output r = cli("check '" + damaged.string() + "'");
    EXPECT_EQ(r.status, 2);
    const std::string message = stderrText();
    EXPECT_NE(message.find("vemra-cli-damaged.r4p"), std::string::npos) << message;
    EXPECT_NE(message.find("Zeile 2"), std::string::npos) << message;
    fs::remove(damaged);
}

} // namespace

#include "sample_project.h"

#include "report/rtf_report.h"
#include "report/rtf_text.h"

#include "model/numeric.h"
#include "model/tree_ops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>

namespace vemra::test {
namespace {

const ReportDate Day{5, 12, 2026};

// Sets the report's decimal separator for one test.
class DecimalSeparator {
public:
    explicit DecimalSeparator(char c) : previous_(localeDecimalSeparator()) { setLocaleDecimalSeparator(c); }
    ~DecimalSeparator() { setLocaleDecimalSeparator(previous_); }

private:
    char previous_;
};

// How many of the lines hold text.
long count(const std::vector<std::string>& lines, const std::string& text)
{
    return std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

// Every control word the report writes, and whether it carries a number.
// A word outside this list, or a number where none belongs, is source that
// a reader would misread (such as "\tab-5").
const std::map<std::string, bool>& knownControlWords()
{
    static const std::map<std::string, bool> words = {
        {"rtf", true}, {"ansi", false}, {"deff", true}, {"fonttbl", false}, {"f", true}, {"fmodern", false},
        {"fswiss", false}, {"froman", false}, {"stylesheet", false}, {"s", true}, {"li", true}, {"fs", true},
        {"b", false}, {"i", false}, {"ul", false}, {"qc", false}, {"qj", false}, {"sb", true}, {"sa", true},
        {"keep", false}, {"keepn", false}, {"header", false}, {"headerf", false}, {"pard", false},
        {"plain", false}, {"par", false}, {"tab", false}, {"tqr", false}, {"tqc", false}, {"tql", false},
        {"tqdec", false}, {"tx", true}, {"sub", false}, {"super", false}, {"dn", true}, {"up", true},
        {"charscalex", true},
    };
    return words;
}

// Checks the source as a reader would tokenise it: balanced groups, known
// control words with or without their number, escapes of two hex digits.
void expectWellFormed(const std::vector<std::string>& lines)
{
    const std::string text = joined(lines);
    int depth = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            --depth;
            ASSERT_GT(depth + 1, 0) << "group closed before it was opened at " << i;
            ASSERT_TRUE(depth > 0 || i + 3 == text.size()) << "document ends early at " << i;
        } else if (c == '\\') {
            ASSERT_LT(i + 1, text.size());
            const char next = text[i + 1];
            if (next == '\\' || next == '{' || next == '}') {
                ++i;
            } else if (next == '\'') {
                ASSERT_TRUE(i + 3 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 2])) &&
                            std::isxdigit(static_cast<unsigned char>(text[i + 3])))
                    << text.substr(i, 8);
                i += 3;
            } else {
                size_t j = i + 1;
                while (j < text.size() && std::islower(static_cast<unsigned char>(text[j])))
                    ++j;
                const std::string word = text.substr(i + 1, j - i - 1);
                const bool number = j < text.size() && (text[j] == '-' || std::isdigit(static_cast<unsigned char>(text[j])));
                const auto known = knownControlWords().find(word);
                ASSERT_NE(known, knownControlWords().end()) << "unknown control word \\" << word << " in "
                                                            << text.substr(i, 40);
                EXPECT_EQ(known->second, number) << "\\" << word << " in " << text.substr(i, 40);
                i = j - 1;
            }
        }
    }
    EXPECT_EQ(depth, 0);
}

TEST(RtfReport, MatchesTheGoldenFilesWithResultSectionsOnlyForCurrentCoefficients)
{
    struct Case {
        const char* golden; // nullptr: no golden file
        const char* project;
        char separator;
        long fourier;
        long results;
    };
    // Motion 1 has 8 restrictions (one unknown), motion 2 one, the relative
    // motion 1-2 three (one unknown); a motion added later counts as
    // computed but has no coefficients to show.
    for (const Case& c : {Case{"rtf/loesung-results.rtf", Computed, '.', 2, 7 + 1 + 2},
                          Case{"rtf/loesung-results-comma.rtf", Computed, ',', 2, 7 + 1 + 2},
                          Case{"rtf/loesung-no-results.rtf", Uncomputed, '.', 0, 0},
                          Case{nullptr, AddedMotion, '.', 2, 7 + 1 + 2}}) {
        SCOPED_TRACE(c.golden ? c.golden : c.project);
        DecimalSeparator separator(c.separator);
        SampleProject sample(c.project);
        const auto lines = GenerateReport(sample.project(), Day);
        if (c.golden) {
            EXPECT_EQ(joined(lines), golden(c.golden, joined(lines)));
        }
        expectWellFormed(lines);
        EXPECT_EQ(count(lines, "Fourierkoeffizienten"), c.fourier);
        EXPECT_EQ(count(lines, "Extrema:"), c.fourier);
        EXPECT_EQ(count(lines, "Ergebnis:"), c.results);
    }
}

// The cases the golden files hold that matter most, spelled out.
TEST(RtfReport, NamesNumbersAndRequirementLines)
{
    DecimalSeparator separator(',');
    SampleProject sample;
    const auto lines = GenerateReport(sample.project(), Day);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 11), RtfHeaderLines());
    EXPECT_EQ(reportCaption(sample.motion(1)), "Report Lösung.r4p");
    const std::string parReq = R"(\par\pard\plain\li1200\f0\fs24\li600\s0\tqdec\tx2500\tqdec\tx4000\tqc\tx5200)"
                               R"(\tqc\tx5500\tqc\tx5800\tqdec\tx7000\tqdec\tx8500)";
    const std::string le = "\xA3";
    for (const std::string& expected : std::vector<std::string>{
             R"({\header\pard\plain\f1\fs16\qj\b\i\ul\tqr\tx9023 L\'F6sung.r4p\tab 5.12.2026\par})",
             // braces and backslashes of the description stay text
             R"(\s4\qc Variante \{2\} aus C:\\Daten\\Kurven \'96 St\'F6\'DFel)",
             R"(\s4 Hub f\'FCr St\'F6\'DFel)",
             // a point restriction of the acceleration with only a fixed lower bound
             parReq + R"(\tab\tab  0,5\tab {\f2 )" + le + R"(}\tab s'')",
             // the angle found for a shiftable interval lies below zero and
             // stays apart from the tab before it
             parReq + R"(\tab\tab -5,5\tab{\f2 )" + le + R"(}\tab{\f2\b j{\super\up6\charscalex50 *}}\tab{\f2 )" + le +
                 R"(}\tab  160,0)",
             parReq + R"(\tab\tab\tab\tab unbekannter Forderungstyp (7) !)",
         })
        EXPECT_GT(count(lines, expected), 0) << expected;
    // Only the date keeps its points.
    for (std::string line : lines) {
        if (const auto date = line.find("5.12.2026"); date != std::string::npos)
            line.erase(date, 9);
        EXPECT_FALSE(std::regex_search(line, std::regex(R"([0-9]\.[0-9])"))) << line;
    }
}

TEST(RtfText, Escaping)
{
    struct Case {
        const char* utf8;
        const char* rtf;
    };
    for (const Case& c : {Case{"äöüÄÖÜß", R"(\'E4\'F6\'FC\'C4\'D6\'DC\'DF)"},
                          Case{"a{b}c\\d", R"(a\{b\}c\\d)"},
                          Case{"5 € – é", R"(5 \'80 \'96 \'E9)"},
                          Case{"η", "?"},
                          Case{"tab\there", "tab here"},
                          Case{"", ""}}) {
        EXPECT_EQ(escapeRtfText(c.utf8), c.rtf) << c.utf8;
    }
}

TEST(RtfText, NumbersStayApartFromControlWords)
{
    struct Case {
        const char* before;
        const char* number;
        const char* joined;
    };
    for (const Case& c : {Case{R"(\tab\tab)", "-5.5", R"(\tab\tab -5.5)"},
                          Case{R"(\tab\tab)", " 5.5", R"(\tab\tab 5.5)"},
                          Case{R"(\tab )", "-5.5", R"(\tab -5.5)"},
                          Case{R"(\fs24)", "7", R"(\fs24 7)"},
                          Case{R"(\\tab)", "-1", R"(\\tab-1)"},
                          Case{R"(a\\\tab)", "-1", R"(a\\\tab -1)"},
                          Case{"(", "-1", "(-1"},
                          Case{R"(\{)", "2", R"(\{2)"}}) {
        EXPECT_EQ((RtfLine(c.before) << c.number).str(), c.joined) << c.before;
    }
}

} // namespace
} // namespace vemra::test

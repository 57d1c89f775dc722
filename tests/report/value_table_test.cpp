#include "sample_project.h"

#include "report/value_table.h"

#include "model/nodes.h"
#include "model/tree_ops.h"
#include "model/test_vectors.h"

#include "model/file_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <limits>
#include <utility>
#include <regex>

namespace vemra::test {
namespace {

namespace fs = std::filesystem;

struct Motion : TRXHeader {
    Motion(std::initializer_list<double> s, std::initializer_list<double> q = {}, std::initializer_list<double> m = {})
    {
        fill(sSC, s);
        fill(qSC, q);
        fill(mSC, m);
        HasResult = ResultValid = true;
    }
};

ValueTableSettings only(std::initializer_list<TableColumn> columns, int digits = 6, double step = 1)
{
    ValueTableSettings s;
    s.columns.fill(false);
    for (TableColumn c : columns)
        s.column(c) = true;
    s.digits = digits;
    s.step = step;
    return s;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "the last line is not ended by CR LF";
    return lines;
}

// Records the progress reports, does what the user does at the first one
// and cancels at the given one.
class CancelAfter : public TableProgress {
public:
    explicit CancelAfter(int calls, std::function<void()> act = {}) : calls_(calls), act_(std::move(act)) {}
    bool progress(long long written, long long total) override
    {
        reports.emplace_back(written, total);
        if (act_)
            std::exchange(act_, nullptr)();
        return static_cast<int>(reports.size()) < calls_;
    }
    std::vector<std::pair<long long, long long>> reports;

private:
    int calls_;
    std::function<void()> act_;
};

TEST(ValueTable, LinesFieldsAndColumnOrder)
{
    // s = sin x, q = 2, drive torque term 3 cos x.
    const Motion sine({0, 0, 1, 0}, {0, 2, 0, 0}, {0, 0, 0, 3});
    struct Case {
        const char* what;
        const TPaintObj& motion;
        ValueTableSettings settings;
        double phi;
        const char* line;
    };
    const Motion tiny({0, 5e-9});
    const Motion large({0, 12345.6});
    for (const Case& c : {
             Case{"default columns", sine, ValueTableSettings{}, 0, " 0.0\t  0.0\t  1.0\t  0.0"},
             Case{"torque between s''' and q", sine, only({TableColumn::Q0, TableColumn::M, TableColumn::S3}), 0,
                  " 0.0\t -1.0\t  3.0\t  2.0"},
             Case{"all nine", sine, ValueTableSettings{{true, true, true, true, true, true, true, true, true}, 6, 1}, 90,
                  " 90.0\t  1.0\t  0.0\t -1.0\t  0.0\t  0.0\t  2.0\t  0.0\t  0.0\t  0.0"},
             Case{"chopped below 1e-8", tiny, only({TableColumn::S0}), 0, " 0.0\t  0.0"},
             Case{"exponent form beyond the digits", large, only({TableColumn::S0}, 4), 0, " 0.0\t  0.1235E+05"},
             Case{"angle never chopped", large, only({TableColumn::S0}, 4), 1e-9, " 0.1E-08\t  0.1235E+05"},
         }) {
        EXPECT_EQ(ValueTableLine(c.motion, c.phi, c.settings), c.line) << c.what;
    }
}

TEST(ValueTable, LineCountsFollowTheAccumulatedAngle)
{
    EXPECT_EQ(valueTableLineCount(1), 361);
    EXPECT_EQ(valueTableLineCount(90), 5);
    EXPECT_EQ(valueTableLineCount(0.7), 515);
    const long long finest = valueTableLineCount(0.0001);
    EXPECT_GE(finest, 3600000);
    EXPECT_LE(finest, 3600001);

    const Motion sine({0, 0, 1, 0});
    TempDir dir;
    for (double step : {1.0, 90.0, 0.7}) {
        const std::string file = (dir.path() / "t.tab").string();
        ASSERT_EQ(WriteValueTable(sine, only({TableColumn::S0}, 6, step), file).status, TableWriteResult::Status::Written);
        const auto lines = linesOf(dir.read("t.tab"));
        EXPECT_EQ(static_cast<long long>(lines.size()), valueTableLineCount(step));
        const double last = std::stod(lines.back().substr(0, lines.back().find('\t')));
        EXPECT_NEAR(last, step == 0.7 ? 359.8 : 360.0, 1e-6) << step;
        // A blank and a sign follow every tab.
        for (const auto& line : lines)
            EXPECT_TRUE(std::regex_match(line, std::regex(R"([ -][0-9.E+-]+(\t [ -][0-9.E+-]+)*)"))) << line;
    }
}

TEST(ValueTable, FailedOrCancelledWriteKeepsThePreviousFile)
{
    const Motion sine({0, 0, 1, 0});
    TempDir dir;
    const fs::path target = dir.path() / "keep.tab";
    dir.write("keep.tab", "previous\r\n");

    CancelAfter cancel(1);
    const auto cancelled = WriteValueTable(sine, only({TableColumn::S0}, 6, 0.0001), target.string(), &cancel);
    EXPECT_EQ(cancelled.status, TableWriteResult::Status::Cancelled);
    ASSERT_EQ(cancel.reports.size(), 1u);
    EXPECT_EQ(cancel.reports[0].second, valueTableLineCount(0.0001));

    fs::permissions(target, fs::perms::owner_read);
    const auto locked = WriteValueTable(sine, ValueTableSettings{}, target.string());
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(locked.status, TableWriteResult::Status::Failed);
    EXPECT_EQ(locked.message, "Die Datei " + target.string() + " konnte nicht geschrieben werden:\rDie Datei ist schreibgeschützt.");

    const auto missingFolder = WriteValueTable(sine, ValueTableSettings{}, (dir.path() / "no" / "t.tab").string());
    EXPECT_EQ(missingFolder.status, TableWriteResult::Status::Failed);

    EXPECT_EQ(dir.read("keep.tab"), "previous\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1) << "temporary file left";

    CancelAfter never(1000000);
    EXPECT_EQ(WriteValueTable(sine, ValueTableSettings{}, target.string(), &never).status,
              TableWriteResult::Status::Written);
    ASSERT_FALSE(never.reports.empty());
    EXPECT_EQ(never.reports.back(), std::make_pair(361LL, 361LL));
}

TEST(ValueTable, CommandNeedsACurrentResult)
{
    struct Case {
        const char* project;
        int motion;
        const char* message;
    };
    for (const Case& c : {
             Case{Computed, 1, nullptr},
             Case{Uncomputed, 1, "Für Bewegungsvorgabe (abs) 1 liegt kein Berechnungsergebnis vor.\rBitte das Projekt zuerst berechnen."},
             Case{AddedMotion, 3, "Für Bewegungsvorgabe (abs) 3 liegt kein Berechnungsergebnis vor.\rBitte das Projekt zuerst berechnen."},
         }) {
        SampleProject sample(c.project);
        // A restriction stands for its motion.
        TreeItem* item = c.message ? sample.motion(c.motion) : sample.motion(c.motion)->Child(1);
        const std::string file = (sample.dir.path() / "out.tab").string();
        if (!c.message)
            sample.dialogs.chooseFileResult(file);
        EXPECT_EQ(MakeTableCommand(sample.dialogs, item, ValueTableSettings{}), !c.message);
        if (c.message) {
            EXPECT_EQ(sample.dialogs.last().text, c.message);
        } else {
            EXPECT_EQ(linesOf(sample.dir.read("out.tab")).size(), 361u);
            // The dialog starts in the project's folder and keeps its place.
            ASSERT_EQ(sample.dialogs.fileRequests.size(), 1u);
            EXPECT_EQ(sample.dialogs.fileRequests[0].initialDirectory, folderPart(sample.fileName()));
            EXPECT_EQ(sample.dialogs.fileRequests[0].placeKey, "Table");
        }
        EXPECT_EQ(sample.dir.exists("out.tab"), !c.message);
    }

    SampleProject outdated;
    outdated.motion(1)->NodeAs<TPaintObj>()->ResultValid = false;
    EXPECT_FALSE(MakeTableCommand(outdated.dialogs, outdated.motion(1), ValueTableSettings{}));
    EXPECT_EQ(outdated.dialogs.last().text,
              "Das Berechnungsergebnis von Bewegungsvorgabe (abs) 1 ist nicht mehr aktuell.\rBitte das Projekt neu berechnen.");
}

// While a long table is written the user can still act: the progress
// dialog lets events through. A motion recomputed or deleted meanwhile must
// leave the table as it was when the writing began.
TEST(ValueTable, TableWrittenWhileTheMotionChangesOrVanishes)
{
    const ValueTableSettings settings = only({TableColumn::S0, TableColumn::M, TableColumn::Q2}, 8, 0.01);
    for (const bool deleted : {false, true}) {
        SCOPED_TRACE(deleted ? "deleted" : "recomputed");
        SampleProject sample;
        TreeItem* motion = sample.motion(1);
        const std::string before = (sample.dir.path() / "before.tab").string();
        ASSERT_EQ(WriteValueTable(*motion->NodeAs<TPaintObj>(), settings, before).status,
                  TableWriteResult::Status::Written);
        CancelAfter meddler(std::numeric_limits<int>::max(), [&] {
            if (deleted) {
                DeleteNode(sample.ws, motion);
                return;
            }
            auto* node = motion->NodeAs<TPaintObj>();
            for (TVector* v : {&node->sSC, &node->qSC, &node->mSC})
                for (int32_t i = 0; i < v->Count(); ++i)
                    (*v)[i] *= 2;
        });
        sample.dialogs.chooseFileResult((sample.dir.path() / "out.tab").string());
        ASSERT_TRUE(MakeTableCommand(sample.dialogs, motion, settings, &meddler));
        EXPECT_TRUE(sample.dir.read("out.tab") == sample.dir.read("before.tab"));
    }
}

TEST(ValueTable, ColumnNames)
{
    using Columns = std::array<bool, TableColumnCount>;
    EXPECT_EQ(parseTableColumns("s,s1,s2,s3,M,q,q1,q2,q3"), Columns({true, true, true, true, true, true, true, true, true}));
    EXPECT_EQ(parseTableColumns("q3,M"), Columns({false, false, false, false, true, false, false, false, true}));
    for (const char* bad : {"", "s,", "x", "s,,q", "m"})
        EXPECT_FALSE(parseTableColumns(bad)) << bad;
}

} // namespace
} // namespace vemra::test

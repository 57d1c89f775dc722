// The dense simplex's copy of a programme, kept up with appended and deleted rows: after any
// sequence of changes it must hold exactly the rows a fresh copy would, and the classes of
// parallel columns it carries over must be those a fresh search finds.
#include "module/dense_mirror.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace vemra::module {
namespace {

constexpr int kColumns = 7;

// Columns 0..5 are three split coefficients (1 = -0, 3 = -2, 5 = -4); column 6 has no entries
// until a row gives it one. Some rows break a pair, as a row on one half of a coefficient would.
std::vector<double> randomRow(std::mt19937& random, int kind)
{
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::vector<double> row(kColumns, 0.0);
    for (int j = 0; j < 6; j += 2) {
        row[j] = unit(random);
        row[j + 1] = -row[j];
    }
    if (kind == 1)
        row[3] = unit(random);
    if (kind == 2)
        row[6] = unit(random);
    return row;
}

TEST(DenseMirror, AppendedAndDeletedRowsLeaveWhatAFreshCopyHolds)
{
    std::mt19937 random(11);
    DenseMirror mirror(kColumns);
    std::vector<std::vector<double>> reference;
    const auto append = [&](const std::vector<std::vector<double>>& rows) {
        std::vector<int> starts{0}, columns;
        std::vector<double> values;
        for (const auto& row : rows) {
            for (int j = 0; j < kColumns; ++j)
                if (row[j] != 0.0) {
                    columns.push_back(j);
                    values.push_back(row[j]);
                }
            starts.push_back(static_cast<int>(columns.size()));
        }
        mirror.appendRows(static_cast<int>(rows.size()), starts.data(), columns.data(), values.data());
    };

    // Rows that arrive before the first dense run are not kept; keep takes the whole matrix.
    append({randomRow(random, 0)});
    EXPECT_FALSE(mirror.kept());
    mirror.keep(0, {});
    for (int change = 0; change < 60; ++change) {
        SCOPED_TRACE("change " + std::to_string(change));
        if (change % 4 == 3 && reference.size() > 2) {
            std::vector<int> gone{0, static_cast<int>(reference.size()) / 2};
            // An inverse left by a run holds on to its rows, renumbered, unless one of them goes.
            const int last = static_cast<int>(reference.size()) - 1;
            const bool losesARow = change % 8 == 7;
            CarriedInverse& carried = mirror.carriedInverse();
            carried.items = {2, kColumns + last, kColumns + (losesARow ? gone[1] : gone[1] + 1), 5};
            carried.matrix = std::make_unique<double[]>(carried.items.size() * carried.items.size());
            mirror.deleteRows(gone);
            if (losesARow)
                EXPECT_TRUE(mirror.carriedInverse().empty());
            else
                EXPECT_EQ(mirror.carriedInverse().items,
                          (std::vector<int>{2, kColumns + last - 2, kColumns + gone[1] - 1, 5}));
            reference.erase(reference.begin() + gone[1]);
            reference.erase(reference.begin());
        } else {
            // Mostly rows that keep every pair; now and then one that breaks a pair or gives
            // the empty column an entry.
            const int kind = change % 11 == 5 ? 1 : (change % 13 == 8 ? 2 : 0);
            std::vector<std::vector<double>> rows{randomRow(random, kind), randomRow(random, 0)};
            append(rows);
            reference.insert(reference.end(), rows.begin(), rows.end());
        }
        DenseProgramme fresh;
        fresh.rows = static_cast<int>(reference.size());
        fresh.columns = kColumns;
        for (const auto& row : reference)
            fresh.matrix.insert(fresh.matrix.end(), row.begin(), row.end());
        const std::vector<double> rowBounds(reference.size(), 1.0), columnBounds(kColumns, 1.0);
        const DenseProgramme& kept = mirror.programme(rowBounds.data(), rowBounds.data(), columnBounds.data(),
                                                      columnBounds.data(), columnBounds.data());
        ASSERT_EQ(kept.rows, fresh.rows);
        ASSERT_EQ(kept.matrix, fresh.matrix);
        const ParallelColumns expected = parallelColumnsOf(fresh);
        const ParallelColumns& carried = mirror.parallelColumns();
        EXPECT_EQ(carried.next, expected.next);
        EXPECT_EQ(carried.sign, expected.sign);
    }

    mirror.drop();
    EXPECT_FALSE(mirror.kept());
}

} // namespace
} // namespace vemra::module

// Retiring cuts that no longer matter. Every exchange round adds rows, and the rows of these
// programmes are dense (every harmonic of a motion appears in each), so a simplex iteration
// costs in proportion to the number of rows: a double dwell at K = 40 grew to about 2,000 rows
// of which fewer than a hundred bind. Rows whose slack stayed basic in every programme for a
// few rounds are taken out again; the check between the angles brings any of them back the
// moment the solution breaks its bound there.
#include "module/exchange_solver.h"

#include <algorithm>
#include <limits>

namespace vemra::module {
namespace {

// Rounds in a row a cut has to stay untouched before it is retired: a cut that the last
// round's solution merely happened not to touch is often touched again in the next.
constexpr int kIdleRoundsToRetire = 2;
// Below this many rows per column a programme is cheap enough as it is, and retiring would
// only risk rounds that bring rows back.
constexpr int kRowsPerColumnWorthRetiring = 2;

} // namespace

void ExchangeSolver::retireIdleCuts(double progress)
{
    auto idle = [&](int row) { return smooth_->isRowBasic(row) && (!largest_ || largest_->isRowBasic(row)); };
    std::vector<int> retiring;
    for (const RowGroup& group : groups_) {
        if (group.cut < 0)
            continue;
        Cut& cut = cuts_[static_cast<std::size_t>(group.cut)];
        bool untouched = true;
        for (int r = 0; r < group.rowCount; ++r)
            untouched = untouched && idle(group.firstRow + r);
        cut.idleRounds = untouched ? cut.idleRounds + 1 : 0;
        if (cut.idleRounds >= kIdleRoundsToRetire && cut.lowerMargin == 0.0 && cut.upperMargin == 0.0)
            retiring.push_back(group.cut);
    }
    // Only where the programmes have moved on since the last retirement (the λ reached has come
    // down): rows taken out can never bring back a state seen before, so the rounds cannot go
    // in circles.
    if (retiring.empty() || smooth_->rowCount() < kRowsPerColumnWorthRetiring * columnCount_
        || !(progress > retiredAt_))
        return;
    retiredAt_ = progress;

    for (int index : retiring)
        cuts_[static_cast<std::size_t>(index)].retired = true;
    std::vector<int> rows;
    for (const RowGroup& group : groups_)
        if (group.cut >= 0 && cuts_[static_cast<std::size_t>(group.cut)].retired)
            for (int r = 0; r < group.rowCount; ++r)
                rows.push_back(group.firstRow + r);
    std::sort(rows.begin(), rows.end());
    stats_.retiredRows += static_cast<long>(rows.size());
    smooth_->deleteRows(rows);
    if (largest_)
        largest_->deleteRows(rows);

    // Every remaining row moves up by the number of rows deleted before it.
    auto renumber = [&](int row) {
        if (row < 0)
            return row;
        return row - static_cast<int>(std::lower_bound(rows.begin(), rows.end(), row) - rows.begin());
    };
    std::erase_if(groups_, [&](const RowGroup& g) { return g.cut >= 0 && cuts_[static_cast<std::size_t>(g.cut)].retired; });
    for (RowGroup& g : groups_)
        g.firstRow = renumber(g.firstRow);
    for (Cut& cut : cuts_) {
        if (cut.retired) {
            cut.lowerRow = cut.upperRow = -1;
            continue;
        }
        cut.lowerRow = renumber(cut.lowerRow);
        cut.upperRow = renumber(cut.upperRow);
    }
    for (int& row : spectrumRow_)
        row = renumber(row);
    for (std::vector<int>& indices : cutsOfRequirement_)
        std::erase_if(indices, [&](int index) { return cuts_[static_cast<std::size_t>(index)].retired; });
}

} // namespace vemra::module

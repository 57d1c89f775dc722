#include "module/lambda_search.h"

#include "module/level_bisection.h"
#include "module/spare_core.h"
#include "module/work_ahead.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vemra::module {
namespace {

constexpr double kLambdaTie = 1e-6;

constexpr double kSmoothnessTie = 1e-7;

bool smoother(double candidate, double incumbent)
{
    // The programmes settle a smoothness sum to about their tolerance of 1e-7, relative;
    // closer sums are equally smooth, and round-off must not decide between them.
    return candidate < incumbent - kSmoothnessTie * std::max(1.0, incumbent);
}

// A smoothness sum from which on a candidate's rounds at a fixed λ may stop: it cannot end
// smoother than the incumbent. A round's sum bounds the final one from below only to the
// programmes' tolerance, so this lies a tenth of the tie above where smoother() says no.
double noSmootherFrom(double incumbent)
{
    return incumbent - 0.9 * kSmoothnessTie * std::max(1.0, incumbent);
}

const WarmStart* startOf(const Evaluation* e) { return e ? e->start.get() : nullptr; }

Evaluation fromExchange(ExchangeResult r)
{
    Evaluation e;
    if (!r.feasible) {
        e.proofRows = std::move(r.proofRows);
        e.failedFromWarmStart = r.failedFromWarmStart;
        return e;
    }
    e.feasible = true;
    e.lambda = r.lambda;
    e.lambdaUsed = r.lambdaUsed;
    e.coefficients = std::move(r.coefficients);
    e.smoothness = r.smoothness;
    e.start = std::move(r.warmStart);
    e.fulfilmentRows = std::move(r.fulfilmentRows);
    return e;
}

// The cuts of a start at the same places in this set's requirements (spectrum rows aside).
std::vector<ExtraAngle> anglesOf(const WarmStart& rows, const RequirementSet& set)
{
    std::vector<ExtraAngle> angles;
    for (const WarmStart::RowGroup& g : rows.groups) {
        if (g.requirement < 0 || static_cast<std::size_t>(g.requirement) >= set.requirements.size())
            continue;
        const Requirement& q = set.requirements[static_cast<std::size_t>(g.requirement)];
        if (q.shape != RequirementShape::Spectrum)
            angles.emplace_back(g.requirement, q.phiFrom + g.position * (q.phiTo - q.phiFrom));
    }
    return angles;
}

} // namespace

bool isBetter(const Evaluation& candidate, const Evaluation& incumbent)
{
    if (!candidate.feasible)
        return false;
    if (!incumbent.feasible)
        return true;
    if (candidate.lambda > incumbent.comparedLambda() + kLambdaTie)
        return true;
    if (candidate.lambda < incumbent.comparedLambda() - kLambdaTie)
        return false;
    return smoother(candidate.smoothness, incumbent.smoothness);
}

LambdaSearch::LambdaSearch(const ProblemModel& model, SolveStats& stats, ExchangeSettings settings, int threads)
    : model_(model), stats_(stats), settings_(settings), threads_(std::max(1, threads))
{
}

void LambdaSearch::addStats(const SolveStats& other) const { stats_ += other; }

Evaluation LambdaSearch::smoothAt(double lambda, const Shifts& shifts, const std::vector<ExtraAngle>& extraAngles,
                                  const WarmStart* start, FixedSolve how) const
{
    if (model_.resonantAt(lambda))
        return {};
    const RequirementSet set = model_.requirementsAt(lambda, shifts);
    ExchangeSettings settings = settings_;
    settings.method = how.method;
    settings.confirmInfeasibility = how.confirmInfeasibility;
    std::vector<ExtraAngle> angles = extraAngles;
    if (how.proofRowsOf) {
        const std::vector<ExtraAngle> proof = anglesOf(*how.proofRowsOf, set);
        angles.insert(angles.end(), proof.begin(), proof.end());
    }
    Evaluation e = fromExchange(ExchangeSolver(set, stats_, settings).solveAt(lambda, angles, start, how.giveUpAt));
    e.lambda = e.lambdaUsed = lambda;
    return e;
}

Evaluation LambdaSearch::smoothAtLevel(long level, const Shifts& shifts, const Evaluation* neighbour,
                                       FixedSolve how) const
{
    return smoothAt(static_cast<double>(level) / kGrid, shifts, {}, startOf(neighbour), how);
}

Evaluation LambdaSearch::largestLambda(const Shifts& shifts, const WarmStart* start) const
{
    // One programme climbs to λ* here, and nothing else runs beside it: the other cores are
    // spare. (Shift candidates count in one thread each and get none.)
    const SpareCoreScope spare(threads_ > 1);
    const RequirementSet set = model_.requirementsLinearInLambda(shifts);
    return fromExchange(ExchangeSolver(set, stats_, settings_).solveLargestLambda(start));
}

Evaluation LambdaSearch::bisect(long feasibleLevel, long infeasibleLevel, Evaluation atFeasible,
                                const Shifts& shifts, std::shared_ptr<const WarmStart> proofAbove, bool holdProof) const
{
    // Levels that hold the rows of the level above them need its answer first: only the others
    // can be solved ahead.
    if (threads_ > 1 && !holdProof) {
        // The retry of a level from the initial angles is the bisection's to run, ahead where a
        // core is idle.
        ExchangeSettings settings = settings_;
        settings.retryFromInitialAngles = false;
        const LevelBisection ahead(
            [this, &shifts, settings](long level, const WarmStart* start, SolveStats& stats) {
                return LambdaSearch(model_, stats, settings).smoothAt(static_cast<double>(level) / kGrid, shifts, {}, start);
            },
            threads_);
        LevelBisection::Outcome outcome =
            ahead.run(feasibleLevel, infeasibleLevel, std::move(atFeasible), std::move(proofAbove));
        addStats(outcome.stats);
        return std::move(outcome.atFeasible);
    }
    while (infeasibleLevel - feasibleLevel > 1) {
        const long middle = feasibleLevel + (infeasibleLevel - feasibleLevel) / 2;
        Evaluation e =
            smoothAtLevel(middle, shifts, &atFeasible, {.proofRowsOf = holdProof ? proofAbove.get() : nullptr});
        if (e.feasible) {
            feasibleLevel = middle;
            atFeasible = std::move(e);
        } else {
            infeasibleLevel = middle;
            proofAbove = std::move(e.proofRows);
        }
    }
    atFeasible.proofRows = std::move(proofAbove);
    return atFeasible;
}

Evaluation LambdaSearch::evaluate(const Shifts& shifts, const Evaluation* neighbour) const
{
    switch (model_.lambdaMode()) {
    case LambdaMode::None: return smoothAt(1.0, shifts, {}, startOf(neighbour));
    case LambdaMode::LinearBounds: return largestLambda(shifts, startOf(neighbour));
    case LambdaMode::Bisection: break;
    }
    // Both ends at once where there are cores to spare: neither depends on the other. The
    // bottom's work only counts where it is needed.
    SolveStats bottomStats;
    std::unique_ptr<WorkAhead<Evaluation>> bottomTask;
    if (threads_ > 1)
        bottomTask = std::make_unique<WorkAhead<Evaluation>>(
            [this, &shifts, &bottomStats, start = neighbour ? neighbour->start : nullptr] {
                return countingIn(bottomStats).smoothAt(0.0, shifts, {}, start.get());
            });
    Evaluation top = smoothAtLevel(kGrid, shifts, neighbour);
    if (top.feasible)
        return top;
    Evaluation bottom = bottomTask ? bottomTask->take() : smoothAtLevel(0, shifts, neighbour);
    addStats(bottomStats);
    if (!bottom.feasible)
        return bottom;
    return bisect(0, kGrid, std::move(bottom), shifts, std::move(top.proofRows));
}

std::optional<Evaluation> LambdaSearch::improveOn(const Shifts& shifts, const Evaluation& incumbent) const
{
    if (incumbent.feasible && model_.lambdaMode() == LambdaMode::LinearBounds)
        return improveOnLinearBounds(shifts, incumbent);
    if (incumbent.feasible && model_.lambdaMode() == LambdaMode::Bisection)
        return improveOnBisection(shifts, incumbent);
    if (incumbent.feasible && model_.lambdaMode() == LambdaMode::None) {
        // Nothing varies with λ: only a smoother solution wins.
        Evaluation e = smoothAt(1.0, shifts, {}, incumbent.start.get(),
                                {.giveUpAt = noSmootherFrom(incumbent.smoothness), .confirmInfeasibility = false});
        if (isBetter(e, incumbent))
            return e;
        return std::nullopt;
    }
    Evaluation e = evaluate(shifts, &incumbent);
    if (isBetter(e, incumbent))
        return e;
    return std::nullopt;
}

std::optional<Evaluation> LambdaSearch::improveOnLinearBounds(const Shifts& shifts, const Evaluation& incumbent) const
{
    // Feasibility shrinks and the least smoothness sum grows as λ grows. So a candidate that
    // cannot meet the requirements where the incumbent's coefficients do, or meets them there
    // no more smoothly and cannot go beyond the incumbent's λ*, is not better: a smoothness
    // solve from the incumbent's rows and basis, and a few rounds of the λ programme over the
    // same angles, settle most candidates.
    const RequirementSet set = model_.requirementsLinearInLambda(shifts);
    // The λ programme finds λ* without a bisection, so here any "infeasible" only rules the
    // candidate out (see FixedSolve).
    ExchangeSettings settings = settings_;
    settings.confirmInfeasibility = false;
    ExchangeSolver solver(set, stats_, settings);
    // Where the incumbent meets every maximum requirement, a candidate that cannot be smoother
    // is out, and its solve may stop as soon as that shows. Below that, the λ programme goes on
    // from the rows this solve found, and a solve cut short would start it elsewhere: on
    // projects whose coefficients are huge that changed which shifts won.
    const double giveUpAt = incumbent.lambda >= 1.0 ? noSmootherFrom(incumbent.smoothness)
                                                    : std::numeric_limits<double>::infinity();
    ExchangeResult screen = solver.solveAt(incumbent.lambdaUsed, {}, incumbent.start.get(), giveUpAt);
    if (!screen.feasible && !screen.gaveUp)
        return std::nullopt;
    const bool smootherThere = screen.feasible && smoother(screen.smoothness, incumbent.smoothness);
    if (!smootherThere && incumbent.lambda >= 1.0)
        return std::nullopt;
    // λ cannot go beyond 1: a candidate that meets every requirement at 1 more smoothly has
    // λ* = 1 and the screening's coefficients are its smoothest there. The λ programme would
    // only climb to where it already is.
    if (smootherThere && screen.lambda >= 1.0)
        return fromExchange(std::move(screen));
    // From the screening's angles on to the candidate's λ*; unless it is smoother where the
    // incumbent's coefficients are, it has to get above the incumbent's λ* by more than the tie.
    std::optional<ExchangeResult> full =
        solver.largestLambdaAbove(smootherThere ? -1.0 : incumbent.comparedLambda() + kLambdaTie);
    if (!full)
        return std::nullopt;
    Evaluation e = fromExchange(std::move(*full));
    if (isBetter(e, incumbent))
        return e;
    return std::nullopt;
}

std::optional<Evaluation> LambdaSearch::improveOnBisection(const Shifts& shifts, const Evaluation& incumbent) const
{
    auto ifBetter = [&](Evaluation e) -> std::optional<Evaluation> {
        if (isBetter(e, incumbent))
            return e;
        return std::nullopt;
    };
    // Bisection levels are multiples of 2^-24, so λ* either equals the incumbent's or differs
    // by whole levels. Feasibility shrinks as λ grows, so two solves settle most candidates.
    const long level = std::lround(incumbent.lambda * kGrid);
    const long compared = std::lround(incumbent.comparedLambda() * kGrid);
    // Where λ* cannot grow any more, only a smoother solution wins, and the solve there may
    // give up as soon as it cannot be one.
    const FixedSolve smootherOrNothing{.giveUpAt = noSmootherFrom(incumbent.smoothness), .confirmInfeasibility = false};
    if (compared == kGrid)
        return ifBetter(smoothAtLevel(level, shifts, &incumbent, smootherOrNothing));
    // Below that, first whether the candidate gets above the incumbent's λ* at all. λ* counts
    // as larger only from 1e-6 up; a level or two up, infeasibility would be as small as the
    // simplex's tolerance and costly to prove either way. Most candidates fail there: a proof
    // of infeasibility, not a solution, which the primal simplex finds faster. Where what
    // keeps the incumbent from going higher is untouched by this candidate's shifts, the rows
    // that proved it rule the candidate out as well, in one programme.
    const long up = std::min(kGrid, compared + kComparableLevels);
    Evaluation above = smoothAtLevel(up, shifts, &incumbent,
                                     {.method = SimplexMethod::Primal, .proofRowsOf = incumbent.proofRows.get()});
    if (!above.feasible) {
        // Then only a smoother solution at the incumbent's λ* wins, as above.
        Evaluation atIncumbent = smoothAtLevel(level, shifts, &incumbent, smootherOrNothing);
        atIncumbent.proofRows = std::move(above.proofRows);
        return ifBetter(std::move(atIncumbent));
    }
    if (up == kGrid)
        return above;
    Evaluation top = smoothAtLevel(kGrid, shifts, &above);
    if (top.feasible)
        return top;
    // A shift that gets above the incumbent's λ* is bisected from there. Holding the rows of
    // the nearest level proved unreachable saved a fifth of the slowest ten-motion instance and
    // moved no λ*; in the first search's bisection the same made the badly scaled three-motion
    // file 15 times slower (rows proving a higher level sent its rounds elsewhere), so it is
    // left to this one.
    return bisect(up, kGrid, std::move(above), shifts, std::move(top.proofRows), true);
}

} // namespace vemra::module

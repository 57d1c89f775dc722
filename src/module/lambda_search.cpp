#include "module/lambda_search.h"

#include <algorithm>
#include <cmath>

namespace vemra::module {
namespace {

constexpr double kLambdaTie = 1e-9;

bool smoother(const Evaluation& candidate, const Evaluation& incumbent)
{
    // A relative guard keeps round-off from deciding between equally smooth solutions.
    return candidate.smoothness < incumbent.smoothness - 1e-12 * std::max(1.0, incumbent.smoothness);
}

const WarmStart* smoothStartOf(const Evaluation* e) { return e ? e->smoothStart.get() : nullptr; }

} // namespace

bool isBetter(const Evaluation& candidate, const Evaluation& incumbent)
{
    if (!candidate.feasible)
        return false;
    if (!incumbent.feasible)
        return true;
    if (candidate.lambda > incumbent.lambda + kLambdaTie)
        return true;
    if (candidate.lambda < incumbent.lambda - kLambdaTie)
        return false;
    return smoother(candidate, incumbent);
}

LambdaSearch::LambdaSearch(const ProblemModel& model, SolveStats& stats, ExchangeSettings settings)
    : model_(model), stats_(stats), settings_(settings)
{
}

Evaluation LambdaSearch::smoothAt(double lambda, const Shifts& shifts, const std::vector<ExtraAngle>& extraAngles,
                                  const WarmStart* start, SimplexMethod method) const
{
    Evaluation e;
    if (model_.resonantAt(lambda))
        return e;
    const RequirementSet set = model_.requirementsAt(lambda, shifts);
    ExchangeSettings settings = settings_;
    settings.method = method;
    ExchangeResult r = ExchangeSolver(set, stats_, settings).solve(LpObjective::Smoothness, extraAngles, start);
    if (!r.feasible)
        return e;
    e.feasible = true;
    e.lambda = lambda;
    e.lambdaUsed = lambda;
    e.coefficients = std::move(r.coefficients);
    e.smoothness = r.smoothness;
    e.smoothStart = std::move(r.warmStart);
    return e;
}

Evaluation LambdaSearch::smoothAtLevel(long level, const Shifts& shifts, const Evaluation* neighbour,
                                       SimplexMethod method) const
{
    return smoothAt(static_cast<double>(level) / kGrid, shifts, {}, smoothStartOf(neighbour), method);
}

Evaluation LambdaSearch::maximiseLambda(const Shifts& shifts, const Evaluation* neighbour) const
{
    const RequirementSet set = model_.requirementsLinearInLambda(shifts);
    ExchangeResult best = ExchangeSolver(set, stats_, settings_)
                              .solve(LpObjective::MaximiseLambda, {}, neighbour ? neighbour->lambdaStart.get() : nullptr);
    if (!best.feasible)
        return {};
    double lambda = best.lambda >= 1.0 - kLambdaTie ? 1.0 : best.lambda;
    // The smoothness programme runs at λ*; backing off a little only guards against round-off.
    for (double backOff : {0.0, 1e-9, 1e-8, 1e-7}) {
        Evaluation e = smoothAt(std::max(0.0, lambda - backOff), shifts, best.bindingAngles, smoothStartOf(neighbour));
        if (e.feasible) {
            e.lambda = lambda;
            e.lambdaStart = best.warmStart;
            return e;
        }
    }
    Evaluation e;
    e.feasible = true;
    e.lambda = lambda;
    e.lambdaUsed = best.lambda;
    e.coefficients = std::move(best.coefficients);
    e.smoothness = smoothnessSum(e.coefficients);
    e.lambdaStart = best.warmStart;
    return e;
}

Evaluation LambdaSearch::bisect(long feasibleLevel, long infeasibleLevel, Evaluation atFeasible,
                                const Shifts& shifts) const
{
    while (infeasibleLevel - feasibleLevel > 1) {
        const long middle = feasibleLevel + (infeasibleLevel - feasibleLevel) / 2;
        Evaluation e = smoothAtLevel(middle, shifts, &atFeasible);
        if (e.feasible) {
            feasibleLevel = middle;
            atFeasible = std::move(e);
        } else {
            infeasibleLevel = middle;
        }
    }
    return atFeasible;
}

Evaluation LambdaSearch::evaluate(const Shifts& shifts, const Evaluation* neighbour) const
{
    switch (model_.lambdaMode()) {
    case LambdaMode::None: return smoothAt(1.0, shifts, {}, smoothStartOf(neighbour));
    case LambdaMode::LinearBounds: return maximiseLambda(shifts, neighbour);
    case LambdaMode::Bisection: break;
    }
    Evaluation top = smoothAtLevel(kGrid, shifts, neighbour);
    if (top.feasible)
        return top;
    Evaluation bottom = smoothAtLevel(0, shifts, neighbour);
    if (!bottom.feasible)
        return bottom;
    return bisect(0, kGrid, std::move(bottom), shifts);
}

std::optional<Evaluation> LambdaSearch::improveOn(const Shifts& shifts, const Evaluation& incumbent) const
{
    auto ifBetter = [&](Evaluation e) -> std::optional<Evaluation> {
        if (isBetter(e, incumbent))
            return e;
        return std::nullopt;
    };
    if (!incumbent.feasible || model_.lambdaMode() != LambdaMode::Bisection)
        return ifBetter(evaluate(shifts, &incumbent));

    // Bisection levels are multiples of 2^-20, so λ* either equals the incumbent's or differs
    // by a whole level. Feasibility shrinks as λ grows, so two solves settle most candidates.
    const long level = std::lround(incumbent.lambda * kGrid);
    Evaluation atIncumbent = smoothAtLevel(level, shifts, &incumbent);
    if (!atIncumbent.feasible)
        return std::nullopt;
    if (level == kGrid)
        return ifBetter(std::move(atIncumbent));
    // Most candidates fail one level up, by a hair: a proof of infeasibility, not a solution.
    Evaluation above = smoothAtLevel(level + 1, shifts, &atIncumbent, SimplexMethod::Primal);
    if (!above.feasible)
        return ifBetter(std::move(atIncumbent));
    if (level + 1 == kGrid)
        return above;
    Evaluation top = smoothAtLevel(kGrid, shifts, &above);
    if (top.feasible)
        return top;
    return bisect(level + 1, kGrid, std::move(above), shifts);
}

} // namespace vemra::module

#include "module/synthesis.h"

#include "module/input_validator.h"
#include "module/lambda_search.h"
#include "module/problem_model.h"
#include "protocol/result_codes.h"
#include "module/shift_search.h"
#include "module/solution_verifier.h"
#include "module/stop_request.h"

#include <optional>
#include <sstream>
#include <thread>

namespace vemra::module {
namespace {

// The exchange method normally leaves nothing for the final check to find; if it does, the
// violated angles go back into the programme a few times.
constexpr int kRepairAttempts = 3;
// Where that does not help either, λ goes down from λ*, by this much first.
constexpr double kFirstLowering = 1e-6;

std::string describeViolation(const ProblemModel& model, const RequirementSet& set, const Violation& v)
{
    std::ostringstream out;
    const Requirement& q = set.requirements[static_cast<std::size_t>(v.requirement)];
    const Restriction& r = model.problem().restrictions[static_cast<std::size_t>(q.restriction)];
    out << "die Restriktion in Datensatz " << r.recordNumber << " wird um " << v.excess << " verfehlt";
    if (q.shape != RequirementShape::Spectrum)
        out << ", bei " << v.angle << " Grad";
    return out.str();
}

void fillResults(const ProblemModel& model, const SearchOutcome& outcome, SynthesisResult& result)
{
    const Evaluation& best = outcome.best;
    result.lambda = best.lambda;
    result.lambdaUsed = best.lambdaUsed;
    result.shifts = outcome.shifts;
    for (std::size_t m = 0; m < model.problem().motions.size(); ++m) {
        const Motion& motion = model.problem().motions[m];
        result.motions.push_back({motion.number, model.etaAt(motion, best.lambdaUsed), best.coefficients[m]});
    }
    for (const Restriction& r : model.problem().restrictions)
        result.restrictions.push_back({r.record.ints, model.effectiveReals(r, best.lambdaUsed, outcome.shifts)});
}

// Checks the search's best solution once more on the fine grid and mends what it can; returns
// what is still violated. Violated angles go back into the programme at the same λ a few
// times. Where no solution there passes the check, the rounds' check and the final one
// disagree at λ* (as where only huge, nearly cancelling coefficients reach it); every
// variable bound is looser below, so λ goes down by a step that doubles until a solution
// passes, and back up by halving to within the first step of the λ that failed. That λ is
// then the λ* reported: the largest one a checked solution is known for.
std::vector<Violation> verifyOrLower(const ProblemModel& model, const LambdaSearch& lambdaSearch,
                                     SearchOutcome& outcome)
{
    const SolutionVerifier verifier(model);
    std::vector<ExtraAngle> extraAngles;
    auto violations = verifier.check(outcome.best, outcome.shifts);
    for (int attempt = 0; attempt < kRepairAttempts && !violations.empty(); ++attempt) {
        for (const Violation& v : violations)
            extraAngles.emplace_back(v.requirement, v.angle);
        Evaluation repaired = lambdaSearch.smoothAt(outcome.best.lambdaUsed, outcome.shifts, extraAngles);
        if (!repaired.feasible)
            break;
        // The repair meets the requirements between the angles at the same λ*; what holds
        // λ* there is still what the search's λ programme said.
        repaired.lambda = outcome.best.lambda;
        repaired.fulfilmentRows = outcome.best.fulfilmentRows;
        outcome.best = std::move(repaired);
        violations = verifier.check(outcome.best, outcome.shifts);
    }
    if (violations.empty() || model.lambdaMode() == LambdaMode::None)
        return violations;
    auto passingAt = [&](double lambda) -> std::optional<Evaluation> {
        Evaluation e = lambdaSearch.smoothAt(lambda, outcome.shifts, extraAngles);
        if (e.feasible && verifier.check(e, outcome.shifts).empty())
            return e;
        return std::nullopt;
    };
    double failing = outcome.best.lambdaUsed;
    std::optional<Evaluation> passing;
    for (double step = kFirstLowering; !passing; step *= 2.0) {
        const double lambda = std::max(0.0, failing - step);
        passing = passingAt(lambda);
        if (!passing && lambda == 0.0)
            return violations;
        if (!passing)
            failing = lambda;
    }
    while (failing - passing->lambda > kFirstLowering) {
        const double middle = 0.5 * (failing + passing->lambda);
        if (std::optional<Evaluation> e = passingAt(middle))
            passing = std::move(e);
        else
            failing = middle;
    }
    outcome.best = std::move(*passing);
    return {};
}

} // namespace

SynthesisResult synthesise(const ReadResult& input, const SynthesisOptions& options)
{
    SynthesisResult result;
    if (input.error) {
        result.code = ResultCodes::InputError;
        result.message = input.error->text();
        return result;
    }
    ValidationResult validation = validateRecords(input.records);
    if (validation.code != 0) {
        result.code = validation.code;
        result.message = validation.message;
        return result;
    }

    const ProblemModel model(std::move(validation.problem));
    try {
        const int threads = options.threads > 0 ? options.threads
                                                : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
        const LambdaSearch lambdaSearch(model, result.stats, options.exchange, threads);
        const ShiftSearch shiftSearch(model, lambdaSearch, options.progress, threads);
        SearchOutcome outcome = shiftSearch.run();
        if (!outcome.best.feasible) {
            // Before the project is found unsolvable, the search at these shifts once more with
            // margins that may not close what the rows leave (see ExchangeSettings).
            ExchangeSettings releasing = options.exchange;
            releasing.releaseMargins = true;
            outcome.best = LambdaSearch(model, result.stats, releasing, threads).evaluate(outcome.shifts);
        }
        if (!outcome.best.feasible) {
            result.code = ResultCodes::MinimumNotMet;
            result.message = "Minimalforderungen sind nicht erfüllbar.";
            if (options.explain)
                result.explanation = explainConflict(model, outcome.shifts, result.stats, options.exchange);
            return result;
        }

        const std::vector<Violation> violations = verifyOrLower(model, lambdaSearch, outcome);
        if (!violations.empty()) {
            const RequirementSet set = model.requirementsAt(outcome.best.lambdaUsed, outcome.shifts);
            result.code = ResultCodes::MinimumNotMet;
            result.message = "Minimalforderungen sind nicht erfüllbar: keine Lösung besteht die Schlussprüfung, " + describeViolation(model, set, violations.front());
            return result;
        }

        result.code = (model.hasVariableItem() && outcome.best.lambda >= 1.0) ? ResultCodes::MaximumMet
                                                                              : ResultCodes::Solved;
        fillResults(model, outcome, result);
        if (options.explain)
            result.explanation = explainSolution(model, outcome, result.code, result.stats, options.exchange);
    } catch (const StopRequested&) {
        const SolveStats stats = result.stats;
        result = SynthesisResult::failed(ResultCodes::Aborted, "Berechnung wurde abgebrochen.");
        result.stats = stats;
    }
    return result;
}

SynthesisResult synthesiseText(std::string_view inputText, const SynthesisOptions& options)
{
    return synthesise(readRecords(inputText), options);
}

} // namespace vemra::module

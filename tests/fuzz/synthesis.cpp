// The synthesis module from its input to its result, on projects small enough to run many
// of. Every run must end with one of the module's own codes, and where it reports a
// solution, the values it hands out must be finite and the coefficients must pass the final
// check at the λ and shifts it reports: a solution that misses its requirements is a failure
// reported as success. The explanation the module writes must read in the application.
#include "fuzz_input.h"

#include "compute/explanation_file.h"

#include "module/explanation_writer.h"
#include "module/input_validator.h"
#include "module/problem_model.h"
#include "module/solution_verifier.h"
#include "module/synthesis.h"
#include "protocol/result_codes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <variant>

namespace {

using namespace vemra::module;

// Beyond this a run takes longer than a fuzzer can wait for; the size limits themselves are
// the validator's, which the reader target covers.
constexpr int kMostHarmonics = 12;
constexpr std::size_t kMostRestrictions = 12;
// The shift search's samples and steps: a few go through the same code as many.
constexpr int kMostSearchCount = 3;

bool smallEnough(const SynthesisProblem& problem)
{
    int harmonics = 0;
    for (const Motion& m : problem.motions)
        harmonics += m.harmonics;
    return harmonics <= kMostHarmonics && problem.restrictions.size() <= kMostRestrictions;
}

// The records as the application writes them, with the shift search cut down to a few
// samples and steps. The application numbers every record by its position in the ninth
// integer, and the explanation names restrictions by that number; in a file of another
// writer it may be anything, and the application then names the line it cannot use.
std::vector<RawRecord> asTheApplicationWrites(std::vector<RawRecord> records, const ProjectSettings& settings)
{
    for (std::size_t i = 0; i < records.size(); ++i)
        records[i].ints[8] = static_cast<int>(i + 1);
    RawRecord& header = records.front();
    header.ints[5] = 1; // the search settings are given
    header.ints[3] = std::min(settings.samples, kMostSearchCount);
    header.ints[4] = std::min(settings.steps, kMostSearchCount);
    header.reals[0] = settings.stepWidth;
    return records;
}

[[noreturn]] void fail(const char* what, const SynthesisResult& r)
{
    std::fprintf(stderr, "%s (code %d, lambda %.17g, lambdaUsed %.17g): %s\n", what, r.code, r.lambda, r.lambdaUsed,
                 r.message.c_str());
    std::abort();
}

bool finite(const MotionCoefficients& c)
{
    auto allFinite = [](const auto& values) {
        for (double v : values)
            if (!std::isfinite(v))
                return false;
        return true;
    };
    return std::isfinite(c.b0) && allFinite(c.a) && allFinite(c.b);
}

void checkSolution(const SynthesisProblem& problem, const SynthesisResult& r)
{
    if (!(r.lambda >= 0.0 && r.lambda <= 1.0 && r.lambdaUsed >= 0.0 && r.lambdaUsed <= r.lambda))
        fail("lambda out of range", r);
    if (r.motions.size() != problem.motions.size() || r.restrictions.size() != problem.restrictions.size())
        fail("results missing", r);
    Evaluation solution;
    solution.feasible = true;
    solution.lambda = r.lambda;
    solution.lambdaUsed = r.lambdaUsed;
    for (const MotionResult& m : r.motions) {
        if (!finite(m.coefficients) || !std::isfinite(m.eta))
            fail("coefficients not finite", r);
        solution.coefficients.push_back(m.coefficients);
    }
    for (double shift : r.shifts)
        if (!std::isfinite(shift))
            fail("shift not finite", r);
    const ProblemModel model(problem);
    if (!SolutionVerifier(model).check(solution, r.shifts).empty())
        fail("the reported solution misses its requirements", r);
}

bool sameOutcome(const SynthesisResult& one, const SynthesisResult& other)
{
    if (one.code != other.code || one.lambda != other.lambda || one.shifts != other.shifts
        || one.motions.size() != other.motions.size())
        return false;
    for (std::size_t m = 0; m < one.motions.size(); ++m) {
        const MotionCoefficients& a = one.motions[m].coefficients;
        const MotionCoefficients& b = other.motions[m].coefficients;
        if (a.b0 != b.b0 || a.a != b.a || a.b != b.b)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    namespace codes = vemra::ResultCodes;
    const ReadResult read = readRecords(vemra::bytesOf(data, size));
    if (read.error)
        return 0;
    const ValidationResult given = validateRecords(read.records);
    if (given.code != 0 || !smallEnough(given.problem))
        return 0;
    const ReadResult input{asTheApplicationWrites(read.records, given.problem.settings), std::nullopt};
    const ValidationResult valid = validateRecords(input.records);
    if (valid.code != 0)
        return 0;
    SynthesisOptions options;
    options.threads = 1;
    const SynthesisResult r = synthesise(input, options);
    if (codes::resultsExpected(r.code))
        checkSolution(valid.problem, r);
    else if (r.code != codes::MinimumNotMet || r.message.empty())
        fail("unexpected outcome", r);
    if (r.explanation) {
        const auto parsed = vemra::parseExplanation(explanationText(*r.explanation));
        if (const auto* error = std::get_if<vemra::ExplanationError>(&parsed))
            fail(("the explanation does not read: " + error->text()).c_str(), r);
    }
    // The shift search evaluates its samples side by side; how many at once must not change
    // what it finds.
    if (valid.problem.settings.objectCount > 0) {
        options.threads = 2;
        if (!sameOutcome(r, synthesise(input, options)))
            fail("another result with two threads", r);
    }
    return 0;
}

// What the last computation of a project said about its result: the result
// code, fulfilment and smoothness, the running time and, when the module
// explains its result, which restrictions hold the fulfilment down (or cost
// smoothness) and which contradict each other. It lives beside the results
// in memory only; the project file does not store it, so an opened project
// has none until it is computed again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vemra {

class TProject;
class TRestr;
class TreeItem;

// Which programme the module explains: the fulfilment programme (result
// code 0), the smoothness programme (code 1, fulfilment was not limited) or
// the conflict among the minimum requirements (code -2).
enum class ExplanationStage { Fulfilment, Smoothness, Conflict };

// A restriction that binds at the optimum. Records are the restriction's
// number in the module input (its Ident), which stays put until the next
// computation numbers the records afresh.
struct LimitingRestriction {
    int32_t record = 0;
    // Its part of the total dual weight; the parts of one explanation add
    // up to 1.
    double share = 0;
    // Where its largest dual value sits, in degrees; none for spectrum kinds.
    std::optional<double> angle;
    // How much λ* rises per unit its bounds are loosened.
    double sensitivity = 0;

    bool operator==(const LimitingRestriction&) const = default;
};

struct ObjectShift {
    int32_t object = 0;
    // The shift the module chose for the optimisation object, in degrees.
    double phi = 0;

    bool operator==(const ObjectShift&) const = default;
};

struct ResultExplanation {
    ExplanationStage stage = ExplanationStage::Fulfilment;
    int32_t code = 0;
    // Both absent for a conflict.
    std::optional<double> lambda;
    std::optional<double> smoothness;
    std::vector<ObjectShift> shifts;
    // Fulfilment and smoothness stages, largest share first.
    std::vector<LimitingRestriction> limits;
    // Conflict stage: restrictions that cannot all hold even at λ = 0,
    // while any smaller selection of them can.
    std::vector<int32_t> conflict;

    bool operator==(const ResultExplanation&) const = default;
};

struct ComputationOutcome {
    int32_t resultCode = 0;
    // What describes the outcome to the user: the code's message, or why
    // results that were expected did not come ("\r" is a line break).
    std::string message;
    bool hasResults = false;
    // From the explanation, else from the module's last progress line.
    std::optional<double> fulfilment;
    std::optional<double> smoothness;
    // Wall-clock time of the module run.
    std::optional<double> seconds;
    std::optional<ResultExplanation> explanation;
    // Why an explanation file that was there was not taken (empty when
    // there was none, or it was taken).
    std::string explanationProblem;
    // False while the project's results are outdated by an edit; an edit
    // taken back makes them current again, and the outcome with them.
    bool resultsCurrent = true;
    // A node of the project was deleted since: the explanation may name what
    // is gone, and stays outdated until the next computation.
    bool nodesRemoved = false;

    bool current() const { return resultsCurrent && !nodesRemoved; }
};

// What a restriction is in its project's current explanation.
enum class ExplanationRole { None, Limiting, Conflicting };

// The restriction item of project whose record number is record (absolute
// and relative restrictions alike); nullptr when there is none.
TreeItem* FindRestrictionByRecord(TreeItem* project, int32_t record);

// The role of r in project's outcome; None unless the outcome is current and
// explains the result.
ExplanationRole explanationRole(const TProject& project, const TRestr& r);
// The entry of r among the limiting restrictions of project's current
// outcome, or nullptr.
const LimitingRestriction* limitingEntry(const TProject& project, const TRestr& r);

// The project's results were found current or outdated.
void followResultState(TProject& project, bool resultsCurrent);
// A node of the project was deleted.
void outdateOutcome(TProject& project);

} // namespace vemra

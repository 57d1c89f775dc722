#include "module/limit_reading.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace vemra::module {
namespace {

// The size of a requirement's bounds at λ, as the programme scales its rows.
double boundSize(const Requirement& q, double lambda)
{
    double size = 1.0;
    if (q.lower.present)
        size = std::max(size, boundScale(q.lower.at(lambda)));
    if (q.upper.present)
        size = std::max(size, boundScale(q.upper.at(lambda)));
    return size;
}

const Requirement& requirementOf(const RequirementSet& set, const RowReading& reading)
{
    return set.requirements[static_cast<std::size_t>(reading.requirement)];
}

// The rows that carry weight. Dual values are per unit of their row's bound, so they are
// compared as the simplex saw them, scaled by the size of the bounds: otherwise the round-off
// of a row with bounds of a thousand would outweigh a true limit of a row with bounds of one.
std::vector<RowReading> weightyRows(const RequirementSet& set, double lambda, const std::vector<RowReading>& readings)
{
    double largest = 0.0;
    for (const RowReading& r : readings)
        largest = std::max(largest, std::abs(r.value) * boundSize(requirementOf(set, r), lambda));
    std::vector<RowReading> kept;
    if (!(largest > 0.0))
        return kept;
    for (const RowReading& r : readings)
        if (std::abs(r.value) * boundSize(requirementOf(set, r), lambda) > kNegligibleRowWeight * largest)
            kept.push_back(r);
    return kept;
}

} // namespace

std::vector<int> restrictionsWithWeight(const RequirementSet& set, double lambda,
                                        const std::vector<RowReading>& readings)
{
    std::vector<int> restrictions;
    for (const RowReading& r : weightyRows(set, lambda, readings))
        restrictions.push_back(requirementOf(set, r).restriction);
    std::sort(restrictions.begin(), restrictions.end());
    restrictions.erase(std::unique(restrictions.begin(), restrictions.end()), restrictions.end());
    return restrictions;
}

std::vector<LimitingRestriction> limitsFromRows(const ProblemModel& model, const RequirementSet& set, double lambda,
                                                const std::vector<RowReading>& readings, double sensitivityPerUnit)
{
    struct Sum {
        double weight = 0.0;
        double largest = 0.0;
        double angle = 0.0;
        const Requirement* requirement = nullptr;
    };
    std::map<int, Sum> sums; // per restriction, in input order
    double total = 0.0;
    for (const RowReading& r : weightyRows(set, lambda, readings)) {
        const Requirement& q = requirementOf(set, r);
        Sum& sum = sums[q.restriction];
        const double weight = std::abs(r.value);
        sum.weight += weight;
        sum.requirement = &q;
        if (weight > sum.largest) {
            sum.largest = weight;
            sum.angle = r.angle;
        }
        total += weight;
    }
    std::vector<LimitingRestriction> limits;
    for (const auto& [restriction, sum] : sums) {
        const Restriction& r = model.problem().restrictions[static_cast<std::size_t>(restriction)];
        LimitingRestriction limit;
        limit.record = r.record.intPar(9);
        limit.share = sum.weight / total;
        limit.sensitivity = sum.weight * sensitivityPerUnit;
        switch (sum.requirement->shape) {
        case RequirementShape::Spectrum: break;
        case RequirementShape::Point: limit.angle = sum.requirement->phiFrom; break;
        case RequirementShape::Interval: limit.angle = sum.angle; break;
        }
        limits.push_back(limit);
    }
    std::stable_sort(limits.begin(), limits.end(),
                     [](const LimitingRestriction& a, const LimitingRestriction& b) { return a.share > b.share; });
    return limits;
}

} // namespace vemra::module

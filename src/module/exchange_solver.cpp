#include "module/exchange_solver.h"

#include "module/requirement_checker.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vemra::module {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// Angles closer than this are the same angle; a repeated violation there is the solver's
// tolerance, answered with a margin instead of another row.
constexpr double kSameAngleDeg = 1e-9;
constexpr double kRoundOffEntry = 1e-13;

// Column of the positive part of a_k; a_k^- , b_k^+ and b_k^- follow it.
int splitColumn(int motionOffset, int k) { return motionOffset + 1 + 4 * (k - 1); }

} // namespace

ExchangeSolver::ExchangeSolver(const RequirementSet& set, SolveStats& stats, ExchangeSettings settings)
    : set_(set), stats_(stats), settings_(settings)
{
    int offset = 0;
    for (const HarmonicTransfer& motion : set_.motions) {
        motionOffset_.push_back(offset);
        offset += 1 + 4 * static_cast<int>(motion.f.size());
    }
    columnCount_ = offset;
    if (set_.lambdaVariable)
        lambdaColumn_ = columnCount_++;
}

void ExchangeSolver::layOutColumns(LpObjective objective)
{
    const bool smooth = objective == LpObjective::Smoothness;
    for (std::size_t m = 0; m < set_.motions.size(); ++m) {
        const int offset = motionOffset_[m];
        lp_->setColumn(offset, -kInfinity, kInfinity, 0.0); // b0
        const int harmonics = static_cast<int>(set_.motions[m].f.size());
        for (int k = 1; k <= harmonics; ++k) {
            const double cost = smooth ? static_cast<double>(k) * k : 0.0;
            for (int part = 0; part < 4; ++part)
                lp_->setColumn(splitColumn(offset, k) + part, 0.0, kInfinity, cost);
        }
    }
    if (lambdaColumn_ >= 0)
        lp_->setColumn(lambdaColumn_, 0.0, 1.0, objective == LpObjective::MaximiseLambda ? -1.0 : 0.0);
}

void ExchangeSolver::appendCurveRow(const Requirement& q, double angleDeg)
{
    const double x = angleDeg * kRadPerDeg;
    auto appendMotion = [&](int motion, double sign) {
        const HarmonicTransfer& t = set_.motions[static_cast<std::size_t>(motion)];
        const int offset = motionOffset_[static_cast<std::size_t>(motion)];
        if (q.order == 0) {
            rowColumns_.push_back(offset);
            rowValues_.push_back(sign);
        }
        const double s1 = std::sin(x), c1 = std::cos(x);
        double sk = s1, ck = c1;
        for (int k = 1; k <= static_cast<int>(t.f.size()); ++k) {
            const auto i = static_cast<std::size_t>(k - 1);
            const DerivativeFactors d = derivativeFactors(k, q.order, sk, ck);
            // q_sin = F a + G b and q_cos = -G a + F b, so the curve's factor of a and of b:
            const double onA = sign * (d.onA * t.f[i] - d.onB * t.g[i]);
            const double onB = sign * (d.onA * t.g[i] + d.onB * t.f[i]);
            const int column = splitColumn(offset, k);
            if (onA != 0.0) {
                rowColumns_.insert(rowColumns_.end(), {column, column + 1});
                rowValues_.insert(rowValues_.end(), {onA, -onA});
            }
            if (onB != 0.0) {
                rowColumns_.insert(rowColumns_.end(), {column + 2, column + 3});
                rowValues_.insert(rowValues_.end(), {onB, -onB});
            }
            const double next = sk * c1 + ck * s1;
            ck = ck * c1 - sk * s1;
            sk = next;
        }
    };
    appendMotion(q.motionA, 1.0);
    if (q.motionB >= 0)
        appendMotion(q.motionB, -1.0);
    dropRoundOffEntries();
}

void ExchangeSolver::dropRoundOffEntries()
{
    // sin(kx) at multiples of 180/k degrees comes out as 1e-16 instead of 0. Such entries carry
    // nothing but round-off and can throw the simplex's factorisation into endless repair.
    double largest = 0.0;
    for (double v : rowValues_)
        largest = std::max(largest, std::abs(v));
    const double threshold = kRoundOffEntry * largest;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < rowValues_.size(); ++i) {
        if (std::abs(rowValues_[i]) <= threshold)
            continue;
        rowColumns_[kept] = rowColumns_[i];
        rowValues_[kept] = rowValues_[i];
        ++kept;
    }
    rowColumns_.resize(kept);
    rowValues_.resize(kept);
}

void ExchangeSolver::addSpectrumRow(int requirement)
{
    const Requirement& q = set_.requirements[static_cast<std::size_t>(requirement)];
    rowColumns_.clear();
    rowValues_.clear();
    const int offset = motionOffset_[static_cast<std::size_t>(q.motionA)];
    const int harmonics = static_cast<int>(set_.motions[static_cast<std::size_t>(q.motionA)].f.size());
    for (int k = 1; k <= harmonics; ++k) {
        const double w = spectrumWeight(q, k);
        if (w == 0.0)
            continue;
        for (int part = 0; part < 4; ++part) {
            rowColumns_.push_back(splitColumn(offset, k) + part);
            rowValues_.push_back(w);
        }
    }
    // c(λ) = base + slope λ  becomes  sum - slope λ <= base.
    if (lambdaColumn_ >= 0 && q.upper.slope != 0.0) {
        rowColumns_.push_back(lambdaColumn_);
        rowValues_.push_back(-q.upper.slope);
    }
    const int row = lp_->addRow(rowColumns_, rowValues_, -kInfinity, q.upper.base);
    spectrumRow_[static_cast<std::size_t>(requirement)] = row;
    groups_.push_back({-1 - requirement, row, 1});
}

bool ExchangeSolver::hasCutNear(int requirement, double angleDeg) const
{
    for (int index : cutsOfRequirement_[static_cast<std::size_t>(requirement)])
        if (std::abs(cuts_[static_cast<std::size_t>(index)].angle - angleDeg) <= kSameAngleDeg)
            return true;
    return false;
}

void ExchangeSolver::addCut(int requirement, double angleDeg, bool onGrid)
{
    const Requirement& q = set_.requirements[static_cast<std::size_t>(requirement)];
    Cut cut{requirement, angleDeg};
    cut.onGrid = onGrid;
    const bool separateRows = lambdaColumn_ >= 0 && (q.lower.slope != 0.0 || q.upper.slope != 0.0);
    auto addSide = [&](const LinearBound& bound, bool lower) {
        rowColumns_.clear();
        rowValues_.clear();
        appendCurveRow(q, angleDeg);
        if (bound.slope != 0.0) {
            rowColumns_.push_back(lambdaColumn_);
            rowValues_.push_back(-bound.slope);
        }
        return lp_->addRow(rowColumns_, rowValues_, lower ? bound.base : -kInfinity, lower ? kInfinity : bound.base);
    };
    if (separateRows) {
        if (q.lower.present)
            cut.lowerRow = addSide(q.lower, true);
        if (q.upper.present)
            cut.upperRow = addSide(q.upper, false);
    } else {
        rowColumns_.clear();
        rowValues_.clear();
        appendCurveRow(q, angleDeg);
        const int row = lp_->addRow(rowColumns_, rowValues_, q.lower.present ? q.lower.base : -kInfinity,
                                    q.upper.present ? q.upper.base : kInfinity);
        if (q.lower.present)
            cut.lowerRow = row;
        if (q.upper.present)
            cut.upperRow = row;
    }
    const int firstRow = cut.lowerRow >= 0 ? cut.lowerRow : cut.upperRow;
    const int rowCount = (cut.lowerRow >= 0 && cut.upperRow >= 0 && cut.lowerRow != cut.upperRow) ? 2 : 1;
    groups_.push_back({static_cast<int>(cuts_.size()), firstRow, rowCount});
    cutsOfRequirement_[static_cast<std::size_t>(requirement)].push_back(static_cast<int>(cuts_.size()));
    cuts_.push_back(cut);
}

void ExchangeSolver::applyCutBounds(const Cut& cut)
{
    const Requirement& q = set_.requirements[static_cast<std::size_t>(cut.requirement)];
    double lower = q.lower.present ? q.lower.base + cut.lowerMargin : -kInfinity;
    double upper = q.upper.present ? q.upper.base - cut.upperMargin : kInfinity;
    if (cut.lowerRow >= 0 && cut.lowerRow == cut.upperRow) {
        // A ranged row must keep lower <= upper; margins never close the band entirely.
        if (lower > upper) {
            const double middle = 0.5 * (q.lower.base + q.upper.base);
            lower = std::min(lower, middle);
            upper = std::max(upper, middle);
        }
        lp_->setRowBounds(cut.lowerRow, lower, upper);
        return;
    }
    if (cut.lowerRow >= 0)
        lp_->setRowBounds(cut.lowerRow, lower, kInfinity);
    if (cut.upperRow >= 0)
        lp_->setRowBounds(cut.upperRow, -kInfinity, upper);
}

bool ExchangeSolver::tightenOrAdd(const Violation& v)
{
    const Requirement& q = set_.requirements[static_cast<std::size_t>(v.requirement)];
    // Aim past the tolerance so that the next solution lands inside it.
    const double step = v.excess + settings_.tolerance * v.scale;
    // A margin within the solver's own tolerance can leave the solution where it was; when
    // the same violation comes back, the margin at least doubles.
    auto grown = [step](double before) { return before + std::max(step, before); };
    if (q.shape == RequirementShape::Spectrum) {
        const auto r = static_cast<std::size_t>(v.requirement);
        spectrumMargin_[r] = grown(spectrumMargin_[r]);
        const int row = spectrumRow_[r];
        const double base = q.upper.base - spectrumMargin_[r];
        lp_->setRowBounds(row, -kInfinity, base);
        return true;
    }
    for (int index : cutsOfRequirement_[static_cast<std::size_t>(v.requirement)]) {
        Cut& cut = cuts_[static_cast<std::size_t>(index)];
        if (std::abs(cut.angle - v.angle) > kSameAngleDeg)
            continue;
        const double before = v.side == BoundSide::Lower ? cut.lowerMargin : cut.upperMargin;
        // A margin wider than the whole band would change the problem, not its numerics.
        const double cap = 1e-6 * v.scale;
        const double after = std::min(grown(before), cap);
        if (after <= before)
            return false;
        (v.side == BoundSide::Lower ? cut.lowerMargin : cut.upperMargin) = after;
        applyCutBounds(cut);
        return true;
    }
    addCutCluster(v);
    return true;
}

void ExchangeSolver::addCutCluster(const Violation& v)
{
    // Once a row holds the curve at the violated extremum, the next solution's extremum moves
    // to one side of it, and each further round would only halve the distance to the nearest
    // row. Rows halfway to the neighbouring ones on both sides catch most of that movement in
    // the same round; closer than the curvature allows to matter they are not needed.
    double left = -std::numeric_limits<double>::infinity();
    double right = std::numeric_limits<double>::infinity();
    for (int index : cutsOfRequirement_[static_cast<std::size_t>(v.requirement)]) {
        const double angle = cuts_[static_cast<std::size_t>(index)].angle;
        if (angle < v.angle)
            left = std::max(left, angle);
        else
            right = std::min(right, angle);
    }
    addCut(v.requirement, v.angle);
    if (v.curvature <= 0.0)
        return;
    const double finest = std::sqrt(2.0 * settings_.tolerance * v.scale / v.curvature) / kRadPerDeg;
    for (double neighbour : {left, right}) {
        const double half = 0.5 * std::abs(neighbour - v.angle);
        if (std::isfinite(neighbour) && half > finest && half > kSameAngleDeg)
            addCut(v.requirement, 0.5 * (neighbour + v.angle));
    }
}

std::vector<MotionCoefficients> ExchangeSolver::readCoefficients() const
{
    const auto x = lp_->columnValues();
    std::vector<MotionCoefficients> result(set_.motions.size());
    for (std::size_t m = 0; m < set_.motions.size(); ++m) {
        const int offset = motionOffset_[m];
        const int harmonics = static_cast<int>(set_.motions[m].f.size());
        MotionCoefficients& c = result[m];
        c.b0 = x[static_cast<std::size_t>(offset)];
        c.a.resize(static_cast<std::size_t>(harmonics));
        c.b.resize(static_cast<std::size_t>(harmonics));
        for (int k = 1; k <= harmonics; ++k) {
            const auto col = static_cast<std::size_t>(splitColumn(offset, k));
            c.a[static_cast<std::size_t>(k - 1)] = x[col] - x[col + 1];
            c.b[static_cast<std::size_t>(k - 1)] = x[col + 2] - x[col + 3];
        }
    }
    return result;
}

double ExchangeSolver::lambdaOfSolution() const
{
    if (lambdaColumn_ < 0)
        return set_.lambda;
    return std::clamp(lp_->columnValues()[static_cast<std::size_t>(lambdaColumn_)], 0.0, 1.0);
}

void ExchangeSolver::addInitialRows()
{
    for (std::size_t i = 0; i < set_.requirements.size(); ++i) {
        const Requirement& q = set_.requirements[i];
        const int index = static_cast<int>(i);
        switch (q.shape) {
        case RequirementShape::Spectrum: addSpectrumRow(index); break;
        case RequirementShape::Point: addCut(index, q.phiFrom, true); break;
        case RequirementShape::Interval: {
            const double span = q.phiTo - q.phiFrom;
            const int intervals = lpGridIntervals(set_, q);
            for (int j = 0; j < intervals; j += settings_.initialStride)
                addCut(index, q.phiFrom + span * j / intervals, true);
            addCut(index, q.phiTo, true);
            break;
        }
        }
    }
}

bool ExchangeSolver::addRowsOf(const WarmStart& warm)
{
    for (const WarmStart::RowGroup& g : warm.groups) {
        if (g.requirement < 0 || static_cast<std::size_t>(g.requirement) >= set_.requirements.size())
            return false;
        const Requirement& q = set_.requirements[static_cast<std::size_t>(g.requirement)];
        switch (q.shape) {
        case RequirementShape::Spectrum: addSpectrumRow(g.requirement); break;
        case RequirementShape::Point: addCut(g.requirement, q.phiFrom, true); break;
        case RequirementShape::Interval:
            // The same place in the interval, wherever λ or a shift has moved its ends.
            addCut(g.requirement, q.phiFrom + g.position * (q.phiTo - q.phiFrom), g.onGrid);
            break;
        }
    }
    return true;
}

std::shared_ptr<const WarmStart> ExchangeSolver::captureWarmStart(LpObjective objective) const
{
    const std::vector<unsigned char> basis = lp_->basis();
    if (basis.size() != static_cast<std::size_t>(columnCount_ + lp_->rowCount()))
        return nullptr;
    auto warm = std::make_shared<WarmStart>();
    warm->objective = objective;
    warm->lambdaColumn = lambdaColumn_ >= 0;
    warm->basis.assign(basis.begin(), basis.begin() + columnCount_);
    for (const RowGroup& group : groups_) {
        WarmStart::RowGroup kept;
        bool keep = true;
        if (group.cut < 0) {
            kept.requirement = -1 - group.cut;
        } else {
            const Cut& cut = cuts_[static_cast<std::size_t>(group.cut)];
            const Requirement& q = set_.requirements[static_cast<std::size_t>(cut.requirement)];
            kept.requirement = cut.requirement;
            kept.onGrid = cut.onGrid;
            if (q.shape == RequirementShape::Interval)
                kept.position = (cut.angle - q.phiFrom) / (q.phiTo - q.phiFrom);
            // Rows added by the exchange that no longer bind are left behind; dropping a row
            // whose slack is basic keeps the basis valid.
            keep = cut.onGrid;
            for (int r = 0; r < group.rowCount; ++r)
                keep = keep || !lp_->isRowBasic(group.firstRow + r);
        }
        if (!keep)
            continue;
        warm->groups.push_back(kept);
        for (int r = 0; r < group.rowCount; ++r)
            warm->basis.push_back(basis[static_cast<std::size_t>(columnCount_ + group.firstRow + r)]);
    }
    return warm;
}

void ExchangeSolver::resetProgramme(LpObjective objective)
{
    lp_ = std::make_unique<LinearProgram>(columnCount_, stats_);
    cuts_.clear();
    groups_.clear();
    cutsOfRequirement_.assign(set_.requirements.size(), {});
    spectrumRow_.assign(set_.requirements.size(), -1);
    spectrumMargin_.assign(set_.requirements.size(), 0.0);
    layOutColumns(objective);
}

bool ExchangeSolver::hasCrossedBounds() const
{
    // With λ fixed both bounds share one ranged row, and a row whose lower bound lies above
    // its upper one is not reliably reported infeasible by the simplex.
    if (lambdaColumn_ >= 0)
        return false;
    for (const Requirement& q : set_.requirements)
        if (q.lower.present && q.upper.present && q.lower.base > q.upper.base)
            return true;
    return false;
}

ExchangeResult ExchangeSolver::solve(LpObjective objective, const std::vector<ExtraAngle>& extraAngles,
                                     const WarmStart* warmStart)
{
    if (hasCrossedBounds())
        return {};
    resetProgramme(objective);
    bool warm = warmStart != nullptr && warmStart->objective == objective
        && warmStart->lambdaColumn == (lambdaColumn_ >= 0);
    if (warm && !addRowsOf(*warmStart)) {
        warm = false;
        resetProgramme(objective);
    }
    if (!warm)
        addInitialRows();
    for (const auto& [requirement, angle] : extraAngles) {
        const Requirement& q = set_.requirements[static_cast<std::size_t>(requirement)];
        if (q.shape == RequirementShape::Interval && angle > q.phiFrom && angle < q.phiTo
            && !hasCutNear(requirement, angle))
            addCut(requirement, angle);
    }
    if (warm)
        lp_->startFrom(warmStart->basis);

    // Exactly checkRefinement samples per grid interval, so every grid angle is among them.
    const SampleSpacing checkSpacing = [this](const Requirement& q) {
        return (q.phiTo - q.phiFrom) / lpGridIntervals(set_, q) / settings_.checkRefinement;
    };
    ExchangeResult result;
    for (int round = 0;; ++round) {
        if (lp_->solve(settings_.method) != LpStatus::Optimal)
            return {}; // infeasible, or hopeless numerically: no solution at this λ
        result.feasible = true;
        result.lambda = lambdaOfSolution();
        result.coefficients = readCoefficients();
        if (round >= settings_.maxRounds)
            break;
        const auto violations = findViolations(set_, result.coefficients, result.lambda, settings_.tolerance, checkSpacing,
                                               true);
        bool changed = false;
        for (const Violation& v : violations)
            changed = tightenOrAdd(v) || changed;
        if (!changed)
            break;
        ++stats_.exchangeRounds;
    }
    result.smoothness = smoothnessSum(result.coefficients);
    result.bindingAngles = collectBindingAngles();
    result.warmStart = captureWarmStart(objective);
    return result;
}

std::vector<ExtraAngle> ExchangeSolver::collectBindingAngles() const
{
    const auto activity = lp_->rowActivities();
    const double lambda = lambdaOfSolution();
    std::vector<ExtraAngle> binding;
    for (const Cut& cut : cuts_) {
        if (cut.onGrid)
            continue;
        const Requirement& q = set_.requirements[static_cast<std::size_t>(cut.requirement)];
        if (q.shape != RequirementShape::Interval)
            continue;
        // The row holds the curve minus slope * λ; compare the curve with the bound at λ.
        auto near = [&](int row, const LinearBound& bound) {
            if (row < 0)
                return false;
            const double curve = activity[static_cast<std::size_t>(row)] + (lambdaColumn_ >= 0 ? bound.slope * lambda : 0.0);
            const double value = bound.at(lambdaColumn_ >= 0 ? lambda : 0.0);
            return std::abs(curve - value) <= 1e-6 * boundScale(value);
        };
        if (near(cut.lowerRow, q.lower) || near(cut.upperRow, q.upper))
            binding.emplace_back(cut.requirement, cut.angle);
    }
    return binding;
}

} // namespace vemra::module

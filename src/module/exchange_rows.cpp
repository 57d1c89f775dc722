// The programmes' columns and rows: the column layout and units, a row per cut at an angle,
// margins on rows that the simplex misses by its tolerance, and the rows and bases handed to a
// neighbouring solve.
#include "module/exchange_solver.h"

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
// λ within this of 1 is 1: every maximum requirement met.
constexpr double kLambdaOne = 1e-9;
// The least margin a row gets, relative to max(1, |bound|). A violation at an angle the
// programme holds is round-off of the simplex or of the curve's evaluation; margins that start
// at the size of the simplex's tolerance would take a dozen doublings, each one a round.
constexpr double kFirstMargin = 2e-7;

// Column of the positive part of a_k; a_k^- , b_k^+ and b_k^- follow it.
int splitColumn(int motionOffset, int k) { return motionOffset + 1 + 4 * (k - 1); }

} // namespace

std::vector<double> ExchangeSolver::columnUnits() const
{
    // A harmonic k enters a row of derivative order d with the factor k^d. Measured in units of
    // 1 / k^d for the highest order its motion is held to, every coefficient's entries are of
    // order one in the rows that need the most of it, and the simplex compares like with like
    // (unscaled, a row of the third derivative at K = 40 mixes entries from 1 to 64000).
    std::vector<int> highestOrder(set_.motions.size(), 0);
    for (const Requirement& q : set_.requirements) {
        if (q.shape == RequirementShape::Spectrum)
            continue;
        for (int m : {q.motionA, q.motionB})
            if (m >= 0)
                highestOrder[static_cast<std::size_t>(m)] = std::max(highestOrder[static_cast<std::size_t>(m)], q.order);
    }
    std::vector<double> units(static_cast<std::size_t>(columnCount_), 1.0);
    for (std::size_t m = 0; m < set_.motions.size(); ++m) {
        const int harmonics = static_cast<int>(set_.motions[m].f.size());
        for (int k = 1; k <= harmonics; ++k) {
            int exponent = 0;
            std::frexp(std::pow(static_cast<double>(k), highestOrder[m]), &exponent);
            for (int part = 0; part < 4; ++part)
                units[static_cast<std::size_t>(splitColumn(motionOffset_[m], k) + part)] = std::ldexp(1.0, 1 - exponent);
        }
    }
    return units;
}

void ExchangeSolver::layOutColumns(LinearProgram& lp, bool smoothness, double lambda)
{
    for (std::size_t m = 0; m < set_.motions.size(); ++m) {
        const int offset = motionOffset_[m];
        lp.setColumn(offset, -kInfinity, kInfinity, 0.0); // b0
        const int harmonics = static_cast<int>(set_.motions[m].f.size());
        for (int k = 1; k <= harmonics; ++k) {
            const double cost = smoothness ? static_cast<double>(k) * k : 0.0;
            for (int part = 0; part < 4; ++part)
                lp.setColumn(splitColumn(offset, k) + part, 0.0, kInfinity, cost);
        }
    }
    // The λ programme has no cost on any coefficient: its optimum can lie anywhere on a face of
    // equally good solutions, and on ordinary projects (the one-motion shift file) its
    // coefficients reach hundreds of units where the smoothest ones stay small. At the limit of
    // the smoothness programme a third of that file's λ programmes went to the sparse solver
    // for good, at five times the cost per run; on 600 random projects the larger limit left
    // every result code and λ* as it was.
    lp.allowDenseSolutionsUpTo(smoothness ? kLargestDenseSolution : kLargestDenseLambdaSolution);
    if (lambdaColumn_ < 0)
        return;
    if (smoothness)
        lp.setColumn(lambdaColumn_, lambda, lambda, 0.0);
    else
        lp.setColumn(lambdaColumn_, 0.0, 1.0, -kLambdaWeight);
}

void ExchangeSolver::fixLambda(double lambda)
{
    if (lambdaColumn_ >= 0)
        smooth_->setColumn(lambdaColumn_, lambda, lambda, 0.0);
}

int ExchangeSolver::addRowToAll(double lower, double upper, std::optional<double> heldTo)
{
    const int row = smooth_->addRow(rowColumns_, rowValues_, lower, upper, heldTo);
    if (largest_)
        largest_->addRow(rowColumns_, rowValues_, lower, upper, heldTo);
    return row;
}

std::optional<double> ExchangeSolver::holdingLambda() const
{
    // Only in a climb on the dense simplex. Solves at a fixed λ (the bisection's, the checks of
    // a λ* found) and programmes handed to the sparse solver (huge coefficients that cancel)
    // keep the scales of their bounds: held more strictly there, random projects ended with a
    // λ* 1e-4 short of the edge of feasibility.
    if (!roundLambda_ || !largest_ || !smooth_->densePath() || !largest_->densePath())
        return std::nullopt;
    return roundLambda_;
}

void ExchangeSolver::setRowBoundsOfAll(int row, double lower, double upper)
{
    smooth_->setRowBounds(row, lower, upper);
    if (largest_)
        largest_->setRowBounds(row, lower, upper);
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
    const int row = addRowToAll(-kInfinity, q.upper.base);
    spectrumRow_[static_cast<std::size_t>(requirement)] = row;
    groups_.push_back({-1 - requirement, row, 1});
}

void ExchangeSolver::applySpectrumBound(int requirement)
{
    const auto r = static_cast<std::size_t>(requirement);
    const Requirement& q = set_.requirements[r];
    setRowBoundsOfAll(spectrumRow_[r], -kInfinity, q.upper.base - spectrumMargin_[r]);
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
    // A row the simplex keeps only to its tolerance of max(1, |bound|), up to twice that, can
    // miss its bound by more than the check accepts at its own angle: where the bound moves with
    // λ the check measures it at the λ reached (at K = 40 of a double dwell a tenth of the
    // bound the row was scaled by), and at bounds that are no power of two the check accepts
    // less than the scaled row. Each such miss took another round. The cuts a round adds are
    // held to the bounds the check judged them by instead.
    const std::optional<double> at = holdingLambda();
    auto addSide = [&](const LinearBound& bound, bool lower) {
        rowColumns_.clear();
        rowValues_.clear();
        appendCurveRow(q, angleDeg);
        if (bound.slope != 0.0) {
            rowColumns_.push_back(lambdaColumn_);
            rowValues_.push_back(-bound.slope);
        }
        const std::optional<double> heldTo = at ? std::optional(std::abs(bound.at(*at))) : std::nullopt;
        return addRowToAll(lower ? bound.base : -kInfinity, lower ? kInfinity : bound.base, heldTo);
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
        std::optional<double> heldTo;
        if (at) {
            // A band is checked on either side against its own bound: the smaller one counts.
            heldTo = kInfinity;
            for (const LinearBound* bound : {&q.lower, &q.upper})
                if (bound->present)
                    heldTo = std::min(*heldTo, std::abs(bound->at(*at)));
        }
        const int row = addRowToAll(q.lower.present ? q.lower.base : -kInfinity,
                                    q.upper.present ? q.upper.base : kInfinity, heldTo);
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
        setRowBoundsOfAll(cut.lowerRow, lower, upper);
        return;
    }
    if (cut.lowerRow >= 0)
        setRowBoundsOfAll(cut.lowerRow, lower, kInfinity);
    if (cut.upperRow >= 0)
        setRowBoundsOfAll(cut.upperRow, -kInfinity, upper);
}

bool ExchangeSolver::releaseMargins()
{
    auto hasMargin = [](const Cut& c) { return c.lowerMargin > 0.0 || c.upperMargin > 0.0; };
    const bool any = std::ranges::any_of(spectrumMargin_, [](double m) { return m > 0.0; })
                     || std::ranges::any_of(cuts_, hasMargin);
    if (marginsReleased_ || !any)
        return false;
    marginsReleased_ = true;
    std::ranges::fill(spectrumMargin_, 0.0);
    for (std::size_t r = 0; r < spectrumRow_.size(); ++r)
        if (spectrumRow_[r] >= 0)
            applySpectrumBound(static_cast<int>(r));
    for (Cut& cut : cuts_) {
        cut.lowerMargin = cut.upperMargin = 0.0;
        if (!cut.retired)
            applyCutBounds(cut);
    }
    return true;
}

bool ExchangeSolver::tightenOrAdd(const Violation& v)
{
    const Requirement& q = set_.requirements[static_cast<std::size_t>(v.requirement)];
    // Aim past the tolerance so that the next solution lands inside it. A margin within the
    // simplex's own tolerance would leave the solution where it was; when the same violation
    // comes back all the same, the margin at least doubles.
    const double step = std::max(v.excess + settings_.tolerance * v.scale, kFirstMargin * v.scale);
    // Margins taken back (see releaseMargins) are not grown again: what is left is for
    // closeEnough to judge.
    const bool mayGrow = !marginsReleased_;
    auto grown = [step](double before) { return before + std::max(step, before); };
    if (q.shape == RequirementShape::Spectrum) {
        if (!mayGrow)
            return false;
        const auto r = static_cast<std::size_t>(v.requirement);
        spectrumMargin_[r] = grown(spectrumMargin_[r]);
        applySpectrumBound(v.requirement);
        return true;
    }
    for (int index : cutsOfRequirement_[static_cast<std::size_t>(v.requirement)]) {
        Cut& cut = cuts_[static_cast<std::size_t>(index)];
        if (std::abs(cut.angle - v.angle) > kSameAngleDeg)
            continue;
        if (!mayGrow)
            return false;
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

std::vector<MotionCoefficients> ExchangeSolver::readCoefficients(const LinearProgram& lp) const
{
    const auto values = lp.columnValues();
    return readCoefficients(std::vector<double>(values.begin(), values.end()));
}

std::vector<MotionCoefficients> ExchangeSolver::readCoefficients(const std::vector<double>& x) const
{
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

double ExchangeSolver::lambdaOf(const LinearProgram& lp) const
{
    const double lambda = std::clamp(lp.columnValues()[static_cast<std::size_t>(lambdaColumn_)], 0.0, 1.0);
    return lambda >= 1.0 - kLambdaOne ? 1.0 : lambda;
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
        case RequirementShape::Spectrum:
            addSpectrumRow(g.requirement);
            spectrumMargin_[static_cast<std::size_t>(g.requirement)] = g.upperMargin;
            applySpectrumBound(g.requirement);
            continue;
        case RequirementShape::Point: addCut(g.requirement, q.phiFrom, true); break;
        case RequirementShape::Interval:
            // The same place in the interval, wherever λ or a shift has moved its ends.
            addCut(g.requirement, q.phiFrom + g.position * (q.phiTo - q.phiFrom), g.onGrid);
            break;
        }
        Cut& cut = cuts_.back();
        if (g.lowerMargin > 0.0 || g.upperMargin > 0.0) {
            cut.lowerMargin = g.lowerMargin;
            cut.upperMargin = g.upperMargin;
            applyCutBounds(cut);
        }
    }
    return true;
}

std::shared_ptr<const WarmStart> ExchangeSolver::captureWarmStart(bool forProof) const
{
    const std::vector<unsigned char> smoothBasis = smooth_->basis();
    const std::vector<unsigned char> largestBasis = largest_ ? largest_->basis() : std::vector<unsigned char>{};
    const auto size = static_cast<std::size_t>(columnCount_ + smooth_->rowCount());
    if (smoothBasis.size() != size || (largest_ && largestBasis.size() != size))
        return nullptr;
    auto warm = std::make_shared<WarmStart>();
    warm->lambdaColumn = lambdaColumn_ >= 0;
    warm->smoothBasis.assign(smoothBasis.begin(), smoothBasis.begin() + columnCount_);
    if (largest_)
        warm->lambdaBasis.assign(largestBasis.begin(), largestBasis.begin() + columnCount_);
    auto binds = [&](int row) {
        if (forProof)
            return smooth_->mayProveInfeasibility(row);
        return !smooth_->isRowBasic(row) || (largest_ && !largest_->isRowBasic(row));
    };
    for (const RowGroup& group : groups_) {
        WarmStart::RowGroup kept;
        bool keep = true;
        if (group.cut < 0) {
            kept.requirement = -1 - group.cut;
            kept.upperMargin = spectrumMargin_[static_cast<std::size_t>(kept.requirement)];
        } else {
            const Cut& cut = cuts_[static_cast<std::size_t>(group.cut)];
            const Requirement& q = set_.requirements[static_cast<std::size_t>(cut.requirement)];
            kept.requirement = cut.requirement;
            kept.onGrid = cut.onGrid;
            kept.lowerMargin = cut.lowerMargin;
            kept.upperMargin = cut.upperMargin;
            if (q.shape == RequirementShape::Interval)
                kept.position = (cut.angle - q.phiFrom) / (q.phiTo - q.phiFrom);
            // Only rows that bind are handed on (dropping a row whose slack is basic keeps the
            // basis valid): a neighbour gets the rest back from its first check if it needs
            // them, and a smaller programme is much faster to solve and to prove infeasible.
            keep = false;
            for (int r = 0; r < group.rowCount; ++r)
                keep = keep || binds(group.firstRow + r);
        }
        if (!keep)
            continue;
        warm->groups.push_back(kept);
        for (int r = 0; r < group.rowCount; ++r) {
            const auto row = static_cast<std::size_t>(columnCount_ + group.firstRow + r);
            warm->smoothBasis.push_back(smoothBasis[row]);
            if (largest_)
                warm->lambdaBasis.push_back(largestBasis[row]);
        }
    }
    return warm;
}

void ExchangeSolver::resetProgrammes(bool largestLambda, double lambda)
{
    roundLambda_.reset();
    smoothFromTheTop_ = true;
    smooth_ = std::make_unique<LinearProgram>(columnUnits_, stats_);
    smooth_->confirmInfeasibility(settings_.confirmInfeasibility);
    layOutColumns(*smooth_, true, lambda);
    largest_.reset();
    if (largestLambda) {
        largest_ = std::make_unique<LinearProgram>(columnUnits_, stats_);
        largest_->confirmInfeasibility(settings_.confirmInfeasibility);
        layOutColumns(*largest_, false, lambda);
    }
    cuts_.clear();
    groups_.clear();
    retiredAt_ = -std::numeric_limits<double>::infinity();
    marginsReleased_ = false;
    lambdaCap_ = std::numeric_limits<double>::infinity();
    cutsOfRequirement_.assign(set_.requirements.size(), {});
    spectrumRow_.assign(set_.requirements.size(), -1);
    spectrumMargin_.assign(set_.requirements.size(), 0.0);
}

} // namespace vemra::module

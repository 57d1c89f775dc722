#include "module/requirement_checker.h"

#include "module/spare_core.h"

#include <algorithm>
#include <cmath>

namespace vemra::module {
namespace {

struct SideBound {
    bool present;
    double value;
    double tolerance;
};

SideBound sideBound(const LinearBound& bound, double lambda, double relativeTolerance)
{
    if (!bound.present)
        return {false, 0.0, 0.0};
    const double value = bound.at(lambda);
    return {true, value, relativeTolerance * boundScale(value)};
}

void checkPoint(int index, const Requirement& q, const TrigSeries& curve, const SideBound& lower,
                const SideBound& upper, std::vector<Violation>& out)
{
    const double v = curve.value(q.phiFrom * kRadPerDeg);
    if (lower.present && v < lower.value - lower.tolerance)
        out.push_back({index, q.phiFrom, BoundSide::Lower, lower.value - v, boundScale(lower.value)});
    if (upper.present && v > upper.value + upper.tolerance)
        out.push_back({index, q.phiFrom, BoundSide::Upper, v - upper.value, boundScale(upper.value)});
}

// The samples of one interval check, made a run at a time and only where asked for.
class LazySamples {
public:
    LazySamples(const TrigSeries& curve, double from, double to, int intervals)
        : curve_(curve), from_(from), h_((to - from) / intervals), intervals_(intervals),
          endValue_(curve.value(to)), // the interval end exactly, not from + n * h
          values_(static_cast<std::size_t>(intervals) + 1),
          sampled_(static_cast<std::size_t>(intervals / kRun + 1), false)
    {
    }

    double at(int i)
    {
        const auto run = static_cast<std::size_t>(i / kRun);
        if (!sampled_[run]) {
            sampled_[run] = true;
            sampleRun(static_cast<int>(run));
        }
        return values_[static_cast<std::size_t>(i)];
    }

    // Samples the runs marked in wanted (one flag per run) ahead, shared with a spare core
    // where the solve has one. Each run starts afresh, so the values are the ones at() gives.
    void sampleAhead(const std::vector<unsigned char>& wanted)
    {
        std::vector<int> runs;
        for (std::size_t r = 0; r < wanted.size(); ++r)
            if (wanted[r] && !sampled_[r]) {
                sampled_[r] = true;
                runs.push_back(static_cast<int>(r));
            }
        auto sample = [&](int begin, int end) {
            for (int k = begin; k < end; ++k)
                sampleRun(runs[static_cast<std::size_t>(k)]);
        };
        // Only a helper the simplex has started is asked: at a few harmonics the check alone
        // does not pay for starting a thread.
        SpareCore* core = spareCore();
        SpareCore::loop(core != nullptr && core->started() ? core : nullptr, static_cast<int>(runs.size()),
                        kRunsPerChunk, kRun * 8 * curve_.harmonics(), sample);
    }

    int runs() const { return static_cast<int>(sampled_.size()); }

    // The values at the start of every run and at the interval end, without sampling the runs:
    // the same numbers the runs would give there, as each run starts afresh.
    std::vector<double> runEnds() const
    {
        const int runs = (intervals_ + kRun - 1) / kRun;
        std::vector<double> ends(static_cast<std::size_t>(runs) + 1);
        curve_.sampleRunStarts(from_, h_, runs, ends.data());
        ends.back() = endValue_;
        return ends;
    }

    static constexpr int kRun = TrigSeries::kSampleRun;

private:
    static constexpr int kRunsPerChunk = 4;

    void sampleRun(int run)
    {
        const int first = run * kRun;
        const int count = std::min(kRun, intervals_ + 1 - first);
        curve_.sample(from_, h_, first, count, values_.data() + first);
        if (first + count == intervals_ + 1)
            values_.back() = endValue_;
    }

    const TrigSeries& curve_;
    double from_, h_;
    int intervals_;
    double endValue_;
    std::vector<double> values_;
    std::vector<bool> sampled_;
};

void checkInterval(int index, const Requirement& q, const TrigSeries& curve, double stepDeg, const SideBound& lower,
                   const SideBound& upper, std::vector<Violation>& out)
{
    const double from = q.phiFrom * kRadPerDeg;
    const double to = q.phiTo * kRadPerDeg;
    const double spanDeg = q.phiTo - q.phiFrom;
    const int intervals = std::max(1, static_cast<int>(std::ceil(spanDeg / stepDeg - 1e-9)));
    const double h = (to - from) / intervals;
    auto angleAt = [&](int i) { return i == intervals ? to : from + i * h; };
    LazySamples v(curve, from, to, intervals);

    // Between samples an extremum can exceed the sampled value by at most h^2/2 * max|q''|.
    const double curvature = curve.curvatureBound();
    const double slack = 0.5 * h * h * curvature;

    // The samples come in runs, and a run whose curve stays clear of the bound need not be
    // sampled at all: between two points H apart the curve rises above the higher of them by
    // at most H^2/8 * max|q''| (and each computed value is off by at most the round-off). A
    // fine check of a whole revolution then costs a sixteenth, and finds exactly what
    // sampling every angle would.
    constexpr int kRun = LazySamples::kRun;
    const int segments = (intervals + kRun - 1) / kRun;
    auto segmentEnd = [&](int r) { return std::min(r * kRun, intervals); };
    const std::vector<double> ends = v.runEnds();
    const double roundOff = 2.0 * curve.roundOffBound();

    auto clear = [&](const SideBound& bound, bool maximum, int r) {
        const double sign = maximum ? 1.0 : -1.0;
        const double limit = sign * bound.value + bound.tolerance; // sign * value must stay below
        const double span = (segmentEnd(r + 1) - segmentEnd(r)) * h;
        const auto at = static_cast<std::size_t>(r);
        const double highest = std::max(sign * ends[at], sign * ends[at + 1]);
        return highest + roundOff + 0.125 * span * span * curvature + slack <= limit;
    };
    // The runs the scans below will read (a segment's own, and the samples on either side of
    // it), sampled in one go.
    std::vector<unsigned char> wanted(static_cast<std::size_t>(v.runs()), 0);
    for (int r = 0; r < segments; ++r) {
        if ((!lower.present || clear(lower, false, r)) && (!upper.present || clear(upper, true, r)))
            continue;
        for (int run = std::max(0, r - 1); run <= std::min(r + 1, v.runs() - 1); ++run)
            wanted[static_cast<std::size_t>(run)] = 1;
    }
    v.sampleAhead(wanted);

    auto scan = [&](const SideBound& bound, bool maximum) {
        if (!bound.present)
            return;
        const double sign = maximum ? 1.0 : -1.0;
        const double limit = sign * bound.value + bound.tolerance; // sign * value must stay below
        int next = 0; // the first sample not yet looked at
        for (int r = 0; r < segments; ++r) {
            const int first = segmentEnd(r), last = segmentEnd(r + 1);
            if (clear(bound, maximum, r))
                continue;
            for (int i = std::max(first, next); i <= last; ++i) {
                const double here = sign * v.at(i);
                // A local extremum of the samples; strict on the left so a plateau counts once.
                const bool leftOk = i == 0 || here > sign * v.at(i - 1);
                const bool rightOk = i == intervals || here >= sign * v.at(i + 1);
                if (!leftOk || !rightOk || here + slack <= limit)
                    continue;
                const double lo = angleAt(std::max(i - 1, 0));
                const double hi = angleAt(std::min(i + 1, intervals));
                const Extremum e = refineExtremum(curve, lo, hi, angleAt(i), maximum);
                if (sign * e.value > limit)
                    out.push_back({index, e.x / kRadPerDeg, maximum ? BoundSide::Upper : BoundSide::Lower,
                                   sign * e.value - sign * bound.value, boundScale(bound.value),
                                   std::abs(curve.jet(e.x).curvature)});
            }
            next = last + 1;
        }
    };
    scan(lower, false);
    scan(upper, true);
}

} // namespace

std::vector<Violation> findViolations(const RequirementSet& set, const std::vector<MotionCoefficients>& coefficients,
                                      double lambda, double relativeTolerance, const SampleSpacing& spacing,
                                      bool withinRoundOff)
{
    std::vector<Violation> out;
    for (std::size_t i = 0; i < set.requirements.size(); ++i) {
        const Requirement& q = set.requirements[i];
        const int index = static_cast<int>(i);
        SideBound lower = sideBound(q.lower, lambda, relativeTolerance);
        SideBound upper = sideBound(q.upper, lambda, relativeTolerance);
        if (q.shape == RequirementShape::Spectrum) {
            const double v = spectrumValue(q, coefficients);
            if (v > upper.value + upper.tolerance)
                out.push_back({index, 0.0, BoundSide::Upper, v - upper.value, boundScale(upper.value)});
            continue;
        }
        const TrigSeries curve = requirementCurve(set, q, coefficients);
        if (withinRoundOff) {
            const double roundOff = curve.roundOffBound();
            for (SideBound* side : {&lower, &upper})
                side->tolerance =
                    std::max(side->tolerance, std::min(roundOff, kRoundOffAllowance * boundScale(side->value)));
        }
        if (q.shape == RequirementShape::Point)
            checkPoint(index, q, curve, lower, upper, out);
        else
            checkInterval(index, q, curve, spacing(q), lower, upper, out);
    }
    return out;
}

} // namespace vemra::module

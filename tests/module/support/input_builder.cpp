#include "input_builder.h"

#include <cstdio>
#include <cstdlib>

namespace vemra::module::testing {
namespace {

void appendRecord(std::string& out, const std::array<int, 9>& ints, const std::array<double, 12>& reals)
{
    char buffer[64];
    for (int value : ints) {
        std::snprintf(buffer, sizeof buffer, "%4d", value);
        out += buffer;
    }
    out += "\r\n";
    for (double value : reals) {
        std::snprintf(buffer, sizeof buffer, " %.17g", value);
        out += buffer;
    }
    out += "\r\n";
}

} // namespace

RestrictionRecord pointRestriction(int motion, int order, double angle, double lower, double upper)
{
    RestrictionRecord r{.motion = motion, .kind = order, .lowerMode = 0, .upperMode = 0};
    r.r(2) = angle;
    r.r(6) = lower;
    r.r(8) = upper;
    return r;
}

RestrictionRecord lowerPoint(int motion, int order, double angle, double lower)
{
    RestrictionRecord r = pointRestriction(motion, order, angle, lower, 0.0);
    r.upperMode = -1;
    return r;
}

RestrictionRecord upperPoint(int motion, int order, double angle, double upper)
{
    RestrictionRecord r = pointRestriction(motion, order, angle, 0.0, upper);
    r.lowerMode = -1;
    return r;
}

RestrictionRecord intervalRestriction(int motion, int order, double from, double to, double lower, double upper)
{
    RestrictionRecord r = pointRestriction(motion, order, from, lower, upper);
    r.kind = 10 + order;
    r.r(4) = to;
    return r;
}

RestrictionRecord wish(int motion, int order, double angle, double needed, double wanted)
{
    RestrictionRecord r = lowerPoint(motion, order, angle, needed);
    r.lowerMode = 1;
    r.r(5) = wanted;
    return r;
}

RestrictionRecord spectrumSum(int motion, int power, double bound)
{
    RestrictionRecord r{.motion = motion, .kind = 20 + power, .lowerMode = 0};
    r.r(6) = bound;
    return r;
}

RestrictionRecord spectrumHarmonic(int motion, int harmonic, double bound)
{
    RestrictionRecord r = spectrumSum(motion, 4, bound);
    r.motion2 = harmonic;
    return r;
}

InputBuilder& InputBuilder::objects(int count)
{
    objects_ = count;
    return *this;
}

InputBuilder& InputBuilder::advanced(int samples, int steps, double width)
{
    advanced_ = true;
    samples_ = samples;
    steps_ = steps;
    width_ = width;
    return *this;
}

int InputBuilder::addMotion(const MotionRecord& motion)
{
    motions_.push_back({motion, {}});
    return static_cast<int>(motions_.size());
}

InputBuilder& InputBuilder::add(const RestrictionRecord& restriction)
{
    if (restriction.kind >= 40)
        relative_.push_back(restriction);
    else
        motions_.at(static_cast<std::size_t>(std::abs(restriction.motion) - 1)).restrictions.push_back(restriction);
    return *this;
}

int InputBuilder::restrictionCount() const
{
    int count = static_cast<int>(relative_.size());
    for (const auto& m : motions_)
        count += static_cast<int>(m.restrictions.size());
    return count;
}

std::string InputBuilder::text() const
{
    std::string out;
    int ident = 0;
    auto restrictionRecord = [&](const RestrictionRecord& r) {
        appendRecord(out, {r.motion, r.motion2, r.kind, r.phiMinVar, r.phiMaxVar, r.lowerMode, r.upperMode, r.group,
                           ++ident},
                     r.par);
    };
    std::array<double, 12> projectReals{};
    projectReals[0] = advanced_ ? width_ : 0.0;
    appendRecord(out,
                 {0, 0, static_cast<int>(motions_.size()), advanced_ ? samples_ : 0, advanced_ ? steps_ : 0,
                  advanced_ ? 1 : 0, 0, objects_, ++ident},
                 projectReals);
    for (std::size_t i = 0; i < motions_.size(); ++i) {
        const MotionRecord& m = motions_[i].motion;
        std::array<double, 12> reals{};
        reals[0] = m.etaLimit;
        reals[1] = m.eta;
        reals[2] = m.theta;
        appendRecord(out,
                     {0, static_cast<int>(i + 1), m.harmonics, m.etaVariable ? 1 : 0, 0, 0, 0, 0, ++ident}, reals);
        for (const RestrictionRecord& r : motions_[i].restrictions)
            restrictionRecord(r);
    }
    for (const RestrictionRecord& r : relative_)
        restrictionRecord(r);
    return out;
}

} // namespace vemra::module::testing

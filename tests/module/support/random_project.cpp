#include "random_project.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace vemra::module::testing {

template <class Real>
Real outputValueIn(const TrueMotion& motion, double eta, int order, double phiDeg)
{
    const Real x = phiDeg * std::numbers::pi_v<Real> / 180;
    Real sum = order == 0 ? motion.b0 : 0;
    for (std::size_t i = 0; i < motion.a.size(); ++i) {
        const Real k = static_cast<Real>(i + 1);
        Real qa = motion.a[i], qb = motion.b[i];
        if (eta > 0.0) {
            const Real r = k * eta;
            const Real d = 4 * motion.theta * motion.theta * r * r + (1 - r * r) * (1 - r * r);
            const Real f = (1 - r * r + 4 * motion.theta * motion.theta * r * r) / d;
            const Real g = 2 * r * r * r * motion.theta / d;
            qa = f * motion.a[i] + g * motion.b[i];
            qb = -g * motion.a[i] + f * motion.b[i];
        }
        // d/dx shifts the phase by a quarter period each time.
        const Real phase = k * x + order * std::numbers::pi_v<Real> / 2;
        sum += std::pow(k, order) * (qa * std::sin(phase) + qb * std::cos(phase));
    }
    return sum;
}

double outputValue(const TrueMotion& motion, double eta, int order, double phiDeg)
{
    return outputValueIn<double>(motion, eta, order, phiDeg);
}

template <class Real>
Real curveIn(const std::vector<TrueMotion>& motions, int a, int b, int order, double phiDeg)
{
    const auto q = [&](int m) {
        const TrueMotion& t = motions[static_cast<std::size_t>(m)];
        return outputValueIn<Real>(t, t.eta, order, phiDeg);
    };
    return b >= 0 ? q(a) - q(b) : q(a);
}

double curve(const std::vector<TrueMotion>& motions, int a, int b, int order, double phiDeg)
{
    return curveIn<double>(motions, a, b, order, phiDeg);
}

long double curveExactly(const std::vector<TrueMotion>& motions, int a, int b, int order, double phiDeg)
{
    return curveIn<long double>(motions, a, b, order, phiDeg);
}

double spectrumSize(const TrueMotion& motion, int power)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < motion.a.size(); ++i)
        sum += std::pow(static_cast<double>(i + 1), power) * (std::abs(motion.a[i]) + std::abs(motion.b[i]));
    return sum;
}

namespace {

class Generator {
public:
    explicit Generator(const RandomProjectConfig& config) : config_(config), rng_(config.seed) {}

    RandomProject run()
    {
        RandomProject project;
        if (config_.samples > 0)
            project.builder.advanced(config_.samples, config_.steps, config_.width);
        project.builder.objects(config_.objects);
        for (std::size_t m = 0; m < config_.harmonics.size(); ++m) {
            TrueMotion t;
            MotionRecord record;
            record.harmonics = config_.harmonics[m];
            if (uniform(0, 1) < 0.5) {
                t.eta = uniform(0.05, 0.3);
                t.theta = uniform(0.05, 0.3);
            }
            if (m == 0 && config_.variableEta) {
                t.eta = uniform(0.1, 0.3);
                t.theta = uniform(0.05, 0.3);
                record.etaVariable = true;
                record.etaLimit = t.eta + uniform(0.05, 0.3);
            }
            record.eta = t.eta;
            record.theta = t.theta;
            // Badly scaled projects mix motions whose sizes span five orders of magnitude.
            const double size = config_.badlyScaled ? std::pow(10.0, uniform(-2, 3)) : 1.0;
            t.b0 = size * uniform(-1, 1);
            for (int k = 1; k <= record.harmonics; ++k) {
                t.a.push_back(size * uniform(-1, 1) / (k * k));
                t.b.push_back(size * uniform(-1, 1) / (k * k));
            }
            project.truth.push_back(t);
            project.builder.addMotion(record);
        }
        truth_ = &project.truth;

        for (int i = 0; i < config_.restrictions; ++i)
            project.builder.add(drawRestriction(i));
        if (config_.checkOnly) {
            RestrictionRecord r = lowerPoint(-1, 0, 45.0, curve(0, -1, 0, 45.0) + 10.0);
            project.builder.add(r);
        }
        return project;
    }

private:
    double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    double curve(int a, int b, int order, double phi) const { return testing::curve(*truth_, a, b, order, phi); }

    std::pair<double, double> range(int a, int b, int order, double from, double to) const
    {
        double lo = curve(a, b, order, from), hi = lo;
        const int n = std::max(2, static_cast<int>((to - from) / 0.01));
        for (int i = 1; i <= n; ++i) {
            const double v = curve(a, b, order, from + (to - from) * i / n);
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        return {lo, hi};
    }

    // Bounds around [lo, hi] that the truth keeps. Variable bounds want more: a band that
    // closes (so λ* < 1 for certain) or a single bound beyond what the truth does.
    void setBounds(RestrictionRecord& r, double lo, double hi, double scale)
    {
        const int which = pick(0, 2); // 0 both, 1 lower only, 2 upper only
        const double gapLo = uniform(0.05, 0.5) * scale, gapHi = uniform(0.05, 0.5) * scale;
        r.lowerMode = which == 2 ? -1 : 0;
        r.upperMode = which == 1 ? -1 : 0;
        r.r(6) = lo - gapLo;
        r.r(8) = hi + gapHi;
        if (!config_.variableBounds || uniform(0, 1) < 0.4)
            return;
        const double width = r.r(8) - r.r(6);
        if (which == 0 && uniform(0, 1) < 0.5) {
            const double squeeze = uniform(0.55, 0.95);
            r.lowerMode = r.upperMode = 1;
            r.r(5) = r.r(6) + squeeze * width;
            r.r(7) = r.r(8) - squeeze * width;
            return;
        }
        if (r.lowerMode == 0) {
            r.lowerMode = 1;
            r.r(5) = r.r(6) + gapLo * uniform(0.3, 3.0) * config_.ambition;
            if (r.upperMode == 0)
                r.r(5) = std::min(r.r(5), r.r(8));
        } else {
            r.upperMode = 1;
            r.r(7) = r.r(8) - gapHi * uniform(0.3, 3.0) * config_.ambition;
            if (r.lowerMode == 0)
                r.r(7) = std::max(r.r(7), r.r(6));
        }
    }

    double typicalSize(int a, int order) const
    {
        return std::max(spectrumSize((*truth_)[static_cast<std::size_t>(a)], order), 0.1);
    }

    RestrictionRecord drawRestriction(int index)
    {
        const int motions = static_cast<int>(truth_->size());
        const int a = pick(0, motions - 1);
        int b = -1;
        if (config_.relative && motions > 1 && uniform(0, 1) < 0.3) {
            b = pick(0, motions - 2);
            if (b >= a)
                ++b;
        }
        const double shape = uniform(0, 1);
        if (b < 0 && shape < 0.15) {
            const int power = pick(0, 2);
            const double sum = spectrumSize((*truth_)[static_cast<std::size_t>(a)], power);
            RestrictionRecord r = spectrumSum(a + 1, power, sum * 1.3);
            if (config_.variableBounds && uniform(0, 1) < 0.5) {
                r.lowerMode = 1;
                r.r(5) = sum * uniform(0.2, 1.1);
            }
            return r;
        }
        const int order = pick(0, config_.highestOrder);
        const double scale = typicalSize(b < 0 ? a : std::max(a, b), order);
        RestrictionRecord r;
        r.motion = a + 1;
        r.motion2 = b < 0 ? 0 : b + 1;
        if (shape < 0.5) {
            r.kind = (b < 0 ? 0 : 40) + order;
            r.r(2) = uniform(0, 360);
            const double v = curve(a, b, order, r.r(2));
            // Tight point bands: what the truth does there, to a thousandth of its size.
            setBounds(r, v, v, config_.badlyScaled ? 1e-3 * scale : scale);
        } else {
            r.kind = (b < 0 ? 10 : 50) + order;
            r.r(2) = uniform(0, 300);
            r.r(4) = r.r(2) + uniform(15, 120);
            const auto [lo, hi] = range(a, b, order, r.r(2), r.r(4));
            setBounds(r, lo, hi, scale);
            if (config_.variableAngles && uniform(0, 1) < 0.6) {
                if (uniform(0, 1) < 0.5) {
                    r.phiMinVar = 1;
                    r.r(1) = r.r(2) - uniform(5, 40);
                } else {
                    r.phiMaxVar = 1;
                    r.r(3) = r.r(4) + uniform(5, 40);
                }
            }
        }
        if (config_.objects > 0 && index % 3 == 0) {
            r.group = 1 + (index / 3) % config_.objects;
            const double room = r.kind % 20 >= 10 ? 0.5 * (r.r(4) - r.r(2)) : 40.0;
            r.r(9) = r.r(2) - uniform(5, 40);
            r.r(10) = r.r(2) + uniform(0.2, 1.0) * room;
            if (r.kind % 20 >= 10) {
                r.r(11) = r.r(4) - uniform(0.0, 0.2) * room;
                r.r(12) = r.r(4) + uniform(5, 40);
            }
        }
        return r;
    }

    const RandomProjectConfig& config_;
    std::mt19937 rng_;
    const std::vector<TrueMotion>* truth_ = nullptr;
};

} // namespace

RandomProject makeRandomProject(const RandomProjectConfig& config)
{
    return Generator(config).run();
}

} // namespace vemra::module::testing

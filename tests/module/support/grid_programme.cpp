#include "grid_programme.h"

#include <ClpSimplex.hpp>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vemra::module::testing {
namespace {

struct MotionColumns {
    int first = 0;       // b0, then a_1..a_K, then b_1..b_K
    int harmonics = 0;
    double eta = 0.0;
    double theta = 0.0;
    int absFirst = -1;   // u_1..u_K >= |a_k|, then v_1..v_K >= |b_k|; -1 when not needed

    int a(int k) const { return first + k; }
    int b(int k) const { return first + harmonics + k; }
};

// The factors of a_k and b_k in the curve of the given derivative order at x radians: the
// elastic transfer of harmonic k, turned by the derivative. In double for the rows, in long
// double for the walk that checks a solution between them.
template <class Real>
std::pair<Real, Real> harmonicFactors(const MotionColumns& m, int k, int order, Real x)
{
    Real f = 1, g = 0;
    if (m.eta != 0.0) {
        const Real r = k * static_cast<Real>(m.eta), a = r * r, b = static_cast<Real>(m.theta) * m.theta * r * r;
        const Real d = 4 * b + (1 - a) * (1 - a);
        f = (1 - a + 4 * b) / d;
        g = 2 * r * r * r * static_cast<Real>(m.theta) / d;
    }
    const Real phase = k * x + order * std::numbers::pi_v<Real> / 2;
    const Real scale = std::pow(static_cast<Real>(k), order);
    return {scale * (f * std::sin(phase) - g * std::cos(phase)), scale * (g * std::sin(phase) + f * std::cos(phase))};
}

class Builder {
public:
    Builder(const std::vector<RawRecord>& records, double lambda) : records_(records), lambda_(lambda)
    {
        for (std::size_t i = 1; i < records.size(); ++i) {
            const RawRecord& r = records[i];
            if (r.intPar(1) != 0)
                continue;
            MotionColumns m;
            m.harmonics = r.intPar(3);
            m.eta = r.realPar(2);
            m.theta = r.realPar(3);
            m.first = columns_;
            columns_ += 1 + 2 * m.harmonics;
            motions_.resize(std::max<std::size_t>(motions_.size(), static_cast<std::size_t>(r.intPar(2))));
            motions_[static_cast<std::size_t>(r.intPar(2) - 1)] = m;
        }
        for (const RawRecord& r : records) {
            const int kind = r.intPar(3);
            if (r.intPar(1) > 0 && kind >= 20 && kind <= 24) {
                MotionColumns& m = motions_[static_cast<std::size_t>(r.intPar(1) - 1)];
                if (m.absFirst < 0) {
                    m.absFirst = columns_;
                    columns_ += 2 * m.harmonics;
                }
            }
        }
        clp_.setLogLevel(0);
        // Rows of sines times k^3 next to plain sines: the solver's scaling turns clear
        // answers into "optimal with infeasibilities" here.
        clp_.scaling(0);
        clp_.resize(0, columns_);
        for (int c = 0; c < columns_; ++c)
            clp_.setColumnBounds(c, -COIN_DBL_MAX, COIN_DBL_MAX);
        for (const MotionColumns& m : motions_)
            if (m.absFirst >= 0)
                addAbsoluteValueRows(m);
    }

    void addRestriction(std::size_t index, const GridProgramme& settings)
    {
        const RawRecord& r = records_[index];
        const int kind = r.intPar(3);
        if (r.intPar(1) <= 0)
            return; // motions and check-only restrictions
        if (kind >= 20 && kind <= 24) {
            addSpectrumRow(r, settings.inset);
            return;
        }
        double lower = r.intPar(6) < 0 ? -COIN_DBL_MAX : boundAt(r.intPar(6), r.realPar(6), r.realPar(5));
        double upper = r.intPar(7) < 0 ? COIN_DBL_MAX : boundAt(r.intPar(7), r.realPar(8), r.realPar(7));
        if (lower == -COIN_DBL_MAX && upper == COIN_DBL_MAX)
            return;
        const double inset = r.intPar(6) == 1 || r.intPar(7) == 1 ? settings.inset : 0.0;
        if (lower > -COIN_DBL_MAX)
            lower += inset * std::max(1.0, std::abs(lower));
        if (upper < COIN_DBL_MAX)
            upper -= inset * std::max(1.0, std::abs(upper));
        const int a = r.intPar(1) - 1;
        const int b = kind >= 40 ? r.intPar(2) - 1 : -1;
        const int order = kind % 10;
        if (kind % 20 < 10) {
            addCurveRow(a, b, order, r.realPar(2), lower, upper);
            return;
        }
        double from = r.realPar(2), to = r.realPar(4);
        if (r.intPar(4) == 1)
            from -= lambda_ * (r.realPar(2) - r.realPar(1));
        if (r.intPar(5) == 1)
            to += lambda_ * (r.realPar(3) - r.realPar(4));
        to = std::min(to, from + 360.0);
        intervals_.push_back({index, a, b, order, from, to, lower, upper});
        int highest = motion(a).harmonics;
        if (b >= 0)
            highest = std::max(highest, motion(b).harmonics);
        const double step = 360.0 / highest * settings.periodFraction;
        const int intervals = std::max(1, static_cast<int>(std::ceil((to - from) / step)));
        for (int i = 0; i <= intervals; ++i)
            addCurveRow(a, b, order, i == intervals ? to : from + (to - from) * i / intervals, lower, upper);
        for (const auto& [record, angle] : settings.extraAngles)
            if (record == index && angle >= from && angle <= to)
                addCurveRow(a, b, order, angle, lower, upper);
        // Where a point requirement on the same motion lies inside the interval, the interval
        // holds there too. Between grid angles, coefficients of 1e7 can make the curve dip to
        // a point's bound and back within a thousandth of a degree, out of sight of the
        // 0.01° walk, and "meet" both requirements where together they have no solution.
        for (double angle : pointAnglesOn(a, b))
            for (double turn : {0.0, 360.0})
                if (angle + turn >= from && angle + turn <= to)
                    addCurveRow(a, b, order, angle + turn, lower, upper);
    }

    std::vector<double> pointAnglesOn(int a, int b) const
    {
        std::vector<double> angles;
        for (const RawRecord& r : records_) {
            const int kind = r.intPar(3);
            if (r.intPar(1) <= 0 || (kind >= 20 && kind <= 24) || kind % 20 >= 10)
                continue;
            const int first = r.intPar(1) - 1, second = kind >= 40 ? r.intPar(2) - 1 : -1;
            if (first == a || first == b || (second >= 0 && (second == a || second == b)))
                angles.push_back(r.realPar(2));
        }
        return angles;
    }

    // Infeasible only when both simplex methods, each from scratch, say so; feasible when
    // either finds a point that keeps every row to the accepted share of its bound's scale.
    GridVerdict solve(double acceptedViolation)
    {
        bool infeasible = true;
        for (bool primal : {true, false}) {
            ClpSimplex run(clp_);
            // Either method can stall on these programmes; a stalled run decides nothing.
            run.setMaximumIterations(5000);
            run.setPrimalTolerance(std::min(1e-7, acceptedViolation));
            if (primal)
                run.primal();
            else
                run.dual();
            if (run.status() == 0 && largestViolation(run) <= acceptedViolation) {
                solution_.assign(run.primalColumnSolution(), run.primalColumnSolution() + columns_);
                return GridVerdict::Feasible;
            }
            infeasible = infeasible && run.status() == 1;
        }
        return infeasible ? GridVerdict::Infeasible : GridVerdict::Undecided;
    }

    // After a feasible solve: the angles, on a 0.01° walk along each interval requirement,
    // where the solution misses it most in their neighbourhood by more than the accepted
    // violation (every local worst, so that a wavy solution is caught everywhere at once).
    std::vector<std::pair<std::size_t, double>> missedAngles(double acceptedViolation) const
    {
        std::vector<std::pair<std::size_t, double>> missed;
        for (const Interval& span : intervals_) {
            const int steps = static_cast<int>(std::ceil((span.to - span.from) / 0.01));
            std::vector<double> misses(static_cast<std::size_t>(steps) + 1);
            for (int i = 0; i <= steps; ++i) {
                const double phi = std::min(span.to, span.from + 0.01 * i);
                long double value = curveValue(span.a, span.order, phi);
                if (span.b >= 0)
                    value -= curveValue(span.b, span.order, phi);
                misses[static_cast<std::size_t>(i)] =
                    static_cast<double>(std::max((span.lower - value) / std::max(1.0, std::abs(span.lower)),
                                                 (value - span.upper) / std::max(1.0, std::abs(span.upper))));
            }
            for (std::size_t i = 0; i < misses.size(); ++i) {
                const bool peak = (i == 0 || misses[i] >= misses[i - 1]) &&
                                  (i + 1 == misses.size() || misses[i] > misses[i + 1]);
                if (peak && misses[i] > acceptedViolation)
                    missed.emplace_back(span.record, std::min(span.to, span.from + 0.01 * static_cast<double>(i)));
            }
        }
        return missed;
    }

private:
    // A motion's curve (derivative of the given order) at an angle for the solution found, in
    // long double: coefficients of 1e7 that cancel would drown the walk's verdict in round-off.
    long double curveValue(int motionIndex, int order, double phiDeg) const
    {
        const MotionColumns& m = motion(motionIndex);
        const long double x = static_cast<long double>(phiDeg) * std::numbers::pi_v<long double> / 180.0L;
        long double value = order == 0 ? solution_[static_cast<std::size_t>(m.first)] : 0.0L;
        for (int k = 1; k <= m.harmonics; ++k) {
            const auto [onA, onB] = harmonicFactors(m, k, order, x);
            value += onA * solution_[static_cast<std::size_t>(m.a(k))] + onB * solution_[static_cast<std::size_t>(m.b(k))];
        }
        return value;
    }

    struct Interval {
        std::size_t record;
        int a, b, order;
        double from, to, lower, upper;
    };

    static double largestViolation(const ClpSimplex& run)
    {
        const double* activity = run.getRowActivity();
        double worst = 0.0;
        for (int i = 0; i < run.numberRows(); ++i) {
            const double lower = run.getRowLower()[i], upper = run.getRowUpper()[i];
            if (activity[i] < lower)
                worst = std::max(worst, (lower - activity[i]) / std::max(1.0, std::abs(lower)));
            if (activity[i] > upper)
                worst = std::max(worst, (activity[i] - upper) / std::max(1.0, std::abs(upper)));
        }
        return worst;
    }

    const MotionColumns& motion(int index) const { return motions_[static_cast<std::size_t>(index)]; }

    // A bound at λ: the entered one, or moving from it towards its variable limit.
    double boundAt(int mode, double fixed, double limit) const
    {
        return mode == 1 ? fixed + lambda_ * (limit - fixed) : fixed;
    }

    void addRow(const std::vector<int>& columns, const std::vector<double>& values, double lower, double upper)
    {
        // Rows divided by the size of their bounds (a power of two, so nothing rounds): the
        // solver's tolerance then means the same share of every bound.
        double size = 1.0;
        for (double bound : {lower, upper})
            if (std::abs(bound) < COIN_DBL_MAX)
                size = std::max(size, std::abs(bound));
        int exponent = 0;
        std::frexp(size, &exponent);
        const double scale = std::ldexp(1.0, -exponent);
        std::vector<double> scaled(values);
        for (double& v : scaled)
            v *= scale;
        const double low = lower > -COIN_DBL_MAX ? lower * scale : lower;
        const double high = upper < COIN_DBL_MAX ? upper * scale : upper;
        const CoinBigIndex starts[2] = {0, static_cast<CoinBigIndex>(columns.size())};
        clp_.addRows(1, &low, &high, starts, columns.data(), scaled.data());
    }

    void addAbsoluteValueRows(const MotionColumns& m)
    {
        for (int k = 1; k <= m.harmonics; ++k) {
            const int u = m.absFirst + k - 1, v = m.absFirst + m.harmonics + k - 1;
            for (double sign : {1.0, -1.0}) {
                addRow({u, m.a(k)}, {1.0, -sign}, 0.0, COIN_DBL_MAX);
                addRow({v, m.b(k)}, {1.0, -sign}, 0.0, COIN_DBL_MAX);
            }
        }
    }

    void addSpectrumRow(const RawRecord& r, double inset)
    {
        const MotionColumns& m = motion(r.intPar(1) - 1);
        double c = r.intPar(6) == 1 ? r.realPar(6) - lambda_ * (r.realPar(6) - r.realPar(5)) : r.realPar(6);
        if (r.intPar(6) == 1)
            c -= inset * std::max(1.0, std::abs(c));
        std::vector<int> columns;
        std::vector<double> values;
        for (int k = 1; k <= m.harmonics; ++k) {
            const double weight = r.intPar(3) == 24 ? (k == r.intPar(2) ? 1.0 : 0.0) : std::pow(k, r.intPar(3) - 20);
            if (weight == 0.0)
                continue;
            columns.insert(columns.end(), {m.absFirst + k - 1, m.absFirst + m.harmonics + k - 1});
            values.insert(values.end(), {weight, weight});
        }
        addRow(columns, values, -COIN_DBL_MAX, c);
    }

    void addCurveTerms(int motionIndex, double sign, int order, double phiDeg, std::vector<int>& columns,
                       std::vector<double>& values) const
    {
        const MotionColumns& m = motion(motionIndex);
        const double x = phiDeg * std::numbers::pi / 180.0;
        if (order == 0) {
            columns.push_back(m.first);
            values.push_back(sign);
        }
        for (int k = 1; k <= m.harmonics; ++k) {
            const auto [onA, onB] = harmonicFactors(m, k, order, x);
            columns.insert(columns.end(), {m.a(k), m.b(k)});
            values.insert(values.end(), {sign * onA, sign * onB});
        }
    }

    void addCurveRow(int a, int b, int order, double phiDeg, double lower, double upper)
    {
        std::vector<int> columns;
        std::vector<double> values;
        addCurveTerms(a, 1.0, order, phiDeg, columns, values);
        if (b >= 0)
            addCurveTerms(b, -1.0, order, phiDeg, columns, values);
        addRow(columns, values, lower, upper);
    }

    const std::vector<RawRecord>& records_;
    double lambda_;
    int columns_ = 0;
    std::vector<MotionColumns> motions_;
    std::vector<Interval> intervals_;
    std::vector<double> solution_;
    ClpSimplex clp_;
};

} // namespace

GridVerdict solveOnGrid(const std::vector<RawRecord>& records, double lambda, const GridProgramme& settings)
{
    GridProgramme current = settings;
    for (int round = 0; round < 100; ++round) {
        Builder builder(records, lambda);
        for (std::size_t i = 1; i < records.size(); ++i)
            builder.addRestriction(i, current);
        const GridVerdict verdict = builder.solve(settings.acceptedViolation);
        if (verdict != GridVerdict::Feasible || !settings.refine)
            return verdict;
        const auto missed = builder.missedAngles(settings.acceptedViolation);
        if (missed.empty())
            return GridVerdict::Feasible;
        current.extraAngles.insert(current.extraAngles.end(), missed.begin(), missed.end());
    }
    return GridVerdict::Undecided;
}

} // namespace vemra::module::testing

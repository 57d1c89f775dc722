#include "project_edits.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vemra::module::testing {
namespace {

double& R(RawRecord& r, int i) { return r.reals[static_cast<std::size_t>(i - 1)]; }
int& I(RawRecord& r, int i) { return r.ints[static_cast<std::size_t>(i - 1)]; }

bool isMotion(const RawRecord& r) { return r.intPar(1) == 0; }
bool isSpectrum(const RawRecord& r) { return r.intPar(3) >= 20 && r.intPar(3) <= 24; }
bool isInterval(const RawRecord& r) { return r.intPar(3) % 20 >= 10; }

// A bound at λ: the entered one, or moving from it towards its limit when variable.
double boundAt(int mode, double fixed, double limit, double lambda)
{
    return mode == 1 ? fixed + lambda * (limit - fixed) : fixed;
}

} // namespace

std::string recordsText(const std::vector<RawRecord>& records)
{
    std::string text;
    char buffer[64];
    for (const RawRecord& r : records) {
        for (int v : r.ints) {
            std::snprintf(buffer, sizeof buffer, " %d", v);
            text += buffer;
        }
        text += "\n";
        for (double v : r.reals) {
            std::snprintf(buffer, sizeof buffer, " %.17g", v);
            text += buffer;
        }
        text += "\n";
    }
    return text;
}

std::vector<RawRecord> withShifts(std::vector<RawRecord> records, const std::vector<double>& shifts)
{
    records[0].ints[7] = 0;
    for (std::size_t i = 1; i < records.size(); ++i) {
        RawRecord& r = records[i];
        const int group = I(r, 8);
        if (isMotion(r) || group <= 0)
            continue;
        const auto slot = static_cast<std::size_t>(group - 1);
        if (r.intPar(1) > 0 && !isSpectrum(r) && slot < shifts.size())
            for (int field = 1; field <= 4; ++field)
                R(r, field) += shifts[slot];
        I(r, 8) = 0;
    }
    return records;
}

std::optional<std::vector<RawRecord>> fixedAt(std::vector<RawRecord> records, double lambda)
{
    for (std::size_t i = 1; i < records.size(); ++i) {
        RawRecord& r = records[i];
        if (isMotion(r)) {
            if (I(r, 4) != 0)
                R(r, 2) += lambda * (R(r, 1) - R(r, 2));
            I(r, 4) = 0;
            continue;
        }
        if (I(r, 1) < 0)
            continue;
        R(r, 6) = boundAt(I(r, 6), R(r, 6), R(r, 5), lambda);
        if (isSpectrum(r)) {
            I(r, 6) = 0;
            continue;
        }
        if (isInterval(r)) {
            if (I(r, 4) == 1)
                R(r, 2) -= lambda * (R(r, 2) - R(r, 1));
            if (I(r, 5) == 1)
                R(r, 4) += lambda * (R(r, 3) - R(r, 4));
            I(r, 4) = I(r, 5) = 0;
        }
        R(r, 8) = boundAt(I(r, 7), R(r, 8), R(r, 7), lambda);
        I(r, 6) = std::min(I(r, 6), 0);
        I(r, 7) = std::min(I(r, 7), 0);
        if (I(r, 6) == 0 && I(r, 7) == 0 && R(r, 8) < R(r, 6))
            return std::nullopt;
    }
    return records;
}

std::vector<RawRecord> loosened(std::vector<RawRecord> records, std::size_t index, double delta)
{
    RawRecord& r = records.at(index);
    if (isSpectrum(r)) {
        R(r, 6) += delta;
        if (I(r, 6) == 1)
            R(r, 5) += delta;
        return records;
    }
    if (I(r, 6) >= 0) {
        R(r, 6) -= delta;
        if (I(r, 6) == 1)
            R(r, 5) -= delta;
    }
    if (I(r, 7) >= 0) {
        R(r, 8) += delta;
        if (I(r, 7) == 1)
            R(r, 7) += delta;
    }
    return records;
}

std::vector<RawRecord> onlyRestrictions(const std::vector<RawRecord>& records, const std::vector<int>& kept)
{
    std::vector<RawRecord> result{records.front()};
    for (std::size_t i = 1; i < records.size(); ++i)
        if (isMotion(records[i]) || std::find(kept.begin(), kept.end(), records[i].intPar(9)) != kept.end())
            result.push_back(records[i]);
    return result;
}

double boundSize(const RawRecord& r)
{
    double size = 1.0;
    auto take = [&](int mode, int fixed, int limit) {
        if (mode < 0)
            return;
        size = std::max(size, std::abs(r.realPar(fixed)));
        if (mode == 1)
            size = std::max(size, std::abs(r.realPar(limit)));
    };
    if (isSpectrum(r)) {
        take(r.intPar(6) < 0 ? 0 : r.intPar(6), 6, 5);
        return size;
    }
    take(r.intPar(6), 6, 5);
    take(r.intPar(7), 8, 7);
    return size;
}

} // namespace vemra::module::testing

// Builds module input text for tests and benchmarks: a project, its motions, their
// restrictions and the relative restrictions, in the order the application writes them.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace vemra::module::testing {

struct RestrictionRecord {
    int motion = 1;        // negative: check only
    int motion2 = 0;       // relative kinds: second motion; kind 24: harmonic
    int kind = 0;
    int phiMinVar = 0;
    int phiMaxVar = 0;
    int lowerMode = -1;
    int upperMode = -1;
    int group = 0;
    std::array<double, 12> par{}; // RealPar[1..12] at index 0..11

    double& r(int i) { return par[static_cast<std::size_t>(i - 1)]; }
};

// Frequently used shapes; bounds are fixed, change the modes for variable ones.
RestrictionRecord pointRestriction(int motion, int order, double angle, double lower, double upper);
RestrictionRecord lowerPoint(int motion, int order, double angle, double lower);
RestrictionRecord upperPoint(int motion, int order, double angle, double upper);
RestrictionRecord intervalRestriction(int motion, int order, double from, double to, double lower, double upper);
// A point's lower bound that must reach needed and wants wanted.
RestrictionRecord wish(int motion, int order, double angle, double needed, double wanted);
RestrictionRecord spectrumSum(int motion, int power, double bound);
RestrictionRecord spectrumHarmonic(int motion, int harmonic, double bound);

struct MotionRecord {
    int harmonics = 1;
    double eta = 0.0;
    double theta = 0.0;
    bool etaVariable = false;
    double etaLimit = 0.0;
};

class InputBuilder {
public:
    InputBuilder& objects(int count);
    InputBuilder& advanced(int samples, int steps, double width);
    // Returns the motion's number.
    int addMotion(const MotionRecord& motion);
    // Absolute restrictions go behind their motion, relative ones (kind >= 40) to the end.
    InputBuilder& add(const RestrictionRecord& restriction);

    std::string text() const;
    int restrictionCount() const;

private:
    struct MotionEntry {
        MotionRecord motion;
        std::vector<RestrictionRecord> restrictions;
    };
    int objects_ = 0;
    bool advanced_ = false;
    int samples_ = 8;
    int steps_ = 20;
    double width_ = 0.25;
    std::vector<MotionEntry> motions_;
    std::vector<RestrictionRecord> relative_;
};

} // namespace vemra::module::testing

// The exchange method for one requirement set: solve the linear programme on a grid of angles,
// check the solution between the grid angles, add the angles where it breaks a bound and
// solve again until no violation is left.
#pragma once

#include "module/linear_program.h"
#include "module/requirement_checker.h"
#include "module/requirement_set.h"
#include "module/solve_stats.h"

#include <memory>
#include <utility>
#include <vector>

namespace vemra::module {

enum class LpObjective {
    MaximiseLambda, // bounds linear in λ; the programme finds the largest λ
    Smoothness,     // λ fixed; least sum of k^2 (|a_k| + |b_k|)
};

struct ExchangeSettings {
    double tolerance = 1e-9;  // accepted violation, relative to max(1, |bound|)
    int checkRefinement = 10; // the check grid is this many times finer than the solve grid
    int maxRounds = 60;
    // The grid angles enter the programme as they are needed; every stride-th from the start.
    int initialStride = 4;
    // The primal simplex usually proves a nearly feasible programme infeasible in far fewer
    // iterations than the dual; the dual is faster when the answer is a solution.
    SimplexMethod method = SimplexMethod::Dual;
};

// The rows and the final basis of a solved programme. A neighbouring problem (another λ, other
// shifts) with the same requirements rebuilds the same rows at its own angles and starts the
// simplex from this basis, which saves most of the iterations and exchange rounds.
struct WarmStart {
    struct RowGroup {
        int requirement = 0;
        double position = 0.0; // where in its interval (0 = lower end, 1 = upper end) a cut lies
        bool onGrid = false;
    };
    LpObjective objective = LpObjective::Smoothness;
    bool lambdaColumn = false;
    std::vector<RowGroup> groups;     // in the order their rows were made
    std::vector<unsigned char> basis; // columns, then the rows of the groups
};

struct ExchangeResult {
    bool feasible = false;
    double lambda = 0.0; // λ reached (the fixed λ for Smoothness)
    std::vector<MotionCoefficients> coefficients;
    double smoothness = 0.0;
    // Angles between the grid angles that ended up binding: good starting angles for a
    // programme with another objective over the same requirements (the smoothness programme
    // after the one that maximised λ), where the basis cannot be reused.
    std::vector<std::pair<int, double>> bindingAngles;
    std::shared_ptr<const WarmStart> warmStart;
};

// An angle (degrees) of a requirement to include from the start, e.g. where a final check
// found a violation.
using ExtraAngle = std::pair<int, double>;

class ExchangeSolver {
public:
    ExchangeSolver(const RequirementSet& set, SolveStats& stats, ExchangeSettings settings = {});

    ExchangeResult solve(LpObjective objective, const std::vector<ExtraAngle>& extraAngles = {},
                         const WarmStart* warmStart = nullptr);

private:
    struct Cut {
        int requirement;
        double angle;
        int lowerRow = -1;
        int upperRow = -1; // equals lowerRow for a ranged row
        double lowerMargin = 0.0;
        double upperMargin = 0.0;
        bool onGrid = false;
    };

    bool hasCrossedBounds() const;
    void resetProgramme(LpObjective objective);
    void layOutColumns(LpObjective objective);
    void addInitialRows();
    bool addRowsOf(const WarmStart& warm);
    std::shared_ptr<const WarmStart> captureWarmStart(LpObjective objective) const;
    void addSpectrumRow(int requirement);
    void addCut(int requirement, double angleDeg, bool onGrid = false);
    bool hasCutNear(int requirement, double angleDeg) const;
    void addCutCluster(const Violation& violation);
    std::vector<ExtraAngle> collectBindingAngles() const;
    void applyCutBounds(const Cut& cut);
    void appendCurveRow(const Requirement& q, double angleDeg);
    void dropRoundOffEntries();
    bool tightenOrAdd(const Violation& violation);
    std::vector<MotionCoefficients> readCoefficients() const;
    double lambdaOfSolution() const;

    const RequirementSet& set_;
    SolveStats& stats_;
    ExchangeSettings settings_;
    std::vector<int> motionOffset_;
    int lambdaColumn_ = -1;
    int columnCount_ = 0;
    std::unique_ptr<LinearProgram> lp_;
    std::vector<Cut> cuts_;
    // Every spectrum row and cut in the order made: cut index, or -1 - requirement for a
    // spectrum row; with its first programme row and row count.
    struct RowGroup {
        int cut;
        int firstRow;
        int rowCount;
    };
    std::vector<RowGroup> groups_;
    std::vector<std::vector<int>> cutsOfRequirement_;
    std::vector<int> spectrumRow_;
    std::vector<double> spectrumMargin_;
    std::vector<int> rowColumns_; // scratch for one row
    std::vector<double> rowValues_;
};

} // namespace vemra::module

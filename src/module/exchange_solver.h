// The exchange method for one requirement set: solve the linear programme on a grid of angles,
// check the solution between the grid angles, add the angles where it breaks a bound and
// solve again until no violation is left.
#pragma once

#include "module/linear_program.h"
#include "module/requirement_checker.h"
#include "module/requirement_set.h"
#include "module/solve_stats.h"

#include <limits>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace vemra::module {

struct ExchangeSettings {
    double tolerance = 1e-9;  // accepted violation, relative to max(1, |bound|)
    int checkRefinement = 10; // the check grid is this many times finer than the solve grid
    // Projects whose solutions need huge, nearly cancelling coefficients converge slowly.
    int maxRounds = 200;
    // The grid angles enter the programme as they are needed; every stride-th from the start.
    int initialStride = 4;
    // The primal simplex usually proves a nearly feasible programme infeasible in far fewer
    // iterations than the dual; the dual is faster when the answer is a solution.
    SimplexMethod method = SimplexMethod::Dual;
    // Whether the dual simplex's word that a programme has no solution is checked by the
    // primal. Where it decides λ* or whether a project can be met at all, it has to be; a
    // shift candidate wrongly found infeasible is only a candidate less.
    bool confirmInfeasibility = true;
    // Whether the margins the rounds put on rows (see tightenOrAdd) are taken back once when
    // they leave a programme without a solution. They only help the simplex's solution land
    // inside its tolerance, and at the edge of feasibility they can close what is left; taking
    // them back costs a solve wherever the programme has no solution anyway, so it is only
    // worth it where the answer decides whether a project can be met at all.
    bool releaseMargins = false;
    // Whether a solve at a fixed λ that started from a neighbour's rows and ended without a
    // verdict is solved once more from the initial angles (see ExchangeSolver::run). Off where
    // the caller runs that second solve itself, possibly ahead on another core.
    bool retryFromInitialAngles = true;
};

// The rows and the final bases of a solve. A neighbouring problem (another λ, other shifts)
// with the same requirements rebuilds the same rows at its own angles and starts the simplex
// from these bases, which saves most of the iterations and exchange rounds.
struct WarmStart {
    struct RowGroup {
        int requirement = 0;
        double position = 0.0; // where in its interval (0 = lower end, 1 = upper end) a cut lies
        bool onGrid = false;
        // Margins the rows had grown (spectrum rows: the upper one); a neighbour needs the
        // same ones on its binding rows and need not find them again round by round.
        double lowerMargin = 0.0;
        double upperMargin = 0.0;
    };
    bool lambdaColumn = false;
    std::vector<RowGroup> groups;           // in the order their rows were made
    std::vector<unsigned char> smoothBasis; // columns, then the rows of the groups
    std::vector<unsigned char> lambdaBasis; // the same for the programme maximising λ, if any
};

// What the simplex says about one row of the last solve: the requirement the row holds, the
// angle of its cut (NaN for a spectrum row) and a value in the units of the row's bound.
struct RowReading {
    int requirement = 0;
    double angle = 0.0;
    double value = 0.0;
};

struct ExchangeResult {
    bool feasible = false;
    // A solve at a fixed λ stopped as soon as its smoothness sum reached the bound it was
    // given; whether the requirements can be met there at all is then not known.
    bool gaveUp = false;
    // Started from a neighbour's rows, the simplex ended without a verdict, and the retry from
    // the initial angles was left to the caller (ExchangeSettings::retryFromInitialAngles).
    bool failedFromWarmStart = false;
    double lambda = 0.0;     // λ reached
    double lambdaUsed = 0.0; // λ the coefficients meet the requirements at (at most 1e-7 below)
    std::vector<MotionCoefficients> coefficients;
    double smoothness = 0.0;
    std::shared_ptr<const WarmStart> warmStart;
    // A solve at a fixed λ that the simplex proved to have no solution: the rows that may take
    // part in the proof (see LinearProgram::mayProveInfeasibility), which a neighbour asking
    // the same question can hold from the start.
    std::shared_ptr<const WarmStart> proofRows;
    // For the largest λ: the λ programme's rows with their dual values at λ*, which explain
    // what holds λ* there without solving it again.
    std::shared_ptr<const std::vector<RowReading>> fulfilmentRows;
};

// An angle (degrees) of a requirement to include from the start, e.g. where a final check
// found a violation. For a point restriction the angle is its own.
using ExtraAngle = std::pair<int, double>;

enum class RowValues {
    FulfilmentDuals,  // of the programme maximising λ: how λ changes per unit of the row's bound
    SmoothnessDuals,  // of the smoothness programme: how the smoothness sum changes per unit
    InfeasibilityRay, // of the smoothness programme, after it ended without a solution
};

class ExchangeSolver {
public:
    ExchangeSolver(const RequirementSet& set, SolveStats& stats, ExchangeSettings settings = {});

    // The smoothest coefficients at a fixed λ. A set without a λ column has its bounds fixed
    // already and ignores the argument. Gives up (gaveUp, nothing feasible) once a round's
    // smoothness sum reaches giveUpAt: each round's programme holds only some of the angles
    // and later rounds only add to them, so the final sum would be at least as large.
    ExchangeResult solveAt(double lambda, const std::vector<ExtraAngle>& extraAngles = {},
                           const WarmStart* warmStart = nullptr,
                           double giveUpAt = std::numeric_limits<double>::infinity());

    // The largest λ of a set with a λ column, and the smoothest coefficients there (1e-7
    // below it unless it is 1). Each round solves two programmes over the same angles: one
    // maximising λ, one minimising the smoothness sum at that λ.
    ExchangeResult solveLargestLambda(const WarmStart* warmStart = nullptr);

    // After solveAt on a set with a λ column: goes on from its angles to the largest λ, as
    // solveLargestLambda would. Gives up, with nothing, as soon as λ* is known to lie at or
    // below the threshold (the angles held are a part of the requirements, so the largest λ
    // they allow bounds λ* from above), or when no λ is possible.
    std::optional<ExchangeResult> largestLambdaAbove(double threshold);

    // Every row of the last solve's programmes, in the order made, with the values asked for
    // (none for rows added after the last simplex run).
    std::vector<RowReading> readRows(RowValues values) const;

private:
    // The weight of λ in the objective of the programme that maximises it. Where one unit of λ
    // takes large coefficients to reach, the reduced costs of those coefficients are tiny, and
    // with weight 1 the simplex's dual tolerance of 1e-7 would call a vertex well short of the
    // largest λ optimal.
    static constexpr double kLambdaWeight = 1e3;
    // How large the λ programme's dense solutions may grow (see layOutColumns).
    static constexpr double kLargestDenseLambdaSolution = 1e3;
    // How far above the λ reached its check looks (the precision λ* is promised to), and how
    // many times it may find the λ programme short (each climb on gains only a little on the
    // worst projects; a few in a row that gain nothing end it earlier).
    static constexpr double kTopCheckStep = 1e-6;
    static constexpr int kTopChecks = 32;
    // Climbs from above the λ* found that end no higher, in a row, before the checks stop. On
    // a badly scaled project three such climbs wandered between 0.9950 and 0.9968 and ended
    // lower before the fourth reached λ*, 1e-3 above the first one's.
    static constexpr int kIdleTopClimbs = 4;
    // How far above a threshold λ is held while largestLambdaAbove settles whether λ* gets
    // there (a solution right at the threshold would count as not above it).
    static constexpr double kCapAboveThreshold = 1e-7;

    struct Cut {
        int requirement;
        double angle;
        int lowerRow = -1;
        int upperRow = -1; // equals lowerRow for a ranged row
        double lowerMargin = 0.0;
        double upperMargin = 0.0;
        bool onGrid = false;
        int idleRounds = 0; // rounds in a row in which no programme's solution touched it
        bool retired = false;
    };

    // The unit of every programme column (see LinearProgram).
    std::vector<double> columnUnits() const;
    ExchangeResult run(bool largestLambda, double lambda, const std::vector<ExtraAngle>& extraAngles,
                       const WarmStart* warmStart, double giveUpAt);
    // Exchange rounds of the smoothness programme at a fixed λ; false when it has no solution
    // or (result.gaveUp) when a round's smoothness sum reaches giveUpAt.
    bool settle(double lambda, ExchangeResult& result, double giveUpAt = std::numeric_limits<double>::infinity());
    // Adds the cuts of the extra angles that the programme does not hold yet.
    void addExtraAngles(const std::vector<ExtraAngle>& extraAngles);
    // Exchange rounds of both programmes until the smoothest coefficients at the largest λ
    // the angles allow meet every requirement, or that λ is at or below the threshold; false
    // when no λ is possible.
    bool climb(ExchangeResult& result, double threshold);
    // climb, then checks that the rows held allow no λ above the one reached and climbs on
    // from there where they do.
    bool climbToTheTop(ExchangeResult& result, double threshold);
    // A round's basis for the smoothness programme: the smoothest point at the λ reached, found
    // from the λ programme's optimum. False where the dense steps do not settle there; the
    // programme then starts where it would have (see exchange_solver.cpp).
    bool startSmoothnessAtTheTop(double reached);
    // Whether the rows held allow λ at or above the given one; where they do, the λ programme
    // goes on from such a point.
    bool pushLambdaTo(double lambda);
    ExchangeResult finishLargest(ExchangeResult result);
    ExchangeResult finish(ExchangeResult result);
    std::vector<Violation> violationsAt(const std::vector<MotionCoefficients>& coefficients, double lambda) const;
    bool tightenOrAddAll(const std::vector<Violation>& violations);
    // Deletes the rows of cuts no programme has touched for a while (see cut_retirement.cpp);
    // progress must have grown since the last time.
    void retireIdleCuts(double progress);
    static bool closeEnough(const std::vector<Violation>& violations);
    bool crossedAt(double lambda, bool onlyFixed) const;
    void resetProgrammes(bool largestLambda, double lambda);
    void layOutColumns(LinearProgram& lp, bool smoothness, double lambda);
    void fixLambda(double lambda);
    void addInitialRows();
    bool addRowsOf(const WarmStart& warm);
    // The rows that bind in the programmes' last bases, and those bases; nullptr when a
    // programme has rows the simplex has not seen yet. After the smoothness programme was
    // found infeasible, with forProof, the rows that may take part in the proof instead.
    std::shared_ptr<const WarmStart> captureWarmStart(bool forProof = false) const;
    int addRowToAll(double lower, double upper, std::optional<double> heldTo = std::nullopt);
    // The λ at whose bounds the rows of a new cut are held (see addCut), or none.
    std::optional<double> holdingLambda() const;
    void setRowBoundsOfAll(int row, double lower, double upper);
    void addSpectrumRow(int requirement);
    void addCut(int requirement, double angleDeg, bool onGrid = false);
    bool hasCutNear(int requirement, double angleDeg) const;
    void addCutCluster(const Violation& violation);
    void applyCutBounds(const Cut& cut);
    void applySpectrumBound(int requirement);
    void appendCurveRow(const Requirement& q, double angleDeg);
    void dropRoundOffEntries();
    bool tightenOrAdd(const Violation& violation);
    // Takes every margin back, once per solve; false when there was none or it happened before.
    bool releaseMargins();
    std::vector<MotionCoefficients> readCoefficients(const LinearProgram& lp) const;
    std::vector<MotionCoefficients> readCoefficients(const std::vector<double>& columnValues) const;
    double lambdaOf(const LinearProgram& lp) const;

    const RequirementSet& set_;
    SolveStats& stats_;
    ExchangeSettings settings_;
    std::vector<int> motionOffset_;
    int lambdaColumn_ = -1;
    int columnCount_ = 0;
    std::vector<double> columnUnits_;
    // The smoothness programme, and the one maximising λ when there is one; both hold the
    // same rows.
    std::unique_ptr<LinearProgram> smooth_;
    std::unique_ptr<LinearProgram> largest_;
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
    // What the last retirement of idle cuts was made at (minus the λ reached; it has to grow);
    // cuts are only retired again once the programmes have moved on from there.
    double retiredAt_ = -std::numeric_limits<double>::infinity();
    bool marginsReleased_ = false;
    // The λ at which the current round checked the solution; unset for the initial angles.
    std::optional<double> roundLambda_;
    double lambdaCap_ = std::numeric_limits<double>::infinity(); // the λ programme's upper bound on λ below 1
    // Whether the smoothness programme has a basis to start from (from a neighbour or a solve).
    bool smoothHasBasis_ = false;
    // Whether each round's smoothness programme still starts from the λ programme's optimum.
    bool smoothFromTheTop_ = true;
    // Whether the last settle ended on a simplex failure, or on the simplex's proof that the
    // programme has no solution.
    bool simplexFailed_ = false;
    bool provedInfeasible_ = false;
    std::vector<int> rowColumns_; // scratch for one row
    std::vector<double> rowValues_;
};

} // namespace vemra::module

#include "module/clp_models.h"

#include <ClpEventHandler.hpp>
#include <ClpSimplex.hpp>

#include <algorithm>

namespace vemra::module {

void copyProgramme(const ClpSimplex& from, ClpSimplex& to)
{
    to.loadProblem(*from.matrix(), from.getColLower(), from.getColUpper(), from.getObjCoefficients(),
                   from.getRowLower(), from.getRowUpper());
    to.setLogLevel(from.logLevel());
    to.setOptimizationDirection(from.optimizationDirection());
    to.scaling(from.scalingFlag());
    to.setPrimalTolerance(from.primalTolerance());
    to.setDualTolerance(from.dualTolerance());
    std::copy_n(from.primalColumnSolution(), from.numberColumns(), to.primalColumnSolution());
    std::copy_n(from.primalRowSolution(), from.numberRows(), to.primalRowSolution());
    if (from.statusExists())
        to.copyinStatus(from.statusArray());
}

std::vector<double> denseMatrixOf(const ClpSimplex& clp)
{
    const auto columns = static_cast<std::size_t>(clp.numberColumns());
    std::vector<double> dense(static_cast<std::size_t>(clp.numberRows()) * columns, 0.0);
    const CoinPackedMatrix& matrix = *clp.matrix();
    const CoinBigIndex* starts = matrix.getVectorStarts();
    const int* lengths = matrix.getVectorLengths();
    const int* indices = matrix.getIndices();
    const double* values = matrix.getElements();
    for (std::size_t j = 0; j < columns; ++j)
        for (CoinBigIndex e = starts[j]; e < starts[j] + lengths[j]; ++e)
            dense[static_cast<std::size_t>(indices[e]) * columns + j] = values[e];
    return dense;
}

// The solver leaves no ray when it proved infeasibility in its primal, as its dual does after an
// infeasibility found with artificial column bounds: these multipliers stand in for it.
std::vector<double> leastViolationMultipliers(const ClpSimplex& original, int minimumSteps)
{
    ClpSimplex elastic(original);
    const ClpEventHandler plain;
    elastic.passInEventHandler(&plain);
    const int rows = elastic.numberRows();
    for (int j = 0; j < elastic.numberColumns(); ++j)
        elastic.setObjectiveCoefficient(j, 0.0);
    std::vector<CoinBigIndex> starts;
    std::vector<int> indices;
    std::vector<double> values;
    for (int i = 0; i < rows; ++i) {
        for (double direction : {1.0, -1.0}) {
            starts.push_back(static_cast<CoinBigIndex>(indices.size()));
            indices.push_back(i);
            values.push_back(direction);
        }
    }
    starts.push_back(static_cast<CoinBigIndex>(indices.size()));
    const std::vector<double> lower(2 * static_cast<std::size_t>(rows), 0.0);
    const std::vector<double> upper(lower.size(), COIN_DBL_MAX);
    const std::vector<double> cost(lower.size(), 1.0);
    elastic.addColumns(2 * rows, lower.data(), upper.data(), cost.data(), starts.data(), indices.data(),
                       values.data());
    elastic.allSlackBasis(true);
    elastic.setMaximumIterations(std::max(minimumSteps, 4 * (rows + elastic.numberColumns())));
    elastic.primal();
    if (elastic.status() != 0 || !(elastic.objectiveValue() > 0.0))
        return {};
    std::vector<double> multipliers(elastic.dualRowSolution(), elastic.dualRowSolution() + rows);
    for (double& m : multipliers)
        m = -m;
    return multipliers;
}

} // namespace vemra::module

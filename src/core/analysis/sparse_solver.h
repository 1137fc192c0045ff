// The structure equations K x = f over the free degrees of freedom, solved by a supernodal sparse
// Cholesky factorisation (CHOLMOD, through Eigen) with a fill-reducing ordering.
#pragma once

#include <vector>

#include <Eigen/SparseCore>

namespace varlen::analysis {

using SparseMatrix = Eigen::SparseMatrix<double, Eigen::ColMajor, int>;

enum class Ordering { Auto, Amd, Metis, NestedDissection };

// A pivot of the factorisation, relative to the diagonal it started from, below which the matrix is
// taken as singular. A stable truss keeps its relative pivots far above this even with stiffness
// ratios of 10^6 between members; a mechanism whose zero pivot rounding has disturbed shows one near
// 10^-16 to 10^-13. Below it the solution would be dominated by rounding (displacements of 10^10
// times the loads' scale), so it is never reported.
inline constexpr double kRelativePivotTolerance = 1e-11;

struct SolveOutcome {
    bool solved = false;
    int singularColumn = -1;         // a column (free DOF index) where the matrix is singular
    double smallestRelativePivot = 0.0;
    double factorFlops = 0.0;        // floating-point operations of the factorisation
    double factorNonZeros = 0.0;     // entries of L
    double analyseSeconds = 0.0;     // ordering and symbolic factorisation
    double factorSeconds = 0.0;
    double solveSeconds = 0.0;
};

// `k` holds the upper triangle. On success `x` holds the solution.
// `jointOfColumn` (ascending) groups the equations by joint: the ordering is then worked out on the joint
// graph, a quarter of the size of the equations' graph, and each joint's equations stay together.
[[nodiscard]] SolveOutcome SolveSparseCholesky(const SparseMatrix& k, const Eigen::VectorXd& f, Eigen::VectorXd& x,
                                               const std::vector<int>& jointOfColumn,
                                               Ordering ordering = Ordering::Auto,
                                               double pivotTolerance = kRelativePivotTolerance);

} // namespace varlen::analysis

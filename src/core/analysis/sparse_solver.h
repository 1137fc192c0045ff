// The structure equations K x = f over the free degrees of freedom, solved by a supernodal sparse
// Cholesky factorisation (CHOLMOD, through Eigen) with a fill-reducing ordering worked out on the
// joint graph. One ordering serves several factorisations of matrices with the same pattern, which
// the mechanism test needs: the structure's own stiffness and its geometry alone.
#pragma once

#include <limits>
#include <memory>
#include <vector>

#include <Eigen/Core>
#include <Eigen/SparseCore>

namespace varlen::analysis {

using SparseMatrix = Eigen::SparseMatrix<double, Eigen::ColMajor, int>;

enum class Ordering { Auto, Amd, Metis, NestedDissection };

enum class FactorStatus {
    Factored,
    NotPositiveDefinite, // FailedColumn() says where
    OutOfMemory,
    Failed, // CHOLMOD refused for another reason: CholmodStatus() says which
};

// How close the factorised matrix came to singular, joint by joint. A joint's two equations are
// eliminated together, and what is left of its stiffness when they are is a 2 x 2 block (the Schur
// complement); its smaller eigenvalue is that joint's stiffness in its weakest direction, whatever
// way the axes run (a pivot alone depends on them: a joint whose bars lie nearly along Y keeps a small
// X pivot even when it is stiff, and hides a weak direction between the axes). `smallest` is the least
// over all joints (a single pivot where one direction is restrained), `column` the equation (original
// numbering) nearest that weakest direction. `smallestRelative` is the least pivot against its own
// diagonal, for the record.
struct PivotReport {
    double smallest = std::numeric_limits<double>::infinity();
    int column = -1;
    double smallestRelative = std::numeric_limits<double>::infinity();
    int relativeColumn = -1;
};

class CholeskyFactor {
public:
    CholeskyFactor();
    ~CholeskyFactor();
    CholeskyFactor(const CholeskyFactor&) = delete;
    CholeskyFactor& operator=(const CholeskyFactor&) = delete;

    // Orders and analyses the pattern of `k` (upper triangle, diagonal last in each column).
    // `jointOfColumn` (ascending) groups the equations by joint: the ordering is worked out on the joint
    // graph, a quarter of the size of the equations' graph, and each joint's equations stay together.
    [[nodiscard]] FactorStatus Analyse(const SparseMatrix& k, const std::vector<int>& jointOfColumn,
                                       Ordering ordering);
    // Factorises a matrix with the pattern analysed, replacing any earlier factor. The matrix is taken
    // over and freed before the factor is filled (it is empty on return): pass a copy to keep it.
    [[nodiscard]] FactorStatus Factor(SparseMatrix&& k);
    // After NotPositiveDefinite: the column (original numbering) where the factorisation broke down.
    [[nodiscard]] int FailedColumn() const { return m_failedColumn; }
    [[nodiscard]] int CholmodStatus() const { return m_cholmodStatus; }
    // Of the current factor; `jointOfColumn` as given to Analyse.
    [[nodiscard]] PivotReport Pivots(const std::vector<int>& jointOfColumn) const;
    // x = K^-1 f with the current factor; false when the solve failed or gave a number that is not finite.
    [[nodiscard]] bool Solve(const Eigen::VectorXd& f, Eigen::VectorXd& x);
    // The same for every column of `f` at once: one pass over the factor serves all the load cases.
    [[nodiscard]] bool Solve(const Eigen::MatrixXd& f, Eigen::MatrixXd& x);

    double analyseSeconds = 0.0; // ordering and symbolic factorisation
    double factorSeconds = 0.0;  // all factorisations together
    double solveSeconds = 0.0;
    double factorFlops = 0.0;    // floating-point operations of one factorisation
    double factorNonZeros = 0.0; // entries of L

private:
    class Solver;
    std::unique_ptr<Solver> m_solver;
    std::vector<double> m_diagonal; // of the matrix factorised, in the original numbering
    int m_failedColumn = -1;
    int m_cholmodStatus = 0;
    bool m_analysed = false;
};

struct SolveOutcome {
    bool solved = false;
    double factorFlops = 0.0, factorNonZeros = 0.0;
    double analyseSeconds = 0.0, factorSeconds = 0.0, solveSeconds = 0.0;
};

// Order, factorise and solve once, without any test of the answer: for the benchmarks, which time the
// bare solve against CHOLMOD's own.
[[nodiscard]] SolveOutcome SolveSparseCholesky(const SparseMatrix& k, const Eigen::VectorXd& f,
                                               Eigen::VectorXd& x, const std::vector<int>& jointOfColumn,
                                               Ordering ordering = Ordering::Auto);

} // namespace varlen::analysis

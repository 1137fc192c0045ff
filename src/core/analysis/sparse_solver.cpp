#include "analysis/sparse_solver.h"

#include <chrono>
#include <cmath>
#include <limits>

#include <Eigen/CholmodSupport>

namespace varlen::analysis {
namespace {

using Clock = std::chrono::steady_clock;
double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Eigen keeps CHOLMOD's factor to itself; the pivots are needed to tell a mechanism from a truss.
class InspectableCholesky : public Eigen::CholmodSupernodalLLT<SparseMatrix, Eigen::Upper> {
public:
    [[nodiscard]] const cholmod_factor* Factor() const { return m_cholmodFactor; }
};

// The smallest squared diagonal of L over the diagonal of the permuted matrix, and its column in the
// original numbering.
std::pair<double, int> SmallestRelativePivot(const cholmod_factor& l, const SparseMatrix& k) {
    const auto* x = static_cast<const double*>(l.x);
    const auto* super = static_cast<const int*>(l.super);
    const auto* pi = static_cast<const int*>(l.pi);
    const auto* px = static_cast<const int*>(l.px);
    const auto* perm = static_cast<const int*>(l.Perm);
    double smallest = std::numeric_limits<double>::infinity();
    int where = -1;
    for (std::size_t s = 0; s < l.nsuper; ++s) {
        const int first = super[s], last = super[s + 1];
        const int rows = pi[s + 1] - pi[s];
        for (int j = 0; j < last - first; ++j) {
            const double d = x[static_cast<std::size_t>(px[s]) + static_cast<std::size_t>(j) * rows + j];
            const int column = perm ? perm[first + j] : first + j;
            // The diagonal is the last stored entry of an upper-triangle column.
            const double a = k.valuePtr()[k.outerIndexPtr()[column + 1] - 1];
            const double relative = d * d / a;
            if (relative < smallest) {
                smallest = relative;
                where = column;
            }
        }
    }
    return {smallest, where};
}

} // namespace

SolveOutcome SolveSparseCholesky(const SparseMatrix& k, const Eigen::VectorXd& f, Eigen::VectorXd& x,
                                 Ordering ordering, double pivotTolerance) {
    SolveOutcome outcome;
    if (k.cols() == 0) {
        x.resize(0);
        outcome.solved = true;
        outcome.smallestRelativePivot = 1.0;
        return outcome;
    }
    InspectableCholesky solver;
    cholmod_common& common = solver.cholmod();
    common.print = 0;   // failures are reported to the user as instability, not on the console
    common.nmethods = 1;
    common.method[0].ordering = ordering == Ordering::Amd     ? CHOLMOD_AMD
                                : ordering == Ordering::Metis ? CHOLMOD_METIS
                                                              : CHOLMOD_NESDIS;
    common.postorder = 1;

    auto start = Clock::now();
    solver.analyzePattern(k);
    outcome.analyseSeconds = Since(start);
    start = Clock::now();
    solver.factorize(k);
    outcome.factorSeconds = Since(start);

    const cholmod_factor* l = solver.Factor();
    if (!l) return outcome;   // out of memory: reported as not solved
    if (solver.info() != Eigen::Success) {
        // Not positive definite: the failing column in the original numbering marks the mechanism.
        const auto* perm = static_cast<const int*>(l->Perm);
        const auto minor = static_cast<int>(l->minor);
        if (minor >= 0 && minor < k.cols()) outcome.singularColumn = perm ? perm[minor] : minor;
        return outcome;
    }
    if (!l->is_super) return outcome;
    auto [smallest, where] = SmallestRelativePivot(*l, k);
    outcome.smallestRelativePivot = smallest;
    if (!(smallest >= pivotTolerance)) {
        outcome.singularColumn = where;
        return outcome;
    }
    start = Clock::now();
    x = solver.solve(f);
    outcome.solveSeconds = Since(start);
    if (solver.info() != Eigen::Success || !x.allFinite()) return outcome;
    outcome.solved = true;
    return outcome;
}

} // namespace varlen::analysis

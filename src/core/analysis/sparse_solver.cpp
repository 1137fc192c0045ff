#include "analysis/sparse_solver.h"

#include <chrono>
#include <algorithm>
#include <array>
#include <thread>
#include <cmath>
#include <cstdlib>
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

    // Eigen's analyzePattern, with a permutation of our own making.
    void AnalyzeWithPermutation(const SparseMatrix& matrix, std::vector<int>& permutation) {
        if (m_cholmodFactor) {
            cholmod_free_factor(&m_cholmodFactor, &cholmod());
            m_cholmodFactor = nullptr;
        }
        cholmod_sparse a = Eigen::viewAsCholmod(matrix.selfadjointView<Eigen::Upper>());
        cholmod().nmethods = 1;
        cholmod().method[0].ordering = CHOLMOD_GIVEN;
        m_cholmodFactor = cholmod_analyze_p(&a, permutation.data(), nullptr, 0, &cholmod());
        m_isInitialized = true;
        m_info = m_cholmodFactor ? Eigen::Success : Eigen::NumericalIssue;
        m_analysisIsOk = m_cholmodFactor != nullptr;
        m_factorizationIsOk = false;
    }
};

// The joint graph of the upper triangle: column g holds the joints g' <= g that share an entry with it.
struct JointGraph {
    std::vector<int> start, row;
};

JointGraph CompressToJoints(const SparseMatrix& k, const std::vector<int>& jointOfColumn, int& groups) {
    JointGraph graph;
    std::vector<int> groupOf(jointOfColumn.size());
    groups = 0;
    for (std::size_t q = 0; q < jointOfColumn.size(); ++q) {
        if (q > 0 && jointOfColumn[q] != jointOfColumn[q - 1]) ++groups;
        groupOf[q] = groups;
    }
    if (!jointOfColumn.empty()) ++groups;
    graph.start.assign(static_cast<std::size_t>(groups) + 1, 0);
    graph.row.reserve(static_cast<std::size_t>(k.nonZeros()) / 2 + static_cast<std::size_t>(groups));
    std::vector<int> seen(static_cast<std::size_t>(groups), -1);
    std::size_t q = 0;
    for (int g = 0; g < groups; ++g) {
        const std::size_t first = graph.row.size();
        for (; q < groupOf.size() && groupOf[q] == g; ++q) {
            for (int p = k.outerIndexPtr()[q]; p < k.outerIndexPtr()[q + 1]; ++p) {
                const int rowGroup = groupOf[static_cast<std::size_t>(k.innerIndexPtr()[p])];
                if (seen[static_cast<std::size_t>(rowGroup)] == g) continue;
                seen[static_cast<std::size_t>(rowGroup)] = g;
                graph.row.push_back(rowGroup);
            }
        }
        std::sort(graph.row.begin() + static_cast<std::ptrdiff_t>(first), graph.row.end());
        graph.start[static_cast<std::size_t>(g) + 1] = static_cast<int>(graph.row.size());
    }
    return graph;
}

cholmod_sparse PatternView(JointGraph& graph, int nodes) {
    cholmod_sparse a{};
    a.nrow = a.ncol = static_cast<std::size_t>(nodes);
    a.nzmax = graph.row.size();
    a.p = graph.start.data();
    a.i = graph.row.data();
    a.stype = 1;
    a.itype = CHOLMOD_INT;
    a.xtype = CHOLMOD_PATTERN;
    a.dtype = CHOLMOD_DOUBLE;
    a.sorted = 1;
    a.packed = 1;
    return a;
}

// Fresh memory is faulted in and zeroed by the kernel page by page on first touch, which in this
// program's virtual machines cost more than a third of a large factorisation. Touching the factor's
// memory beforehand on both cores halves that cost; the block goes back to the heap (the restart sets
// glibc's trim and mmap thresholds high) and CHOLMOD's allocation of the factor gets the same pages.
void PrefaultForFactor(std::size_t bytes) {
    constexpr std::size_t kWorthIt = std::size_t{64} << 20;
    if (bytes < kWorthIt || !std::getenv("VARLEN_SOLVER_ENVIRONMENT")) return;
    auto* block = static_cast<char*>(std::malloc(bytes));
    if (!block) return;
    const std::size_t half = bytes / 2;
    auto touch = [block](std::size_t from, std::size_t to) {
        for (std::size_t at = from; at < to; at += 4096) block[at] = 0;
    };
    std::thread other(touch, half, bytes);
    touch(0, half);
    other.join();
    std::free(block);
}

// Below this many joints METIS orders the whole graph in well under a second.
constexpr int kSplitOrderingJoints = 50000;

// Nested dissection's first cut is made here and the two halves are ordered by METIS side by side, the
// separator last: on two cores a million-joint graph is ordered in about half the time, to the same fill.
bool MetisOnTwoCores(JointGraph& graph, int nodes, cholmod_common& common, std::vector<int>& order) {
    cholmod_sparse whole = PatternView(graph, nodes);
    std::vector<int> partition(static_cast<std::size_t>(nodes));
    if (cholmod_bisect(&whole, nullptr, 0, 1, partition.data(), &common) < 0) return false;
    std::array<JointGraph, 2> halves;
    std::array<std::vector<int>, 2> globalOf;
    std::vector<int> local(static_cast<std::size_t>(nodes), -1);
    for (int g = 0; g < nodes; ++g) {
        const int part = partition[static_cast<std::size_t>(g)];
        if (part > 1) continue;
        local[static_cast<std::size_t>(g)] = static_cast<int>(globalOf[static_cast<std::size_t>(part)].size());
        globalOf[static_cast<std::size_t>(part)].push_back(g);
    }
    for (std::size_t part = 0; part < 2; ++part) {
        JointGraph& half = halves[part];
        half.start.push_back(0);
        for (int g : globalOf[part]) {
            for (int e = graph.start[static_cast<std::size_t>(g)]; e < graph.start[static_cast<std::size_t>(g) + 1]; ++e) {
                const int r = graph.row[static_cast<std::size_t>(e)];
                if (partition[static_cast<std::size_t>(r)] == static_cast<int>(part))
                    half.row.push_back(local[static_cast<std::size_t>(r)]);
            }
            half.start.push_back(static_cast<int>(half.row.size()));
        }
    }
    std::array<std::vector<int>, 2> halfOrder;
    std::array<bool, 2> ordered{true, true};
    auto orderHalf = [&](std::size_t part, cholmod_common& c) {
        const auto size = static_cast<int>(globalOf[part].size());
        if (size == 0) return;
        halfOrder[part].resize(static_cast<std::size_t>(size));
        cholmod_sparse view = PatternView(halves[part], size);
        ordered[part] = cholmod_metis(&view, nullptr, 0, 0, halfOrder[part].data(), &c) != 0;
    };
    std::thread second([&] {
        cholmod_common own;
        cholmod_start(&own);
        own.print = 0;
        orderHalf(1, own);
        cholmod_finish(&own);
    });
    orderHalf(0, common);
    second.join();
    if (!ordered[0] || !ordered[1]) return false;
    order.clear();
    order.reserve(static_cast<std::size_t>(nodes));
    for (std::size_t part = 0; part < 2; ++part)
        for (int l : halfOrder[part]) order.push_back(globalOf[part][static_cast<std::size_t>(l)]);
    for (int g = 0; g < nodes; ++g)
        if (partition[static_cast<std::size_t>(g)] > 1) order.push_back(g);
    return true;
}

// A fill-reducing ordering of the joints, expanded to their equations.
bool OrderByJoints(const SparseMatrix& k, const std::vector<int>& jointOfColumn, Ordering ordering,
                   cholmod_common& common, std::vector<int>& permutation) {
    int groups = 0;
    JointGraph graph = CompressToJoints(k, jointOfColumn, groups);
    cholmod_sparse a = PatternView(graph, groups);
    std::vector<int> jointPermutation(static_cast<std::size_t>(groups));
    bool ok = false;
    if (ordering == Ordering::Amd) {
        ok = cholmod_amd(&a, nullptr, 0, jointPermutation.data(), &common) != 0;
    } else if (ordering == Ordering::Metis) {
        ok = groups >= kSplitOrderingJoints ? MetisOnTwoCores(graph, groups, common, jointPermutation)
                                            : cholmod_metis(&a, nullptr, 0, 0, jointPermutation.data(), &common) != 0;
    } else {
        std::vector<int> parent(static_cast<std::size_t>(groups)), member(static_cast<std::size_t>(groups));
        ok = cholmod_nested_dissection(&a, nullptr, 0, jointPermutation.data(), parent.data(), member.data(),
                                       &common) >= 0;
    }
    if (!ok) return false;
    std::vector<int> firstColumn(static_cast<std::size_t>(groups) + 1, 0);
    for (std::size_t q = 0, g = 0; q < jointOfColumn.size(); ++q)
        if (q + 1 == jointOfColumn.size() || jointOfColumn[q + 1] != jointOfColumn[q])
            firstColumn[++g] = static_cast<int>(q + 1);
    permutation.clear();
    permutation.reserve(jointOfColumn.size());
    for (int g : jointPermutation)
        for (int q = firstColumn[static_cast<std::size_t>(g)]; q < firstColumn[static_cast<std::size_t>(g) + 1]; ++q)
            permutation.push_back(q);
    return true;
}

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
                                 const std::vector<int>& jointOfColumn, Ordering ordering, double pivotTolerance) {
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
    common.postorder = 1;

    auto start = Clock::now();
    std::vector<int> permutation;
    if (ordering == Ordering::Auto) {
        // CHOLMOD's own rule, applied to the joint graph: AMD, and METIS as well when AMD's factor is
        // costly for its size, keeping the one with the smaller factor. AMD orders a 100,000-joint
        // lattice in a fifth of METIS's time with little more fill; at a million joints METIS saves
        // a fifth of the memory and half the work.
        if (!OrderByJoints(k, jointOfColumn, Ordering::Amd, common, permutation)) return outcome;
        solver.AnalyzeWithPermutation(k, permutation);
        if (solver.info() != Eigen::Success) return outcome;
        const double amdFactor = common.lnz;
        if (common.fl >= 500 * common.lnz && common.lnz >= 5.0 * static_cast<double>(k.nonZeros())) {
            std::vector<int> metis;
            if (OrderByJoints(k, jointOfColumn, Ordering::Metis, common, metis)) {
                solver.AnalyzeWithPermutation(k, metis);
                if (solver.info() != Eigen::Success || common.lnz >= amdFactor)
                    solver.AnalyzeWithPermutation(k, permutation);
            }
        }
    } else {
        if (!OrderByJoints(k, jointOfColumn, ordering, common, permutation)) return outcome;
        solver.AnalyzeWithPermutation(k, permutation);
    }
    outcome.analyseSeconds = Since(start);
    if (solver.info() != Eigen::Success) return outcome;
    outcome.factorFlops = common.fl;
    outcome.factorNonZeros = common.lnz;
    start = Clock::now();
    if (solver.Factor()) PrefaultForFactor(solver.Factor()->xsize * sizeof(double));
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

#include "analysis/sparse_solver.h"

#include "analysis/factor_memory.h"
#include "analysis/solver_library.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include <Eigen/CholmodSupport>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace varlen::analysis {
namespace {

using Clock = std::chrono::steady_clock;
double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

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
        local[static_cast<std::size_t>(g)] =
            static_cast<int>(globalOf[static_cast<std::size_t>(part)].size());
        globalOf[static_cast<std::size_t>(part)].push_back(g);
    }
    for (std::size_t part = 0; part < 2; ++part) {
        JointGraph& half = halves[part];
        half.start.push_back(0);
        for (int g : globalOf[part]) {
            for (int e = graph.start[static_cast<std::size_t>(g)];
                 e < graph.start[static_cast<std::size_t>(g) + 1]; ++e) {
                const int r = graph.row[static_cast<std::size_t>(e)];
                if (partition[static_cast<std::size_t>(r)] == static_cast<int>(part))
                    half.row.push_back(local[static_cast<std::size_t>(r)]);
            }
            half.start.push_back(static_cast<int>(half.row.size()));
        }
    }
    std::array<std::vector<int>, 2> halfOrder;
    std::array<bool, 2> ordered{true, true};
    for (std::size_t part = 0; part < 2; ++part)
        halfOrder[part].resize(globalOf[part].size());
    auto orderHalf = [&](std::size_t part, int* into) {
        const auto size = static_cast<int>(globalOf[part].size());
        if (size == 0) return true;
        cholmod_sparse view = PatternView(halves[part], size);
        return cholmod_metis(&view, nullptr, 0, 0, into, &common) != 0;
    };
    // METIS draws its random numbers from one state for the whole process, so two orderings at once in
    // two threads would take turns at it and come out different from run to run, and the results with
    // them in their last digits. The second half is ordered in a child process of its own, which writes
    // its order into memory the two share; where there is no child to be had, it is ordered here after
    // the first.
    const std::size_t secondBytes = std::max<std::size_t>(halfOrder[1].size(), 1) * sizeof(int);
    void* shared = ::mmap(nullptr, secondBytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    const pid_t child = shared == MAP_FAILED ? -1 : ::fork();
    if (child == 0) {
        common.print = 0;
        ::_exit(orderHalf(1, static_cast<int*>(shared)) ? 0 : 1);
    }
    ordered[0] = orderHalf(0, halfOrder[0].data());
    bool secondDone = false;
    if (child > 0) {
        int status = 0;
        pid_t waited = -1;
        do {
            waited = ::waitpid(child, &status, 0);
        } while (waited < 0 && errno == EINTR);
        secondDone = waited == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (secondDone) std::memcpy(halfOrder[1].data(), shared, halfOrder[1].size() * sizeof(int));
    }
    if (shared != MAP_FAILED) ::munmap(shared, secondBytes);
    if (!secondDone) ordered[1] = orderHalf(1, halfOrder[1].data());
    if (!ordered[0] || !ordered[1]) return false;
    order.clear();
    order.reserve(static_cast<std::size_t>(nodes));
    for (std::size_t part = 0; part < 2; ++part)
        for (int l : halfOrder[part])
            order.push_back(globalOf[part][static_cast<std::size_t>(l)]);
    for (int g = 0; g < nodes; ++g)
        if (partition[static_cast<std::size_t>(g)] > 1) order.push_back(g);
    return true;
}

// A fill-reducing ordering of the joints.
bool OrderJoints(JointGraph& graph, int joints, Ordering ordering, cholmod_common& common,
                 std::vector<int>& jointPermutation) {
    cholmod_sparse a = PatternView(graph, joints);
    jointPermutation.resize(static_cast<std::size_t>(joints));
    if (ordering == Ordering::Amd) return cholmod_amd(&a, nullptr, 0, jointPermutation.data(), &common) != 0;
    if (ordering == Ordering::Metis)
        return joints >= kSplitOrderingJoints
                   ? MetisOnTwoCores(graph, joints, common, jointPermutation)
                   : cholmod_metis(&a, nullptr, 0, 0, jointPermutation.data(), &common) != 0;
    std::vector<int> parent(static_cast<std::size_t>(joints)), member(static_cast<std::size_t>(joints));
    return cholmod_nested_dissection(&a, nullptr, 0, jointPermutation.data(), parent.data(), member.data(),
                                     &common) >= 0;
}

// The factor an ordering of the joint graph gives: its flops and entries, as CHOLMOD counts them for
// the joints (an equation pair is a 2 x 2 block, so the equations' factor has about four times the
// entries and eight times the flops).
struct JointFactorSize {
    double flops = 0.0, nonZeros = 0.0;
};

bool SizeOfFactor(JointGraph& graph, int joints, std::vector<int>& jointPermutation, cholmod_common& common,
                  JointFactorSize& size) {
    cholmod_sparse a = PatternView(graph, joints);
    const auto n = static_cast<std::size_t>(joints);
    std::vector<int> parent(n), post(n), columnCount(n), first(n), level(n);
    if (!cholmod_analyze_ordering(&a, CHOLMOD_GIVEN, jointPermutation.data(), nullptr, 0, parent.data(),
                                  post.data(), columnCount.data(), first.data(), level.data(), &common))
        return false;
    size = {common.fl, common.lnz};
    return true;
}

// CHOLMOD's own choice, made on the joint graph: AMD, and METIS as well when AMD's factor is costly for
// its size, keeping the one with the smaller factor. AMD orders a 100,000-joint lattice in a fifth of
// METIS's time with little more fill; at a million joints METIS saves a fifth of the memory and half the
// work. Comparing the joints' factors spares analysing the equations' factor of the ordering that loses.
bool ChooseJointOrdering(JointGraph& graph, int joints, cholmod_common& common,
                         std::vector<int>& jointPermutation) {
    JointFactorSize amd;
    if (!OrderJoints(graph, joints, Ordering::Amd, common, jointPermutation) ||
        !SizeOfFactor(graph, joints, jointPermutation, common, amd))
        return false;
    // CHOLMOD's thresholds (flops 500 times the entries, entries 5 times the matrix's) in joint terms.
    const double matrixNonZeros = static_cast<double>(graph.row.size());
    if (amd.flops < 250 * amd.nonZeros || amd.nonZeros < 5 * matrixNonZeros) return true;
    std::vector<int> metis;
    JointFactorSize metisSize;
    if (OrderJoints(graph, joints, Ordering::Metis, common, metis) &&
        SizeOfFactor(graph, joints, metis, common, metisSize) && metisSize.nonZeros < amd.nonZeros)
        jointPermutation = std::move(metis);
    return true;
}

// A fill-reducing ordering of the joints, expanded to their equations.
bool OrderByJoints(const SparseMatrix& k, const std::vector<int>& jointOfColumn, Ordering ordering,
                   cholmod_common& common, std::vector<int>& permutation) {
    int groups = 0;
    JointGraph graph = CompressToJoints(k, jointOfColumn, groups);
    std::vector<int> jointPermutation;
    const bool ok = ordering == Ordering::Auto
                        ? ChooseJointOrdering(graph, groups, common, jointPermutation)
                        : OrderJoints(graph, groups, ordering, common, jointPermutation);
    if (!ok) return false;
    std::vector<int> firstColumn(static_cast<std::size_t>(groups) + 1, 0);
    for (std::size_t q = 0, g = 0; q < jointOfColumn.size(); ++q)
        if (q + 1 == jointOfColumn.size() || jointOfColumn[q + 1] != jointOfColumn[q])
            firstColumn[++g] = static_cast<int>(q + 1);
    permutation.clear();
    permutation.reserve(jointOfColumn.size());
    for (int g : jointPermutation)
        for (int q = firstColumn[static_cast<std::size_t>(g)];
             q < firstColumn[static_cast<std::size_t>(g) + 1]; ++q)
            permutation.push_back(q);
    return true;
}

} // namespace

// Eigen keeps CHOLMOD's factor to itself; the pivots are needed to tell a mechanism from a truss.
class CholeskyFactor::Solver : public Eigen::CholmodSupernodalLLT<SparseMatrix, Eigen::Upper> {
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

    // Eigen's factorize, for a matrix given up to it. CHOLMOD would permute a copy beside the matrix and
    // keep both while the factor fills; here the permuted lower triangle it factorises is made first and
    // the matrix freed, which at a million joints is 170 MiB off the peak. Told the ordering is natural,
    // CHOLMOD takes that triangle as it is; the ordering is put back for the solves.
    void FactorizeTaking(SparseMatrix& matrix) {
        cholmod_common& common = cholmod();
        const SparseMatrix& given = matrix;
        cholmod_sparse a = Eigen::viewAsCholmod(given.selfadjointView<Eigen::Upper>());
        cholmod_sparse* permuted =
            cholmod_ptranspose(&a, 2, static_cast<int*>(m_cholmodFactor->Perm), nullptr, 0, &common);
        SparseMatrix().swap(matrix);
        malloc_trim(0); // the matrix's pages lie inside the heap, where freeing alone keeps them
        const bool made = permuted != nullptr;
        if (made) {
            permuted->stype = -1;
            const int ordering = m_cholmodFactor->ordering;
            m_cholmodFactor->ordering = CHOLMOD_NATURAL;
            cholmod_factorize_p(permuted, m_shiftOffset, nullptr, 0, m_cholmodFactor, &common);
            m_cholmodFactor->ordering = ordering;
            cholmod_free_sparse(&permuted, &common);
        }
        m_info =
            !made || m_cholmodFactor->minor != m_cholmodFactor->n ? Eigen::NumericalIssue : Eigen::Success;
        m_factorizationIsOk = true;
    }
};

CholeskyFactor::CholeskyFactor() : m_solver(std::make_unique<Solver>()) {
    cholmod_common& common = m_solver->cholmod();
    common.print = 0; // failures are reported to the user in words, not on the console
    common.postorder = 1;
}

CholeskyFactor::~CholeskyFactor() = default;

namespace {

FactorStatus StatusOf(const cholmod_common& common) {
    return common.status == CHOLMOD_OUT_OF_MEMORY ? FactorStatus::OutOfMemory : FactorStatus::Failed;
}

} // namespace

FactorStatus CholeskyFactor::Analyse(const SparseMatrix& k, const std::vector<int>& jointOfColumn,
                                     Ordering ordering) {
    m_analysed = false;
    if (k.cols() == 0) {
        m_analysed = true;
        return FactorStatus::Factored;
    }
    cholmod_common& common = m_solver->cholmod();
    const auto start = Clock::now();
    std::vector<int> permutation;
    if (!OrderByJoints(k, jointOfColumn, ordering, common, permutation)) return StatusOf(common);
    m_solver->AnalyzeWithPermutation(k, permutation);
    analyseSeconds += Since(start);
    if (m_solver->info() != Eigen::Success) return StatusOf(common);
    factorFlops = common.fl;
    factorNonZeros = common.lnz;
    m_analysed = true;
    // The ordering's graphs and METIS's work arrays are freed by now, but the allocator keeps their pages
    // (the second half's in its own thread's arena); the factor's blocks are mapped apart and cannot
    // reuse them. Handing them back lowers a million-joint lattice's peak by 140 MiB for a millisecond.
    malloc_trim(0);
    return FactorStatus::Factored;
}

FactorStatus CholeskyFactor::Factor(SparseMatrix&& k) {
    m_failedColumn = -1;
    m_diagonal.clear();
    if (!m_analysed) return FactorStatus::Failed;
    const Eigen::Index n = k.cols();
    if (n == 0) return FactorStatus::Factored;
    // The diagonal is the last stored entry of an upper-triangle column.
    m_diagonal.resize(static_cast<std::size_t>(n));
    for (Eigen::Index q = 0; q < n; ++q)
        m_diagonal[static_cast<std::size_t>(q)] = k.valuePtr()[k.outerIndexPtr()[q + 1] - 1];
    cholmod_common& common = m_solver->cholmod();
    const auto start = Clock::now();
    {
        const FactorScope scope;
        const BlasThreads threads(factorFlops);
        m_solver->FactorizeTaking(k);
    }
    factorSeconds += Since(start);
    m_cholmodStatus = common.status;
    const cholmod_factor* l = m_solver->Factor();
    if (!l || common.status == CHOLMOD_OUT_OF_MEMORY) return FactorStatus::OutOfMemory;
    if (common.status == CHOLMOD_NOT_POSDEF || m_solver->info() != Eigen::Success) {
        const auto* perm = static_cast<const int*>(l->Perm);
        const auto minor = static_cast<int>(l->minor);
        if (minor >= 0 && minor < n) {
            m_failedColumn = perm ? perm[minor] : minor;
            return FactorStatus::NotPositiveDefinite;
        }
        return StatusOf(common);
    }
    if (common.status < CHOLMOD_OK || !l->is_super) return StatusOf(common);
    return FactorStatus::Factored;
}

PivotReport CholeskyFactor::Pivots(const std::vector<int>& jointOfColumn) const {
    PivotReport report;
    const cholmod_factor* factor = m_solver->Factor();
    if (m_diagonal.empty() || !factor || !factor->is_super) return report;
    const cholmod_factor& l = *factor;
    const auto* x = static_cast<const double*>(l.x);
    const auto* super = static_cast<const int*>(l.super);
    const auto* pi = static_cast<const int*>(l.pi);
    const auto* px = static_cast<const int*>(l.px);
    const auto* perm = static_cast<const int*>(l.Perm);
    auto original = [&](int permuted) { return perm ? perm[permuted] : permuted; };
    auto note = [&](double stiffness, int column) {
        if (!(stiffness >= report.smallest)) report.smallest = stiffness, report.column = column;
    };
    for (std::size_t s = 0; s < l.nsuper; ++s) {
        const int first = super[s], last = super[s + 1];
        const int rows = pi[s + 1] - pi[s];
        auto at = [&](int row, int column) {
            return x[static_cast<std::size_t>(px[s]) + static_cast<std::size_t>(column) * rows + row];
        };
        for (int j = 0; j < last - first; ++j) {
            const int column = original(first + j);
            const double d = at(j, j);
            const double relative = d * d / m_diagonal[static_cast<std::size_t>(column)];
            if (!(relative >= report.smallestRelative))
                report.smallestRelative = relative, report.relativeColumn = column;
            const bool pairNext =
                j + 1 < last - first && jointOfColumn[static_cast<std::size_t>(original(first + j + 1))] ==
                                            jointOfColumn[static_cast<std::size_t>(column)];
            if (!pairNext) {
                // A joint with one free direction, or (rarely) a pair split between supernodes.
                const bool pairedBefore =
                    j > 0 && jointOfColumn[static_cast<std::size_t>(original(first + j - 1))] ==
                                 jointOfColumn[static_cast<std::size_t>(column)];
                if (!pairedBefore) note(d * d, column);
                continue;
            }
            // S = L_b L_b^T with L_b = [l11 0; l21 l22]: the joint's stiffness left at its elimination.
            const double l11 = d, l21 = at(j + 1, j), l22 = at(j + 1, j + 1);
            const double a = l11 * l11, b = l11 * l21, c = l21 * l21 + l22 * l22;
            const double largest = (a + c) / 2 + std::hypot((a - c) / 2, b);
            const double weakest =
                largest > 0 ? (a * (l22 * l22)) / largest : 0.0; // det / largest: no cancellation
            // Its eigenvector is (b, weakest - a) or, equally, (weakest - c, b): the longer of the two is the
            // more accurate. The weak direction is named by the axis it lies nearer.
            const double u1 = b, u2 = weakest - a, w1 = weakest - c, w2 = b;
            const bool useU = std::hypot(u1, u2) >= std::hypot(w1, w2);
            const bool alongFirst = useU ? std::abs(u1) >= std::abs(u2) : std::abs(w1) >= std::abs(w2);
            note(weakest, alongFirst ? column : original(first + j + 1));
            ++j;
        }
    }
    return report;
}

bool CholeskyFactor::Solve(const Eigen::VectorXd& f, Eigen::VectorXd& x) {
    if (f.size() == 0) {
        x.resize(0);
        return true;
    }
    const auto start = Clock::now();
    x = m_solver->solve(f);
    solveSeconds += Since(start);
    return m_solver->info() == Eigen::Success && x.allFinite();
}

bool CholeskyFactor::Solve(const Eigen::MatrixXd& f, Eigen::MatrixXd& x) {
    if (f.rows() == 0 || f.cols() == 0) {
        x.resize(f.rows(), f.cols());
        return true;
    }
    const auto start = Clock::now();
    x = m_solver->solve(f);
    solveSeconds += Since(start);
    return m_solver->info() == Eigen::Success && x.allFinite();
}

SolveOutcome SolveSparseCholesky(const SparseMatrix& k, const Eigen::VectorXd& f, Eigen::VectorXd& x,
                                 const std::vector<int>& jointOfColumn, Ordering ordering) {
    SolveOutcome outcome;
    CholeskyFactor factor;
    outcome.solved = factor.Analyse(k, jointOfColumn, ordering) == FactorStatus::Factored &&
                     factor.Factor(SparseMatrix(k)) == FactorStatus::Factored && factor.Solve(f, x);
    outcome.factorFlops = factor.factorFlops;
    outcome.factorNonZeros = factor.factorNonZeros;
    outcome.analyseSeconds = factor.analyseSeconds;
    outcome.factorSeconds = factor.factorSeconds;
    outcome.solveSeconds = factor.solveSeconds;
    return outcome;
}

} // namespace varlen::analysis

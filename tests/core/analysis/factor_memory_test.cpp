// CHOLMOD's memory and threads, set for the factorisation and given back after it.
#include <cstring>
#include <thread>
#include <vector>

#include <SuiteSparse_config.h>
#include <gtest/gtest.h>

#include "analysis/factor_memory.h"
#include "analysis/solver_library.h"
#include "analysis/sparse_solver.h"

namespace varlen::analysis {
namespace {

// The five-point Laplacian of an n x n grid plus the identity (positive definite), upper triangle with
// the diagonal last in each column, as the assembly stores K.
SparseMatrix GridMatrix(int n) {
    std::vector<Eigen::Triplet<double>> entries;
    auto at = [n](int r, int c) { return r * n + c; };
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            if (r > 0) entries.emplace_back(at(r - 1, c), at(r, c), -1.0);
            if (c > 0) entries.emplace_back(at(r, c - 1), at(r, c), -1.0);
            entries.emplace_back(at(r, c), at(r, c), 5.0);
        }
    SparseMatrix k(n * n, n * n);
    k.setFromTriplets(entries.begin(), entries.end());
    return k;
}

// A factor left mapped after its solver goes is memory the desktop program keeps for good; hooks left in
// place would send every later CHOLMOD user through them; a mapped block handed to free(), or a block
// from malloc handed to munmap, would crash or corrupt the heap before the solve could be checked.
TEST(FactorMemory, LargeFactorIsMappedWhileItLivesAndReturnedWithIt) {
    const auto mallocBefore = SuiteSparseConfig().malloc_func;
    const auto freeBefore = SuiteSparseConfig().free_func;
    const int n = 180;
    const SparseMatrix k = GridMatrix(n);
    std::vector<int> jointOfColumn(static_cast<std::size_t>(n * n));
    for (std::size_t q = 0; q < jointOfColumn.size(); ++q)
        jointOfColumn[q] = static_cast<int>(q);
    const Eigen::VectorXd f = Eigen::VectorXd::LinSpaced(n * n, -1.0, 1.0);
    {
        CholeskyFactor factor;
        ASSERT_EQ(factor.Analyse(k, jointOfColumn, Ordering::Amd), FactorStatus::Factored);
        ASSERT_GE(factor.factorNonZeros * sizeof(double), static_cast<double>(kFactorLargeBlock));
        ASSERT_EQ(factor.Factor(SparseMatrix(k)), FactorStatus::Factored);
        const std::size_t mapped = FactorMemoryMapped();
        EXPECT_GE(static_cast<double>(mapped), factor.factorNonZeros * sizeof(double));
        EXPECT_TRUE(FactorMemoryHooksInstalled());
        // Factorising again replaces the factor: the old mapping goes, none piles up.
        ASSERT_EQ(factor.Factor(SparseMatrix(k)), FactorStatus::Factored);
        EXPECT_EQ(FactorMemoryMapped(), mapped);
        Eigen::VectorXd x;
        ASSERT_TRUE(factor.Solve(f, x));
        const Eigen::VectorXd residual = k.selfadjointView<Eigen::Upper>() * x - f;
        EXPECT_LT(residual.norm(), 1e-10 * f.norm());
    }
    EXPECT_EQ(FactorMemoryMapped(), 0u);
    EXPECT_FALSE(FactorMemoryHooksInstalled());
    EXPECT_EQ(SuiteSparseConfig().malloc_func, mallocBefore);
    EXPECT_EQ(SuiteSparseConfig().free_func, freeBefore);
}

// The hooks must outlive the scope while a block is out, or that block would reach free(); a realloc
// that moves a block between the two allocators must keep its contents.
TEST(FactorMemory, HooksStayWhileABlockIsOutAndReallocKeepsTheContents) {
    void* large = nullptr;
    void* moved = nullptr;
    {
        const FactorScope scope;
        auto* zeroed = static_cast<unsigned char*>(SuiteSparseConfig().calloc_func(kFactorLargeBlock / 8, 8));
        ASSERT_NE(zeroed, nullptr);
        EXPECT_GE(FactorMemoryMapped(), kFactorLargeBlock);
        EXPECT_EQ(zeroed[0], 0);
        EXPECT_EQ(zeroed[kFactorLargeBlock - 1], 0);
        std::memcpy(zeroed, "truss", 6);
        moved = SuiteSparseConfig().realloc_func(zeroed, 64); // small now: back to the heap
        ASSERT_NE(moved, nullptr);
        EXPECT_STREQ(static_cast<const char*>(moved), "truss");
        EXPECT_EQ(FactorMemoryMapped(), 0u);
        large = SuiteSparseConfig().malloc_func(kFactorLargeBlock);
        ASSERT_NE(large, nullptr);
    }
    EXPECT_TRUE(FactorMemoryHooksInstalled());
    SuiteSparseConfig().free_func(large);
    EXPECT_FALSE(FactorMemoryHooksInstalled());
    SuiteSparseConfig().free_func(moved);
}

// OpenMP keeps the limit per thread: it has to be set on the thread that factorises (the desktop's
// worker), and given back, or that thread's later OpenMP users would run on one thread for good.
TEST(FactorMemory, OpenMpRegionsAreInactiveInTheScopeAndTheLimitGivenBack) {
    auto* get = reinterpret_cast<int (*)()>(SolverSymbol("omp_get_max_active_levels"));
    if (!get) GTEST_SKIP() << "CHOLMOD is built without OpenMP";
    int before = -1, inside = -1, after = -1;
    std::thread worker([&] {
        before = get();
        {
            const FactorScope scope;
            inside = get();
        }
        after = get();
    });
    worker.join();
    EXPECT_GT(before, 0);
    EXPECT_EQ(inside, 0);
    EXPECT_EQ(after, before);
}

} // namespace
} // namespace varlen::analysis

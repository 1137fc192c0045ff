// CHOLMOD's threads and memory, set inside the process for the factorisation alone, so that nothing
// has to be put in the environment before the libraries load and nothing outlives the analysis.
#pragma once

#include <cstddef>

namespace varlen::analysis {

// While one lives, on the thread that constructed it:
//
// - OpenMP regions are inactive (one thread each). Debian's CHOLMOD opens a four-thread region for every
//   large supernode whatever the machine has; on two cores a 100,000-joint lattice took three times as
//   long to factorise with them as without. The setting is the thread's own (OpenMP keeps it per
//   thread), so the desktop's worker thread sets it for itself; the BLAS keeps its own threads for the
//   dense work.
// - CHOLMOD allocates through SuiteSparse_config's hooks: blocks of kFactorLargeBlock bytes and more are
//   mapped on their own and faulted in on two cores before CHOLMOD fills them (taken one page at a time
//   on first touch, the faults cost more than a third of a large factorisation), and unmapped when
//   CHOLMOD frees them, so a long-running program does not keep a freed factor resident. Smaller blocks
//   go to the allocator that was there before.
//
// The hooks stay in place after the last FactorScope ends for as long as a large block is still out
// (the factor is freed after the factorisation, when the next one starts or the solver goes), and are
// then restored. They are process-wide: one analysis at a time, as the programs run them.
class FactorScope {
public:
    FactorScope();
    ~FactorScope();
    FactorScope(const FactorScope&) = delete;
    FactorScope& operator=(const FactorScope&) = delete;

private:
    int m_openMpLevels = -1; // the thread's max-active-levels before, or -1 without OpenMP
};

// Below this a block's page faults cost little.
constexpr std::size_t kFactorLargeBlock = std::size_t{4} << 20;
// Bytes mapped for large blocks that have not been freed yet.
[[nodiscard]] std::size_t FactorMemoryMapped();
// Whether SuiteSparse_config's hooks are this allocator's now.
[[nodiscard]] bool FactorMemoryHooksInstalled();

} // namespace varlen::analysis

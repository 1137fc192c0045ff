// Settings of the numerical libraries that can only be made through the environment, before they start.
#pragma once

namespace varlen::io {

// Restarts the program once (exec of itself) with the environment the sparse solver needs, unless the
// environment already says otherwise; returns normally when no restart was needed or possible.
//
// - OMP_THREAD_LIMIT=1: Debian's CHOLMOD opens a four-thread OpenMP region for every large supernode,
//   whatever the machine has. On two cores those regions cost more than they save: the factorisation
//   of a 100,000-joint lattice took 3.1 s with two OpenMP threads and 0.95 s with one. The BLAS
//   (OpenBLAS, its own threads) still uses every core for the dense work.
// - glibc.malloc.hugetlb=1 (transparent huge pages) and high mmap/trim thresholds: the factor is
//   gigabytes of memory touched once; with 4 KiB pages the page faults alone took seconds.
// Both are read when the libraries load, so a setenv() in main() would come too late.
void RestartWithSolverEnvironment(char** argv);

} // namespace varlen::io

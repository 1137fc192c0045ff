// CHOLMOD, loaded at run time (see io/shared_library.h): started by the programs before they start
// threads of their own, or else loaded by the first CHOLMOD call the core (or Eigen, on its behalf)
// makes. The analysis asks whether it came before it relies on it.
#pragma once

#include <string>

struct SuiteSparse_config_struct;

namespace varlen::analysis {

// Starts loading the sparse solver's libraries on a thread of their own. Unless the environment says
// otherwise, the BLAS is told to start with one thread (see BlasThreads), through the environment: call
// it before the program starts any thread of its own.
void StartLoadingSolver();
// Waits for the load and puts the environment back; call it on the thread that started the load, while
// no other thread of the program reads the environment (the analysis's own threads do not).
void SettleSolver();
// Empty when the solver is there, else why not, for the user.
[[nodiscard]] const std::string& SolverProblem();
// A symbol in CHOLMOD or a library it brought (OpenMP's, the BLAS's); nullptr when there is none.
[[nodiscard]] void* SolverSymbol(const char* name);
// SuiteSparse's allocation hooks, which CHOLMOD allocates through.
[[nodiscard]] SuiteSparse_config_struct& SuiteSparseConfig();

// The BLAS's worker threads spin while they wait for work, on a core the run needs for its output; they
// pay only in a large factorisation. Unless the environment chose the BLAS's threads, it starts with
// one, and a factorisation of `flops` takes as many as there are cores when it is large enough.
class BlasThreads {
public:
    explicit BlasThreads(double flops);
    ~BlasThreads();
    BlasThreads(const BlasThreads&) = delete;
    BlasThreads& operator=(const BlasThreads&) = delete;

private:
    bool m_raised = false;
};

} // namespace varlen::analysis

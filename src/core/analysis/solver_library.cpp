#include "analysis/solver_library.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include <cholmod.h>

#include "io/shared_library.h"

namespace varlen::analysis {
namespace {

// Below this a factorisation is over before a second BLAS thread has earned its start.
constexpr double kBlasThreadsFlops = 1e9;

// Set while the BLAS starts when the environment left its thread count open, and put back after.
constexpr const char* kBlasThreadsVariable = "OPENBLAS_NUM_THREADS";
bool g_blasThreadsChosenHere = false;

// The BLAS and LAPACK CHOLMOD needs, as "libblas.so.3:liblapack.so.3", loaded ahead of it.
std::vector<std::string> LoadedAhead() {
    std::vector<std::string> names;
    const std::string_view all = VARLEN_CHOLMOD_AHEAD;
    for (std::size_t start = 0; start < all.size();) {
        const std::size_t end = std::min(all.find(':', start), all.size());
        if (end > start) names.emplace_back(all.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

io::SharedLibrary& Library() {
    static auto* library = new io::SharedLibrary(VARLEN_CHOLMOD_SONAME, LoadedAhead());
    return *library;
}

} // namespace

void StartLoadingSolver() {
    static std::once_flag once;
    std::call_once(once, [] {
        const bool choose = !std::getenv(kBlasThreadsVariable) && !std::getenv("GOTO_NUM_THREADS") &&
                            !std::getenv("OMP_NUM_THREADS");
        g_blasThreadsChosenHere = choose && ::setenv(kBlasThreadsVariable, "1", 0) == 0;
        Library().StartLoading();
    });
}

void SettleSolver() {
    (void)Library().Problem();
    static std::once_flag once;
    std::call_once(once, [] {
        if (g_blasThreadsChosenHere) ::unsetenv(kBlasThreadsVariable);
    });
}

const std::string& SolverProblem() {
    return Library().Problem();
}

void* SolverSymbol(const char* name) {
    return Library().Symbol(name);
}

SuiteSparse_config_struct& SuiteSparseConfig() {
    static auto* config = static_cast<SuiteSparse_config_struct*>(Library().Required("SuiteSparse_config"));
    return *config;
}

namespace {

// OpenBLAS's own setting; nullptr under another BLAS.
using SetThreads = void (*)(int);
SetThreads SetBlasThreads() {
    static const auto set = reinterpret_cast<SetThreads>(SolverSymbol("openblas_set_num_threads"));
    return set;
}

} // namespace

BlasThreads::BlasThreads(double flops) {
    if (!g_blasThreadsChosenHere || flops < kBlasThreadsFlops) return;
    const unsigned cores = std::thread::hardware_concurrency();
    if (!SetBlasThreads() || cores < 2) return;
    SetBlasThreads()(static_cast<int>(cores));
    m_raised = true;
}

BlasThreads::~BlasThreads() {
    if (m_raised) SetBlasThreads()(1);
}

} // namespace varlen::analysis

// The CHOLMOD calls the program makes, Eigen's among them.
#define VARLEN_CHOLMOD_CALL(result, name, parameters, arguments)                                             \
    VARLEN_LOADED_CALL(Library(), result, name, parameters, arguments)

namespace varlen::analysis {

VARLEN_CHOLMOD_CALL(int, cholmod_start, (cholmod_common * common), (common))
VARLEN_CHOLMOD_CALL(int, cholmod_finish, (cholmod_common * common), (common))
VARLEN_CHOLMOD_CALL(int, cholmod_amd,
                    (cholmod_sparse * a, int* fset, size_t fsize, int* perm, cholmod_common* common),
                    (a, fset, fsize, perm, common))
VARLEN_CHOLMOD_CALL(int, cholmod_analyze_ordering,
                    (cholmod_sparse * a, int ordering, int* perm, int* fset, size_t fsize, int* parent,
                     int* post, int* columnCount, int* first, int* level, cholmod_common* common),
                    (a, ordering, perm, fset, fsize, parent, post, columnCount, first, level, common))
VARLEN_CHOLMOD_CALL(cholmod_factor*, cholmod_analyze_p,
                    (cholmod_sparse * a, int* userPerm, int* fset, size_t fsize, cholmod_common* common),
                    (a, userPerm, fset, fsize, common))
VARLEN_CHOLMOD_CALL(SuiteSparse_long, cholmod_bisect,
                    (cholmod_sparse * a, int* fset, size_t fsize, int compress, int* partition,
                     cholmod_common* common),
                    (a, fset, fsize, compress, partition, common))
VARLEN_CHOLMOD_CALL(int, cholmod_factorize_p,
                    (cholmod_sparse * a, double beta[2], int* fset, size_t fsize, cholmod_factor* l,
                     cholmod_common* common),
                    (a, beta, fset, fsize, l, common))
VARLEN_CHOLMOD_CALL(int, cholmod_free_dense, (cholmod_dense * *x, cholmod_common* common), (x, common))
VARLEN_CHOLMOD_CALL(int, cholmod_free_factor, (cholmod_factor * *l, cholmod_common* common), (l, common))
VARLEN_CHOLMOD_CALL(int, cholmod_free_sparse, (cholmod_sparse * *a, cholmod_common* common), (a, common))
VARLEN_CHOLMOD_CALL(int, cholmod_metis,
                    (cholmod_sparse * a, int* fset, size_t fsize, int postorder, int* perm,
                     cholmod_common* common),
                    (a, fset, fsize, postorder, perm, common))
VARLEN_CHOLMOD_CALL(SuiteSparse_long, cholmod_nested_dissection,
                    (cholmod_sparse * a, int* fset, size_t fsize, int* perm, int* parent, int* member,
                     cholmod_common* common),
                    (a, fset, fsize, perm, parent, member, common))
VARLEN_CHOLMOD_CALL(cholmod_sparse*, cholmod_ptranspose,
                    (cholmod_sparse * a, int values, int* perm, int* fset, size_t fsize,
                     cholmod_common* common),
                    (a, values, perm, fset, fsize, common))
VARLEN_CHOLMOD_CALL(cholmod_dense*, cholmod_solve,
                    (int system, cholmod_factor* l, cholmod_dense* b, cholmod_common* common),
                    (system, l, b, common))

} // namespace varlen::analysis

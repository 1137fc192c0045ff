#include "io/runtime_environment.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace varlen::io {

void RestartWithSolverEnvironment(char** argv) {
    constexpr const char* kMarker = "VARLEN_SOLVER_ENVIRONMENT";
    if (std::getenv(kMarker)) return;
    ::setenv(kMarker, "1", 1);
    ::setenv("OMP_THREAD_LIMIT", "1", 0);   // a user's own setting wins
    if (!std::getenv("GLIBC_TUNABLES"))
        ::setenv("GLIBC_TUNABLES",
                 "glibc.malloc.hugetlb=1:glibc.malloc.mmap_threshold=4294967295:"
                 "glibc.malloc.trim_threshold=4294967295",
                 1);
    ::execv("/proc/self/exe", argv);
    // No restart (no /proc, say): the program runs on, only slower.
}

} // namespace varlen::io

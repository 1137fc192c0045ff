// What a harness requires of the code beyond not crashing. A broken requirement aborts, so libFuzzer
// keeps the input that broke it as it keeps a crash.
#pragma once

#include <cstdio>
#include <cstdlib>

#define VARLEN_FUZZ_CHECK(condition)                                                                         \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: requirement failed: %s\n", __FILE__, __LINE__, #condition);         \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

#include "io/shared_library.h"

#include <cstdio>
#include <cstdlib>

#include <dlfcn.h>

namespace varlen::io {
namespace {

// Each symbol a library resolves while it loads is looked for in the program and the libraries it
// started with, then in those loaded beside it, in order. The BLAS resolves some 16,000 of its own,
// behind a dozen others that CHOLMOD brings: the lookups took 3 ms, most of a small truss's wait for
// the solver. Loaded on its own with its own symbols looked up first, it takes a third of that. The
// sanitizers' runtime refuses that binding (calls bound inside a library escape it), so their builds
// load the usual way.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kLoadedAheadMode = RTLD_LAZY | RTLD_LOCAL;
#else
constexpr int kLoadedAheadMode = RTLD_LAZY | RTLD_LOCAL | RTLD_DEEPBIND;
#endif

} // namespace

void SharedLibrary::Load() {
    std::call_once(m_loaded, [this] {
        for (const std::string& ahead : m_loadedAhead)
            (void)::dlopen(ahead.c_str(), kLoadedAheadMode); // kept for the life of the program
        m_handle = ::dlopen(m_soname.c_str(), RTLD_LAZY | RTLD_LOCAL);
        if (m_handle) return;
        const char* why = ::dlerror();
        m_problem = "the library " + m_soname + " could not be loaded (" +
                    (why ? std::string(why) : std::string("no reason given")) +
                    "); reinstalling the program should bring it back";
    });
}

void SharedLibrary::StartLoading() {
    const std::lock_guard lock(m_mutex);
    if (m_started) return;
    m_started = true;
    m_loader = std::make_unique<HelperThread>([this] { Load(); });
}

const std::string& SharedLibrary::Problem() {
    {
        const std::lock_guard lock(m_mutex);
        if (m_loader) m_loader->Join();
    }
    Load();
    return m_problem;
}

void* SharedLibrary::Symbol(const char* name) {
    if (!Problem().empty()) return nullptr;
    return ::dlsym(m_handle, name);
}

void* SharedLibrary::Required(const char* name) {
    if (void* found = Symbol(name)) return found;
    const std::string& problem = Problem();
    std::fprintf(stderr, "varlen: %s\n",
                 (problem.empty() ? "the library " + m_soname + " has no " + name : problem).c_str());
    std::abort();
}

} // namespace varlen::io

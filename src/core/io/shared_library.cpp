#include "io/shared_library.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>

#include <dlfcn.h>

namespace varlen::io {

void SharedLibrary::Load() {
    std::call_once(m_loaded, [this] {
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
    try {
        m_loader = std::thread([this] { Load(); });
    } catch (const std::system_error&) {
        // No thread to be had: the first use loads it.
    }
}

const std::string& SharedLibrary::Problem() {
    {
        const std::lock_guard lock(m_mutex);
        if (m_loader.joinable()) m_loader.join();
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

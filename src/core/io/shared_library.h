// A shared library loaded when the program wants it rather than by the dynamic linker before main.
// CHOLMOD brings a dozen libraries with it (the BLAS, LAPACK, METIS, OpenMP, Fortran's runtime), and
// libzip brings libcrypto: loading them took more than half of a run that analyses a small truss, and
// most runs write no Word report. The sparse solver's libraries load on a thread of their own while the
// project file is read; libzip when the first Word report is built.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "io/helper_thread.h"

namespace varlen::io {

class SharedLibrary {
public:
    // `soname` as the dynamic linker knows it ("libcholmod.so.3"). `loadedAhead` names libraries it needs
    // that resolve thousands of their own symbols as they load (the BLAS): they are loaded first, each
    // looking in itself and its own dependencies before the program's libraries, and the library then
    // finds them loaded under the names it asks for. One that will not load is left to the library's
    // own load to report.
    explicit SharedLibrary(std::string soname, std::vector<std::string> loadedAhead = {})
        : m_soname(std::move(soname)), m_loadedAhead(std::move(loadedAhead)) {}
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Starts loading on a thread of its own and returns; a later call does nothing.
    void StartLoading();
    // Waits for the load (loading now, on this thread, when nobody started it): empty when the library
    // is there, else why it is not, in words for the user.
    [[nodiscard]] const std::string& Problem();
    // The address of `name` in the library or in those it brought with it; nullptr when there is none or
    // the library could not be loaded.
    [[nodiscard]] void* Symbol(const char* name);
    // The same, for a symbol the program cannot do without: a missing one ends the program with a
    // message, as the dynamic linker would have before main.
    [[nodiscard]] void* Required(const char* name);

private:
    void Load();

    const std::string m_soname;
    const std::vector<std::string> m_loadedAhead;
    std::mutex m_mutex; // over m_loader
    std::unique_ptr<HelperThread> m_loader;
    bool m_started = false;
    std::once_flag m_loaded;
    void* m_handle = nullptr;
    std::string m_problem;
};

} // namespace varlen::io

// Defines the library's C function `name` for the program, as a call passed on to the library (an
// io::SharedLibrary) once it has loaded. The program asks Problem() before it relies on the library,
// so that a library that did not load is told in words; a call made regardless ends the program, as the
// dynamic linker would have ended it before main.
#define VARLEN_LOADED_CALL(library, result, name, parameters, arguments)                                     \
    extern "C" result name parameters {                                                                      \
        static const auto call = reinterpret_cast<result(*) parameters>((library).Required(#name));          \
        return call arguments;                                                                               \
    }

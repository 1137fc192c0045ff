// Libraries loaded at run time: a library the machine lacks is told in words and never called, and one
// loaded on its own thread is there, whole, for whoever asks first.
#include <thread>
#include <vector>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include "io/shared_library.h"

namespace varlen::io {
namespace {

TEST(SharedLibrary, MissingLibraryIsToldByNameAndGivesNoSymbols) {
    SharedLibrary library("libvarlen-not-installed.so.7");
    const std::string& problem = library.Problem();
    EXPECT_NE(problem.find("libvarlen-not-installed.so.7"), std::string::npos) << problem;
    EXPECT_NE(problem.find("reinstalling"), std::string::npos) << problem;
    EXPECT_EQ(library.Symbol("anything"), nullptr);
    // Asking again does not try again or change the words.
    EXPECT_EQ(&library.Problem(), &problem);
}

TEST(SharedLibrary, LoadedOnItsOwnThreadForEveryoneWhoAsks) {
    SharedLibrary library("libm.so.6");
    library.StartLoading();
    library.StartLoading(); // a second start does nothing
    std::vector<std::thread> askers;
    std::vector<void*> found(4, nullptr);
    for (std::size_t i = 0; i < found.size(); ++i)
        askers.emplace_back([&, i] { found[i] = library.Symbol("hypot"); });
    for (std::thread& asker : askers)
        asker.join();
    EXPECT_TRUE(library.Problem().empty()) << library.Problem();
    for (void* symbol : found)
        ASSERT_NE(symbol, nullptr);
    const auto hypot = reinterpret_cast<double (*)(double, double)>(found[0]);
    EXPECT_EQ(hypot(3.0, 4.0), 5.0);
    EXPECT_EQ(library.Symbol("no_such_function_in_libm"), nullptr);
}

TEST(SharedLibrary, UsedWithoutStartingLoadsThere) {
    SharedLibrary library("libm.so.6");
    EXPECT_NE(library.Symbol("cbrt"), nullptr);
}

// Libraries named to be loaded ahead are there once the library is; one the machine lacks is no
// reason to refuse a library that loads without it.
TEST(SharedLibrary, LoadedAheadComeFirstAndMissingOnesAreLeftOut) {
    // dpkg needs liblzma, so every Debian machine has it; this program does not load it.
    if (::dlopen("liblzma.so.5", RTLD_LAZY | RTLD_NOLOAD)) GTEST_SKIP() << "liblzma is loaded already";
    SharedLibrary library("libm.so.6", {"libvarlen-not-installed.so.7", "liblzma.so.5"});
    ASSERT_TRUE(library.Problem().empty()) << library.Problem();
    EXPECT_NE(::dlopen("liblzma.so.5", RTLD_LAZY | RTLD_NOLOAD), nullptr);
    EXPECT_NE(library.Symbol("cbrt"), nullptr);
}

TEST(SharedLibraryDeathTest, RequiredSymbolMissingEndsTheRunWithTheReason) {
    SharedLibrary library("libvarlen-not-installed.so.7");
    EXPECT_DEATH((void)library.Required("cholmod_start"), "libvarlen-not-installed.so.7 could not be loaded");
}

} // namespace
} // namespace varlen::io

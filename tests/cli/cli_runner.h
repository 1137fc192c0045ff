// Runs varlen-cli as a user would: a shell command line, its exit status, standard output and error.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

#include "test_support.h"

namespace varlen::test {

struct CliRun {
    int status = -1;
    std::string out, err;
};

// A shell command line (sh -c); its standard error goes to a file in dir.
inline CliRun RunShell(const std::string& line, const TempDir& dir) {
    const auto errPath = dir / "stderr.txt";
    const std::string command = line + " 2>" + errPath.string();
    CliRun run;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 65536> buffer{};
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.out.append(buffer.data(), got);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFile(errPath);
    return run;
}

inline CliRun RunCli(const std::string& arguments, const TempDir& dir) {
    return RunShell(std::string(VARLEN_CLI) + " " + arguments, dir);
}

// From the folder `cwd`, so that arguments may be relative names.
inline CliRun RunCliIn(const std::filesystem::path& cwd, const std::string& arguments, const TempDir& dir) {
    return RunShell("cd '" + cwd.string() + "' && " + VARLEN_CLI + " " + arguments, dir);
}

inline std::string Example(const char* name) {
    return std::string(VARLEN_EXAMPLES_DIR) + "/" + name + ".sma";
}

} // namespace varlen::test
